#include "skeleton/SkeletonReader.h"

#include "platform/Messages.h"
#include "platform/Paths.h"
#include "skeleton/Skeleton.h"
#include "text/TokenReader.h"

#include <optional>
#include <vector>

namespace {

// length, axis, reference, offset, min, max, child count.
constexpr int tokensPerBone = 13;
// A key count and at least one key.
constexpr int fewestTokensPerChannel = 3;
constexpr int tokensPerKey = 2;

bool readVector(TokenReader& in, Vector3& v)
{
    return in.readDouble(v.x) && in.readDouble(v.y) && in.readDouble(v.z);
}

// One bone record without its children; appends the bone and gives back
// its child count.
bool readBone(TokenReader& in, Skeleton& skeleton, int parent, int& childCount)
{
    TokenReader::Scope scope(in, "bone", static_cast<long>(skeleton.bones.size()));
    Bone bone;
    Vector3 axis, reference, offset;
    if (!in.readDouble(bone.length) || !readVector(in, axis) || !readVector(in, reference) ||
        !readVector(in, offset) || !in.readDouble(bone.minAngle) || !in.readDouble(bone.maxAngle) ||
        !in.readCount(childCount, tokensPerBone)) {
        return false;
    }
    bone.parent = parent;
    bone.localMatrix = boneFrame(axis, reference, offset);
    skeleton.bones.push_back(bone);
    return true;
}

// The bone tree, depth first, without recursion: the stack holds the bones
// whose children are still being read, so its height is the nesting depth.
bool readBones(TokenReader& in, Skeleton& skeleton)
{
    struct Open {
        int bone;
        int childrenLeft;
    };
    std::vector<Open> open;
    int childCount = 0;
    if (!readBone(in, skeleton, -1, childCount)) return false;
    if (childCount > 0) open.push_back({0, childCount});
    while (!open.empty()) {
        if (open.back().childrenLeft == 0) {
            open.pop_back();
            continue;
        }
        --open.back().childrenLeft;
        const int parent = open.back().bone;
        if (static_cast<int>(open.size()) >= maximumBoneDepth) {
            in.fail("bones nested at most " + std::to_string(maximumBoneDepth) + " deep");
            return false;
        }
        if (static_cast<int>(skeleton.bones.size()) >= maximumBoneCount) {
            in.fail("at most " + std::to_string(maximumBoneCount) + " bones");
            return false;
        }
        if (!readBone(in, skeleton, parent, childCount)) return false;
        const int index = static_cast<int>(skeleton.bones.size()) - 1;
        if (childCount > 0) open.push_back({index, childCount});
    }
    return true;
}

bool readChannel(TokenReader& in, AnimationChannel& channel)
{
    TokenReader::Scope scope(in, "channel", channel.boneIndex);
    int keyCount = 0;
    if (!in.readCount(keyCount, tokensPerKey)) return false;
    if (keyCount == 0) {
        in.fail("a channel with at least one key");
        return false;
    }
    channel.keys.reserve(static_cast<std::size_t>(keyCount));
    for (int k = 0; k < keyCount; ++k) {
        AnimationKey key;
        if (!in.readDouble(key.time) || !in.readDouble(key.value)) return false;
        // Equal times are allowed: a step from one value to the next.
        if (!channel.keys.empty() && key.time < channel.keys.back().time) {
            in.fail("keys in ascending time order");
            return false;
        }
        channel.keys.push_back(key);
    }
    if (channel.keys.back().time <= 0.0) {
        in.fail("a last key after time 0 (the channel's period)");
        return false;
    }
    return true;
}

bool readChannels(TokenReader& in, Skeleton& skeleton)
{
    int count = 0;
    {
        TokenReader::Scope scope(in, "channel count");
        if (!in.readCount(count, fewestTokensPerChannel)) return false;
        if (count > static_cast<int>(skeleton.bones.size())) {
            in.fail("at most one channel per bone");
            return false;
        }
    }
    skeleton.channels.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        AnimationChannel& channel = skeleton.channels[static_cast<std::size_t>(i)];
        channel.boneIndex = i;
        if (!readChannel(in, channel)) return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<Skeleton> readSkeleton(TokenReader& in)
{
    auto skeleton = std::make_unique<Skeleton>();
    if (!readBones(in, *skeleton) || !readChannels(in, *skeleton)) return nullptr;
    return skeleton;
}

std::unique_ptr<Skeleton> loadSkeleton(const std::string& path)
{
    std::optional<TokenReader> in = TokenReader::fromFile(platform::resolvePath(path));
    std::unique_ptr<Skeleton> skeleton = in ? readSkeleton(*in) : nullptr;
    if (!skeleton) platform::showError(skeletonErrorMessage);
    return skeleton;
}
