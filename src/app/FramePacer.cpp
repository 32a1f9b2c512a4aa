#include "app/FramePacer.h"

#include "platform/Platform.h"
#include "state/FrameClock.h"

void waitForNextFrame(FrameClock& clock, platform::Platform& platform)
{
    std::uint64_t now = platform.milliseconds();
    // Sleeping rather than spinning; the loop only guards a sleep cut short.
    while (now < clock.nextFrameDeadline()) {
        platform.sleepUntil(clock.nextFrameDeadline());
        now = platform.milliseconds();
    }
    clock.advance(now);
}

void startFrameClock(FrameClock& clock, platform::Platform& platform)
{
    clock.lastFrameTime = platform.milliseconds();
    clock.framesPerSecond = 0.0;
    clock.frameMilliseconds = 0;
    clock.timeStep = 1.0;
}
