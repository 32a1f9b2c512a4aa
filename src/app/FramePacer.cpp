#include "app/FramePacer.h"

#include "platform/Platform.h"
#include "state/FrameClock.h"

bool waitForNextFrame(FrameClock& clock, platform::Platform& platform)
{
    if (!platform.mayStartFrame(clock.nextFrameDeadline())) return false;
    std::uint64_t now = platform.milliseconds();
    // Sleeping rather than spinning; the loop only guards a sleep cut short.
    while (now < clock.nextFrameDeadline()) {
        platform.sleepUntil(clock.nextFrameDeadline());
        now = platform.milliseconds();
    }
    clock.advance(now);
    return true;
}

void startFrameClock(FrameClock& clock, platform::Platform& platform)
{
    clock.lastFrameTime = platform.milliseconds();
    clock.framesPerSecond = 0.0;
    clock.frameMilliseconds = 0;
    clock.timeStep = 1.0;
}
