// The bitmaps paint programs write besides 8, 24 and 32 bits: 1-, 2- and
// 4-bit palettes, 16 bits (5-5-5, 5-6-5, bit fields), RLE8 and RLE4, and the
// 12-byte OS/2 header. Each reads pixel-exact; a randomised round trip
// checks packing and run-length decoding against the indices encoded.

#include "ImageTestFiles.h"
#include "support/TestEnvironment.h"
#include "textures/BmpFile.h"
#include "textures/ImageLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <span>

using namespace imagetest;

namespace {

using Indices = std::vector<int>;  // bottom row first, width a row

// Entry i: blue 10 i, green 20 i + 1, red 30 i + 2 (distinct for i < 8).
std::vector<std::array<std::uint8_t, 3>> palette(int entries)
{
    std::vector<std::array<std::uint8_t, 3>> out;
    for (int i = 0; i < entries; ++i)
        out.push_back({std::uint8_t(10 * i), std::uint8_t(20 * i + 1), std::uint8_t(30 * i + 2)});
    return out;
}

// Indices packed most significant first, rows unpadded (the writer pads).
Bytes packed(const Indices& indices, int width, int bits)
{
    Bytes out;
    const int rowBytes = (width * bits + 7) / 8;
    for (std::size_t start = 0; start < indices.size(); start += width) {
        Bytes row(static_cast<std::size_t>(rowBytes), 0);
        for (int x = 0; x < width; ++x) {
            const int shift = 8 - bits * (x % (8 / bits) + 1);
            row[x * bits / 8] |= static_cast<std::uint8_t>(indices[start + x] << shift);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::optional<BmpImage> decode(const std::string& file)
{
    return decodeBmp(std::span(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()));
}

Indices indicesOf(const BmpImage& image)
{
    Indices out;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            out.push_back(image.rows[static_cast<std::size_t>(y) * image.stride + x]);
    return out;
}

struct IndexedCase {
    const char* name;
    Bmp bmp;
    Indices expected;
};

// A 5 x 2 picture in every indexed layout; RLE cases state their bytes.
std::vector<IndexedCase> indexedCases()
{
    const Indices four = {0, 1, 2, 3, 1, 3, 2, 1, 0, 3};
    const Indices two = {0, 1, 1, 0, 1, 1, 0, 0, 1, 0};
    const Indices sixteen = {0, 15, 7, 8, 1, 9, 10, 11, 12, 13};
    std::vector<IndexedCase> cases = {
        {"1 bit",
         {.width = 5, .height = 2, .bits = 1, .palette = palette(2), .pixels = packed(two, 5, 1)},
         two},
        {"2 bits",
         {.width = 5, .height = 2, .bits = 2, .palette = palette(4), .pixels = packed(four, 5, 2)},
         four},
        {"4 bits",
         {.width = 5,
          .height = 2,
          .bits = 4,
          .palette = palette(16),
          .pixels = packed(sixteen, 5, 4)},
         sixteen},
        {"4 bits top-down",
         {.width = 5,
          .height = 2,
          .bits = 4,
          .topDown = true,
          .palette = palette(16),
          .pixels = packed(sixteen, 5, 4)},
         sixteen},
        {"1 bit, OS/2 header",
         {.width = 5,
          .height = 2,
          .bits = 1,
          .infoSize = 12,
          .palette = palette(2),
          .pixels = packed(two, 5, 1)},
         two},
        {"4 bits, OS/2 header",
         {.width = 5,
          .height = 2,
          .bits = 4,
          .infoSize = 12,
          .palette = palette(16),
          .pixels = packed(sixteen, 5, 4)},
         sixteen},
        {"8 bits, OS/2 header",
         {.width = 5,
          .height = 2,
          .bits = 8,
          .infoSize = 12,
          .palette = palette(16),
          .pixels = {0, 15, 7, 8, 1, 9, 10, 11, 12, 13}},
         sixteen},
        // Run of 3 x 7, literal 9 8 (odd: padded), end of line; run of 5 x 2, end.
        {"RLE8",
         {.width = 5,
          .height = 2,
          .bits = 8,
          .compression = 1,
          .palette = palette(16),
          .rle = {3, 7, 0, 3, 9, 8, 6, 0, 0, 0, 5, 2, 0, 1}},
         {7, 7, 7, 9, 8, 2, 2, 2, 2, 2}},
        // Skips by delta and line ends leave index 0, the palette's first entry.
        {"RLE8 with skips",
         {.width = 5,
          .height = 2,
          .bits = 8,
          .compression = 1,
          .palette = palette(16),
          .rle = {1, 4, 0, 2, 2, 1, 2, 5, 0, 0, 0, 1}},
         {4, 0, 0, 0, 0, 0, 0, 0, 5, 5}},
        {"RLE8 ending early",
         {.width = 5,
          .height = 2,
          .bits = 8,
          .compression = 1,
          .palette = palette(16),
          .rle = {2, 6, 0, 1}},
         {6, 6, 0, 0, 0, 0, 0, 0, 0, 0}},
        // Run of 5 alternating 1 and 2; literal 3 4 5 (two bytes, padded to four).
        {"RLE4",
         {.width = 5,
          .height = 2,
          .bits = 4,
          .compression = 2,
          .palette = palette(16),
          .rle = {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 2, 0x66, 0, 1}},
         {1, 2, 1, 2, 1, 3, 4, 5, 6, 6}},
        // Runs past the row's end are cut there, as Windows draws them.
        {"RLE8 run past the row",
         {.width = 5,
          .height = 2,
          .bits = 8,
          .compression = 1,
          .palette = palette(16),
          .rle = {9, 3, 0, 0, 2, 1, 0, 1}},
         {3, 3, 3, 3, 3, 1, 1, 0, 0, 0}},
    };
    return cases;
}

TEST(BmpFormats, IndexedLayoutsGiveTheirIndicesAndPalette)
{
    for (const IndexedCase& c : indexedCases()) {
        SCOPED_TRACE(c.name);
        const auto image = decode(bmpFile(c.bmp));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->bitsPerPixel, 8);
        EXPECT_EQ(image->stride % 4, 0);
        EXPECT_EQ(indicesOf(*image), c.expected);
        for (std::size_t i = 0; i < 256; ++i) {
            const auto want =
                i < c.bmp.palette.size() ? c.bmp.palette[i] : std::array<std::uint8_t, 3>{};
            ASSERT_EQ(image->palette[i], want) << i;
        }
    }
}

TEST(BmpFormats, MalformedIndexedFilesAreRefused)
{
    const auto rle = [](Bytes data, bool topDown = false) {
        return bmpFile({.width = 5,
                        .height = 2,
                        .bits = 8,
                        .topDown = topDown,
                        .compression = 1,
                        .palette = palette(4),
                        .rle = std::move(data)});
    };
    const struct {
        const char* name;
        std::string file;
    } cases[] = {
        {"RLE without its end mark", rle({2, 1, 0, 0, 2, 1})},
        {"RLE literal cut off", rle({0, 5, 1, 2})},
        {"RLE delta cut off", rle({0, 2, 1})},
        {"RLE stored top-down", rle({2, 1, 0, 1}, true)},
        {"RLE8 on 4 bits",
         bmpFile({.width = 2, .bits = 4, .compression = 1, .palette = palette(2), .rle = {0, 1}})},
        {"RLE4 on 8 bits",
         bmpFile({.width = 2, .bits = 8, .compression = 2, .palette = palette(2), .rle = {0, 1}})},
        {"RLE on 24 bits", bmpFile({.width = 2, .bits = 24, .compression = 1, .rle = {0, 1}})},
        {"3 bits", bmpFile({.width = 8, .bits = 3, .palette = palette(8), .pixels = Bytes(3, 0)})},
        {"1 bit, palette of 257",
         bmpFile({.width = 8, .bits = 1, .palette = palette(257), .pixels = Bytes(1, 0)})},
        {"16 bits, OS/2 header",
         bmpFile({.width = 1, .bits = 16, .infoSize = 12, .pixels = Bytes(2, 0)})},
        {"16-bit masks overlapping", bmpFile({.width = 1,
                                              .bits = 16,
                                              .compression = 3,
                                              .masks = {0xF800, 0x0FE0, 0x001F, 0},
                                              .pixels = Bytes(2, 0)})},
        {"16-bit mask beyond 16 bits", bmpFile({.width = 1,
                                                .bits = 16,
                                                .compression = 3,
                                                .masks = {0x1F0000, 0x07E0, 0x001F, 0},
                                                .pixels = Bytes(2, 0)})},
        {"4 bits, rows cut short",
         bmpFile(
             {.width = 9, .height = 2, .bits = 4, .palette = palette(16), .pixels = Bytes(10, 0)})
             .substr(0, 130)},
    };
    for (const auto& c : cases) EXPECT_FALSE(decode(c.file)) << c.name;
}

// 16-bit pixels: each channel scaled to 0..255, rounded to the nearest.
std::uint8_t scaled(unsigned value, unsigned maximum)
{
    return static_cast<std::uint8_t>(std::lround(value * 255.0 / maximum));
}

TEST(BmpFormats, SixteenBitPixelsWidenToTwentyFourOrThirtyTwo)
{
    // 5-5-5 by default, 5-6-5 and 4-4-4-4 by masks; both header placements.
    struct Case {
        const char* name;
        std::uint32_t infoSize;
        std::uint32_t compression;
        std::array<std::uint32_t, 4> masks;
        int red, green, blue, alpha;  // bits of each channel, 0 = none
    } const cases[] = {
        {"5-5-5", 40, 0, {}, 5, 5, 5, 0},
        {"5-5-5 by masks", 40, 3, {0x7C00, 0x03E0, 0x001F, 0}, 5, 5, 5, 0},
        {"5-6-5", 40, 3, {0xF800, 0x07E0, 0x001F, 0}, 5, 6, 5, 0},
        {"5-6-5 in a version 4 header", 108, 3, {0xF800, 0x07E0, 0x001F, 0}, 5, 6, 5, 0},
        {"5-6-5 in a 56-byte header", 56, 3, {0xF800, 0x07E0, 0x001F, 0}, 5, 6, 5, 0},
        {"4-4-4-4 with alpha", 108, 3, {0x0F00, 0x00F0, 0x000F, 0xF000}, 4, 4, 4, 4},
        {"1-5-5-5 with alpha", 124, 3, {0x7C00, 0x03E0, 0x001F, 0x8000}, 5, 5, 5, 1},
    };
    std::mt19937 random(16);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bmp b{.width = 7,
              .height = 3,
              .bits = 16,
              .infoSize = c.infoSize,
              .compression = c.compression};
        if (c.compression == 3) b.masks = c.masks;
        std::vector<unsigned> values;
        for (int i = 0; i < b.width * b.height; ++i) {
            // The extremes first, then anything.
            const unsigned v = i == 0   ? 0u
                               : i == 1 ? 0xFFFFu
                                        : static_cast<unsigned>(random() & 0xFFFF);
            values.push_back(v);
            b.pixels.insert(b.pixels.end(), {std::uint8_t(v & 0xFF), std::uint8_t(v >> 8)});
        }
        TempDir dir;
        const auto texture = loadTexture(dir.write("p.bmp", bmpFile(b)));
        ASSERT_TRUE(texture);
        const auto& rgba = texture->pixels();
        const int blueShift = 0, greenShift = c.blue, redShift = c.blue + c.green;
        const int alphaShift = redShift + c.red;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const unsigned v = values[i];
            const auto channel = [v](int shift, int bits) {
                return scaled((v >> shift) & ((1u << bits) - 1), (1u << bits) - 1);
            };
            const Bytes want = {channel(redShift, c.red), channel(greenShift, c.green),
                                channel(blueShift, c.blue),
                                c.alpha ? channel(alphaShift, c.alpha) : std::uint8_t(255)};
            ASSERT_EQ(Bytes(rgba.begin() + 4 * i, rgba.begin() + 4 * i + 4), want) << i << " " << v;
        }
    }
}

TEST(BmpFormats, LoadedTexturesAndAlphaCompanionsInTheNewLayouts)
{
    TempDir dir;
    // A 4-bit image: each pixel its palette colour, opaque.
    const Indices sixteen = {0, 15, 7, 8, 1, 9, 10, 11, 12, 13};
    const Bmp image{.width = 5,
                    .height = 2,
                    .bits = 4,
                    .palette = palette(16),
                    .pixels = packed(sixteen, 5, 4)};
    const auto t = loadTexture(dir.write("p.bmp", bmpFile(image)));
    ASSERT_TRUE(t);
    for (std::size_t i = 0; i < sixteen.size(); ++i) {
        const auto& e = image.palette[static_cast<std::size_t>(sixteen[i])];
        EXPECT_EQ(Bytes(t->pixels().begin() + 4 * i, t->pixels().begin() + 4 * i + 4),
                  (Bytes{e[2], e[1], e[0], 255}));
    }
    // A 1-bit companion: black and white give alpha 0 and 255 by integer grey.
    dir.write("p-a.bmp", bmpFile({.width = 5,
                                  .height = 2,
                                  .bits = 1,
                                  .palette = {{0, 0, 0}, {255, 255, 255}},
                                  .pixels = packed({1, 0, 1, 0, 0, 1, 1, 1, 1, 0}, 5, 1)}));
    const auto withAlpha = loadTexture("!" + dir.file("p.bmp"));
    ASSERT_TRUE(withAlpha);
    Bytes alpha;
    for (std::size_t i = 0; i < 10; ++i) alpha.push_back(withAlpha->pixels()[4 * i + 3]);
    EXPECT_EQ(alpha, (Bytes{255, 0, 255, 0, 0, 255, 255, 255, 255, 0}));
}

// The reference: RLE data built from a picture, with random runs, literals,
// skips and early ends; what is skipped becomes index 0 in the picture.
Bytes encodeRle(Indices& picture, int width, int height, bool fourBits, std::mt19937& random)
{
    Bytes out;
    const int colours = fourBits ? 16 : 256;
    auto at = [&](int x, int y) -> int& {
        return picture[static_cast<std::size_t>(y * width + x)];
    };
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            const int left = width - x;
            const int choice = static_cast<int>(random() % 10);
            if (choice == 0) {  // skip a few pixels
                const int n = 1 + static_cast<int>(random() % std::min(left, 6));
                for (int k = 0; k < n; ++k) at(x + k, y) = 0;
                out.insert(out.end(), {0, 2, std::uint8_t(n), 0});
                x += n;
            } else if (choice == 1 && y + 1 < height) {  // end the line early
                for (int k = x; k < width; ++k) at(k, y) = 0;
                x = width;
            } else if (choice < 6 || left < 3) {  // a run (two alternating indices on 4 bits)
                const int n = 1 + static_cast<int>(random() % std::min(left, 255));
                const int a = static_cast<int>(random() % colours);
                const int b = fourBits ? static_cast<int>(random() % colours) : a;
                for (int k = 0; k < n; ++k) at(x + k, y) = k % 2 == 0 ? a : b;
                out.insert(out.end(), {std::uint8_t(n), std::uint8_t(fourBits ? a << 4 | b : a)});
                x += n;
            } else {  // literal pixels, padded to 16 bits
                const int n = 3 + static_cast<int>(random() % std::min(left - 2, 253));
                out.insert(out.end(), {0, std::uint8_t(n)});
                Bytes literal;
                for (int k = 0; k < n; ++k) {
                    const int v = static_cast<int>(random() % colours);
                    at(x + k, y) = v;
                    if (!fourBits) literal.push_back(std::uint8_t(v));
                    else if (k % 2 == 0) literal.push_back(std::uint8_t(v << 4));
                    else literal.back() |= std::uint8_t(v);
                }
                if (literal.size() % 2) literal.push_back(0);
                out.insert(out.end(), literal.begin(), literal.end());
                x += n;
            }
        }
        if (random() % 20 == 0) {  // the end mark before the last row
            for (std::size_t k = static_cast<std::size_t>((y + 1) * width); k < picture.size(); ++k)
                picture[k] = 0;
            break;
        }
        if (y + 1 < height) out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

TEST(BmpFormats, RandomIndexedPicturesRoundTrip)
{
    std::mt19937 random(2024);
    for (int k = 0; k < 1500; ++k) {
        const int width = 1 + static_cast<int>(random() % 40);
        const int height = 1 + static_cast<int>(random() % 12);
        const int kind = static_cast<int>(random() % 6);  // 1, 2, 4, 8 bits, RLE4, RLE8
        const int bits = kind < 4 ? 1 << kind : kind == 4 ? 4 : 8;
        Indices picture(static_cast<std::size_t>(width * height));
        for (int& v : picture) v = static_cast<int>(random() % (1u << bits));
        Bmp b{.width = width, .height = height, .bits = bits, .palette = palette(1 << bits)};
        if (kind >= 4) {
            b.compression = kind == 4 ? 2 : 1;
            b.rle = encodeRle(picture, width, height, kind == 4, random);
        } else {
            b.pixels =
                bits == 8 ? Bytes(picture.begin(), picture.end()) : packed(picture, width, bits);
            b.topDown = random() % 3 == 0;
            if (!b.topDown && random() % 3 == 0) b.infoSize = 12;
        }
        const auto image = decode(bmpFile(b));
        ASSERT_TRUE(image) << k;
        ASSERT_EQ(indicesOf(*image), picture)
            << "case " << k << ": " << width << " x " << height << ", kind " << kind;
    }
}

TEST(BmpFormats, TinyRunLengthFilesCannotAskForHugePictures)
{
    // 16384 x 16384 from a few bytes would be a gigabyte of texture.
    Bmp b{.width = 16384,
          .height = 16384,
          .bits = 8,
          .compression = 1,
          .palette = palette(2),
          .rle = {0, 1}};
    EXPECT_FALSE(decode(bmpFile(b)));
    b.width = b.height = 1024;  // a million pixels: any file may ask for that
    EXPECT_TRUE(decode(bmpFile(b)));
}

}  // namespace
