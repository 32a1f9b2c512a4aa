#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// An uncompressed Windows bitmap as stored: rows in the order the picture
// is read bottom-up (first row = bottom of the picture, whatever the file's
// own row order), each padded to a multiple of 4 bytes.
struct BmpImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;  // 8, 24 or 32
    int stride = 0;        // bytes per row, a multiple of 4
    std::vector<std::uint8_t> rows;
    // For 8 bits: 256 entries of (blue, green, red); entries the file does
    // not define stay black.
    std::array<std::array<std::uint8_t, 3>, 256> palette{};
};

// Largest side accepted; anything above is refused as hostile.
constexpr int maximumImageSide = 16384;

std::optional<BmpImage> readBmpFile(const std::string& path);
