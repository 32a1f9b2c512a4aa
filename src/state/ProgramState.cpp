#include "state/ProgramState.h"

namespace {
ProgramState instance;
}

ProgramState& programState() { return instance; }

void resetProgramState() { instance = ProgramState{}; }

void inputPolled(ProgramState& state)
{
    state.keys.polled();
    state.settings.leftButtonLatch.polled(state.settings.leftButtonDown);
}
