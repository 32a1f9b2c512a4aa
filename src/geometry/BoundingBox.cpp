#include "geometry/BoundingBox.h"

#include "geometry/Plane.h"

namespace {

struct Face {
    int axis;    // 0 x, 1 y, 2 z
    bool upper;  // the max face of that axis, or the min face
};

// The order the faces are tried in; the first crossing answers.
constexpr Face faces[] = {{1, true}, {1, false}, {2, true}, {2, false}, {0, true}, {0, false}};

double along(const Vector3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

}  // namespace

bool BoundingBox::crossedBy(const Vector3& a, const Vector3& b) const
{
    const double lo[3] = {minX, minY, minZ};
    const double hi[3] = {maxX, maxY, maxZ};
    // Both ends beyond the same side of an axis: no crossing.
    for (int axis = 0; axis < 3; ++axis) {
        const double pa = along(a, axis), pb = along(b, axis);
        if ((pa < lo[axis] && pb < lo[axis]) || (pa > hi[axis] && pb > hi[axis])) return false;
    }
    for (const Face& face : faces) {
        // Signed distances, positive outside the face.
        const int k = face.axis;
        const double dA = face.upper ? along(a, k) - hi[k] : lo[k] - along(a, k);
        const double dB = face.upper ? along(b, k) - hi[k] : lo[k] - along(b, k);
        const bool crosses = (dA <= -planeEpsilon && dB >= planeEpsilon) ||
                             (dA >= planeEpsilon && dB <= -planeEpsilon);
        if (!crosses) continue;
        const Vector3 p = a + (b - a) * (dA / (dA - dB));
        const int u = (k + 1) % 3, v = (k + 2) % 3;
        const double pu = along(p, u), pv = along(p, v);
        if (pu >= lo[u] && pu <= hi[u] && pv >= lo[v] && pv <= hi[v]) return true;
    }
    return false;
}
