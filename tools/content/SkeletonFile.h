#pragma once

#include <string>

namespace tools {

// "test.skl": a humanoid (hips, spine, neck, head, arms with elbows, legs
// with knees; 16 bones) with a one-second walk cycle, one channel per bone
// in pre-order. The skeleton's origin is drawn 1.2 above the player's body
// point, which itself stands 0.3 above the ground, so the feet reach down
// 1.5 to the ground. Forward is -z, up +y, right +x.
std::string humanoidSkeletonText();

}  // namespace tools
