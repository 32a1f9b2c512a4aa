#pragma once

#include "state/PressLatch.h"

#include <array>

// Held keys, polled by the per-frame update. Table 1 is indexed by the
// character GLUT delivers, table 2 by GLUT's special-key code.
struct KeyState {
    static constexpr int characterTable = 1;
    static constexpr int specialTable = 2;

    std::array<bool, 256> characters{};
    std::array<bool, 256> special{};

    void setKey(int code, bool down, int table);
    bool isKeyDown(int code, int table) const;

    // The keyboard's own presses and releases. A key released before any
    // update has polled its press stays down until one has (see PressLatch).
    void press(int code, int table);
    void release(int code, int table);
    // Called once an update has polled the tables.
    void polled();

    void clear()
    {
        characters.fill(false);
        special.fill(false);
        characterLatches_.fill({});
        specialLatches_.fill({});
    }

private:
    std::array<PressLatch, 256> characterLatches_{};
    std::array<PressLatch, 256> specialLatches_{};
};
