#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A binary file opened for reading at given offsets. Reads are all or
// nothing: a request that runs past the end reads nothing and fails, so a
// reader never works on a half-filled buffer.
class FileBytes {
public:
    explicit FileBytes(const std::string& path);
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    std::uint64_t size() const { return size_; }
    bool read(std::uint64_t offset, void* destination, std::uint64_t count);

private:
    // Read with pread, not through a stdio stream: every read here is one
    // known range, and the stream's own buffer and bookkeeping only added
    // to the cost of loading a world's files.
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

inline std::uint16_t littleEndian16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline std::uint32_t littleEndian32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}
