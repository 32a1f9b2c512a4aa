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

void KeyState::press(int code, int table)
{
    if (code < 0 || code > 255) return;
    const auto k = static_cast<std::size_t>(code);
    if (table == characterTable) characterLatches_[k].press(characters[k]);
    else if (table == specialTable) specialLatches_[k].press(special[k]);
}

void KeyState::release(int code, int table)
{
    if (code < 0 || code > 255) return;
    const auto k = static_cast<std::size_t>(code);
    if (table == characterTable) characterLatches_[k].release(characters[k]);
    else if (table == specialTable) specialLatches_[k].release(special[k]);
}

void KeyState::polled()
{
    for (std::size_t k = 0; k < characters.size(); ++k) {
        characterLatches_[k].polled(characters[k]);
        specialLatches_[k].polled(special[k]);
    }
}
