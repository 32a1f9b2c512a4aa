#pragma once

#include "skeleton/AnimationChannel.h"
#include "skeleton/Bone.h"

#include <vector>

// The player's body: bones in pre-order (every parent before its children,
// children in file order) and one channel per bone from the first. Nothing
// is carried from frame to frame, so a pose depends only on the file and
// the time it is taken at.
class Skeleton {
public:
    std::vector<Bone> bones;                 // never empty once read; bones[0] is the root
    std::vector<AnimationChannel> channels;  // channel i animates bones[i]; at most one per bone

    const Bone& root() const { return bones.front(); }
    int channelCount() const { return static_cast<int>(channels.size()); }

    // The channels at the time, then the pose.
    void animate(double seconds);
    // Every animated bone's blend from its channel; bones without one keep theirs.
    void applyChannels(double seconds);
    // Every bone's poseMatrix: parent's pose * local * Rx(hinge angle), the
    // root's parent being the skeleton's own frame. One pass, since parents
    // come first.
    void pose();

    // Lines from each bone's origin to its tip (points for length 0),
    // untextured, leaving texturing as it was; the caller places the
    // skeleton and picks the colour.
    void draw() const;
};
