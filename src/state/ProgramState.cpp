#include "state/ProgramState.h"

namespace {
ProgramState instance;
}

ProgramState& programState() { return instance; }

void resetProgramState() { instance = ProgramState{}; }
