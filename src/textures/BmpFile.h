#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// A Windows bitmap in one of three layouts, whatever the file stored: rows
// in the order the picture is read bottom-up (first row = bottom of the
// picture, whatever the file's own row order), each padded to a multiple of
// 4 bytes.
//  - 8 bits: palette indices. Files of 1, 2 and 4 bits and run-length
//    encoded ones (RLE4, RLE8) are unpacked to one index a byte; pixels an
//    RLE file skips are index 0, the palette's first entry (what the
//    zero-filled bitmap Windows decodes into shows).
//  - 24 bits: blue, green, red. 16-bit files (5-5-5, 5-6-5, bit fields
//    without alpha) are widened to this, each channel scaled to 0..255 with
//    rounding.
//  - 32 bits: blue, green, red and a fourth byte the loader takes as alpha;
//    bit-field files (32 bits, or 16 bits with an alpha mask) are repacked
//    to it.
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

// A bitmap read for conversion: rows that need no unpacking (an ordinary
// bottom-up file of 8, 24 or 32 bits) are used where they lie in the file's
// bytes instead of being copied; `image.rows` is then empty. Move-only:
// `rows` points into `file` or `image.rows`.
struct BmpPixels {
    BmpImage image;
    std::unique_ptr<std::uint8_t[]> file;
    const std::uint8_t* rows = nullptr;  // image.stride bytes apart, bottom row first
};
std::optional<BmpPixels> readBmpPixels(const std::string& path);
// The same from the bytes of a whole file.
std::optional<BmpImage> decodeBmp(std::span<const std::uint8_t> file);
