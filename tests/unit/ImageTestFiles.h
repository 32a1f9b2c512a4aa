#pragma once

// Writers of small BMP and TGA files for the image tests, byte by byte, so
// each test states exactly what is on disk. Every field has a default, so a
// file can be described with designated initializers naming only what
// matters.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace imagetest {

using Bytes = std::vector<std::uint8_t>;

inline void put16(std::string& out, std::uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

inline void put32(std::string& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

struct Bmp {
    int width = 1;
    int height = 1;
    int bits = 24;
    bool topDown = false;
    std::uint32_t infoSize = 40;
    std::uint32_t compression = 0;
    // Blue, green, red.
    std::vector<std::array<std::uint8_t, 3>> palette{};
    // biClrUsed as written; -1 writes palette.size().
    std::int64_t coloursUsed = -1;
    // Red, green, blue, alpha masks for BI_BITFIELDS.
    std::array<std::uint32_t, 4> masks{0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};
    // Pixel bytes as stored, bottom row of the picture first, rows unpadded.
    Bytes pixels{};
    // Value of the padding bytes, so a reader that reads them shows it.
    std::uint8_t padding = 0xEE;
    // For RLE4 and RLE8 (compression 2 and 1): the encoded data, written
    // instead of the rows.
    Bytes rle{};
};

inline int bmpStride(int width, int bits) { return (width * bits + 31) / 32 * 4; }

inline std::string bmpFile(const Bmp& b)
{
    const int rowBytes = (b.width * b.bits + 7) / 8;
    const int stride = bmpStride(b.width, b.bits);
    const bool core = b.infoSize == 12;  // OS/2: 16-bit sides, 3-byte palette entries
    const bool rle = b.compression == 1 || b.compression == 2;
    const bool separateMasks = b.compression == 3 && b.infoSize == 40;
    const std::uint32_t headers = 14 + b.infoSize + (separateMasks ? 12 : 0);
    const std::uint32_t offset =
        headers + static_cast<std::uint32_t>(b.palette.size()) * (core ? 3 : 4);
    const std::uint32_t dataSize = rle ? static_cast<std::uint32_t>(b.rle.size())
                                       : static_cast<std::uint32_t>(stride * b.height);

    std::string out = "BM";
    put32(out, offset + dataSize);
    put32(out, 0);
    put32(out, offset);
    put32(out, b.infoSize);
    if (core) {
        put16(out, static_cast<std::uint32_t>(b.width));
        put16(out, static_cast<std::uint32_t>(b.height));
        put16(out, 1);
        put16(out, static_cast<std::uint32_t>(b.bits));
    }
    for (const auto& e : b.palette) {
        if (!core) break;
        out.append(reinterpret_cast<const char*>(e.data()), 3);
    }
    if (core) {
        for (int r = 0; r < b.height; ++r) {
            const auto* start = b.pixels.data() + static_cast<std::size_t>(r) * rowBytes;
            out.append(reinterpret_cast<const char*>(start), static_cast<std::size_t>(rowBytes));
            out.append(static_cast<std::size_t>(stride - rowBytes), static_cast<char>(b.padding));
        }
        return out;
    }
    put32(out, static_cast<std::uint32_t>(b.width));
    put32(out, static_cast<std::uint32_t>(b.topDown ? -b.height : b.height));
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(b.bits));
    put32(out, b.compression);
    put32(out, dataSize);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, static_cast<std::uint32_t>(b.coloursUsed < 0 ? b.palette.size() : b.coloursUsed));
    put32(out, 0);
    if (b.infoSize > 40) {
        for (auto m : b.masks) put32(out, m);
        out.append(b.infoSize - 56, '\0');
    }
    if (separateMasks)
        for (int i = 0; i < 3; ++i) put32(out, b.masks[i]);
    for (const auto& e : b.palette) {
        out.append(reinterpret_cast<const char*>(e.data()), 3);
        out.push_back('\0');
    }
    if (rle) {
        out.append(reinterpret_cast<const char*>(b.rle.data()), b.rle.size());
        return out;
    }
    for (int r = 0; r < b.height; ++r) {
        const int row = b.topDown ? b.height - 1 - r : r;
        const auto* start = b.pixels.data() + static_cast<std::size_t>(row) * rowBytes;
        out.append(reinterpret_cast<const char*>(start), static_cast<std::size_t>(rowBytes));
        out.append(static_cast<std::size_t>(stride - rowBytes), static_cast<char>(b.padding));
    }
    return out;
}

// A 24-bit bitmap of one colour (blue, green, red).
inline std::string solidBmp24(int width, int height, std::uint8_t b, std::uint8_t g, std::uint8_t r)
{
    Bmp bmp;
    bmp.width = width;
    bmp.height = height;
    for (int i = 0; i < width * height; ++i) bmp.pixels.insert(bmp.pixels.end(), {b, g, r});
    return bmpFile(bmp);
}

struct Tga {
    int width = 1;
    int height = 1;
    int bits = 24;
    int imageType = 2;
    int colourMapType = 0;
    int mapLength = 0;
    int mapEntryBits = 0;
    std::string id{};
    std::uint8_t descriptor = 0;
    // Pixel bytes as stored (B, G, R (, A)), in file order.
    Bytes pixels{};
};

inline std::string tgaFile(const Tga& t)
{
    std::string out;
    out.push_back(static_cast<char>(t.id.size()));
    out.push_back(static_cast<char>(t.colourMapType));
    out.push_back(static_cast<char>(t.imageType));
    put16(out, 0);
    put16(out, static_cast<std::uint32_t>(t.mapLength));
    out.push_back(static_cast<char>(t.mapEntryBits));
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<std::uint32_t>(t.width));
    put16(out, static_cast<std::uint32_t>(t.height));
    out.push_back(static_cast<char>(t.bits));
    out.push_back(static_cast<char>(t.descriptor));
    out += t.id;
    out.append(static_cast<std::size_t>(t.mapLength * ((t.mapEntryBits + 7) / 8)), '\x77');
    out.append(reinterpret_cast<const char*>(t.pixels.data()), t.pixels.size());
    return out;
}

}  // namespace imagetest
