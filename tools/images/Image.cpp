#include "images/Image.h"

#include <cmath>
#include <fstream>
#include <iterator>

#include "platform/Paths.h"

namespace tools {

namespace {

void put16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

int bmpStride(int width, int bytesPerPixel) { return (width * bytesPerPixel + 3) / 4 * 4; }

std::vector<std::uint8_t> bmpHeaders(int width, int height, int bitsPerPixel, int paletteEntries)
{
    const std::uint32_t pixelOffset = 14 + 40 + static_cast<std::uint32_t>(paletteEntries) * 4;
    const std::uint32_t pixelBytes =
        static_cast<std::uint32_t>(bmpStride(width, bitsPerPixel / 8)) *
        static_cast<std::uint32_t>(height);
    std::vector<std::uint8_t> out;
    out.reserve(pixelOffset + pixelBytes);
    // File header.
    out.push_back('B');
    out.push_back('M');
    put32(out, pixelOffset + pixelBytes);
    put32(out, 0);
    put32(out, pixelOffset);
    // Info header (40 bytes), uncompressed, bottom-up.
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<unsigned>(bitsPerPixel));
    put32(out, 0);  // BI_RGB
    put32(out, pixelBytes);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, static_cast<std::uint32_t>(paletteEntries));
    put32(out, 0);
    return out;
}

void padRow(std::vector<std::uint8_t>& out, int written, int stride)
{
    for (int i = written; i < stride; ++i) out.push_back(0);
}

// Both formats store a pixel's colour as blue, green, red.
void putBgr(std::vector<std::uint8_t>& out, const std::uint8_t* rgba)
{
    out.push_back(rgba[2]);
    out.push_back(rgba[1]);
    out.push_back(rgba[0]);
}

std::vector<std::uint8_t> encodeTga(const Image& image, int bytesPerPixel)
{
    std::vector<std::uint8_t> out;
    out.reserve(18 + image.rgba.size());
    out.push_back(0);  // no image ID
    out.push_back(0);  // no colour map
    out.push_back(2);  // uncompressed true colour
    for (int i = 0; i < 5; ++i) out.push_back(0);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<unsigned>(image.width));
    put16(out, static_cast<unsigned>(image.height));
    out.push_back(static_cast<std::uint8_t>(bytesPerPixel * 8));
    out.push_back(bytesPerPixel == 4 ? 8 : 0);  // alpha bits; lower-left origin
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.at(x, y);
            putBgr(out, p);
            if (bytesPerPixel == 4) out.push_back(p[3]);
        }
    }
    return out;
}

}  // namespace

void Image::set(int x, int y, double r, double g, double b, double a)
{
    std::uint8_t* p = at(x, y);
    p[0] = toByte(r);
    p[1] = toByte(g);
    p[2] = toByte(b);
    p[3] = toByte(a);
}

std::uint8_t toByte(double value)
{
    if (!(value > 0.0)) return 0;
    if (value >= 1.0) return 255;
    return static_cast<std::uint8_t>(std::lround(value * 255.0));
}

std::vector<std::uint8_t> encodeBmp24(const Image& image)
{
    std::vector<std::uint8_t> out = bmpHeaders(image.width, image.height, 24, 0);
    const int stride = bmpStride(image.width, 3);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) putBgr(out, image.at(x, y));
        padRow(out, image.width * 3, stride);
    }
    return out;
}

std::vector<std::uint8_t> encodeBmp8(const Image& indices,
                                     const std::vector<std::uint32_t>& paletteRgb)
{
    const int entries = static_cast<int>(paletteRgb.size() > 256 ? 256 : paletteRgb.size());
    std::vector<std::uint8_t> out = bmpHeaders(indices.width, indices.height, 8, entries);
    for (int i = 0; i < entries; ++i) {
        const std::uint32_t rgb = paletteRgb[static_cast<std::size_t>(i)];
        out.push_back(static_cast<std::uint8_t>(rgb & 0xFF));          // blue
        out.push_back(static_cast<std::uint8_t>((rgb >> 8) & 0xFF));   // green
        out.push_back(static_cast<std::uint8_t>((rgb >> 16) & 0xFF));  // red
        out.push_back(0);
    }
    const int stride = bmpStride(indices.width, 1);
    for (int y = 0; y < indices.height; ++y) {
        for (int x = 0; x < indices.width; ++x) out.push_back(indices.at(x, y)[0]);
        padRow(out, indices.width, stride);
    }
    return out;
}

std::vector<std::uint8_t> encodeAlphaBmp8(const Image& image)
{
    std::vector<std::uint32_t> grey(256);
    for (std::uint32_t i = 0; i < 256; ++i) grey[i] = (i << 16) | (i << 8) | i;
    Image indices(image.width, image.height);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) indices.at(x, y)[0] = image.at(x, y)[3];
    }
    return encodeBmp8(indices, grey);
}

std::vector<std::uint8_t> encodeTga24(const Image& image) { return encodeTga(image, 3); }
std::vector<std::uint8_t> encodeTga32(const Image& image) { return encodeTga(image, 4); }

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::optional<std::string> readTextFile(const std::string& path)
{
    std::ifstream in(platform::resolvePath(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

bool writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

}  // namespace tools
