#pragma once

#include "geometry/CollisionPolygon.h"
#include "math/Vector3.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

class World;

// Embree as a reference tracer for our segment queries: the same polygons,
// triangulated as fans, in Embree's single-precision scene. Built on one
// thread when constructed; traces are single rays with tnear 0 and tfar 1.
class EmbreeTracer {
public:
    struct Hit {
        double distance = 0.0;  // from the segment's start
        Vector3 point;
        std::size_t polygon = 0;  // index into the polygons given
    };

    // The polygons must outlive the tracer. `robust` asks Embree for its
    // watertight mode (RTC_SCENE_FLAG_ROBUST): no gaps along shared edges.
    EmbreeTracer(std::vector<const CollisionPolygon*> polygons, bool robust);
    ~EmbreeTracer();
    EmbreeTracer(const EmbreeTracer&) = delete;
    EmbreeTracer& operator=(const EmbreeTracer&) = delete;

    // The nearest triangle the segment A->B crosses; none on a miss.
    std::optional<Hit> trace(const Vector3& a, const Vector3& b) const;

    const std::vector<const CollisionPolygon*>& polygons() const { return polygons_; }
    std::size_t triangleCount() const { return triangleToPolygon_.size(); }

private:
    struct Scene;  // Embree's device and scene handles
    std::vector<const CollisionPolygon*> polygons_;
    std::vector<std::size_t> triangleToPolygon_;
    std::unique_ptr<Scene> scene_;
};

// Everything World::traceSegment can hit: the BSP tree's polygons (in
// pre-order) and every HeightField's triangles.
std::vector<const CollisionPolygon*> traceablePolygons(const World& world);
