#pragma once

#include <cstdint>
#include <functional>

class Placement;
struct Vector3;
class Object;
class World;
struct Camera;
struct FrameContext;
struct GameSettings;
struct KeyState;

// The part of the player an entity may move: a vehicle boards its rider and
// sets it down again. The player owns what these point at and hands the
// record over with each frame; entities never see the player itself.
struct Rider {
    Placement* placement = nullptr;  // the body's
    Object** vehicle = nullptr;      // what the player drives, or none
    // Moves the rider by a step in its own axes, traced as its own moves
    // are, so it stops short of whatever stands in the way.
    std::function<void(const Vector3& step, const FrameContext& frame)> setDown;
};

// Everything an entity's update or draw reads, handed in by the frame that
// runs it, so nothing below the game reaches for program-wide state.
struct FrameContext {
    double timeStep = 1.0;               // the unit of every speed
    int frameMilliseconds = 0;           // what timers count
    std::uint64_t wallMilliseconds = 0;  // the wall clock, for what must not follow the frame rate
    const GameSettings& settings;
    const Camera& camera;
    KeyState& keys;
    World& world;
    Rider* rider = nullptr;  // none when no player takes part (tools, tests)
};
