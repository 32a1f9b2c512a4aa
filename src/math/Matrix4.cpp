#include "math/Matrix4.h"

#include <cmath>
#include <numbers>

Matrix4 Matrix4::operator*(const Matrix4& o) const
{
    Matrix4 r;
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k) {
                s += (*this)[k * 4 + row] * o[col * 4 + k];
            }
            r[col * 4 + row] = s;
        }
    }
    return r;
}

Matrix4 Matrix4::rotation(double degrees, double ax, double ay, double az)
{
    // Same construction as glRotated (the axis here is always a unit axis).
    const double rad = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(rad);
    const double s = std::sin(rad);
    const double t = 1.0 - c;
    Matrix4 r;
    r[0] = ax * ax * t + c;
    r[1] = ay * ax * t + az * s;
    r[2] = ax * az * t - ay * s;
    r[4] = ax * ay * t - az * s;
    r[5] = ay * ay * t + c;
    r[6] = ay * az * t + ax * s;
    r[8] = ax * az * t + ay * s;
    r[9] = ay * az * t - ax * s;
    r[10] = az * az * t + c;
    return r;
}

Matrix4 Matrix4::translationBy(const Vector3& v)
{
    Matrix4 r;
    r[12] = v.x;
    r[13] = v.y;
    r[14] = v.z;
    return r;
}

void Matrix4::postTranslate(const Vector3& v)
{
    // Only the translation column changes: M * T(v).
    for (int row = 0; row < 4; ++row) {
        m[12 + row] += m[row] * v.x + m[4 + row] * v.y + m[8 + row] * v.z;
    }
}

void Matrix4::preTranslate(const Vector3& v)
{
    // T(v) * M adds v scaled by the bottom row of each column.
    for (int col = 0; col < 4; ++col) {
        const double w = m[col * 4 + 3];
        m[col * 4 + 0] += v.x * w;
        m[col * 4 + 1] += v.y * w;
        m[col * 4 + 2] += v.z * w;
    }
}

void Matrix4::postRotate(const Vector3& a)
{
    if (a.z != 0.0) *this = *this * rotation(a.z, 0, 0, 1);
    if (a.x != 0.0) *this = *this * rotation(a.x, 1, 0, 0);
    if (a.y != 0.0) *this = *this * rotation(a.y, 0, 1, 0);
}

void Matrix4::preRotate(const Vector3& a)
{
    Matrix4 r;
    bool any = false;
    if (a.y != 0.0) {
        r = r * rotation(a.y, 0, 1, 0);
        any = true;
    }
    if (a.x != 0.0) {
        r = r * rotation(a.x, 1, 0, 0);
        any = true;
    }
    if (a.z != 0.0) {
        r = r * rotation(a.z, 0, 0, 1);
        any = true;
    }
    if (any) *this = r * *this;
}

Vector3 transformPoint(const Vector3& p, const Matrix4& m)
{
    const double x = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
    const double y = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
    const double z = m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14];
    const double w = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
    if (std::fabs(w - 1.0) < 0.00001) return {x, y, z};
    if (std::fabs(w) < 0.00001) return Vector3{x, y, z} * 99999.99999999999;
    return Vector3{x, y, z} * (1.0 / w);
}

Vector3 transformDirection(const Vector3& d, const Matrix4& m)
{
    return {m[0] * d.x + m[4] * d.y + m[8] * d.z, m[1] * d.x + m[5] * d.y + m[9] * d.z,
            m[2] * d.x + m[6] * d.y + m[10] * d.z};
}
