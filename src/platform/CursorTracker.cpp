#include "platform/CursorTracker.h"

namespace platform {

namespace {
bool same(const CursorPosition& a, int x, int y) { return a.x == x && a.y == y; }
}  // namespace

bool CursorTracker::warp(int x, int y)
{
    if (same(position_, x, y)) return false;
    position_ = {x, y};
    if (echoCount_ == echoSlots) {
        // Forget the oldest: an echo that late is not coming.
        for (std::size_t i = 1; i < echoSlots; ++i) echoes_[i - 1] = echoes_[i];
        --echoCount_;
    }
    echoes_[echoCount_++] = {x, y};
    return true;
}

void CursorTracker::motion(int x, int y)
{
    for (std::size_t i = 0; i < echoCount_; ++i) {
        if (same(echoes_[i], x, y)) {
            // Echoes arrive in order: this one and every older one are done.
            const std::size_t done = i + 1;
            for (std::size_t k = done; k < echoCount_; ++k) echoes_[k - done] = echoes_[k];
            echoCount_ -= done;
            return;
        }
    }
    position_ = {x, y};
}

}  // namespace platform
