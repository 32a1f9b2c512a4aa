#pragma once

#include <vector>

// One time-stamped value of a channel: seconds and a blend value.
struct AnimationKey {
    double time = 0.0;
    double value = 0.0;
};

// The keys that drive one bone's hinge. The reader only lets through
// channels with at least one key, times in ascending order and a last key
// after time 0, which is the channel's period.
struct AnimationChannel {
    int boneIndex = 0;  // the animated bone, always the channel's own position
    std::vector<AnimationKey> keys;

    int keyCount() const { return static_cast<int>(keys.size()); }
    // Has keys and a period; a channel without one is left alone.
    bool playable() const;
    // The value at a time, looping with the period: exact at a key, linear
    // between two, the first key's value before a first key after 0. Not
    // clamped. Negative times loop backwards from the period.
    double valueAt(double seconds) const;
};
