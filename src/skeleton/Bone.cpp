#include "skeleton/Bone.h"

#include "skeleton/AnimationChannel.h"

#include <algorithm>

namespace {

constexpr double shortestAxis = 0.00001;

Vector3 normalised(const Vector3& v)
{
    const double length = v.length();
    return length > shortestAxis ? v / length : v;
}

}  // namespace

void Bone::applyChannel(const AnimationChannel& channel, double seconds)
{
    if (!channel.playable()) return;
    blend = std::clamp(channel.valueAt(seconds), 0.0, 1.0);
}

Matrix4 boneFrame(const Vector3& axis, const Vector3& reference, const Vector3& offset)
{
    const Vector3 x = normalised(axis);
    const Vector3 z = normalised(x.cross(reference));
    const Vector3 y = normalised(z.cross(x));
    Matrix4 frame;
    frame.m = {x.x, x.y, x.z, 0.0, y.x, y.y, y.z, 0.0, z.x, z.y, z.z, 0.0, 0.0, 0.0, 0.0, 1.0};
    frame.postTranslate(offset);
    return frame;
}
