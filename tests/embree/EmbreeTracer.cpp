#include "embree/EmbreeTracer.h"

#include "entities/HeightField.h"
#include "geometry/BspNode.h"
#include "world/World.h"

#include <embree3/rtcore.h>

#include <algorithm>
#include <limits>
#include <stdexcept>

struct EmbreeTracer::Scene {
    RTCDevice device = nullptr;
    RTCScene scene = nullptr;

    ~Scene()
    {
        if (scene) rtcReleaseScene(scene);
        if (device) rtcReleaseDevice(device);
    }
};

EmbreeTracer::EmbreeTracer(std::vector<const CollisionPolygon*> polygons, bool robust)
    : polygons_(std::move(polygons)),
      scene_(std::make_unique<Scene>())
{
    // One build thread: the scene is built outside any timing, and the
    // comparison is one core against one core.
    scene_->device = rtcNewDevice("threads=1");
    if (!scene_->device) throw std::runtime_error("Embree: no device");
    scene_->scene = rtcNewScene(scene_->device);
    rtcSetSceneFlags(scene_->scene, robust ? RTC_SCENE_FLAG_ROBUST : RTC_SCENE_FLAG_NONE);
    rtcSetSceneBuildQuality(scene_->scene, RTC_BUILD_QUALITY_HIGH);

    std::vector<float> positions;
    std::vector<unsigned> indices;
    for (std::size_t p = 0; p < polygons_.size(); ++p) {
        const std::vector<Vertex>& corners = polygons_[p]->vertices;
        if (corners.size() < 3) continue;  // a line has no area to hit
        const auto first = static_cast<unsigned>(positions.size() / 3);
        for (const Vertex& v : corners) {
            positions.insert(positions.end(),
                             {static_cast<float>(v.position.x), static_cast<float>(v.position.y),
                              static_cast<float>(v.position.z)});
        }
        for (unsigned k = 1; k + 1 < corners.size(); ++k) {
            indices.insert(indices.end(), {first, first + k, first + k + 1});
            triangleToPolygon_.push_back(p);
        }
    }

    RTCGeometry geometry = rtcNewGeometry(scene_->device, RTC_GEOMETRY_TYPE_TRIANGLE);
    auto* vertexBuffer = static_cast<float*>(
        rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3,
                                3 * sizeof(float), positions.size() / 3));
    auto* indexBuffer = static_cast<unsigned*>(
        rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3,
                                3 * sizeof(unsigned), indices.size() / 3));
    std::copy(positions.begin(), positions.end(), vertexBuffer);
    std::copy(indices.begin(), indices.end(), indexBuffer);
    rtcCommitGeometry(geometry);
    rtcAttachGeometry(scene_->scene, geometry);
    rtcReleaseGeometry(geometry);
    rtcCommitScene(scene_->scene);
}

EmbreeTracer::~EmbreeTracer() = default;

std::optional<EmbreeTracer::Hit> EmbreeTracer::trace(const Vector3& a, const Vector3& b) const
{
    const Vector3 d = b - a;
    RTCIntersectContext context;
    rtcInitIntersectContext(&context);
    RTCRayHit ray{};
    ray.ray.org_x = static_cast<float>(a.x);
    ray.ray.org_y = static_cast<float>(a.y);
    ray.ray.org_z = static_cast<float>(a.z);
    ray.ray.dir_x = static_cast<float>(d.x);
    ray.ray.dir_y = static_cast<float>(d.y);
    ray.ray.dir_z = static_cast<float>(d.z);
    ray.ray.tnear = 0.0f;
    ray.ray.tfar = 1.0f;
    ray.ray.mask = std::numeric_limits<unsigned>::max();
    ray.hit.geomID = RTC_INVALID_GEOMETRY_ID;
    ray.hit.instID[0] = RTC_INVALID_GEOMETRY_ID;
    rtcIntersect1(scene_->scene, &context, &ray);
    if (ray.hit.geomID == RTC_INVALID_GEOMETRY_ID) return std::nullopt;

    Hit hit;
    const double t = ray.ray.tfar;
    hit.distance = t * d.length();
    hit.point = a + d * t;
    hit.polygon = triangleToPolygon_[ray.hit.primID];
    return hit;
}

namespace {
void collect(const BspNode* node, std::vector<const CollisionPolygon*>& out)
{
    // Pre-order, as the file lists them.
    for (; node; node = node->back.get()) {
        for (const CollisionPolygon& p : node->polygons) out.push_back(&p);
        collect(node->front.get(), out);
    }
}
}  // namespace

std::vector<const CollisionPolygon*> traceablePolygons(const World& world)
{
    std::vector<const CollisionPolygon*> out;
    collect(world.bspTree.root(), out);
    for (const HeightGrid* field : world.heightFields) {
        for (const CollisionPolygon& t : field->triangles) out.push_back(&t);
    }
    return out;
}
