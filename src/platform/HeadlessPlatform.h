#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <deque>
#include <iosfwd>
#include <string>
#include <vector>

namespace platform {

// A platform with no display and no user, for the tests, the tools, the
// fuzz harnesses and the benchmarks. Message boxes are recorded (and, for a
// console, printed one per line); file dialogs answer from a script; the
// clock moves only when told or slept on; the cursor and the modifier keys
// are whatever the owner sets; the watched file changes when the owner
// reports it.
class HeadlessPlatform : public Platform {
public:
    struct Message {
        std::string caption;
        std::string text;
    };

    // Tests read back what happened; a long run (a fuzzer, a tool) keeps
    // only the counts, so its memory does not grow with every message.
    enum class History { kept, countsOnly };

    explicit HeadlessPlatform(History history = History::kept, std::ostream* console = nullptr)
        : history_(history),
          console_(console)
    {}

    void showMessageBox(const std::string& caption, const std::string& text) override;
    std::optional<std::string> chooseFile(const std::string& startFolder,
                                          const std::string& pattern) override;
    std::uint64_t milliseconds() override { return now; }
    void sleepUntil(std::uint64_t deadlineMs) override
    {
        if (deadlineMs > now) now = deadlineMs;
    }
    void setCursorVisible(bool visible) override { cursorVisible = visible; }
    void warpCursor(int x, int y) override;
    CursorPosition cursorPosition() override { return cursor; }
    bool isModifierDown(ModifierKey key) override
    {
        return key == ModifierKey::control ? controlDown : altDown;
    }
    std::uint64_t inputInterruptions() override { return interruptions; }
    void watchFile(const std::string& path) override { watchedFile = path; }
    bool watchedFileChanged() override;
    // What the watch would report after the watched file was written.
    void reportFileChange() { fileChangePending = true; }

    // The line a console shows for a message box: "caption: text", without
    // the padding and leading line breaks meant for a box.
    static std::string consoleLine(const std::string& caption, const std::string& text);

    // Kept history only.
    std::vector<Message> messages;
    std::vector<std::string> dialogStartFolders;
    std::vector<std::string> dialogPatterns;
    std::vector<CursorPosition> warps;

    std::deque<std::optional<std::string>> fileChoices;  // none = cancelled
    std::uint64_t now = 0;
    bool cursorVisible = true;
    CursorPosition cursor;
    bool controlDown = false;
    bool altDown = false;
    std::uint64_t interruptions = 0;  // message boxes and dialogs shown
    std::string watchedFile;          // empty: nothing watched
    bool fileChangePending = false;

private:
    History history_;
    std::ostream* console_;
};

}  // namespace platform
