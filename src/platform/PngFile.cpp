#include "platform/PngFile.h"

// The one place stb's image writer is compiled.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace platform {

bool writePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb)
{
    constexpr int channels = 3;
    if (width <= 0 || height <= 0) return false;
    if (rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * channels)
        return false;
    return stbi_write_png(path.c_str(), width, height, channels, rgb.data(), width * channels) != 0;
}

}  // namespace platform
