// The skeleton file read into bones and channels, the channels' values over
// time and the pose they give. Refusals of damaged files are in
// SkeletonHostileFileTest.cpp.
#include "skeleton/SkeletonReader.h"
#include "text/TokenReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::unique_ptr<Skeleton> read(const std::string& text)
{
    TokenReader in(text);
    std::unique_ptr<Skeleton> skeleton = readSkeleton(in);
    EXPECT_TRUE(skeleton) << in.describeFailure("test.skl");
    return skeleton;
}

void expectNear(const Matrix4& actual, const Matrix4& expected, double tolerance = 1e-12)
{
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

Matrix4 columns(const Vector3& x, const Vector3& y, const Vector3& z, const Vector3& origin)
{
    Matrix4 m;
    m.m = {x.x, x.y, x.z, 0, y.x, y.y, y.z, 0, z.x, z.y, z.z, 0, origin.x, origin.y, origin.z, 1};
    return m;
}

TEST(Skeleton, BoneFramesFromHingeAxisReferenceAndOffset)
{
    struct Case {
        const char* name;
        const char* record;  // length, A, B, offset, min, max, children
        Matrix4 local;
    };
    const double s = 1.0 / std::sqrt(2.0);
    const Case cases[] = {
        {"A along x, B along y: identity plus offset", "1  1 0 0  0 1 0  1 2 3  0 0 0",
         columns({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 2, 3})},
        {"A = (0, 0, 2) is normalised; z = x cross B", "1  0 0 2  0 1 0  0 0 0  0 0 0",
         columns({0, 0, 1}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 0})},
        {"the offset runs along the bone's own axes", "1  0 0 2  0 1 0  1 2 3  0 0 0",
         columns({0, 0, 1}, {0, 1, 0}, {-1, 0, 0}, {-3, 2, 1})},
        {"B need not be at a right angle to A", "1  1 1 0  0 1 0  0 0 0  0 0 0",
         columns({s, s, 0}, {-s, s, 0}, {0, 0, 1}, {0, 0, 0})},
        // B parallel to A: z and y vanish; the frame is kept as it is.
        {"B parallel to A", "1  0 3 0  0 -1 0  5 6 7  0 0 0",
         columns({0, 1, 0}, {0, 0, 0}, {0, 0, 0}, {0, 5, 0})},
        // An axis shorter than 0.00001 is left as read.
        {"a tiny axis stays unnormalised", "1  0.000001 0 0  0 1 0  0 0 0  0 0 0",
         columns({0.000001, 0, 0}, {0, 1e-12, 0}, {0, 0, 0.000001}, {0, 0, 0})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto skeleton = read(std::string(c.record) + " 0\n0\n");
        ASSERT_TRUE(skeleton);
        ASSERT_EQ(skeleton->bones.size(), 1u);
        expectNear(skeleton->root().localMatrix, c.local);
        EXPECT_EQ(skeleton->root().poseMatrix, Matrix4::identity());  // until the first pose
        EXPECT_EQ(skeleton->root().blend, 0.0);
        // Posed at rest the frame is drawn as it is, degenerate or not.
        skeleton->animate(3.7);
        expectNear(skeleton->root().poseMatrix, c.local);
    }
}

TEST(Skeleton, BonesInPreOrderWithParentsAndChannelsByPosition)
{
    // root -> (c1 -> (g1), c2); lengths tell the bones apart. Two channels
    // fewer than bones: c2 has none. Channel 2 is g1's.
    const auto skeleton = read(
        "1  1 0 0 0 1 0 0 0 0  0 90 2\n"
        "  2  1 0 0 0 1 0 0 0 0  0 90 1\n"
        "    3  1 0 0 0 1 0 0 0 0  0 90 0\n"
        "  4  1 0 0 0 1 0 0 0 0  30 90 0\n"
        "3\n"
        "2 0 0.1 1 0.1\n"
        "2 0 0.2 1 0.2\n"
        "2 0 0.7 1 0.7\n");
    ASSERT_TRUE(skeleton);
    ASSERT_EQ(skeleton->bones.size(), 4u);
    const double lengths[] = {1, 2, 3, 4};
    const int parents[] = {-1, 0, 1, 0};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(skeleton->bones[i].length, lengths[i]);
        EXPECT_EQ(skeleton->bones[i].parent, parents[i]);
    }
    ASSERT_EQ(skeleton->channelCount(), 3);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(skeleton->channels[i].boneIndex, static_cast<int>(i));
    }

    skeleton->animate(0.5);
    EXPECT_DOUBLE_EQ(skeleton->bones[2].blend, 0.7);
    EXPECT_DOUBLE_EQ(skeleton->bones[1].blend, 0.2);
    // Without a channel c2 rests at its minimum angle.
    EXPECT_EQ(skeleton->bones[3].blend, 0.0);
    expectNear(skeleton->bones[3].poseMatrix,
               skeleton->bones[0].poseMatrix * Matrix4::rotation(30, 1, 0, 0));
}

TEST(Skeleton, ChannelValuesLoopInterpolateAndHold)
{
    struct Case {
        std::vector<AnimationKey> keys;
        double seconds;
        double value;
    };
    const std::vector<AnimationKey> tent{{0, 0}, {1, 1}, {2, 0}};
    const Case cases[] = {
        {tent, 0.5, 0.5},
        {tent, 1.0, 1.0},  // exact at a key
        {tent, 1.5, 0.5},
        {tent, 2.5, 0.5},  // the period is the last key's time
        {tent, 2.0, 0.0},
        {tent, 0.0, 0.0},
        {tent, 1001.25, 0.75},
        {tent, -0.5, 0.5},                 // negative times loop backwards
        {{{0, 1.5}, {1, 1.5}}, 0.3, 1.5},  // not clamped here
        // A first key after 0: its value holds until then.
        {{{0.5, 0.3}, {1, 0.8}}, 0.25, 0.3},
        {{{0.5, 0.3}, {1, 0.8}}, 0.75, 0.55},
        // Two keys at one time: a step, the first of them exactly at it.
        {{{0, 0}, {1, 0}, {1, 1}, {2, 1}}, 1.0, 0.0},
        {{{0, 0}, {1, 0}, {1, 1}, {2, 1}}, 1.5, 1.0},
        {{{0, 0.4}}, 3.0, 0.4},  // no period: never driven
    };
    for (const Case& c : cases) {
        AnimationChannel channel;
        channel.keys = c.keys;
        EXPECT_NEAR(channel.valueAt(c.seconds), c.value, 1e-12)
            << c.keys.size() << " keys at " << c.seconds << " s";
    }
}

TEST(Skeleton, BlendIsClampedAndTurnsTheHingeBetweenItsAngles)
{
    struct Case {
        double value, minAngle, maxAngle;
        double blend, degrees;
    };
    const Case cases[] = {
        {0.25, 10, 50, 0.25, 20},
        {1.5, 10, 50, 1.0, 50},
        {-0.2, 10, 50, 0.0, 10},
        {0.5, 40, -20, 0.5, 10},  // a maximum below the minimum swings the other way
    };
    for (const Case& c : cases) {
        std::ostringstream text;
        text << "1  1 0 0 0 1 0 0 0 0  " << c.minAngle << " " << c.maxAngle << " 0\n1\n2 0 "
             << c.value << " 1 " << c.value << "\n";
        const auto skeleton = read(text.str());
        ASSERT_TRUE(skeleton);
        skeleton->animate(0.5);
        EXPECT_DOUBLE_EQ(skeleton->root().blend, c.blend) << "value " << c.value;
        EXPECT_DOUBLE_EQ(skeleton->root().hingeAngle(), c.degrees);
        expectNear(skeleton->root().poseMatrix, Matrix4::rotation(c.degrees, 1, 0, 0));
    }
}

// A bone as a generator knows it: its own record and its children as a tree.
struct TreeBone {
    double length = 0, minAngle = 0, maxAngle = 0;
    Vector3 axis, reference, offset;
    std::vector<AnimationKey> keys;  // empty when beyond the channel count
    std::vector<TreeBone> children;
};

void writeTree(std::ostream& out, const TreeBone& b)
{
    out << b.length << ' ' << b.axis.x << ' ' << b.axis.y << ' ' << b.axis.z << ' ' << b.reference.x
        << ' ' << b.reference.y << ' ' << b.reference.z << ' ' << b.offset.x << ' ' << b.offset.y
        << ' ' << b.offset.z << ' ' << b.minAngle << ' ' << b.maxAngle << ' ' << b.children.size()
        << '\n';
    for (const TreeBone& c : b.children) writeTree(out, c);
}

void preOrder(TreeBone& b, std::vector<TreeBone*>& out)
{
    out.push_back(&b);
    for (TreeBone& c : b.children) preOrder(c, out);
}

// The plain reference: the pose by recursion down the tree, as the GL
// matrix stack would compute it, and the value by scanning every key.
double referenceValue(const std::vector<AnimationKey>& keys, double seconds)
{
    const double x = std::fmod(seconds, keys.back().time);
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (keys[k].time < x) continue;
        if (keys[k].time == x || k == 0) return keys[k].value;
        const AnimationKey& p = keys[k - 1];
        return p.value + (x - p.time) / (keys[k].time - p.time) * (keys[k].value - p.value);
    }
    return keys.back().value;
}

void referencePose(const TreeBone& b, const Matrix4& parent, double seconds,
                   std::vector<Matrix4>& out)
{
    double blend = 0.0;
    if (!b.keys.empty()) blend = std::fmin(1.0, std::fmax(0.0, referenceValue(b.keys, seconds)));
    const Matrix4 pose = parent * boneFrame(b.axis, b.reference, b.offset) *
                         Matrix4::rotation(b.minAngle + (b.maxAngle - b.minAngle) * blend, 1, 0, 0);
    out.push_back(pose);
    for (const TreeBone& c : b.children) referencePose(c, pose, seconds, out);
}

TEST(Skeleton, RandomTreesPoseAsTheRecursiveReference)
{
    std::mt19937 random(12);
    auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<>(lo, hi)(random);
    };
    auto vector = [&] { return Vector3{uniform(-2, 2), uniform(-2, 2), uniform(-2, 2)}; };
    for (int trial = 0; trial < 40; ++trial) {
        int budget = 1 + static_cast<int>(random() % 30);
        std::function<TreeBone(int)> grow = [&](int depth) {
            TreeBone b;
            b.length = random() % 4 == 0 ? 0.0 : uniform(0, 3);
            b.axis = vector();
            b.reference = vector();
            b.offset = vector();
            b.minAngle = uniform(-90, 90);
            b.maxAngle = uniform(-90, 90);
            const int children = depth > 6 ? 0 : static_cast<int>(random() % 4);
            for (int c = 0; c < children && --budget > 0; ++c) {
                b.children.push_back(grow(depth + 1));
            }
            return b;
        };
        TreeBone root = grow(0);
        std::vector<TreeBone*> order;
        preOrder(root, order);
        const std::size_t channels = random() % (order.size() + 1);
        std::ostringstream text;
        text.precision(17);
        writeTree(text, root);
        text << channels << '\n';
        for (std::size_t i = 0; i < channels; ++i) {
            std::vector<AnimationKey> keys;
            double t = random() % 3 == 0 ? uniform(0, 1) : 0.0;
            const int count = 1 + static_cast<int>(random() % 6);
            for (int k = 0; k < count; ++k) {
                keys.push_back({t, uniform(-0.3, 1.3)});
                t += random() % 5 == 0 ? 0.0 : uniform(0.01, 1);
            }
            if (keys.back().time <= 0.0) keys.back().time = 0.5;
            text << keys.size();
            for (const AnimationKey& k : keys) text << ' ' << k.time << ' ' << k.value;
            text << '\n';
            order[i]->keys = keys;
        }

        const auto skeleton = read(text.str());
        ASSERT_TRUE(skeleton);
        ASSERT_EQ(skeleton->bones.size(), order.size());
        for (double seconds : {0.0, 0.37, 1.0, 2.9, 12345.678}) {
            skeleton->animate(seconds);
            std::vector<Matrix4> expected;
            referencePose(root, Matrix4::identity(), seconds, expected);
            for (std::size_t i = 0; i < order.size(); ++i) {
                SCOPED_TRACE("trial " + std::to_string(trial) + ", bone " + std::to_string(i));
                EXPECT_EQ(skeleton->bones[i].length, order[i]->length);
                expectNear(skeleton->bones[i].poseMatrix, expected[i], 1e-9);
            }
        }
    }
}

}  // namespace
