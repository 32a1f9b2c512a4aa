// The skeleton file reader on any text: refused with a located failure, or
// a skeleton whose tree and channels keep every promise the animation and
// the drawing rely on, and which animates without reading out of bounds.
#include "FuzzSupport.h"

#include "skeleton/SkeletonReader.h"
#include "text/TokenReader.h"

#include <cmath>
#include <limits>

namespace {

void checkTree(const Skeleton& skeleton)
{
    const auto& bones = skeleton.bones;
    if (bones.empty()) fuzz::broken("a skeleton without bones");
    if (bones.size() > static_cast<std::size_t>(maximumBoneCount)) fuzz::broken("too many bones");
    if (bones[0].parent != -1) fuzz::broken("the root has a parent");
    std::vector<int> depth(bones.size(), 0);
    for (std::size_t i = 1; i < bones.size(); ++i) {
        const int parent = bones[i].parent;
        // Pre-order: a parent comes before its children.
        if (parent < 0 || static_cast<std::size_t>(parent) >= i) fuzz::broken("a parent after");
        depth[i] = depth[static_cast<std::size_t>(parent)] + 1;
        if (depth[i] >= maximumBoneDepth) fuzz::broken("bones nested too deep");
    }
}

void checkChannels(const Skeleton& skeleton)
{
    if (skeleton.channels.size() > skeleton.bones.size()) fuzz::broken("more channels than bones");
    for (std::size_t i = 0; i < skeleton.channels.size(); ++i) {
        const AnimationChannel& channel = skeleton.channels[i];
        if (channel.boneIndex != static_cast<int>(i)) fuzz::broken("a channel on another bone");
        if (!channel.playable()) fuzz::broken("a channel without a period");
        for (std::size_t k = 1; k < channel.keys.size(); ++k) {
            if (channel.keys[k].time < channel.keys[k - 1].time) fuzz::broken("keys out of order");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::environment();
    TokenReader in(std::string(reinterpret_cast<const char*>(data), size));
    std::unique_ptr<Skeleton> skeleton = readSkeleton(in);
    if (!skeleton) {
        if (in.ok()) fuzz::broken("refused without a located failure");
        return 0;
    }
    if (!in.ok()) fuzz::broken("read whole, yet the reader failed");
    checkTree(*skeleton);
    checkChannels(*skeleton);
    // The wall clock of a session, and times no clock gives.
    for (double seconds :
         {0.0, 0.37, 1.0, 86400.25, -3.5, 1e300, std::numeric_limits<double>::quiet_NaN()}) {
        skeleton->animate(seconds);
        // A clock a session can show: every blend is a share of the hinge's range.
        if (std::fabs(seconds) > 1e9 || std::isnan(seconds)) continue;
        for (const Bone& bone : skeleton->bones) {
            if (!(bone.blend >= 0.0 && bone.blend <= 1.0)) fuzz::broken("a blend outside 0..1");
        }
    }
    return 0;
}
