// PNG files in the browser: written into the in-memory file system as on a
// desktop, then handed to the visitor as a download and removed, so the
// page keeps no copies (F12).

#include "platform/PngFile.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <emscripten.h>
#include <stb/stb_image_write.h>

#include <cstdio>

namespace platform {

namespace {

// clang-format off
EM_JS(void, pageDownload, (const char* path), {
    Module.arroyoPage.download(UTF8ToString(path));
});
// clang-format on

bool writeChannels(const std::string& path, int width, int height, int channels,
                   const std::vector<std::uint8_t>& pixels)
{
    if (width <= 0 || height <= 0) return false;
    if (pixels.size() !=
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * channels)
        return false;
    if (stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels) == 0)
        return false;
    pageDownload(path.c_str());
    std::remove(path.c_str());
    return true;
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
