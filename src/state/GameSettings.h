#pragma once

#include "state/PressLatch.h"

// The in-game toggles, each with its key and start value.
struct GameSettings {
    bool texturing = true;        // T
    bool collision = true;        // C
    bool showFps = true;          // F
    bool gravity = true;          // G
    bool mipmapping = true;       // I
    bool crosshair = true;        // X
    bool dynamicLighting = true;  // Y
    bool wireframe = false;       // L
    bool fullScreen = false;      // F2
    bool bspView = false;         // B
    bool mouseControl = false;    // M
    bool cloudShadows = false;    // U
    bool sound = true;            // V: on or muted, kept across worlds
    unsigned togglePresses = 0;   // toggle keys pressed so far, each heard as a tick
    bool leftButtonDown = false;  // left mouse button held
    PressLatch leftButtonLatch;   // a click between two frames still fires
};
