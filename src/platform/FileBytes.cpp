#include "platform/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

FileBytes::FileBytes(const std::string& path)
{
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may
    // never come; reads from a regular file are unaffected by the flag.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info {};
    // Only regular files: a folder, a pipe or a device has no size to check against.
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(info.st_size);
}

FileBytes::~FileBytes()
{
    if (fd_ >= 0) ::close(fd_);
}

bool FileBytes::read(std::uint64_t offset, void* destination, std::uint64_t count)
{
    if (fd_ < 0 || offset > size_ || count > size_ - offset) return false;
    auto* out = static_cast<unsigned char*>(destination);
    // A read may return less than asked (a signal, a very large request):
    // go on from where it stopped. The end of the file before the count,
    // or an error, fails the whole read.
    while (count > 0) {
        const ssize_t got = ::pread(fd_, out, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        offset += static_cast<std::uint64_t>(got);
        count -= static_cast<std::uint64_t>(got);
    }
    return true;
}
