#pragma once

#include "images/Image.h"
#include "import/ImportedScene.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tools {

// Sides beyond this are refused before anything is decoded.
constexpr int largestTextureSide = 16384;
// An encoded image file larger than this is refused before it is read.
constexpr std::uintmax_t largestTextureFile = std::uintmax_t(256) << 20;

// The picture of a texture source (PNG, JPEG, BMP, TGA, ... through
// stb_image; rows bottom first). None, with the file and the reason in
// `problem`, when it cannot be read or decoded or is too large.
std::optional<Image> decodeTexture(const TextureSource& source, std::string& problem);

// The power of two nearest to a side (in proportion), at most the largest side.
int nearestPowerOfTwo(int side);

// The picture resampled (bilinear, edges clamped) to the given size.
Image resized(const Image& image, int width, int height);

// Whether any pixel is less than opaque.
bool hasTransparency(const Image& image);

// A file the engine loads: a 32-bit TGA when the picture has transparency
// (its alpha kept), otherwise a 24-bit BMP. `extension` is "tga" or "bmp".
std::vector<std::uint8_t> encodeForEngine(const Image& image, std::string& extension);

}  // namespace tools
