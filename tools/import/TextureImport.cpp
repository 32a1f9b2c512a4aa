#include "import/TextureImport.h"

#include <stb_image.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace tools {

namespace {

struct StbFree {
    void operator()(unsigned char* p) const { stbi_image_free(p); }
};

std::optional<std::vector<std::uint8_t>> readBytes(const std::string& path, std::string& problem)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        problem = path + ": texture cannot be opened: no such file";
        return std::nullopt;
    }
    if (!fs::is_regular_file(status)) {
        problem = path + ": texture cannot be read: not a regular file";
        return std::nullopt;
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > largestTextureFile) {
        problem = path + ": texture file is too large (at most " +
                  std::to_string(largestTextureFile >> 20) + " MiB)";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        problem = path + ": texture cannot be read";
        return std::nullopt;
    }
    return bytes;
}

bool sideAcceptable(int side) { return side > 0 && side <= largestTextureSide; }

std::string sizeText(long width, long height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

// The size a PNG header claims. stb_image refuses pictures of more than a
// GiB without saying why; this tells those apart from broken files.
std::optional<std::pair<long, long>> pngSize(const std::vector<std::uint8_t>& bytes)
{
    static const std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 24 || !std::equal(signature, signature + 8, bytes.begin()))
        return std::nullopt;
    if (!std::equal(bytes.begin() + 12, bytes.begin() + 16, "IHDR")) return std::nullopt;
    auto big32 = [&](std::size_t at) {
        return (long(bytes[at]) << 24) | (long(bytes[at + 1]) << 16) | (long(bytes[at + 2]) << 8) |
               long(bytes[at + 3]);
    };
    return std::make_pair(big32(16), big32(20));
}

std::string tooLarge(const std::string& description, long width, long height)
{
    return description + ": texture of " + sizeText(width, height) +
           " pixels; sides must be 1 to " + std::to_string(largestTextureSide);
}

}  // namespace

std::optional<Image> decodeTexture(const TextureSource& source, std::string& problem)
{
    if (source.pixels) {
        if (!sideAcceptable(source.pixels->width) || !sideAcceptable(source.pixels->height)) {
            problem = tooLarge(source.description, source.pixels->width, source.pixels->height);
            return std::nullopt;
        }
        return *source.pixels;
    }
    std::vector<std::uint8_t> fileBytes;
    const std::vector<std::uint8_t>* bytes = &source.encoded;
    if (!source.file.empty()) {
        auto read = readBytes(source.file, problem);
        if (!read) return std::nullopt;
        fileBytes = std::move(*read);
        bytes = &fileBytes;
    }
    if (bytes->empty() || bytes->size() > static_cast<std::size_t>(INT32_MAX)) {
        problem = source.description +
                  ": texture cannot be decoded: " + (bytes->empty() ? "empty" : "too large");
        return std::nullopt;
    }
    const int length = static_cast<int>(bytes->size());
    if (const auto claimed = pngSize(*bytes)) {
        if (claimed->first > largestTextureSide || claimed->second > largestTextureSide) {
            problem = tooLarge(source.description, claimed->first, claimed->second);
            return std::nullopt;
        }
    }
    int width = 0, height = 0, channels = 0;
    // The header first: a hostile size is refused before any allocation.
    if (!stbi_info_from_memory(bytes->data(), length, &width, &height, &channels)) {
        const char* reason = stbi_failure_reason();
        problem = source.description + ": texture cannot be decoded: " +
                  (reason ? reason : "not an image format stb_image reads");
        return std::nullopt;
    }
    if (!sideAcceptable(width) || !sideAcceptable(height)) {
        problem = tooLarge(source.description, width, height);
        return std::nullopt;
    }
    std::unique_ptr<unsigned char, StbFree> pixels(
        stbi_load_from_memory(bytes->data(), length, &width, &height, &channels, 4));
    if (!pixels) {
        const char* reason = stbi_failure_reason();
        problem = source.description +
                  ": texture cannot be decoded: " + (reason ? reason : "corrupt image");
        return std::nullopt;
    }
    // stb_image gives the top row first; the engine keeps the bottom row
    // first, which is where texture coordinate v = 0 lies.
    Image image(width, height);
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        std::copy_n(pixels.get() + static_cast<std::size_t>(height - 1 - y) * row, row,
                    image.at(0, y));
    }
    return image;
}

int nearestPowerOfTwo(int side)
{
    int best = 1;
    while (best < largestTextureSide && best * 2 <= side) best *= 2;
    // Between best and 2 * best: the nearer by ratio.
    const bool upper = static_cast<double>(side) / best > 2.0 * best / side;
    if (best < largestTextureSide && side > best && upper) best *= 2;
    return best;
}

Image resized(const Image& image, int width, int height)
{
    Image out(width, height);
    const double sx = static_cast<double>(image.width) / width;
    const double sy = static_cast<double>(image.height) / height;
    for (int y = 0; y < height; ++y) {
        const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, image.height - 1.0);
        const int y0 = static_cast<int>(fy);
        const int y1 = std::min(y0 + 1, image.height - 1);
        const double ty = fy - y0;
        for (int x = 0; x < width; ++x) {
            const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, image.width - 1.0);
            const int x0 = static_cast<int>(fx);
            const int x1 = std::min(x0 + 1, image.width - 1);
            const double tx = fx - x0;
            std::uint8_t* p = out.at(x, y);
            for (int c = 0; c < 4; ++c) {
                const double top = image.at(x0, y1)[c] * (1 - tx) + image.at(x1, y1)[c] * tx;
                const double bottom = image.at(x0, y0)[c] * (1 - tx) + image.at(x1, y0)[c] * tx;
                p[c] = static_cast<std::uint8_t>(std::lround(bottom * (1 - ty) + top * ty));
            }
        }
    }
    return out;
}

bool hasTransparency(const Image& image)
{
    for (std::size_t i = 3; i < image.rgba.size(); i += 4) {
        if (image.rgba[i] != 255) return true;
    }
    return false;
}

std::vector<std::uint8_t> encodeForEngine(const Image& image, std::string& extension)
{
    if (hasTransparency(image)) {
        extension = "tga";
        return encodeTga32(image);
    }
    extension = "bmp";
    return encodeBmp24(image);
}

}  // namespace tools
