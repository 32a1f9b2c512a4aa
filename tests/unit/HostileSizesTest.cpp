// Counts from a file that meet sizes in memory: grids whose products wrap
// 64 bits must be refused before anything is allocated, and nothing a
// reader throws may end the game.

#include "WorldTestFiles.h"
#include "support/TestEnvironment.h"

#include "entities/HeightField.h"
#include "textures/TextureCache.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

namespace {

// Columns and rows whose vertex and triangle token counts, multiplied out in
// 64 bits, wrap to a handful of tokens; the first pair gives 14.
struct Grid {
    const char* columns;
    const char* rows;
};
const Grid wrappingGrids[] = {{"1367634237", "642288970"},
                              {"2147483647", "2147483647"},
                              {"2147483647", "2"},
                              {"2", "2147483647"},
                              {"65536", "268435456"}};

// What follows the counts: a texture word and enough tokens for a check
// that trusts a wrapped product.
const std::string filler = " ground.bmp 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0";

TEST(HostileSizes, WrappingHeightFieldGridsAreRefusedBeforeAllocating)
{
    for (const Grid& grid : wrappingGrids) {
        SCOPED_TRACE(std::string(grid.columns) + " x " + grid.rows);
        TokenReader in(std::string(grid.columns) + " " + grid.rows + filler);
        TextureCache textures;
        // Before the fix the vertex vector's resize threw std::length_error.
        std::unique_ptr<HeightField> field;
        EXPECT_NO_THROW(field = readHeightField(in, textures));
        EXPECT_EQ(field, nullptr);
        ASSERT_FALSE(in.ok());
        EXPECT_EQ(in.failure()->expected, "a grid the rest of the file can hold");
    }
}

TEST(HostileSizes, SeventyNineByteWorldIsRefusedWithTheObjectMessage)
{
    TempDir dir;
    // The world found by hand: it used to abort the game (status 134).
    const std::string text = "0 0 0 1 1 1 0 1 HeightField 1367634237 642288970" + filler;
    const std::string path = dir.write("hostile.wrl", text.substr(0, 79));
    std::unique_ptr<World> world;
    EXPECT_NO_THROW(world = loadWorld(path, true));
    EXPECT_EQ(world, nullptr);
    ASSERT_EQ(fakePlatform().messages.size(), 1u);
    EXPECT_EQ(fakePlatform().messages[0].caption, "Error");
    EXPECT_EQ(fakePlatform().messages[0].text, "Unable to load an object");
}

TEST(HostileSizes, LargestGridTheFileHoldsIsStillRead)
{
    // The bound is exact: a 2 x 2 grid needs 4 * 11 + 2 * 5 tokens after its
    // texture word; a file holding exactly that many reads.
    auto field = geometry_test::makeField(2, 2, 0, 0, 1, [](int, int) { return 0.0; });
    std::string text = "2 2 ground.bmp\n";
    for (const Vertex& v : field->grid.vertices)
        text += std::to_string(v.position.x) + " 0 " + std::to_string(v.position.z) +
                " 0 0 0 1 0 1 1 1\n";
    for (const CollisionPolygon& t : field->grid.triangles) writeCollisionPolygon(text, t);
    TokenReader in(text);
    TextureCache textures;
    const auto read = readHeightField(in, textures);
    ASSERT_NE(read, nullptr) << in.describeFailure("field");
    EXPECT_EQ(read->grid.vertices.size(), 4u);
    EXPECT_EQ(read->grid.triangles.size(), 2u);
}

// Nothing thrown below the loader reaches the game: an allocation that
// fails anyway is a refused world or texture, with its usual box.
TEST(HostileSizes, ExceptionsStopAtTheLoaderAndTextureBoundaries)
{
    TempDir dir;
    dir.write("wall.bmp", worldtest::solidBitmap(2, 2, {1, 2, 3}));
    const std::string listed =
        dir.write("listed.wrl", "0 0 0 1 1 1 1 " + dir.file("wall.bmp") + " 0");
    std::unique_ptr<World> world;

    // A device that fails while the loader uploads a listed texture: the
    // throw leaves the texture reader behind and reaches the loader itself.
    struct FailingUpload : RecordingTextureDevice {
        void upload(unsigned, int, int, const std::uint8_t*, bool) override
        {
            throw std::bad_alloc();
        }
    } failingUpload;
    installTextureDevice(&failingUpload);
    EXPECT_NO_THROW(world = loadWorld(listed, true));
    installTextureDevice(&recordingTextureDevice());
    EXPECT_EQ(world, nullptr);
    ASSERT_EQ(fakePlatform().messages.size(), 1u);
    EXPECT_EQ(fakePlatform().messages[0].text, "Unable to load an object");
    EXPECT_FALSE(lastWorldLoadProblem().empty());

    // A device that cannot hand out a texture name throws while a listed
    // texture loads: the texture is refused by name.
    struct ThrowingDevice : RecordingTextureDevice {
        unsigned generateName() override { throw std::runtime_error("no names left"); }
    } device;
    installTextureDevice(&device);
    fakePlatform().messages.clear();
    EXPECT_NO_THROW(world = loadWorld(listed, true));
    installTextureDevice(&recordingTextureDevice());
    EXPECT_EQ(world, nullptr);
    ASSERT_EQ(fakePlatform().messages.size(), 1u);
    EXPECT_EQ(fakePlatform().messages[0].text,
              "Unable to read in texture \"" + dir.file("wall.bmp") + "\"");
}

}  // namespace
