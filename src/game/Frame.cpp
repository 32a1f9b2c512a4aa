#include "game/Frame.h"

#include "platform/Platform.h"
#include "state/ProgramState.h"

FrameContext frameContext(ProgramState& state, World& world, Rider* rider)
{
    return FrameContext{
        .timeStep = state.clock.timeStep,
        .frameMilliseconds = state.clock.frameMilliseconds,
        .wallMilliseconds = platform::current().milliseconds(),
        .settings = state.settings,
        .camera = state.camera,
        .keys = state.keys,
        .world = world,
        .rider = rider,
    };
}
