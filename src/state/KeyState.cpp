#include "state/KeyState.h"

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
