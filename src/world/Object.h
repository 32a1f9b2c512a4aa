#pragma once

#include "geometry/Polygon.h"

#include <vector>

struct FrameContext;

// drawMode values.
constexpr int drawTextured = 0;
constexpr int drawUntextured = 1;
constexpr int drawCloudShadows = 2;

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
    virtual void draw(int drawMode, const FrameContext& frame);
    virtual const char* className() const { return "Object"; }

    std::vector<Polygon> polygons;
};
