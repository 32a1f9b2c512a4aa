#pragma once

#include <string>

namespace platform {

// Watches one file through inotify on its folder, so a file replaced by a
// rename (as editors and the world tool write) is seen as well as one
// written in place, created or removed. Never blocks.
class FileWatcher {
public:
    FileWatcher() = default;
    ~FileWatcher();
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    // Starts watching `path` (given as it would be opened); an empty path, or
    // one whose folder cannot be watched, watches nothing. Events from before
    // are dropped.
    void watch(const std::string& path);
    // Whether the file changed since the last call.
    bool changed();

private:
    void close();

    int descriptor_ = -1;
    std::string name_;  // the file's name within the watched folder
};

}  // namespace platform
