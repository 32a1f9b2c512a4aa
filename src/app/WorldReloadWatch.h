#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {
class Platform;
}

// Decides when the current world file is worth loading again. A change
// reported by the platform starts a wait; every further change, or a size
// or time stamp that moved meanwhile, starts it again, so a burst of writes
// or a slow writer ends in one load once the file has stood still. A
// version of the file (its contents) is offered once only: a half-written
// file that fails is not tried again until it changes, and its message is
// not shown twice.
class WorldReloadWatch {
public:
    // How long the file must stand still before it is loaded.
    static constexpr std::uint64_t settleMs = 500;

    // Watches `path` (absolute) from now; its contents now count as the
    // version already tried. An empty path watches nothing.
    void watch(const std::string& path, platform::Platform& os);
    const std::string& path() const { return path_; }

    // Off: changes wait. On again: whatever changed meanwhile is looked at.
    void setEnabled(bool on, platform::Platform& os);
    bool enabled() const { return enabled_; }

    // Called once a frame. True when a settled version that has not been
    // tried is there: the caller loads it now.
    bool poll(platform::Platform& os);

private:
    struct Stamp {
        std::uintmax_t size = 0;
        std::int64_t modified = 0;  // file time in the file system's ticks
        bool exists = false;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const std::string& path);
    // A digest of the file's bytes; none when it cannot be read.
    static std::optional<std::uint64_t> versionOf(const std::string& path);
    void startWaiting(platform::Platform& os);

    std::string path_;
    bool enabled_ = true;
    bool waiting_ = false;
    std::uint64_t stillSinceMs_ = 0;
    Stamp stamp_;
    std::optional<std::uint64_t> triedVersion_;
};
