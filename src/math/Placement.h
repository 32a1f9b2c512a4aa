#pragma once

#include "math/Matrix4.h"
#include "math/Vector3.h"

// Where something stands and how it is turned: a matrix that takes its own
// coordinates to the world's (its translation is the position) and the
// inverse that takes the world's back. The two change only together,
// through the operations here, so they never drift apart.
class Placement {
public:
    // At the origin, unturned.
    Placement() = default;
    static Placement at(const Vector3& position);

    const Matrix4& transform() const { return transform_; }  // own to world
    const Matrix4& inverse() const { return inverse_; }      // world to own
    Vector3 position() const { return transform_.translation(); }

    // Turns about its own axes: z, then x, then y (a zero angle skips its turn).
    void rotate(const Vector3& anglesDegrees);
    // Moves along its own axes.
    void translate(const Vector3& step);

    bool operator==(const Placement&) const = default;

private:
    Matrix4 transform_;
    Matrix4 inverse_;
};
