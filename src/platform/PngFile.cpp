#include "platform/PngFile.h"

// The one place stb's image writer is compiled.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace platform {

namespace {

bool writeChannels(const std::string& path, int width, int height, int channels,
                   const std::vector<std::uint8_t>& pixels)
{
    if (width <= 0 || height <= 0) return false;
    if (pixels.size() !=
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * channels)
        return false;
    const int stride = width * channels;
    return stbi_write_png(path.c_str(), width, height, channels, pixels.data(), stride) != 0;
}

}  // namespace

bool writePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb)
{
    return writeChannels(path, width, height, 3, rgb);
}

bool writePngRgba(const std::string& path, int width, int height,
                  const std::vector<std::uint8_t>& rgba)
{
    return writeChannels(path, width, height, 4, rgba);
}

}  // namespace platform
