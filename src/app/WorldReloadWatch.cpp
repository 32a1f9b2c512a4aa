#include "app/WorldReloadWatch.h"

#include "platform/Platform.h"

#include <filesystem>
#include <fstream>
#include <system_error>

void WorldReloadWatch::watch(const std::string& path, platform::Platform& os)
{
    path_ = path;
    waiting_ = false;
    os.watchFile(path);
    triedVersion_ = path.empty() ? std::nullopt : versionOf(path);
}

void WorldReloadWatch::setEnabled(bool on, platform::Platform& os)
{
    if (on && !enabled_ && !path_.empty()) startWaiting(os);
    enabled_ = on;
}

void WorldReloadWatch::startWaiting(platform::Platform& os)
{
    waiting_ = true;
    stillSinceMs_ = os.milliseconds();
    stamp_ = stampOf(path_);
}

bool WorldReloadWatch::poll(platform::Platform& os)
{
    if (!enabled_ || path_.empty()) return false;
    if (os.watchedFileChanged()) startWaiting(os);
    if (!waiting_) return false;

    // A change the events did not show (or showed before it was complete)
    // still restarts the wait.
    const Stamp now = stampOf(path_);
    if (!(now == stamp_)) {
        startWaiting(os);
        return false;
    }
    if (os.milliseconds() - stillSinceMs_ < settleMs) return false;
    waiting_ = false;

    // Gone (or not there yet): wait for the event that brings it back.
    if (!now.exists) return false;
    const std::optional<std::uint64_t> version = versionOf(path_);
    if (!version || version == triedVersion_) return false;
    triedVersion_ = version;
    return true;
}

WorldReloadWatch::Stamp WorldReloadWatch::stampOf(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    Stamp stamp;
    stamp.size = fs::file_size(path, ec);
    if (ec) return {};
    const fs::file_time_type modified = fs::last_write_time(path, ec);
    if (ec) return {};
    stamp.modified = modified.time_since_epoch().count();
    stamp.exists = true;
    return stamp;
}

std::optional<std::uint64_t> WorldReloadWatch::versionOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    // FNV-1a over the bytes: a change anywhere gives another version.
    std::uint64_t hash = 14695981039346656037ull;
    char buffer[65536];
    while (in) {
        in.read(buffer, sizeof buffer);
        const std::streamsize got = in.gcount();
        for (std::streamsize i = 0; i < got; ++i) {
            hash ^= static_cast<unsigned char>(buffer[i]);
            hash *= 1099511628211ull;
        }
    }
    if (in.bad()) return std::nullopt;
    return hash;
}
