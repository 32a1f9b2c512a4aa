#include "ImageTestFiles.h"
#include "support/TestEnvironment.h"
#include "textures/BmpFile.h"

#include <gtest/gtest.h>

using namespace imagetest;

namespace {

// A 3 x 2 picture: 9 bytes a row at 24 bits, so every row carries 3 bytes of
// padding that must neither be taken as pixels nor shift the next row.
Bmp picture24()
{
    return {.width = 3,
            .height = 2,
            .pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9,  // bottom row
                       11, 12, 13, 14, 15, 16, 17, 18, 19}};
}

Bmp picture8()
{
    Bmp b{.width = 5,
          .height = 2,
          .bits = 8,
          .pixels = {0, 1, 2, 15, 200,  // bottom row
                     3, 4, 5, 6, 255}};
    for (int i = 0; i < 16; ++i)
        b.palette.push_back({std::uint8_t(i), std::uint8_t(i * 2), std::uint8_t(i * 3)});
    return b;
}

Bytes row(const BmpImage& image, int y, int bytes)
{
    const auto* start = image.rows.data() + static_cast<std::size_t>(y) * image.stride;
    return Bytes(start, start + bytes);
}

}  // namespace

TEST(BmpFile, TwentyFourBitRowsKeepStoredBytesBottomRowFirstPaddedToFour)
{
    TempDir dir;
    const auto image = readBmpFile(dir.write("p.bmp", bmpFile(picture24())));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->bitsPerPixel, 24);
    EXPECT_EQ(image->stride, 12);
    ASSERT_EQ(image->rows.size(), 24u);
    EXPECT_EQ(row(*image, 0, 9), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(row(*image, 1, 9), (Bytes{11, 12, 13, 14, 15, 16, 17, 18, 19}));
}

TEST(BmpFile, TopDownFileGivesTheSameBufferAsBottomUp)
{
    TempDir dir;
    for (Bmp b : {picture24(), picture8()}) {
        const auto bottomUp = readBmpFile(dir.write("up.bmp", bmpFile(b)));
        b.topDown = true;
        const auto topDown = readBmpFile(dir.write("down.bmp", bmpFile(b)));
        ASSERT_TRUE(bottomUp);
        ASSERT_TRUE(topDown);
        EXPECT_EQ(topDown->height, bottomUp->height);
        EXPECT_EQ(topDown->rows, bottomUp->rows);
        EXPECT_EQ(topDown->palette, bottomUp->palette);
    }
}

TEST(BmpFile, EightBitPaletteHasFileEntriesAndBlackForTheRest)
{
    TempDir dir;
    const auto image = readBmpFile(dir.write("p.bmp", bmpFile(picture8())));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bitsPerPixel, 8);
    EXPECT_EQ(image->stride, 8);
    EXPECT_EQ(row(*image, 0, 5), (Bytes{0, 1, 2, 15, 200}));
    EXPECT_EQ(image->palette[15], (std::array<std::uint8_t, 3>{15, 30, 45}));
    for (int i = 16; i < 256; ++i)
        EXPECT_EQ(image->palette[i], (std::array<std::uint8_t, 3>{0, 0, 0})) << i;
}

TEST(BmpFile, ZeroColoursUsedMeansAFullPalette)
{
    TempDir dir;
    Bmp b = picture8();
    b.palette.resize(256, {9, 9, 9});
    b.coloursUsed = 0;
    const auto image = readBmpFile(dir.write("p.bmp", bmpFile(b)));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->palette[255], (std::array<std::uint8_t, 3>{9, 9, 9}));
}

TEST(BmpFile, VersionFourAndFiveHeadersReadLikeTheClassicOne)
{
    TempDir dir;
    for (Bmp b : {picture24(), picture8()}) {
        const auto classic = readBmpFile(dir.write("c.bmp", bmpFile(b)));
        for (std::uint32_t size : {108u, 124u}) {
            b.infoSize = size;
            const auto newer = readBmpFile(dir.write("n.bmp", bmpFile(b)));
            ASSERT_TRUE(classic);
            ASSERT_TRUE(newer) << size;
            EXPECT_EQ(newer->rows, classic->rows);
            EXPECT_EQ(newer->palette, classic->palette);
        }
    }
}

TEST(BmpFile, ThirtyTwoBitsKeepTheFourthByte)
{
    TempDir dir;
    Bmp b;
    b.bits = 32;
    b.width = 2;
    b.pixels = {10, 20, 30, 40, 50, 60, 70, 0};
    const auto image = readBmpFile(dir.write("p.bmp", bmpFile(b)));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->stride, 8);
    EXPECT_EQ(image->rows, b.pixels);
}

TEST(BmpFile, BitfieldsAreRepackedToBlueGreenRedAlpha)
{
    TempDir dir;
    Bmp b;
    b.bits = 32;
    b.width = 2;
    b.compression = 3;
    b.pixels = {10, 20, 30, 40, 50, 60, 70, 80};

    // The ordinary masks, after a 40-byte header: the bytes as they are.
    auto image = readBmpFile(dir.write("a.bmp", bmpFile(b)));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->rows, b.pixels);

    // Red in the top byte, alpha in the lowest, in a version-5 header.
    b.infoSize = 124;
    b.masks = {0xFF000000u, 0x00FF0000u, 0x0000FF00u, 0x000000FFu};
    image = readBmpFile(dir.write("b.bmp", bmpFile(b)));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->rows, (Bytes{20, 30, 40, 10, 60, 70, 80, 50}));

    // Five bits a colour, no alpha: scaled to full range, opaque.
    b.masks = {0x7C00u, 0x03E0u, 0x001Fu, 0};
    b.pixels = {0xFF, 0x7F, 0, 0, 0x00, 0x00, 0, 0};
    image = readBmpFile(dir.write("c.bmp", bmpFile(b)));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->rows, (Bytes{255, 255, 255, 255, 0, 0, 0, 255}));
}
