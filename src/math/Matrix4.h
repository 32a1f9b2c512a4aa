#pragma once

#include "math/Vector3.h"

#include <array>

// Sixteen doubles in OpenGL's column-major order: element i lies in column
// i / 4, row i % 4, exactly as glLoadMatrixd takes them. Placements change
// only through the four compositions below, computed in double precision so
// that game logic needs no GL context.
struct Matrix4 {
    std::array<double, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static Matrix4 identity() { return {}; }
    void setIdentity() { *this = Matrix4{}; }

    double& operator[](int i) { return m[static_cast<std::size_t>(i)]; }
    double operator[](int i) const { return m[static_cast<std::size_t>(i)]; }
    const double* data() const { return m.data(); }

    Vector3 translation() const { return {m[12], m[13], m[14]}; }

    // M <- M * T(v): moves the placed object along its own axes.
    void postTranslate(const Vector3& v);
    // M <- T(v) * M: translates in the outer frame.
    void preTranslate(const Vector3& v);
    // M <- M * Rz(a.z) * Rx(a.x) * Ry(a.y); a zero angle skips its factor.
    void postRotate(const Vector3& anglesDegrees);
    // M <- Ry(a.y) * Rx(a.x) * Rz(a.z) * M, so preRotate(a.negated()) on the
    // inverse undoes postRotate(a) on the transform.
    void preRotate(const Vector3& anglesDegrees);

    Matrix4 operator*(const Matrix4& o) const;
    bool operator==(const Matrix4&) const = default;

    // A right-handed rotation about a unit axis, as glRotated builds it.
    static Matrix4 rotation(double degrees, double ax, double ay, double az);
    static Matrix4 translationBy(const Vector3& v);
};

// Point times matrix with the homogeneous divide.
Vector3 transformPoint(const Vector3& p, const Matrix4& m);
// Direction times matrix: the linear part only.
Vector3 transformDirection(const Vector3& d, const Matrix4& m);
