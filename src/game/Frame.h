#pragma once

#include "world/FrameContext.h"

class World;
struct ProgramState;

// This frame's context for the world's entities: the clock, the settings,
// the camera and the keys of the program state, the wall clock now, the
// current world and, when the player takes part, its rider record.
FrameContext frameContext(ProgramState& state, World& world, Rider* rider);
