#include "content/SkeletonFile.h"
#include "math/Matrix4.h"
#include "skeleton/SkeletonReader.h"
#include "text/TokenReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

// The skeleton file read by its format: bones depth first, each with its
// frame built as the game builds it, then the channels.
struct ReadBone {
    double length = 0, minAngle = 0, maxAngle = 0;
    Matrix4 local;
    int parent = -1;
};

struct ReadSkeleton {
    std::vector<ReadBone> bones;
    std::vector<std::vector<std::pair<double, double>>> channels;
};

Vector3 normalised(const Vector3& v)
{
    const double l = v.length();
    return l > 0.00001 ? v / l : v;
}

bool readBone(TokenReader& in, ReadSkeleton& s, int parent)
{
    ReadBone b;
    Vector3 axis, reference, offset;
    int children = 0;
    if (!(in.readDouble(b.length) && in.readDouble(axis.x) && in.readDouble(axis.y) &&
          in.readDouble(axis.z) && in.readDouble(reference.x) && in.readDouble(reference.y) &&
          in.readDouble(reference.z) && in.readDouble(offset.x) && in.readDouble(offset.y) &&
          in.readDouble(offset.z) && in.readDouble(b.minAngle) && in.readDouble(b.maxAngle) &&
          in.readInt(children))) {
        return false;
    }
    const Vector3 x = normalised(axis);
    const Vector3 z = normalised(x.cross(reference));
    const Vector3 y = normalised(z.cross(x));
    b.local.m = {x.x, x.y, x.z, 0, y.x, y.y, y.z, 0, z.x, z.y, z.z, 0, 0, 0, 0, 1};
    b.local.postTranslate(offset);
    b.parent = parent;
    const int index = static_cast<int>(s.bones.size());
    s.bones.push_back(b);
    for (int c = 0; c < children; ++c) {
        if (!readBone(in, s, index)) return false;
    }
    return true;
}

ReadSkeleton readSkeleton(const std::string& text)
{
    ReadSkeleton s;
    TokenReader in(text);
    EXPECT_TRUE(readBone(in, s, -1));
    int channels = 0;
    EXPECT_TRUE(in.readInt(channels));
    for (int c = 0; c < channels; ++c) {
        int keys = 0;
        EXPECT_TRUE(in.readInt(keys));
        std::vector<std::pair<double, double>> channel;
        for (int k = 0; k < keys; ++k) {
            double t = 0, v = 0;
            EXPECT_TRUE(in.readDouble(t) && in.readDouble(v));
            channel.emplace_back(t, v);
        }
        s.channels.push_back(channel);
    }
    EXPECT_TRUE(in.ok()) << in.describeFailure("test.skl");
    EXPECT_TRUE(in.atEnd());
    return s;
}

// Bone frames in skeleton space with every hinge at the given angle.
std::vector<Matrix4> pose(const ReadSkeleton& s,
                          const std::function<double(const ReadBone&)>& angle)
{
    std::vector<Matrix4> frames;
    for (const ReadBone& b : s.bones) {
        const Matrix4 parent =
            b.parent < 0 ? Matrix4::identity() : frames[static_cast<std::size_t>(b.parent)];
        frames.push_back(parent * b.local * Matrix4::rotation(angle(b), 1, 0, 0));
    }
    return frames;
}

Vector3 tipOf(const ReadSkeleton& s, const std::vector<Matrix4>& frames, std::size_t bone)
{
    return transformPoint({0, 0, s.bones[bone].length}, frames[bone]);
}

TEST(ContentSkeleton, HumanoidWithOneLoopingChannelPerBone)
{
    const ReadSkeleton s = readSkeleton(tools::humanoidSkeletonText());
    ASSERT_EQ(s.bones.size(), 16u);
    ASSERT_EQ(s.channels.size(), s.bones.size());
    for (const auto& channel : s.channels) {
        ASSERT_GE(channel.size(), 2u);
        EXPECT_EQ(channel.front().first, 0.0);
        EXPECT_GT(channel.back().first, 0.0);
        EXPECT_EQ(channel.front().second, channel.back().second);  // loops without a jump
        for (std::size_t k = 0; k < channel.size(); ++k) {
            EXPECT_GE(channel[k].second, 0.0);
            EXPECT_LE(channel[k].second, 1.0);
            if (k > 0) {
                EXPECT_GT(channel[k].first, channel[k - 1].first);
            }
        }
    }
    // Hips at the root; the tree has spine, two arm chains and two leg chains.
    std::vector<int> children(s.bones.size());
    for (const ReadBone& b : s.bones) {
        if (b.parent >= 0) ++children[static_cast<std::size_t>(b.parent)];
    }
    EXPECT_EQ(children[0], 3);  // spine and the two hips
    EXPECT_EQ(children[1], 3);  // neck and the two shoulders
}

TEST(ContentSkeleton, StandsOnTheGroundWithTheHeadOnTop)
{
    const ReadSkeleton s = readSkeleton(tools::humanoidSkeletonText());
    // Hinges straight (angle 0): the rest pose the file is built from.
    const auto rest = pose(s, [](const ReadBone&) { return 0.0; });
    // The skeleton is drawn 1.2 above the body, the body 0.3 above the ground.
    for (std::size_t shin : {12u, 15u}) {
        const Vector3 foot = tipOf(s, rest, shin);
        EXPECT_NEAR(foot.y, -1.45, 1e-9);
        EXPECT_NEAR(std::fabs(foot.x), 0.1, 1e-9);
    }
    const Vector3 head = tipOf(s, rest, 3);
    EXPECT_NEAR(head.y, 0.34, 1e-9);  // about 1.85 tall
    EXPECT_NEAR(head.x, 0.0, 1e-9);
    for (std::size_t forearm : {6u, 9u}) {
        const Vector3 hand = tipOf(s, rest, forearm);
        EXPECT_NEAR(hand.y, -0.6, 1e-9);
        EXPECT_NEAR(std::fabs(hand.x), 0.2, 1e-9);
    }
}

TEST(ContentSkeleton, LegsSwingInOppositePhaseAndKneesBendBackwards)
{
    const ReadSkeleton s = readSkeleton(tools::humanoidSkeletonText());
    // Blend values of the key a quarter into the cycle.
    auto atKey = [&](std::size_t key) {
        return pose(s, [&](const ReadBone& b) {
            const std::size_t index = static_cast<std::size_t>(&b - s.bones.data());
            const double blend = s.channels[index][key].second;
            return b.minAngle + (b.maxAngle - b.minAngle) * blend;
        });
    };
    const auto quarter = atKey(2);
    const Vector3 leftKnee = tipOf(s, quarter, 11), rightKnee = tipOf(s, quarter, 14);
    // Forward is -z: one knee ahead, the other behind.
    EXPECT_LT(leftKnee.z, -0.1);
    EXPECT_GT(rightKnee.z, 0.1);
    const auto threeQuarters = atKey(6);
    EXPECT_GT(tipOf(s, threeQuarters, 11).z, 0.1);
    EXPECT_LT(tipOf(s, threeQuarters, 14).z, -0.1);
    // Every key: each foot behind or under its knee relative to the thigh's
    // line (knees never bend forwards), and the feet stay near the ground.
    for (std::size_t key = 0; key < s.channels[0].size(); ++key) {
        const auto frames = atKey(key);
        for (const auto& [thigh, shin] : {std::pair{11u, 12u}, std::pair{14u, 15u}}) {
            const Vector3 hip = transformPoint({0, 0, 0}, frames[thigh]);
            const Vector3 knee = tipOf(s, frames, thigh);
            const Vector3 foot = tipOf(s, frames, shin);
            const Vector3 thighDirection = knee - hip;
            const Vector3 shinDirection = foot - knee;
            // The x part of thigh x shin: negative when the shin turns backwards.
            EXPECT_LE(thighDirection.y * shinDirection.z - thighDirection.z * shinDirection.y,
                      1e-9);
            EXPECT_LT(foot.y, -1.0);
        }
    }
}

}  // namespace

namespace {

TEST(ContentSkeleton, TheGameReadsItAsWritten)
{
    const std::string text = tools::humanoidSkeletonText();
    const ReadSkeleton expected = readSkeleton(text);
    TokenReader in(text);
    const std::unique_ptr<Skeleton> skeleton = ::readSkeleton(in);
    ASSERT_TRUE(skeleton) << in.describeFailure("test.skl");
    ASSERT_EQ(skeleton->bones.size(), expected.bones.size());
    ASSERT_EQ(skeleton->channels.size(), expected.channels.size());
    for (std::size_t i = 0; i < expected.bones.size(); ++i) {
        EXPECT_EQ(skeleton->bones[i].parent, expected.bones[i].parent);
        EXPECT_EQ(skeleton->bones[i].length, expected.bones[i].length);
        for (int e = 0; e < 16; ++e) {
            EXPECT_NEAR(skeleton->bones[i].localMatrix[e], expected.bones[i].local[e], 1e-12);
        }
        EXPECT_EQ(skeleton->channels[i].keyCount(), static_cast<int>(expected.channels[i].size()));
    }
}

}  // namespace
