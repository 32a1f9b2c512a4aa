#include "textures/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    file_.reset(fdopen(fd, "rb"));
    if (!file_) {
        ::close(fd);
        return;
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
}

bool FileBytes::read(std::uint64_t offset, void* destination, std::uint64_t count)
{
    if (!file_ || offset > size_ || count > size_ - offset) return false;
    if (count == 0) return true;
    if (fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET) != 0) return false;
    return std::fread(destination, 1, count, file_.get()) == count;
}
