#pragma once

#include "platform/Platform.h"

#include <array>

namespace platform {

// Follows the pointer from motion events. A warp moves the pointer at once,
// but the motion event it causes arrives later, possibly after a real move
// or after a newer warp (the window was resized): such a stale echo must
// not overwrite where the pointer really is, or mouse look loses the move.
class CursorTracker {
public:
    CursorPosition position() const { return position_; }

    // Records a warp; false when the pointer is already there and no warp
    // (and so no echo) is needed.
    bool warp(int x, int y);
    // A motion event from the window system.
    void motion(int x, int y);

private:
    static constexpr std::size_t echoSlots = 4;

    CursorPosition position_;
    std::array<CursorPosition, echoSlots> echoes_{};
    std::size_t echoCount_ = 0;  // oldest first
};

}  // namespace platform
