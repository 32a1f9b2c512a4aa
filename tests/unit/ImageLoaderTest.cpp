#include "ImageTestFiles.h"
#include "platform/Messages.h"
#include "support/TestEnvironment.h"
#include "textures/ImageLoader.h"

#include <gtest/gtest.h>

#include <random>

using namespace imagetest;

namespace {

Bytes rgba(const Texture& t) { return t.pixels(); }

std::string bmp8(int width, int height, std::vector<std::array<std::uint8_t, 3>> palette,
                 Bytes indices)
{
    Bmp b;
    b.width = width;
    b.height = height;
    b.bits = 8;
    b.palette = std::move(palette);
    b.pixels = std::move(indices);
    return bmpFile(b);
}

}  // namespace

TEST(LoadTexture, ConvertsEachDepthToRgba)
{
    TempDir dir;
    auto t = loadTexture(dir.write("a.bmp", solidBmp24(1, 1, 10, 20, 30)));
    ASSERT_TRUE(t);
    EXPECT_EQ(rgba(*t), (Bytes{30, 20, 10, 255}));

    Bmp b32;
    b32.bits = 32;
    b32.width = 2;
    b32.pixels = {10, 20, 30, 40, 1, 2, 3, 0};
    t = loadTexture(dir.write("b.bmp", bmpFile(b32)));
    ASSERT_TRUE(t);
    EXPECT_EQ(rgba(*t), (Bytes{30, 20, 10, 40, 3, 2, 1, 0}));

    Tga tga24;
    tga24.pixels = {10, 20, 30};
    t = loadTexture(dir.write("c.tga", tgaFile(tga24)));
    ASSERT_TRUE(t);
    EXPECT_EQ(rgba(*t), (Bytes{30, 20, 10, 255}));

    Tga tga32;
    tga32.bits = 32;
    tga32.pixels = {10, 20, 30, 40};
    t = loadTexture(dir.write("d.tga", tgaFile(tga32)));
    ASSERT_TRUE(t);
    EXPECT_EQ(rgba(*t), (Bytes{30, 20, 10, 40}));
}

TEST(LoadTexture, RowsArePackedBottomFirstWithoutPadding)
{
    TempDir dir;
    Bmp b;
    b.width = 3;
    b.height = 2;
    b.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    const auto t = loadTexture(dir.write("a.bmp", bmpFile(b)));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width(), 3);
    EXPECT_EQ(t->height(), 2);
    EXPECT_EQ(rgba(*t), (Bytes{3,  2,  1,  255, 6,  5,  4,  255, 9,  8,  7,  255,  //
                               13, 12, 11, 255, 16, 15, 14, 255, 19, 18, 17, 255}));
}

TEST(LoadTexture, EightBitIndicesOutsideTheFilePaletteAreOpaqueBlack)
{
    TempDir dir;
    std::vector<std::array<std::uint8_t, 3>> palette(16, {0, 0, 0});
    palette[5] = {10, 20, 30};
    const auto t = loadTexture(dir.write("a.bmp", bmp8(4, 1, palette, {5, 16, 255, 0})));
    ASSERT_TRUE(t);
    EXPECT_EQ(rgba(*t), (Bytes{30, 20, 10, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
}

TEST(LoadTexture, ExtensionIsTheLastThreeCharactersLowerCase)
{
    TempDir dir;
    const std::string image = solidBmp24(1, 1, 1, 2, 3);
    EXPECT_TRUE(loadTexture(dir.write("a.bmp", image)));
    EXPECT_TRUE(loadTexture(dir.write("plainbmp", image)));
    EXPECT_FALSE(loadTexture(dir.write("a.BMP", image)));
    EXPECT_FALSE(loadTexture(dir.write("a.Bmp", image)));
    EXPECT_FALSE(loadTexture(dir.write("a.png", image)));
    Tga tga;
    tga.pixels = {1, 2, 3};
    EXPECT_TRUE(loadTexture(dir.write("a.tga", tgaFile(tga))));
    EXPECT_FALSE(loadTexture(dir.write("a.Tga", tgaFile(tga))));
    EXPECT_FALSE(loadTexture(dir.write("a.TGA", tgaFile(tga))));
    EXPECT_FALSE(loadTexture("mp"));
    EXPECT_FALSE(loadTexture(""));
    // A TGA is read as one only by its contents' reader, not a bitmap's.
    EXPECT_FALSE(loadTexture(dir.write("bitmap.tga", image)));
}

TEST(LoadTexture, ReadsThroughTheWindowsStylePathOfTheWorldFiles)
{
    TempDir dir;
    dir.write("Textures/wall.bmp", solidBmp24(1, 1, 1, 2, 3));
    std::filesystem::create_directories(dir.path() / "Bin");
    std::filesystem::current_path(dir.path() / "Bin");
    const auto t = loadTexture("..\\Textures\\wall.bmp");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->name(), "..\\Textures\\wall.bmp");
}

TEST(LoadTexture, BangNameTakesAlphaFromTheCompanionAndKeepsItsName)
{
    TempDir dir;
    Bmp colour;
    colour.width = 2;
    colour.pixels = {10, 20, 30, 40, 50, 60};
    dir.write("Textures/corona.bmp", bmpFile(colour));
    Bmp alpha;
    alpha.width = 2;
    alpha.pixels = {255, 255, 255, 1, 1, 1};
    dir.write("Textures/corona-a.bmp", bmpFile(alpha));
    std::filesystem::create_directories(dir.path() / "Bin");
    std::filesystem::current_path(dir.path() / "Bin");

    const auto t = loadTexture("!..\\Textures\\corona.bmp");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->name(), "!..\\Textures\\corona.bmp");
    // White gives 254 (a sum times 0.333), (1, 1, 1) gives 0; colours untouched.
    EXPECT_EQ(rgba(*t), (Bytes{30, 20, 10, 254, 60, 50, 40, 0}));
}

TEST(LoadTexture, EightBitAlphaCompanionUsesIntegerGrey)
{
    TempDir dir;
    Tga colour;
    colour.width = 3;
    colour.bits = 32;
    colour.pixels = {10, 20, 30, 40, 10, 20, 30, 40, 10, 20, 30, 40};
    dir.write("sky.tga", tgaFile(colour));
    dir.write("sky-a.bmp", bmp8(3, 1, {{255, 255, 255}, {1, 1, 1}, {0, 30, 60}}, {0, 1, 2}));
    const auto t = loadTexture("!" + dir.file("sky.tga"));
    ASSERT_TRUE(t);
    EXPECT_EQ(rgba(*t), (Bytes{30, 20, 10, 255, 30, 20, 10, 1, 30, 20, 10, 30}));
}

TEST(LoadTexture, BadAlphaCompanionFailsTheWholeLoadAndGivesTheNameBack)
{
    TempDir dir;
    dir.write("a.bmp", solidBmp24(2, 2, 1, 2, 3));
    const std::string name = "!" + dir.file("a.bmp");
    // Missing.
    EXPECT_FALSE(loadTexture(name));
    // One pixel narrower, one pixel shorter.
    dir.write("a-a.bmp", solidBmp24(1, 2, 9, 9, 9));
    EXPECT_FALSE(loadTexture(name));
    dir.write("a-a.bmp", solidBmp24(2, 1, 9, 9, 9));
    EXPECT_FALSE(loadTexture(name));
    // 32 bits is no alpha source.
    Bmp deep;
    deep.bits = 32;
    deep.width = 2;
    deep.height = 2;
    deep.pixels = Bytes(16, 9);
    dir.write("a-a.bmp", bmpFile(deep));
    EXPECT_FALSE(loadTexture(name));

    auto& device = recordingTextureDevice();
    EXPECT_EQ(device.released.size(), device.nextName - 1);
    dir.write("a-a.bmp", solidBmp24(2, 2, 9, 9, 9));
    EXPECT_TRUE(loadTexture(name));
}

TEST(LoadTexture, BangNamesTooShortForTheCompanionRuleAreRefused)
{
    TempDir dir;
    std::filesystem::current_path(dir.path());
    dir.write("bmp", solidBmp24(1, 1, 1, 2, 3));
    dir.write("-a.bmp", solidBmp24(1, 1, 1, 2, 3));
    EXPECT_TRUE(loadTexture("bmp"));
    for (const char* name : {"!", "!b", "!mp", "!bmp"}) EXPECT_FALSE(loadTexture(name)) << name;
    // Four characters is just enough: the companion is "-a.bmp".
    dir.write("xbmp", solidBmp24(1, 1, 1, 2, 3));
    EXPECT_TRUE(loadTexture("!xbmp"));
}

TEST(LoadTexture, WarnsOnceWhenASideIsNotAPowerOfTwoAndStillLoads)
{
    TempDir dir;
    dir.write("odd.bmp", solidBmp24(48, 64, 1, 2, 3));
    dir.write("odd-a.bmp", solidBmp24(48, 64, 1, 2, 3));
    const auto t = loadTexture("!" + dir.file("odd.bmp"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width(), 48);
    const auto& messages = fakePlatform().messages;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, platform::messageCaption);
    EXPECT_EQ(messages[0].text,
              "\nBitmap \"" + dir.file("odd.bmp") + "\" is not a power of 2; width 48, height 64.");

    for (auto [w, h] : {std::pair{1, 1}, {2, 64}, {64, 1}, {128, 256}})
        ASSERT_TRUE(loadTexture(dir.write("even.bmp", solidBmp24(w, h, 0, 0, 0))));
    EXPECT_EQ(messages.size(), 1u);
    ASSERT_TRUE(loadTexture(dir.write("tall.bmp", solidBmp24(4, 3, 0, 0, 0))));
    EXPECT_EQ(messages.size(), 2u);
}

TEST(LoadTexture, RefusedTextureShowsNoPowerOfTwoWarning)
{
    // One box per refused texture (the caller's "Error"), not the warning first.
    TempDir dir;
    dir.write("odd.bmp", solidBmp24(48, 64, 1, 2, 3));
    const std::string name = "!" + dir.file("odd.bmp");
    EXPECT_FALSE(loadTexture(name));  // no companion
    dir.write("odd-a.bmp", solidBmp24(47, 64, 1, 2, 3));
    EXPECT_FALSE(loadTexture(name));  // companion of another size
    Bmp deep{.width = 48, .height = 64, .bits = 32, .pixels = Bytes(48 * 64 * 4, 9)};
    dir.write("odd-a.bmp", bmpFile(deep));
    EXPECT_FALSE(loadTexture(name));  // companion of a depth that gives no alpha
    EXPECT_TRUE(fakePlatform().messages.empty());
    EXPECT_EQ(recordingTextureDevice().nextName, 1u) << "a refused texture took a GL name";
}

// Every layout (8-bit palette, 24 and 32 bits, BMP and TGA), at widths with
// and without row padding, against a plain per-pixel reading of the bytes
// written.
TEST(LoadTexture, PixelsOfEveryLayoutMatchAPlainConversion)
{
    TempDir dir;
    std::mt19937 engine(14);
    auto byte = [&engine] { return static_cast<std::uint8_t>(engine() & 0xFF); };
    for (int run = 0; run < 150; ++run) {
        const int width = 1 + static_cast<int>(engine() % 19);
        const int height = 1 + static_cast<int>(engine() % 5);
        const int layout = run % 5;  // BMP 24, TGA 24, BMP 32, TGA 32, BMP 8
        const bool tga = layout == 1 || layout == 3;
        const int bits = layout < 2 ? 24 : layout < 4 ? 32 : 8;
        const int step = bits / 8;
        Bytes stored(static_cast<std::size_t>(width * height * step));
        for (std::uint8_t& b : stored) b = byte();
        // A palette of a random length: indices past it are opaque black.
        std::vector<std::array<std::uint8_t, 3>> palette(1 + engine() % 256);
        for (auto& entry : palette) entry = {byte(), byte(), byte()};
        // Stored B, G, R (, A) in both formats; 24 bits are opaque.
        Bytes expected;
        for (std::size_t p = 0; p < stored.size(); p += static_cast<std::size_t>(step)) {
            if (bits == 8) {
                const std::array<std::uint8_t, 3> e =
                    stored[p] < palette.size() ? palette[stored[p]] : std::array<std::uint8_t, 3>{};
                expected.insert(expected.end(), {e[2], e[1], e[0], 255});
                continue;
            }
            expected.insert(expected.end(), {stored[p + 2], stored[p + 1], stored[p],
                                             bits == 32 ? stored[p + 3] : std::uint8_t{255}});
        }
        std::string file;
        if (tga) {
            Tga t;
            t.width = width;
            t.height = height;
            t.bits = bits;
            t.pixels = stored;
            file = tgaFile(t);
        } else {
            Bmp b;
            b.width = width;
            b.height = height;
            b.bits = bits;
            b.pixels = stored;
            if (bits == 8) b.palette = palette;
            file = bmpFile(b);
        }
        fakePlatform().messages.clear();
        const std::string name = "p" + std::to_string(run) + (tga ? ".tga" : ".bmp");
        const auto texture = loadTexture(dir.write(name, file));
        ASSERT_TRUE(texture) << name;
        ASSERT_EQ(rgba(*texture), expected) << name << " " << width << "x" << height;
    }
}
