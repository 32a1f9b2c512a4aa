#include "platform/HeadlessPlatform.h"

#include <ostream>

namespace platform {

void HeadlessPlatform::showMessageBox(const std::string& caption, const std::string& text)
{
    ++interruptions;
    if (history_ == History::kept) messages.push_back({caption, text});
    if (console_) *console_ << consoleLine(caption, text) << "\n";
}

std::optional<std::string> HeadlessPlatform::chooseFile(const std::string& startFolder,
                                                        const std::string& pattern)
{
    ++interruptions;
    if (history_ == History::kept) {
        dialogStartFolders.push_back(startFolder);
        dialogPatterns.push_back(pattern);
    }
    if (fileChoices.empty()) return std::nullopt;
    auto choice = std::move(fileChoices.front());
    fileChoices.pop_front();
    return choice;
}

void HeadlessPlatform::warpCursor(int x, int y)
{
    cursor = {x, y};
    if (history_ == History::kept) warps.push_back(cursor);
}

bool HeadlessPlatform::watchedFileChanged()
{
    const bool changed = fileChangePending;
    fileChangePending = false;
    return changed;
}

std::string HeadlessPlatform::consoleLine(const std::string& caption, const std::string& text)
{
    // Captions are padded for the box's title bar; some texts start with a
    // line break to stand apart from the caption (the power-of-two warning).
    std::string line;
    const auto first = caption.find_first_not_of(' ');
    if (first != std::string::npos)
        line = caption.substr(first, caption.find_last_not_of(' ') - first + 1);
    line += ": ";
    const auto body = text.find_first_not_of('\n');
    if (body != std::string::npos) line.append(text, body);
    return line;
}

}  // namespace platform
