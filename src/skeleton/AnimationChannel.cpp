#include "skeleton/AnimationChannel.h"

#include <algorithm>
#include <cmath>

bool AnimationChannel::playable() const { return !keys.empty() && keys.back().time > 0.0; }

double AnimationChannel::valueAt(double seconds) const
{
    if (!playable() || !std::isfinite(seconds)) return keys.empty() ? 0.0 : keys.front().value;
    const double period = keys.back().time;
    double x = std::fmod(seconds, period);
    if (x < 0.0) x += period;
    // The first key at or after x; the last key (the period) is always past x.
    const auto next = std::lower_bound(keys.begin(), keys.end(), x,
                                       [](const AnimationKey& k, double t) { return k.time < t; });
    if (next == keys.end()) return keys.back().value;
    // Exact at a key; before a first key after 0 there is nothing to blend
    // from, so the first key's value holds.
    if (next->time == x || next == keys.begin()) return next->value;
    const AnimationKey& previous = *(next - 1);
    // previous.time < x < next->time here, so the span is never zero.
    const double share = (x - previous.time) / (next->time - previous.time);
    return previous.value + share * (next->value - previous.value);
}
