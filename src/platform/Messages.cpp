#include "platform/Messages.h"

#include "platform/Platform.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace platform {

std::string formatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        out.assign(buffer.data(), static_cast<std::size_t>(needed));
    }
    va_end(args);
    return out;
}

void showMessage(const std::string& text) { current().showMessageBox(messageCaption, text); }

void showError(const std::string& text) { current().showMessageBox(errorCaption, text); }

}  // namespace platform
