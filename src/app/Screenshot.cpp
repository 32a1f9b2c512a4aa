#include "app/Screenshot.h"

#include "platform/PngFile.h"

#include <GL/gl.h>

#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string screenshotFolder(const std::string& binFolder)
{
    fs::path bin = fs::path(binFolder).lexically_normal();
    if (!bin.has_filename()) bin = bin.parent_path();  // "Bin/" is Bin
    return (bin.parent_path() / "Screenshots").string();
}

std::string screenshotFileName(const std::tm& local)
{
    char name[64];
    std::strftime(name, sizeof name, "%Y-%m-%d_%H-%M-%S.png", &local);
    return name;
}

std::vector<std::uint8_t> readFrame(int width, int height)
{
    if (width <= 0 || height <= 0) return {};
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> bottomUp(row * static_cast<std::size_t>(height));
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    // GL's rows run bottom first, a picture's top first.
    std::vector<std::uint8_t> topDown(bottomUp.size());
    for (int y = 0; y < height; ++y) {
        std::memcpy(&topDown[row * static_cast<std::size_t>(y)],
                    &bottomUp[row * static_cast<std::size_t>(height - 1 - y)], row);
    }
    return topDown;
}

std::optional<std::string> saveScreenshot(const std::string& folder, std::time_t when, int width,
                                          int height, const std::vector<std::uint8_t>& rgb)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) return std::nullopt;

    std::tm local{};
    localtime_r(&when, &local);
    const std::string name = screenshotFileName(local);
    const std::string stem = name.substr(0, name.size() - 4);
    fs::path file = fs::path(folder) / name;
    // Never over an earlier shot; a handful of tries is plenty in one second.
    for (int n = 2; fs::exists(file, ec) && n < 1000; ++n) {
        file = fs::path(folder) / (stem + "-" + std::to_string(n) + ".png");
    }
    if (fs::exists(file, ec)) return std::nullopt;
    if (!platform::writePng(file.string(), width, height, rgb)) return std::nullopt;
    return file.string();
}
