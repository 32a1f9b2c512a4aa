#pragma once

#include "platform/Platform.h"

#include <deque>
#include <string>
#include <vector>

// Records messages, answers file dialogs from a script and keeps a clock
// that moves only when told; file-change events are reported when the test
// says so.
class FakePlatform : public platform::Platform {
public:
    struct Message {
        std::string caption;
        std::string text;
    };

    void showMessageBox(const std::string& caption, const std::string& text) override
    {
        messages.push_back({caption, text});
        ++interruptions;
    }
    std::optional<std::string> chooseFile(const std::string& startFolder,
                                          const std::string& pattern) override
    {
        dialogStartFolders.push_back(startFolder);
        dialogPatterns.push_back(pattern);
        ++interruptions;
        if (fileChoices.empty()) return std::nullopt;
        auto choice = fileChoices.front();
        fileChoices.pop_front();
        return choice;
    }
    std::uint64_t milliseconds() override { return now; }
    void sleepUntil(std::uint64_t deadlineMs) override
    {
        if (deadlineMs > now) now = deadlineMs;
    }
    void setCursorVisible(bool visible) override { cursorVisible = visible; }
    void warpCursor(int x, int y) override
    {
        cursor = {x, y};
        warps.push_back(cursor);
    }
    platform::CursorPosition cursorPosition() override { return cursor; }
    bool isModifierDown(platform::ModifierKey key) override
    {
        return key == platform::ModifierKey::control ? controlDown : altDown;
    }
    std::uint64_t inputInterruptions() override { return interruptions; }
    void watchFile(const std::string& path) override { watchedFile = path; }
    bool watchedFileChanged() override
    {
        const bool changed = fileChangePending;
        fileChangePending = false;
        return changed;
    }
    // What the watch would report after the watched file was written.
    void reportFileChange() { fileChangePending = true; }

    std::vector<Message> messages;
    std::deque<std::optional<std::string>> fileChoices;  // none = cancelled
    std::vector<std::string> dialogStartFolders;
    std::vector<std::string> dialogPatterns;
    std::uint64_t now = 0;
    bool cursorVisible = true;
    platform::CursorPosition cursor;
    std::vector<platform::CursorPosition> warps;
    bool controlDown = false;
    bool altDown = false;
    std::uint64_t interruptions = 0;
    std::string watchedFile;  // empty: nothing watched
    bool fileChangePending = false;
};
