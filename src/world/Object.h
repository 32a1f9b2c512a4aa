#pragma once

#include "geometry/Polygon.h"

#include <vector>

// drawMode values.
constexpr int drawTextured = 0;
constexpr int drawUntextured = 1;
constexpr int drawCloudShadows = 2;

// The base of every entity. className() is the program's run-time type
// test: the loader sorts by it and the collision code selects by it.
class Object {
public:
    Object() = default;
    explicit Object(std::vector<Polygon> polygons) : polygons(std::move(polygons)) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    virtual void update() {}
    // Draws every polygon in list order.
    virtual void draw(int drawMode);
    virtual const char* className() const { return "Object"; }

    std::vector<Polygon> polygons;
};
