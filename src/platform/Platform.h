#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// What a frame left to see, for a platform that shows it beside the game
// (the browser page's status line, which its tests read). Plain numbers.
struct FrameReport {
    std::uint64_t framesDrawn = 0;
    double framesPerSecond = 0.0;
    double cameraX = 0.0, cameraY = 0.0, cameraZ = 0.0;
    bool worldLoaded = false;
    int rocketState = -1;  // the rocket's state value (flying, exploded, ready); -1: none yet
    int burstParticles = 0;
};

struct CursorPosition {
    int x = 0;
    int y = 0;
};

enum class ModifierKey { control, alt };

// Every operating-system service the engine uses. The game installs the
// Linux implementation; tests install a fake that records messages, scripts
// file choices and drives the clock by hand.
class Platform {
public:
    virtual ~Platform() = default;

    // A modal box with a caption, a text and one OK button; returns when closed.
    virtual void showMessageBox(const std::string& caption, const std::string& text) = 0;
    // The file-open dialog: starts in startFolder, shows files matching pattern
    // (for example "*.wrl"). Returns the chosen absolute path, or none.
    virtual std::optional<std::string> chooseFile(const std::string& startFolder,
                                                  const std::string& pattern) = 0;

    // Milliseconds since program start; never negative, never wraps.
    virtual std::uint64_t milliseconds() = 0;
    // Sleeps until milliseconds() reaches the deadline.
    virtual void sleepUntil(std::uint64_t deadlineMs) = 0;
    // Whether the frame due at deadlineMs may start now. A platform that can
    // sleep says yes and the pacer sleeps to the deadline; one whose thread
    // must never block (the browser) says no before the deadline or while a
    // modal box is up, and its idle callback comes back a moment later.
    virtual bool mayStartFrame(std::uint64_t deadlineMs)
    {
        (void)deadlineMs;
        return true;
    }

    virtual void setCursorVisible(bool visible) = 0;
    // Moves the cursor to a point in window coordinates.
    virtual void warpCursor(int x, int y) = 0;
    // The pointer in window coordinates, read at this moment; it may lie
    // outside the window, so a fast move past the edge is not cut short.
    virtual CursorPosition cursorPosition() = 0;

    // Whether a modifier is held at this moment, read from the keyboard
    // itself: a table of key events goes stale when a release is missed.
    virtual bool isModifierDown(ModifierKey key) = 0;
    // Counts the times the window may have missed key releases (a modal
    // box or dialog ran, or the window lost the keyboard focus). Held-key
    // tables kept from events are cleared when it changes.
    virtual std::uint64_t inputInterruptions() = 0;

    // A world the user chose outside the game's own dialog (the browser's
    // in-page picker): the game opens it in place of the current one, which
    // keeps playing if it fails to load. None on a desktop.
    virtual std::optional<std::string> requestedWorld() { return std::nullopt; }
    // Called after each frame is drawn; a desktop shows nothing of it.
    virtual void reportFrame(const FrameReport&) {}

    // Watches one file for changes: written in place, replaced by a rename,
    // created or removed. An empty path stops watching. Replaces any earlier
    // watch. A platform that cannot watch (the tools' console) never
    // reports a change.
    virtual void watchFile(const std::string&) {}
    // Whether the watched file changed since the last call; never blocks.
    virtual bool watchedFileChanged() { return false; }
};

// The installed platform. Before any install it is the Linux one.
Platform& current();
// Installs a platform (not owned); nullptr restores the Linux one.
void install(Platform* platform);

}  // namespace platform
