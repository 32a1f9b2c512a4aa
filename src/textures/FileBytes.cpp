#include "textures/FileBytes.h"

#include <sys/stat.h>

FileBytes::FileBytes(const std::string& path) : file_(std::fopen(path.c_str(), "rb"))
{
    if (!file_) return;
    struct stat info {};
    // Only regular files: a folder or a device has no size to check against.
    if (fstat(fileno(file_.get()), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        file_.reset();
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
