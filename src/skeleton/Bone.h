#pragma once

#include "math/Matrix4.h"
#include "math/Vector3.h"

struct AnimationChannel;

// A hinge that swings about its own x axis between two angles. Bones live
// in the skeleton's list in pre-order and name their parent by index.
struct Bone {
    double length = 0.0;    // drawn from the origin to (0, 0, length); 0 draws a point
    int parent = -1;        // index in the skeleton's bones, before this one; -1 for the root
    Matrix4 localMatrix;    // relative to the parent's posed frame
    Matrix4 poseMatrix;     // in skeleton space; identity until the first pose
    double minAngle = 0.0;  // degrees
    double maxAngle = 0.0;
    double blend = 0.0;  // 0..1 from minAngle to maxAngle

    double hingeAngle() const { return minAngle + (maxAngle - minAngle) * blend; }
    // The channel's value at the time, clamped to 0..1, becomes the blend.
    void applyChannel(const AnimationChannel& channel, double seconds);
};

// The frame a bone record describes: x along the hinge axis, z = x cross
// the reference direction, y = z cross x (each normalised unless shorter than
// 0.00001, so a reference parallel to the axis leaves a flat frame that is
// still used), then moved by the offset along those axes.
Matrix4 boneFrame(const Vector3& axis, const Vector3& reference, const Vector3& offset);
