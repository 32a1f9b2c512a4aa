#pragma once

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
    void clear()
    {
        characters.fill(false);
        special.fill(false);
    }
};
