#include "WorldGlSupport.h"

#include "game/Frame.h"
#include "state/ProgramState.h"
#include "support/TestEnvironment.h"
#include "unit/WorldTestFiles.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <filesystem>

using namespace worldgl;
using worldtest::collisionRecord;
using worldtest::polygonRecord;
using worldtest::solidBitmap;

namespace {

// Worlds are written into a runtime tree of their own and loaded with the
// real texture device, then drawn from the origin looking down -z.
class WorldDrawGl : public GameGlState {
protected:
    void SetUp() override
    {
        GameGlState::SetUp();
        std::filesystem::create_directories(dir.path() / "Bin");
        std::filesystem::current_path(dir.path() / "Bin");
    }
    void TearDown() override
    {
        if (world) world->textures.unloadAll();
        if (world && world->cloudTexture) world->cloudTexture->unload();
        world.reset();
        GameGlState::TearDown();
    }

    void load(const std::string& text)
    {
        world = loadWorld(dir.write("Worlds/test.wrl", text), programState().settings.mipmapping);
        ASSERT_TRUE(world) << lastWorldLoadProblem();
    }

    void draw()
    {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        world->draw(frameContext(programState(), *world, nullptr));
    }

    TempDir dir;
    std::unique_ptr<World> world;
};

// A square facing the camera at depth 10, from x0 to x1 and y0 to y1.
std::vector<Vector3> facingSquare(double x0, double y0, double x1, double y1, double z = -10)
{
    return {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}};
}

const Rgb red{255, 0, 0};
const Rgb white{255, 255, 255};
const Rgb black{0, 0, 0};
const Rgb blue{0, 0, 255};

}  // namespace

TEST_F(WorldDrawGl, TexturedAndUntexturedPasses)
{
    dir.write("Textures/blue.bmp", solidBitmap(8, 8, {0, 0, 255}));
    load("0 0 0 1 1 1 1 ..\\Textures\\blue.bmp 1 worldspawn 2\n" +
         polygonRecord("..\\Textures\\blue.bmp", {0, 0, 1}, facingSquare(-3, -2, -0.5, 2)) +
         polygonRecord("none", {0, 0, 1}, facingSquare(0.5, -2, 3, 2), {1, 0, 0}));

    draw();
    EXPECT_TRUE(pixel(250, 300).near(blue)) << pixel(250, 300);
    // The untextured polygon keeps whatever was bound before it: the blue.
    EXPECT_TRUE(pixel(550, 300).near(black)) << pixel(550, 300);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    programState().settings.texturing = false;
    clear(0, 0, 0);
    draw();
    EXPECT_TRUE(pixel(250, 300).near(white)) << pixel(250, 300);
    EXPECT_TRUE(pixel(550, 300).near(red)) << pixel(550, 300);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(pixel(400, 50).near(black));
}

TEST_F(WorldDrawGl, BspViewShowsOnlyTheTree)
{
    load("0 0 0 1 1 1 0 1 worldspawn 1\n" +
         polygonRecord("none", {0, 0, 1}, facingSquare(-3, -2, 3, 2), {1, 0, 0}) + "1\n" +
         collisionRecord({0, 0, 1}, facingSquare(-1, -3, 1, 3, -9)) + "0 0\n");
    glDisable(GL_TEXTURE_2D);
    draw();
    const Rgb drawn = pixel(300, 300);
    EXPECT_TRUE(drawn.near(red)) << drawn;

    programState().settings.bspView = true;
    programState().settings.cloudShadows = true;
    clear(0, 0, 0);
    draw();
    const Rgb tree = pixel(400, 300);
    EXPECT_FALSE(tree.near(black)) << tree;
    EXPECT_FALSE(tree.near(red)) << tree;
    // The world's own polygon is not drawn beside the tree.
    EXPECT_TRUE(pixel(250, 300).near(black)) << pixel(250, 300);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(WorldDrawGl, BspViewWithoutTreeDrawsNothing)
{
    load("0 0 0 1 1 1 0 1 worldspawn 1\n" +
         polygonRecord("none", {0, 0, 1}, facingSquare(-3, -2, 3, 2), {1, 0, 0}));
    programState().settings.bspView = true;
    glDisable(GL_TEXTURE_2D);
    draw();
    EXPECT_EQ(countPixels(0, 0, width, height, [](const Rgb& c) { return !c.near(black, 0); }), 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(WorldDrawGl, CloudPassDarkensOnlyFacesThatDoNotPointDown)
{
    dir.write("TEXTURES/cloudShadows.bmp", solidBitmap(16, 16, {128, 128, 128}));
    // Three white squares; only their recorded normals differ.
    load("0 0 0 1 1 1 0 1 worldspawn 3\n" +
         polygonRecord("none", {0, 1, 0}, facingSquare(-3.5, -2, -1.5, 2)) +
         polygonRecord("none", {0, -0.5, 0.866}, facingSquare(-1, -2, 1, 2)) +
         polygonRecord("none", {1, 0, 0}, facingSquare(1.5, -2, 3.5, 2)));
    ASSERT_TRUE(world->cloudTexture);
    programState().settings.cloudShadows = true;

    for (const bool blendBefore : {false, true}) {
        SCOPED_TRACE(blendBefore ? "blending on before" : "blending off before");
        clear(0, 0, 0);
        glBlendFunc(GL_ONE, GL_ZERO);
        if (blendBefore) glEnable(GL_BLEND);
        else glDisable(GL_BLEND);
        glBindTexture(GL_TEXTURE_2D, 0);
        draw();
        const Rgb shadowed{128, 128, 128};
        EXPECT_TRUE(pixel(180, 300).near(shadowed)) << "floor " << pixel(180, 300);
        EXPECT_TRUE(pixel(400, 300).near(white)) << "ceiling " << pixel(400, 300);
        EXPECT_TRUE(pixel(620, 300).near(shadowed)) << "wall " << pixel(620, 300);
        EXPECT_EQ(glIsEnabled(GL_BLEND) == GL_TRUE, blendBefore);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_R));
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    }

    // No cloud pass without texturing, nor with the toggle off. (The pass
    // leaves its blend function behind, so blending goes off first.)
    glDisable(GL_BLEND);
    for (const bool texturing : {false, true}) {
        programState().settings.texturing = texturing;
        programState().settings.cloudShadows = !texturing;
        clear(0, 0, 0);
        glBindTexture(GL_TEXTURE_2D, 0);
        draw();
        EXPECT_TRUE(pixel(180, 300).near(white)) << pixel(180, 300);
    }
}
