#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

// A named pipe that nobody writes to. Opening it for reading the ordinary
// way waits for a writer forever; should a reader still be inside after two
// seconds, the watch notes it and opens the writing end to let it go, so a
// faulty reader fails its test instead of hanging the run.
class NamedPipeWatch {
public:
    explicit NamedPipeWatch(const std::string& path) : path_(path)
    {
        created_ = ::mkfifo(path.c_str(), 0600) == 0;
        watcher_ = std::thread([this] { watch(); });
    }
    ~NamedPipeWatch()
    {
        finished();
        watcher_.join();
    }
    NamedPipeWatch(const NamedPipeWatch&) = delete;
    NamedPipeWatch& operator=(const NamedPipeWatch&) = delete;

    bool created() const { return created_; }
    // Call when the reads under test have returned.
    void finished() { done_ = true; }
    bool readerWasStuck() const { return stuck_; }

private:
    void watch()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!done_ && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (done_) return;
        stuck_ = true;
        // Succeeds only while a reader has the pipe open; that releases it.
        while (!done_) {
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    std::string path_;
    bool created_ = false;
    std::atomic<bool> done_{false};
    std::atomic<bool> stuck_{false};
    std::thread watcher_;
};
