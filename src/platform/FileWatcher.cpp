#include "platform/FileWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace platform {

namespace {

// Everything by which the file's contents can change or the name can come
// to stand for another file. Reads (open, access, close after reading) are
// left out: the game's own loads must not look like changes.
constexpr std::uint32_t changeEvents =
    IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ATTRIB;

}  // namespace

FileWatcher::~FileWatcher() { close(); }

void FileWatcher::close()
{
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
    name_.clear();
}

void FileWatcher::watch(const std::string& path)
{
    close();
    if (path.empty()) return;
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path file = fs::absolute(fs::path(path), ec);
    if (ec || !file.has_filename()) return;

    descriptor_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor_ < 0) return;
    // The folder, not the file: a rename over the file replaces the inode
    // that a watch on the file itself would follow.
    if (inotify_add_watch(descriptor_, file.parent_path().c_str(), changeEvents) < 0) {
        close();
        return;
    }
    name_ = file.filename().string();
}

bool FileWatcher::changed()
{
    if (descriptor_ < 0) return false;
    bool seen = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t length = ::read(descriptor_, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR) continue;
        if (length <= 0) break;  // EAGAIN: nothing more queued
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            // Overflowed queue: anything may have happened.
            if (event->mask & IN_Q_OVERFLOW) seen = true;
            if (event->len > 0 && name_ == event->name) seen = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return seen;
}

}  // namespace platform
