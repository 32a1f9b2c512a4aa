#include "import/PolygonMerge.h"

#include "bsp/CollisionBuilder.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace tools {

namespace {

// Neighbours whose normals differ by less than this (about 0.01 degrees)
// and whose far corner is this close to the plane count as one plane.
constexpr double sameDirection = 1.0 - 1.0e-8;
constexpr double onPlane = planeEpsilon / 10.0;
// A corner must turn by more than this (sine of the angle) to count as convex.
constexpr double leastTurn = 1.0e-9;

Vector3 at(const ImportedMesh& mesh, std::uint32_t index)
{
    const Vertex& v = mesh.vertices[index];
    return v.position;
}

std::uint64_t edgeKey(std::uint32_t from, std::uint32_t to)
{
    return (std::uint64_t(from) << 32) | to;
}

class Merger {
public:
    Merger(const ImportedMesh& mesh, MergeCounts& counts) : mesh_(mesh), counts_(counts) {}

    // Normals of the usable triangles; the degenerate ones are marked used.
    void prepare()
    {
        const std::size_t n = mesh_.triangles.size();
        counts_.triangles += n;
        normals_.resize(n);
        used_.assign(n, false);
        edges_.reserve(n * 3);
        for (std::size_t t = 0; t < n; ++t) {
            const auto& tri = mesh_.triangles[t];
            const std::vector<Vector3> corners{at(mesh_, tri[0]), at(mesh_, tri[1]),
                                               at(mesh_, tri[2])};
            if (!makeCollisionPolygon(corners, {})) {
                used_[t] = true;
                ++counts_.dropped;
                continue;
            }
            const Vector3 cross = (corners[1] - corners[0]).cross(corners[2] - corners[0]);
            normals_[t] = cross / cross.length();
            for (int e = 0; e < 3; ++e) {
                edges_[edgeKey(tri[static_cast<std::size_t>(e)],
                               tri[static_cast<std::size_t>((e + 1) % 3)])] =
                    static_cast<std::uint32_t>(t);
            }
        }
    }

    void run(const std::string& texture, std::vector<DrawnPolygon>& out)
    {
        for (std::size_t t = 0; t < mesh_.triangles.size(); ++t) {
            if (used_[t]) continue;
            used_[t] = true;
            const auto& tri = mesh_.triangles[t];
            std::vector<std::uint32_t> loop{tri[0], tri[1], tri[2]};
            std::vector<std::size_t> members{t};
            grow(loop, members, normals_[t]);
            if (loop.size() > 3 && !makeCollisionPolygon(corners(loop), normals_[t])) {
                // Never expected; the triangles on their own are always sound.
                for (std::size_t m : members) {
                    const auto& mt = mesh_.triangles[m];
                    emit({mt[0], mt[1], mt[2]}, normals_[m], texture, out);
                }
                continue;
            }
            emit(loop, normals_[t], texture, out);
        }
    }

private:
    std::vector<Vector3> corners(const std::vector<std::uint32_t>& loop) const
    {
        std::vector<Vector3> out;
        out.reserve(loop.size());
        for (std::uint32_t i : loop) out.push_back(at(mesh_, i));
        return out;
    }

    bool convexCorner(std::uint32_t previous, std::uint32_t corner, std::uint32_t next,
                      const Vector3& normal) const
    {
        const Vector3 in = at(mesh_, corner) - at(mesh_, previous);
        const Vector3 onward = at(mesh_, next) - at(mesh_, corner);
        return in.cross(onward).dot(normal) > leastTurn * in.length() * onward.length();
    }

    // Takes in neighbours across the loop's edges until none fits.
    void grow(std::vector<std::uint32_t>& loop, std::vector<std::size_t>& members,
              const Vector3& normal)
    {
        const Vector3 origin = at(mesh_, loop[0]);
        bool grew = true;
        while (grew && loop.size() < mostMergedCorners) {
            grew = false;
            for (std::size_t e = 0; e < loop.size() && !grew; ++e) {
                const std::size_t n = loop.size();
                const std::uint32_t from = loop[e], to = loop[(e + 1) % n];
                const auto found = edges_.find(edgeKey(to, from));
                if (found == edges_.end() || used_[found->second]) continue;
                const std::size_t t = found->second;
                if (normals_[t].dot(normal) < sameDirection) continue;
                const auto& tri = mesh_.triangles[t];
                std::uint32_t far = tri[0];
                for (std::uint32_t v : tri) {
                    if (v != from && v != to) far = v;
                }
                if (std::fabs(normal.dot(at(mesh_, far) - origin)) > onPlane) continue;
                if (std::find(loop.begin(), loop.end(), far) != loop.end()) continue;
                const std::uint32_t before = loop[(e + n - 1) % n];
                const std::uint32_t after = loop[(e + 2) % n];
                if (!convexCorner(before, from, far, normal) ||
                    !convexCorner(from, far, to, normal) || !convexCorner(far, to, after, normal)) {
                    continue;
                }
                loop.insert(loop.begin() + static_cast<std::ptrdiff_t>(e + 1), far);
                used_[t] = true;
                members.push_back(t);
                grew = true;
            }
        }
    }

    void emit(const std::vector<std::uint32_t>& loop, const Vector3& normal,
              const std::string& texture, std::vector<DrawnPolygon>& out)
    {
        DrawnPolygon polygon;
        polygon.texture = texture;
        polygon.normal = normal;
        polygon.vertices.reserve(loop.size());
        for (std::uint32_t i : loop) {
            Vertex v = mesh_.vertices[i];
            if (v.normal.x == 0.0 && v.normal.y == 0.0 && v.normal.z == 0.0) {
                v.normal.x = normal.x;
                v.normal.y = normal.y;
                v.normal.z = normal.z;
            }
            polygon.vertices.push_back(v);
        }
        out.push_back(std::move(polygon));
        ++counts_.polygons;
    }

    const ImportedMesh& mesh_;
    MergeCounts& counts_;
    std::vector<Vector3> normals_;
    std::vector<bool> used_;
    std::unordered_map<std::uint64_t, std::uint32_t> edges_;
};

}  // namespace

void mergeTriangles(const ImportedMesh& mesh, const std::string& texture,
                    std::vector<DrawnPolygon>& out, MergeCounts& counts)
{
    Merger merger(mesh, counts);
    merger.prepare();
    merger.run(texture, out);
}

}  // namespace tools
