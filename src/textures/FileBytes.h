#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// A binary file opened for reading at given offsets. Reads are all or
// nothing: a request that runs past the end reads nothing and fails, so a
// reader never works on a half-filled buffer.
class FileBytes {
public:
    explicit FileBytes(const std::string& path);

    bool isOpen() const { return file_ != nullptr; }
    std::uint64_t size() const { return size_; }
    bool read(std::uint64_t offset, void* destination, std::uint64_t count);

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
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
