#include "ImageTestFiles.h"
#include "state/ProgramState.h"
#include "support/TestEnvironment.h"
#include "textures/ImageLoader.h"
#include "textures/TextureCache.h"

#include <gtest/gtest.h>

using namespace imagetest;

namespace {

// Runs in a temporary folder holding a few small bitmaps.
class TextureCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.write("Textures/wall.bmp", solidBmp24(2, 2, 1, 2, 3));
        dir.write("Textures/corona.bmp", solidBmp24(2, 2, 4, 5, 6));
        dir.write("Textures/corona-a.bmp", solidBmp24(2, 2, 255, 255, 255));
        std::filesystem::create_directories(dir.path() / "Bin");
        std::filesystem::current_path(dir.path() / "Bin");
    }

    TempDir dir;
    TextureCache cache;
    RecordingTextureDevice& device = recordingTextureDevice();
};

}  // namespace

TEST_F(TextureCacheTest, NamesMatchWithoutRegardToCase)
{
    Texture* wall = cache.findOrLoad("..\\Textures\\wall.bmp");
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(cache.findOrLoad("..\\textures\\WALL.bmp"), wall);
    EXPECT_EQ(cache.findOrLoad("..\\TEXTURES\\Wall.BMP"), wall);
    EXPECT_EQ(cache.size(), 1u);
    EXPECT_EQ(device.uploads.size(), 1u);
}

TEST_F(TextureCacheTest, BangNameIsADifferentTexture)
{
    Texture* plain = cache.findOrLoad("..\\Textures\\corona.bmp");
    Texture* alpha = cache.findOrLoad("!..\\Textures\\corona.bmp");
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(alpha, nullptr);
    EXPECT_NE(plain, alpha);
    EXPECT_EQ(plain->pixels()[3], 255);
    EXPECT_EQ(alpha->pixels()[3], 254);
    EXPECT_EQ(cache.findOrLoad("!..\\textures\\CORONA.bmp"), alpha);
    EXPECT_EQ(cache.size(), 2u);
}

TEST_F(TextureCacheTest, FailingNameIsTriedAgainOnEveryRequest)
{
    EXPECT_EQ(cache.findOrLoad("..\\Textures\\late.bmp"), nullptr);
    EXPECT_EQ(cache.findOrLoad("..\\Textures\\late.bmp"), nullptr);
    EXPECT_EQ(cache.size(), 0u);
    dir.write("Textures/late.bmp", solidBmp24(2, 2, 7, 7, 7));
    EXPECT_NE(cache.findOrLoad("..\\Textures\\late.bmp"), nullptr);
    EXPECT_EQ(cache.size(), 1u);
}

TEST_F(TextureCacheTest, UploadFollowsTheMipmapSettingAtLoadTime)
{
    cache.setMipmapping(false);
    Texture* wall = cache.findOrLoad("..\\Textures\\wall.bmp");
    cache.setMipmapping(true);
    Texture* corona = cache.findOrLoad("..\\Textures\\corona.bmp");
    ASSERT_NE(wall, nullptr);
    ASSERT_NE(corona, nullptr);
    ASSERT_EQ(device.uploads.size(), 2u);
    EXPECT_EQ(device.uploads[0].name, wall->glName());
    EXPECT_FALSE(device.uploads[0].mipmaps);
    EXPECT_EQ(device.uploads[1].name, corona->glName());
    EXPECT_TRUE(device.uploads[1].mipmaps);
    EXPECT_EQ(device.uploads[1].width, 2);
    // Found again: not uploaded again, whatever the setting says now.
    cache.setMipmapping(false);
    cache.findOrLoad("..\\Textures\\corona.bmp");
    EXPECT_EQ(device.uploads.size(), 2u);
}

TEST_F(TextureCacheTest, AddKeepsDuplicatesAndLookupReturnsTheFirst)
{
    auto first = loadTexture("..\\Textures\\wall.bmp");
    auto second = loadTexture("..\\Textures\\wall.bmp");
    ASSERT_TRUE(first && second);
    Texture* kept = cache.add(std::move(first));
    cache.add(std::move(second));
    EXPECT_EQ(cache.add(nullptr), nullptr);
    EXPECT_EQ(cache.size(), 2u);
    EXPECT_EQ(cache.findOrLoad("..\\Textures\\WALL.bmp"), kept);
    EXPECT_TRUE(device.uploads.empty());
}

TEST_F(TextureCacheTest, AfterUnloadAllBindingDisablesTexturingAndUploadDoesNothing)
{
    Texture* wall = cache.findOrLoad("..\\Textures\\wall.bmp");
    Texture* corona = cache.findOrLoad("..\\Textures\\corona.bmp");
    ASSERT_TRUE(wall && corona);
    const unsigned wallName = wall->glName();
    const unsigned coronaName = corona->glName();

    wall->bind();
    EXPECT_TRUE(device.texturingEnabled);
    EXPECT_EQ(device.bound, wallName);

    cache.unloadAll();
    EXPECT_EQ(device.released, (std::vector<unsigned>{wallName, coronaName}));
    EXPECT_EQ(wall->glName(), Texture::noName);
    EXPECT_EQ(wall->pixels().size(), 16u);
    EXPECT_EQ(wall->name(), "..\\Textures\\wall.bmp");

    wall->bind();
    EXPECT_FALSE(device.texturingEnabled);
    wall->upload(true);
    EXPECT_EQ(device.uploads.size(), 2u);
    // A second release is a no-op.
    cache.unloadAll();
    EXPECT_EQ(device.released.size(), 2u);
}

TEST(Texture, UploadBindsItsOwnNameFirst)
{
    RecordingTextureDevice& device = recordingTextureDevice();
    Texture t(4, 2);
    EXPECT_EQ(t.pixels().size(), 32u);
    EXPECT_EQ(t.glName(), 1u);
    t.upload(false);
    EXPECT_EQ(device.bound, 1u);
    EXPECT_TRUE(device.texturingEnabled);
    ASSERT_EQ(device.uploads.size(), 1u);
    EXPECT_EQ(device.uploads[0].width, 4);
    EXPECT_EQ(device.uploads[0].height, 2);

    Texture empty(0, 5);
    empty.upload(true);
    EXPECT_EQ(device.uploads.size(), 1u);
}
