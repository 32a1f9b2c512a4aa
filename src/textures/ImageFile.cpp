#include "textures/ImageFile.h"

#include "platform/FileBytes.h"
#include "platform/Paths.h"
#include "textures/BmpFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t headerSize = 18;
constexpr int trueColourType = 2;
constexpr std::uint8_t rightToLeftBit = 0x10;
constexpr std::uint8_t topToBottomBit = 0x20;

}  // namespace

void ImageFile::clear()
{
    pixels_.clear();
    pixels_.shrink_to_fit();
    width_ = 0;
    height_ = 0;
    bytesPerPixel_ = 0;
    fileName_.clear();
}

// Reads uncompressed true-colour files of 24 or 32 bits. An image ID and an
// unused colour map before the pixels are skipped; colour-mapped, grey,
// run-length encoded and 8/16-bit files are refused. Rows come out bottom row
// first and left to right whatever origin the file declares.
bool ImageFile::load(const std::string& fileName)
{
    if (fileName.empty() || !pixels_.empty()) return false;
    clear();
    fileName_ = fileName;
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos || fileName.compare(dot, std::string::npos, ".tga") != 0) {
        clear();
        return false;
    }

    FileBytes file(platform::resolvePath(fileName));
    std::uint8_t header[headerSize];
    if (!file.read(0, header, headerSize)) {
        clear();
        return false;
    }
    const int idLength = header[0];
    const int colourMapType = header[1];
    const int imageType = header[2];
    const int mapLength = littleEndian16(header + 5);
    const int mapEntryBits = header[7];
    const int width = littleEndian16(header + 12);
    const int height = littleEndian16(header + 14);
    const int depth = header[16];
    const std::uint8_t descriptor = header[17];

    const bool typeSupported =
        imageType == trueColourType && colourMapType <= 1 && (depth == 24 || depth == 32);
    if (!typeSupported || width == 0 || height == 0 || width > maximumImageSide ||
        height > maximumImageSide) {
        clear();
        return false;
    }

    const std::uint64_t mapBytes =
        colourMapType == 1 ? std::uint64_t(mapLength) * ((mapEntryBits + 7) / 8) : 0;
    const std::uint64_t pixelOffset = headerSize + idLength + mapBytes;
    const int bytesPerPixel = depth / 8;
    const std::uint64_t size = std::uint64_t(width) * height * bytesPerPixel;
    // Checked against the file before anything is allocated.
    if (pixelOffset + size > file.size()) {
        clear();
        return false;
    }
    pixels_.resize(static_cast<std::size_t>(size));
    if (!file.read(pixelOffset, pixels_.data(), size)) {
        clear();
        return false;
    }
    width_ = width;
    height_ = height;
    bytesPerPixel_ = bytesPerPixel;

    // Through a local pointer and count: stores through a byte pointer could
    // alias the vector's own fields, which would be reloaded on every pixel.
    std::uint8_t* bytes = pixels_.data();
    const std::size_t total = pixels_.size();
    for (std::size_t i = 0; i + 2 < total; i += static_cast<std::size_t>(bytesPerPixel))
        std::swap(bytes[i], bytes[i + 2]);

    const std::size_t stride = std::size_t(width) * bytesPerPixel;
    if (descriptor & topToBottomBit) {
        for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(pixels_.begin() + top * stride, pixels_.begin() + (top + 1) * stride,
                             pixels_.begin() + bottom * stride);
    }
    if (descriptor & rightToLeftBit) {
        std::uint8_t pixel[4];
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = pixels_.data() + y * stride;
            for (int left = 0, right = width - 1; left < right; ++left, --right) {
                std::memcpy(pixel, row + left * bytesPerPixel, bytesPerPixel);
                std::memcpy(row + left * bytesPerPixel, row + right * bytesPerPixel, bytesPerPixel);
                std::memcpy(row + right * bytesPerPixel, pixel, bytesPerPixel);
            }
        }
    }
    return true;
}
