#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Writes RGB pixels (three bytes each, rows top first, packed) as a PNG
// file. False when the file cannot be written.
bool writePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);
// The same for RGBA pixels (four bytes each), the alpha channel kept.
bool writePngRgba(const std::string& path, int width, int height,
                  const std::vector<std::uint8_t>& rgba);

}  // namespace platform
