#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tools {

// An RGBA picture as the engine keeps textures: rows bottom first (row 0 is
// texture coordinate v = 0), 4 bytes per pixel.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    Image() = default;
    Image(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4, 255) {}

    std::uint8_t* at(int x, int y) { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
    const std::uint8_t* at(int x, int y) const
    {
        return &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
    }
    void set(int x, int y, double r, double g, double b, double a = 1.0);
};

// A colour component in 0..1 to a byte, rounded and clamped.
std::uint8_t toByte(double value);

// File images. BMP rows are stored bottom-up and padded to 4 bytes; TGA
// files are uncompressed true colour with the lower-left origin.
// 24-bit BMP of the colour.
std::vector<std::uint8_t> encodeBmp24(const Image& image);
// 8-bit BMP: each pixel's red byte is an index into the palette (256
// entries of red, green, blue).
std::vector<std::uint8_t> encodeBmp8(const Image& indices,
                                     const std::vector<std::uint32_t>& paletteRgb);
// 8-bit BMP with a grey palette of the alpha channel: the engine's "-a.bmp"
// alpha companion.
std::vector<std::uint8_t> encodeAlphaBmp8(const Image& image);
std::vector<std::uint8_t> encodeTga24(const Image& image);
std::vector<std::uint8_t> encodeTga32(const Image& image);

// Writes bytes to a file; false when it cannot.
bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
bool writeFile(const std::string& path, const std::string& text);
// A whole file (the path resolved as the engine resolves it); none if it
// cannot be read.
std::optional<std::string> readTextFile(const std::string& path);

}  // namespace tools
