#include "state/KeyState.h"

namespace {
// freeglut's special-key codes for the modifier keys.
constexpr int keyControlLeft = 0x72;
constexpr int keyControlRight = 0x73;
constexpr int keyAltLeft = 0x74;
constexpr int keyAltRight = 0x75;
}  // namespace

void KeyState::setKey(int code, bool down, int table)
{
    if (code < 0 || code > 255) return;
    if (table == characterTable) characters[static_cast<std::size_t>(code)] = down;
    else if (table == specialTable) special[static_cast<std::size_t>(code)] = down;
}

bool KeyState::isKeyDown(int code, int table) const
{
    if (code < 0 || code > 255) return false;
    if (table == characterTable) return characters[static_cast<std::size_t>(code)];
    if (table == specialTable) return special[static_cast<std::size_t>(code)];
    return false;
}

bool isKeyPressedNow(const KeyState& keys, int virtualKey)
{
    if (virtualKey == virtualKeyControl) {
        return keys.special[keyControlLeft] || keys.special[keyControlRight];
    }
    if (virtualKey == virtualKeyAlt) {
        return keys.special[keyAltLeft] || keys.special[keyAltRight];
    }
    return false;
}
