#include "math/Matrix4.h"

#include <gtest/gtest.h>

#include <random>

namespace {

void expectNear(const Vector3& actual, const Vector3& expected, double tolerance = 1e-12)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(Matrix4, PositiveYawTurnsForwardToTheLeft)
{
    Matrix4 m;
    m.postRotate({0, 90, 0});
    expectNear(transformDirection({0, 0, -1}, m), {-1, 0, 0});
}

TEST(Matrix4, ZeroAnglesLeaveTheMatrixExactlyUnchanged)
{
    Matrix4 m;
    m.postTranslate({1, 2, 3});
    m.postRotate({10, 20, 30});
    const Matrix4 before = m;
    m.postRotate({0, 0, 0});
    m.preRotate({0, 0, 0});
    EXPECT_EQ(m, before);
}

TEST(Matrix4, PostRotateAppliesZThenXThenY)
{
    // M * Rz * Rx * Ry, built explicitly.
    const Vector3 a{30, 45, 60};
    Matrix4 expected = Matrix4::rotation(a.z, 0, 0, 1) * Matrix4::rotation(a.x, 1, 0, 0) *
                       Matrix4::rotation(a.y, 0, 1, 0);
    Matrix4 m;
    m.postRotate(a);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], expected[i], 1e-12) << i;

    Matrix4 pre;
    pre.preRotate(a);
    Matrix4 expectedPre = Matrix4::rotation(a.y, 0, 1, 0) * Matrix4::rotation(a.x, 1, 0, 0) *
                          Matrix4::rotation(a.z, 0, 0, 1);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(pre[i], expectedPre[i], 1e-12) << i;
}

TEST(Matrix4, PostTranslateMovesAlongOwnAxesPreTranslateAlongWorldAxes)
{
    Matrix4 m;
    m.postRotate({0, 90, 0});
    Matrix4 own = m;
    own.postTranslate({0, 0, -2});  // forward, which now points along -x
    expectNear(own.translation(), {-2, 0, 0});
    Matrix4 outer = m;
    outer.preTranslate({0, 0, -2});
    expectNear(outer.translation(), {0, 0, -2});
}

TEST(Matrix4, PairedOperationsKeepTheInverseForThousandsOfSteps)
{
    std::mt19937 rng(1234);
    std::uniform_real_distribution<double> angle(-180.0, 180.0);
    std::uniform_real_distribution<double> offset(-10.0, 10.0);
    Matrix4 transform;
    Matrix4 inverse;
    for (int step = 0; step < 5000; ++step) {
        if (step % 2 == 0) {
            const Vector3 v{offset(rng), offset(rng), offset(rng)};
            transform.postTranslate(v);
            inverse.preTranslate(v.negated());
        } else {
            const Vector3 a{angle(rng), angle(rng), angle(rng)};
            transform.postRotate(a);
            inverse.preRotate(a.negated());
        }
    }
    const Matrix4 product = inverse * transform;
    const Matrix4 identity;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(product[i], identity[i], 1e-9) << i;
}

TEST(TransformPoint, DividesOnlyWhenTheLastRowAsksForIt)
{
    Matrix4 affine;
    affine.postTranslate({1, 2, 3});
    expectNear(transformPoint({1, 1, 1}, affine), {2, 3, 4});

    Matrix4 halving;
    halving[15] = 2.0;
    expectNear(transformPoint({2, 4, 6}, halving), {1, 2, 3});

    Matrix4 flat;
    flat[15] = 0.0;
    expectNear(transformPoint({1, 0, 0}, flat), {99999.99999999999, 0, 0}, 1e-6);
}

}  // namespace
