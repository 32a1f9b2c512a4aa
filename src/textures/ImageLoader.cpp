#include "textures/ImageLoader.h"

#include "platform/Messages.h"
#include "textures/BmpFile.h"
#include "textures/ImageFile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <optional>
#include <vector>

namespace {

// The source picture as the converters see it: rows bottom first, each
// `stride` bytes apart.
struct SourceImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::size_t stride = 0;
    const std::uint8_t* rows = nullptr;
    bool blueFirst = true;  // BMP pixels are B, G, R; the TGA reader gives R, G, B
    const std::array<std::array<std::uint8_t, 3>, 256>* palette = nullptr;
};

bool isPowerOfTwo(int v) { return (v & -v) == v; }

bool endsWith(const std::string& text, const char* suffix)
{
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// One loop per pixel layout, so each compiles to straight-line copies: the
// world's textures pass through here on every load. On a little-endian
// machine a pixel is moved as one 32-bit word: four bytes are read even
// for a 3-byte pixel, so the last pixel of the row, whose fourth byte may
// lie past the buffer, is copied byte by byte. A 24-bit pixel is opaque; a
// 32-bit one carries its own alpha.
template <std::size_t step, bool blueFirst>
void convertTrueColourRow(const std::uint8_t* in, std::size_t width, std::uint8_t* out)
{
    constexpr int red = blueFirst ? 2 : 0;
    constexpr int blue = blueFirst ? 0 : 2;
    constexpr bool byWords = std::endian::native == std::endian::little;
    const std::size_t wordPixels = byWords && width > 0 ? width - 1 : 0;
    std::size_t x = 0;
    for (; x < wordPixels; ++x, in += step, out += 4) {
        std::uint32_t v;
        std::memcpy(&v, in, 4);
        // Little-endian words: byte 0 is the lowest.
        if constexpr (blueFirst) {
            // B G R X -> R G B, by reversing the bytes: X R G B.
            v = __builtin_bswap32(v);
            v = step == 4 ? (v >> 8) | (v << 24) : (v >> 8) | 0xFF000000u;
        } else if constexpr (step == 3) {
            v |= 0xFF000000u;
        }
        std::memcpy(out, &v, 4);
    }
    for (; x < width; ++x, in += step, out += 4) {
        out[0] = in[red];
        out[1] = in[1];
        out[2] = in[blue];
        out[3] = step == 4 ? in[3] : 255;
    }
}

void convertPaletteRow(const SourceImage& source, const std::uint8_t* in, std::size_t width,
                       std::uint8_t* out)
{
    for (std::size_t x = 0; x < width; ++x, out += 4) {
        const auto& entry = (*source.palette)[in[x]];
        out[0] = entry[2];
        out[1] = entry[1];
        out[2] = entry[0];
        out[3] = 255;
    }
}

// The picture as RGBA rows, or none for a depth without a conversion. Each
// row is converted into a small staging row and appended, so the buffer is
// written once (a vector made at its full size is zero-filled first).
std::optional<std::vector<std::uint8_t>> convertPixels(const SourceImage& source)
{
    using RowConverter = void (*)(const std::uint8_t*, std::size_t, std::uint8_t*);
    RowConverter convert = nullptr;
    if (source.bitsPerPixel == 24) {
        convert = source.blueFirst ? convertTrueColourRow<3, true> : convertTrueColourRow<3, false>;
    } else if (source.bitsPerPixel == 32) {
        convert = source.blueFirst ? convertTrueColourRow<4, true> : convertTrueColourRow<4, false>;
    } else if (source.bitsPerPixel != 8 || !source.palette) {
        return std::nullopt;
    }
    const std::size_t width = static_cast<std::size_t>(std::max(source.width, 0));
    const std::size_t height = static_cast<std::size_t>(std::max(source.height, 0));
    std::vector<std::uint8_t> pixels;
    pixels.reserve(width * height * 4);
    std::vector<std::uint8_t> row(width * 4);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* in = source.rows + y * source.stride;
        if (convert) convert(in, width, row.data());
        else convertPaletteRow(source, in, width, row.data());
        pixels.insert(pixels.end(), row.begin(), row.end());
    }
    return pixels;
}

// Fills the alpha bytes from a companion bitmap already read; false when it
// does not fit the texture.
bool applyAlpha(const BmpImage& bmp, Texture& texture)
{
    if (bmp.width != texture.width() || bmp.height != texture.height()) return false;
    if (bmp.bitsPerPixel != 8 && bmp.bitsPerPixel != 24) return false;
    if (texture.pixels().size() < static_cast<std::size_t>(bmp.width) * bmp.height * 4)
        return false;

    std::uint8_t grey[256];
    for (int i = 0; i < 256; ++i) {
        const auto& e = bmp.palette[i];
        grey[i] = static_cast<std::uint8_t>((e[0] + e[1] + e[2]) / 3);
    }
    std::uint8_t* out = texture.pixels().data();
    const std::size_t width = static_cast<std::size_t>(bmp.width);
    for (int y = 0; y < bmp.height; ++y) {
        const std::uint8_t* in = bmp.rows.data() + static_cast<std::size_t>(y) * bmp.stride;
        for (std::size_t x = 0; x < width; ++x, out += 4) {
            if (bmp.bitsPerPixel == 8) {
                out[3] = grey[in[x]];
            } else {
                const std::uint8_t* p = in + 3 * x;
                // 0.333 rather than a third: white comes out 254.
                out[3] = static_cast<std::uint8_t>((p[0] + p[1] + p[2]) * 0.333);
            }
        }
    }
    return true;
}

std::unique_ptr<Texture> loadTextureUnguarded(const std::string& name)
{
    std::string imageFile = name;
    std::string alphaFile;
    if (!name.empty() && name[0] == '!') {
        imageFile = name.substr(1);
        // The companion replaces the last four characters ("x.bmp" -> "x-a.bmp");
        // a name shorter than that has no companion to find.
        if (imageFile.size() < 4) return nullptr;
        alphaFile = imageFile.substr(0, imageFile.size() - 4) + "-a.bmp";
    }

    std::optional<BmpPixels> bmp;
    ImageFile tga;
    SourceImage source;
    if (endsWith(imageFile, "bmp")) {
        bmp = readBmpPixels(imageFile);
        if (!bmp) return nullptr;
        const BmpImage& image = bmp->image;
        source = {
            image.width, image.height, image.bitsPerPixel, static_cast<std::size_t>(image.stride),
            bmp->rows,   true,         &image.palette};
    } else if (endsWith(imageFile, "tga")) {
        if (!tga.load(imageFile)) return nullptr;
        source = {
            tga.width(),
            tga.height(),
            tga.bytesPerPixel() * 8,
            static_cast<std::size_t>(tga.bytesPerPixel()) * static_cast<std::size_t>(tga.width()),
            tga.pixels().data(),
            false,
            nullptr};
    } else {
        return nullptr;
    }
    if (source.bitsPerPixel != 8 && source.bitsPerPixel != 24 && source.bitsPerPixel != 32)
        return nullptr;

    // Everything is read before the texture takes a GL name, so a refusal
    // (or a failed allocation) past this point has no name to give back.
    std::optional<BmpImage> alpha;
    if (!alphaFile.empty()) {
        alpha = readBmpFile(alphaFile);
        if (!alpha || alpha->width != source.width || alpha->height != source.height ||
            (alpha->bitsPerPixel != 8 && alpha->bitsPerPixel != 24))
            return nullptr;
    }

    std::optional<std::vector<std::uint8_t>> pixels = convertPixels(source);
    if (!pixels) return nullptr;
    auto texture = std::make_unique<Texture>(source.width, source.height, std::move(*pixels));
    if (alpha && !applyAlpha(*alpha, *texture)) {
        texture->unload();
        return nullptr;
    }
    texture->setName(name);

    // Only a texture that is complete is worth a warning: a refused one gets
    // the caller's error box alone.
    if (!isPowerOfTwo(source.width) || !isPowerOfTwo(source.height)) {
        platform::showMessage(
            platform::formatText("\nBitmap \"%s\" is not a power of 2; width %d, height %d.",
                                 imageFile.c_str(), source.width, source.height));
    }
    return texture;
}

}  // namespace

std::unique_ptr<Texture> loadTexture(const std::string& name)
{
    // The readers bound their sizes by the file; an allocation that fails
    // all the same is a texture that cannot be read, not the end of the game.
    try {
        return loadTextureUnguarded(name);
    } catch (const std::exception&) {
        return nullptr;
    }
}

bool applyAlphaBitmap(Texture& texture, const std::string& alphaFileName)
{
    try {
        const auto bmp = readBmpFile(alphaFileName);
        return bmp && applyAlpha(*bmp, texture);
    } catch (const std::exception&) {
        return false;
    }
}
