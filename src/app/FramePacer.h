#pragma once

struct FrameClock;
namespace platform {
class Platform;
}

// Waits until at least 25 ms have passed since the last frame (so the game
// runs at no more than 40 frames a second), then records the frame: frame
// milliseconds, frames per second and the time step. False, with nothing
// recorded, when the platform cannot wait now (see Platform::mayStartFrame).
bool waitForNextFrame(FrameClock& clock, platform::Platform& platform);

// The clock at start-up: the last frame is now, no rate yet, a unit step.
void startFrameClock(FrameClock& clock, platform::Platform& platform);
