#pragma once

#include "geometry/Polygon.h"
#include "math/Vector3.h"
#include "world/DrawMode.h"

#include <vector>

class HeightGrid;
struct FrameContext;
struct PointLight;

// The base of every entity. className() is the program's run-time type
// test: the collision code selects by it. Updates and draws are handed what
// they read in a FrameContext.
class Object {
public:
    Object() = default;
    explicit Object(std::vector<Polygon> list) : polygons(std::move(list)) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    virtual void update(const FrameContext&) {}
    // Draws every polygon in list order.
    virtual void draw(DrawMode drawMode, const FrameContext& frame);
    virtual const char* className() const { return "Object"; }

    // What the world's queries need of an entity whose role promises it:
    // asked once when the world files the entity (terrain, light), or per
    // candidate of the rocket's search (moving). The defaults answer for
    // every other kind.
    virtual const HeightGrid* terrainGrid() const { return nullptr; }
    virtual const PointLight* pointLight() const { return nullptr; }
    // Whether the segment a->b passes through the entity's box.
    virtual bool hitsSegment(const Vector3&, const Vector3&) const { return false; }

    std::vector<Polygon> polygons;
};
