#pragma once

#include "state/AmbientLight.h"
#include "state/Camera.h"
#include "state/FrameClock.h"
#include "state/GameSettings.h"
#include "state/KeyState.h"

struct WindowSize {
    int width = 800;
    int height = 600;
};

// The program-wide records every subsystem reads. Input handlers and the
// clock write them, the player update writes the camera; all else reads.
struct ProgramState {
    GameSettings settings;
    KeyState keys;
    FrameClock clock;
    Camera camera;
    AmbientLight ambientLight;
    WindowSize window;
};

// The frame's update has read the keys and the left button (or, with no
// world, had nothing to read them for): presses released meanwhile end.
void inputPolled(ProgramState& state);

// The one instance.
ProgramState& programState();
// Back to start values (tests).
void resetProgramState();
