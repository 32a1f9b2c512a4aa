#include "skeleton/Skeleton.h"

void Skeleton::animate(double seconds)
{
    applyChannels(seconds);
    pose();
}

void Skeleton::applyChannels(double seconds)
{
    for (const AnimationChannel& channel : channels) {
        if (channel.boneIndex < 0 || channel.boneIndex >= static_cast<int>(bones.size())) continue;
        bones[static_cast<std::size_t>(channel.boneIndex)].applyChannel(channel, seconds);
    }
}

void Skeleton::pose()
{
    for (std::size_t i = 0; i < bones.size(); ++i) {
        Bone& bone = bones[i];
        // The reader puts every parent before its child; anything else is a root.
        const bool hasParent = bone.parent >= 0 && static_cast<std::size_t>(bone.parent) < i;
        Matrix4 frame = bone.localMatrix;
        if (hasParent) frame = bones[static_cast<std::size_t>(bone.parent)].poseMatrix * frame;
        const double angle = bone.hingeAngle();
        if (angle != 0.0) frame = frame * Matrix4::rotation(angle, 1.0, 0.0, 0.0);
        bone.poseMatrix = frame;
    }
}
