#include "worldfile/StagedFiles.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include <unistd.h>

namespace tools {

namespace fs = std::filesystem;

namespace {

bool writeBytes(const fs::path& path, const char* data, std::size_t size, std::string& reason)
{
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out.write(data, static_cast<std::streamsize>(size));
    if (out) out.close();
    if (out) return true;
    reason = errno != 0 ? std::strerror(errno) : "write failed";
    return false;
}

}  // namespace

StagedFiles::~StagedFiles()
{
    std::error_code ec;
    for (const auto& file : staged_) {
        if (!file.temporary.empty()) fs::remove(file.temporary, ec);
    }
}

bool StagedFiles::stage(const fs::path& path, const char* data, std::size_t size,
                        std::string& problem)
{
    const fs::path temporary = path.string() + "." + std::to_string(::getpid()) + ".tmp";
    std::string reason;
    staged_.push_back({temporary, path});
    if (!writeBytes(temporary, data, size, reason)) {
        problem = path.string() + ": cannot be written: " + reason;
        return false;
    }
    return true;
}

bool StagedFiles::commit(std::string& problem)
{
    for (auto& file : staged_) {
        std::error_code ec;
        fs::rename(file.temporary, file.path, ec);
        if (ec) {
            problem = file.path.string() + ": cannot be written: " + ec.message();
            return false;
        }
        file.temporary.clear();
    }
    return true;
}

}  // namespace tools
