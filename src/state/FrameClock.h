#pragma once

#include <cstdint>

// The frame clock. timeStep is the unit of every speed in the game:
// 1.0 stands for 62.5 ms of play.
struct FrameClock {
    static constexpr int minimumFrameMs = 25;  // at most 40 frames a second
    static constexpr int clampAboveMs = 100;

    std::uint64_t lastFrameTime = 0;
    int frameMilliseconds = 0;
    double framesPerSecond = 0.0;
    double timeStep = 1.0;

    // When the next frame may start.
    std::uint64_t nextFrameDeadline() const { return lastFrameTime + minimumFrameMs; }
    // Records a frame that ends at `now` (at least 25 ms after the last one).
    void advance(std::uint64_t now);
};
