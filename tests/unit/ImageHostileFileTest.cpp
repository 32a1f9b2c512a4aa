// Malformed, truncated and hostile image files: each must be refused cleanly
// (no crash, no out-of-bounds read under the sanitizers, no partial texture,
// no message box, no GL name kept).

#include "ImageTestFiles.h"
#include "NamedPipeWatch.h"
#include "support/TestEnvironment.h"
#include "textures/BmpFile.h"
#include "textures/ImageFile.h"
#include "textures/ImageLoader.h"

#include <gtest/gtest.h>

#include <functional>

using namespace imagetest;

namespace {

struct Hostile {
    const char* what;
    std::string contents;
};

Bmp valid8()
{
    return {.width = 3,
            .height = 2,
            .bits = 8,
            .palette = {{1, 2, 3}, {4, 5, 6}},
            .pixels = {0, 1, 0, 1, 0, 1}};
}

Bmp valid24() { return {.width = 2, .height = 2, .pixels = Bytes(12, 7)}; }

Tga valid32() { return {.width = 2, .height = 2, .bits = 32, .pixels = Bytes(16, 9)}; }

std::string bmpWith(std::function<void(Bmp&)> change, Bmp b = valid24())
{
    change(b);
    return bmpFile(b);
}

std::string tgaWith(std::function<void(Tga&)> change)
{
    Tga t = valid32();
    change(t);
    return tgaFile(t);
}

// Overwrites bytes of a finished file (for header fields the writer keeps
// consistent).
std::string patched(std::string file, std::size_t offset, std::uint32_t value, int bytes = 4)
{
    std::string little;
    for (int i = 0; i < bytes; ++i) little.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return file.replace(offset, little.size(), little);
}

std::vector<Hostile> hostileBmps()
{
    const std::string good = bmpFile(valid24());
    const std::string good8 = bmpFile(valid8());
    return {
        {"empty", ""},
        {"magic only", "BM"},
        {"wrong magic", "MB" + good.substr(2)},
        {"core header", patched(good, 14, 12)},
        {"odd header size", patched(good, 14, 64)},
        {"huge header size", patched(good, 14, 0xFFFFFFFFu)},
        {"zero width", bmpWith([](Bmp& b) {
             b.width = 0;
             b.pixels.clear();
         })},
        {"zero height", bmpWith([](Bmp& b) {
             b.height = 0;
             b.pixels.clear();
         })},
        {"negative width", patched(good, 18, static_cast<std::uint32_t>(-2))},
        {"most negative height", patched(good, 22, 0x80000000u)},
        {"width above the limit", patched(good, 18, maximumImageSide + 1)},
        {"height above the limit", patched(good, 22, maximumImageSide + 1)},
        {"top-down height above the limit",
         patched(good, 22, static_cast<std::uint32_t>(-(maximumImageSide + 1)))},
        {"largest sides, no data",
         patched(patched(good, 18, maximumImageSide), 22, maximumImageSide)},
        {"sides whose byte count wraps 32 bits", patched(patched(good, 18, 0x10000), 22, 0x10000)},
        {"1 bit, palette over the pixels", patched(good, 28, 1, 2)},
        {"3 bits", patched(good8, 28, 3, 2)},
        {"16 bits, mask past its bits", bmpWith([](Bmp& b) {
             b.bits = 16;
             b.compression = 3;
             b.masks[0] = 0x1F0000u;
             b.pixels = Bytes(8);
         })},
        {"0 bits", patched(good, 28, 0, 2)},
        {"48 bits", patched(good, 28, 48, 2)},
        {"RLE8 without its end mark", bmpWith(
                                          [](Bmp& b) {
                                              b.compression = 1;
                                              b.rle = {2, 1, 0, 0, 3, 0};
                                          },
                                          valid8())},
        {"RLE4 on 8 bits", patched(good8, 30, 2)},
        {"JPEG", patched(good, 30, 4)},
        {"PNG", patched(good, 30, 5)},
        {"alpha bitfields", patched(good, 30, 6)},
        {"bitfields at 24 bits", patched(good, 30, 3)},
        {"bitfields at 8 bits", patched(good8, 30, 3)},
        {"bitfields with a zero mask", bmpWith([](Bmp& b) {
             b.bits = 32;
             b.compression = 3;
             b.masks[1] = 0;
             b.pixels = Bytes(16);
         })},
        {"bitfields with a gap in a mask", bmpWith([](Bmp& b) {
             b.bits = 32;
             b.compression = 3;
             b.masks[0] = 0x00F0F000u;
             b.pixels = Bytes(16);
         })},
        {"bitfields with overlapping masks", bmpWith([](Bmp& b) {
             b.bits = 32;
             b.compression = 3;
             b.masks[0] = 0x0000FFFFu;
             b.pixels = Bytes(16);
         })},
        {"bitfields with alpha over a colour", bmpWith([](Bmp& b) {
             b.bits = 32;
             b.compression = 3;
             b.infoSize = 108;
             b.masks[3] = 0x00FF0000u;
             b.pixels = Bytes(16);
         })},
        {"palette larger than 256", patched(good8, 46, 257)},
        {"palette count near 2^32", patched(good8, 46, 0xFFFFFFFFu)},
        {"palette past the file end", patched(good8, 46, 200)},
        {"full palette promised, two given", patched(good8, 46, 0)},
        {"pixel offset past the end", patched(good, 10, 0xFFFFFFF0u)},
        {"pixel offset inside the headers", patched(good, 10, 20)},
        {"pixel data one byte short", good.substr(0, good.size() - 1)},
    };
}

void expectRefusedEverywhere(const TempDir& dir, const Hostile& h, const std::string& file)
{
    SCOPED_TRACE(h.what);
    const auto path = dir.write(file, h.contents);
    if (file.ends_with(".bmp")) {
        EXPECT_FALSE(readBmpFile(path));
    }
    if (file.ends_with(".tga")) {
        ImageFile image;
        EXPECT_FALSE(image.load(path));
        EXPECT_TRUE(image.pixels().empty());
        EXPECT_EQ(image.width(), 0);
    }
    EXPECT_FALSE(loadTexture(path));
    // Also as the alpha companion of a good image.
    dir.write("good.bmp", bmpFile(valid24()));
    dir.write("good-a.bmp", h.contents);
    if (file.ends_with(".bmp")) {
        EXPECT_FALSE(loadTexture("!" + dir.file("good.bmp")));
    }
    EXPECT_TRUE(fakePlatform().messages.empty());
    // Any GL name handed out for a refused load was given back.
    auto& device = recordingTextureDevice();
    EXPECT_EQ(device.released.size(), device.nextName - 1);
}

}  // namespace

TEST(HostileImageFiles, MalformedBitmapsAreRefused)
{
    TempDir dir;
    for (const auto& h : hostileBmps()) expectRefusedEverywhere(dir, h, "hostile.bmp");
}

TEST(HostileImageFiles, EveryTruncationOfAGoodBitmapIsRefused)
{
    TempDir dir;
    Bmp v5 = valid8();
    v5.infoSize = 124;
    Bmp fields;
    fields.bits = 32;
    fields.compression = 3;
    fields.pixels = Bytes(4, 1);
    for (const auto& good : {bmpFile(valid8()), bmpFile(valid24()), bmpFile(v5), bmpFile(fields)}) {
        ASSERT_TRUE(readBmpFile(dir.write("whole.bmp", good)));
        for (std::size_t length = 0; length < good.size(); ++length) {
            const std::string what = "truncated to " + std::to_string(length);
            expectRefusedEverywhere(dir, {what.c_str(), good.substr(0, length)}, "cut.bmp");
        }
    }
}

TEST(HostileImageFiles, MalformedTargasAreRefused)
{
    TempDir dir;
    const std::string good = tgaFile(valid32());
    std::vector<Hostile> cases = {
        {"empty", ""},
        {"short header", good.substr(0, 17)},
        {"colour-mapped", tgaWith([](Tga& t) {
             t.imageType = 1;
             t.bits = 8;
             t.pixels = Bytes(4);
         })},
        {"run-length true colour", tgaWith([](Tga& t) { t.imageType = 10; })},
        {"run-length colour-mapped", tgaWith([](Tga& t) { t.imageType = 9; })},
        {"grey", tgaWith([](Tga& t) {
             t.imageType = 3;
             t.bits = 8;
             t.pixels = Bytes(4);
         })},
        {"no image data type", tgaWith([](Tga& t) { t.imageType = 0; })},
        {"8 bits", tgaWith([](Tga& t) {
             t.bits = 8;
             t.pixels = Bytes(4);
         })},
        {"16 bits", tgaWith([](Tga& t) {
             t.bits = 16;
             t.pixels = Bytes(8);
         })},
        {"15 bits", tgaWith([](Tga& t) {
             t.bits = 15;
             t.pixels = Bytes(8);
         })},
        {"31 bits", tgaWith([](Tga& t) { t.bits = 31; })},
        {"0 bits", tgaWith([](Tga& t) { t.bits = 0; })},
        {"zero width", tgaWith([](Tga& t) { t.width = 0; })},
        {"zero height", tgaWith([](Tga& t) { t.height = 0; })},
        {"largest sides, no data", tgaWith([](Tga& t) {
             t.width = 65535;
             t.height = 65535;
         })},
        {"largest accepted sides, no data", tgaWith([](Tga& t) {
             t.width = maximumImageSide;
             t.height = maximumImageSide;
         })},
        {"sides above the limit", tgaWith([](Tga& t) {
             t.width = maximumImageSide + 1;
             t.pixels = Bytes(static_cast<std::size_t>(t.width) * 2 * 4);
         })},
        {"unknown colour map type", tgaWith([](Tga& t) { t.colourMapType = 2; })},
        {"colour map that eats the pixels", tgaWith([](Tga& t) {
                                                t.colourMapType = 1;
                                                t.mapLength = 65535;
                                                t.mapEntryBits = 32;
                                            }).substr(0, 200)},
        {"image ID that eats the pixels", patched(good, 0, 255, 1)},
        {"one byte short", good.substr(0, good.size() - 1)},
    };
    for (const auto& h : cases) expectRefusedEverywhere(dir, h, "hostile.tga");

    for (std::size_t length = 0; length < good.size(); ++length) {
        const std::string what = "truncated to " + std::to_string(length);
        expectRefusedEverywhere(dir, {what.c_str(), good.substr(0, length)}, "cut.tga");
    }
}

TEST(HostileImageFiles, MissingFilesAndFoldersAreRefused)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "folder.bmp");
    std::filesystem::create_directories(dir.path() / "folder.tga");
    EXPECT_FALSE(readBmpFile(dir.file("folder.bmp")));
    EXPECT_FALSE(readBmpFile(dir.file("missing.bmp")));
    EXPECT_FALSE(loadTexture(dir.file("folder.tga")));
    EXPECT_FALSE(loadTexture(dir.file("missing.tga")));
    EXPECT_FALSE(loadTexture(""));
    EXPECT_EQ(recordingTextureDevice().nextName, 1u);
}

TEST(HostileImageFiles, NamedPipesAreRefusedWithoutWaiting)
{
    TempDir dir;
    NamedPipeWatch bmp(dir.file("pipe.bmp"));
    NamedPipeWatch tga(dir.file("pipe.tga"));
    ASSERT_TRUE(bmp.created() && tga.created());
    EXPECT_FALSE(readBmpFile(dir.file("pipe.bmp")));
    EXPECT_FALSE(loadTexture(dir.file("pipe.bmp")));
    EXPECT_FALSE(loadTexture(dir.file("pipe.tga")));
    bmp.finished();
    tga.finished();
    EXPECT_FALSE(bmp.readerWasStuck());
    EXPECT_FALSE(tga.readerWasStuck());
    EXPECT_EQ(recordingTextureDevice().nextName, 1u);
}
