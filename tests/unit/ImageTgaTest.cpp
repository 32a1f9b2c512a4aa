#include "ImageTestFiles.h"
#include "support/TestEnvironment.h"
#include "textures/ImageFile.h"

#include <gtest/gtest.h>

using namespace imagetest;

namespace {

// 2 x 2, 24 bits: stored rows (B, G, R) first row then second row.
Tga quad24()
{
    return {.width = 2,
            .height = 2,
            .pixels = {1, 2, 3, 4, 5, 6,  // first stored row
                       7, 8, 9, 10, 11, 12}};
}

}  // namespace

TEST(ImageFile, ReadsTrueColourSwappingBlueAndRed)
{
    TempDir dir;
    ImageFile image;
    ASSERT_TRUE(image.load(dir.write("a.tga", tgaFile(quad24()))));
    EXPECT_EQ(image.width(), 2);
    EXPECT_EQ(image.height(), 2);
    EXPECT_EQ(image.bytesPerPixel(), 3);
    EXPECT_EQ(image.fileName(), dir.file("a.tga"));
    EXPECT_EQ(image.pixels(), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));

    Tga t;
    t.bits = 32;
    t.pixels = {10, 20, 30, 40};
    ImageFile alpha;
    ASSERT_TRUE(alpha.load(dir.write("b.tga", tgaFile(t))));
    EXPECT_EQ(alpha.bytesPerPixel(), 4);
    EXPECT_EQ(alpha.pixels(), (Bytes{30, 20, 10, 40}));
}

TEST(ImageFile, SkipsImageIdAndUnusedColourMap)
{
    TempDir dir;
    Tga t = quad24();
    t.id = "made by hand";
    t.colourMapType = 1;
    t.mapLength = 3;
    t.mapEntryBits = 24;
    ImageFile image;
    ASSERT_TRUE(image.load(dir.write("a.tga", tgaFile(t))));
    EXPECT_EQ(image.pixels(), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
}

TEST(ImageFile, OtherOriginsComeOutBottomRowFirstLeftToRight)
{
    TempDir dir;
    Tga t = quad24();
    t.descriptor = 0x20;  // first stored row is the top
    ImageFile top;
    ASSERT_TRUE(top.load(dir.write("top.tga", tgaFile(t))));
    EXPECT_EQ(top.pixels(), (Bytes{9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4}));

    t.descriptor = 0x10;  // each row stored right to left
    ImageFile mirrored;
    ASSERT_TRUE(mirrored.load(dir.write("right.tga", tgaFile(t))));
    EXPECT_EQ(mirrored.pixels(), (Bytes{6, 5, 4, 3, 2, 1, 12, 11, 10, 9, 8, 7}));
}

TEST(ImageFile, ExtensionMustBeLowerCaseTgaAfterTheLastDot)
{
    TempDir dir;
    const std::string contents = tgaFile(quad24());
    for (const char* name : {"a.TGA", "a.Tga", "a.tga.bak", "atga", "a.tgax"}) {
        ImageFile image;
        EXPECT_FALSE(image.load(dir.write(name, contents))) << name;
        EXPECT_TRUE(image.pixels().empty());
    }
    ImageFile image;
    EXPECT_FALSE(image.load(""));
}

TEST(ImageFile, RefusesASecondLoadUntilCleared)
{
    TempDir dir;
    const auto path = dir.write("a.tga", tgaFile(quad24()));
    ImageFile image;
    ASSERT_TRUE(image.load(path));
    EXPECT_FALSE(image.load(path));
    EXPECT_EQ(image.width(), 2);
    image.clear();
    EXPECT_TRUE(image.pixels().empty());
    EXPECT_EQ(image.width(), 0);
    EXPECT_TRUE(image.fileName().empty());
    EXPECT_TRUE(image.load(path));
}
