#include "state/FrameClock.h"

void FrameClock::advance(std::uint64_t now)
{
    const std::uint64_t elapsed = now > lastFrameTime ? now - lastFrameTime : 0;
    // A stall of days would not fit an int; any such frame is clamped anyway.
    frameMilliseconds = elapsed > 1000000000u ? 1000000000 : static_cast<int>(elapsed);
    framesPerSecond = frameMilliseconds > 0 ? 1000.0 / frameMilliseconds : 0.0;
    timeStep = frameMilliseconds > clampAboveMs ? 1.6 : frameMilliseconds * 0.016;
    lastFrameTime = now;
}
