#include "WorldGlSupport.h"

#include "entities/Teapot.h"
#include "entities/Vehicle.h"
#include "game/Frame.h"
#include "state/ProgramState.h"
#include "support/TestEnvironment.h"
#include "unit/WorldTestFiles.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <filesystem>
#include <functional>

using namespace worldgl;
using worldtest::collisionRecord;
using worldtest::polygonRecord;
using worldtest::solidBitmap;

namespace {

const Rgb black{0, 0, 0};
const Rgb blue{0, 0, 255};

// Worlds written into a runtime tree of their own, loaded with the real
// texture device and drawn through the camera of the program state.
class SceneryGl : public GameGlState {
protected:
    void SetUp() override
    {
        GameGlState::SetUp();
        std::filesystem::create_directories(dir.path() / "Bin");
        std::filesystem::current_path(dir.path() / "Bin");
    }
    void TearDown() override
    {
        if (world) world->unloadTextures();
        world.reset();
        GameGlState::TearDown();
    }

    void load(const std::string& text)
    {
        if (world) world->unloadTextures();
        world = loadWorld(dir.write("Worlds/test.wrl", text), programState().settings.mipmapping);
        ASSERT_TRUE(world) << lastWorldLoadProblem();
    }

    static void placeCamera(const Vector3& at)
    {
        Camera& camera = programState().camera;
        camera = {};
        camera.placement.translate(at);
    }

    void draw()
    {
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixd(programState().camera.placement.inverse().data());
        world->draw(frameContext(programState(), *world, nullptr));
    }

    // Draws with blending on and then off before the frame: each time the
    // frame must end with blending as it found it.
    void expectBlendingKept(const std::function<void()>& drawFrame)
    {
        for (const bool on : {true, false}) {
            if (on) glEnable(GL_BLEND);
            else glDisable(GL_BLEND);
            drawFrame();
            EXPECT_EQ(glIsEnabled(GL_BLEND) == GL_TRUE, on) << "blending " << (on ? "on" : "off");
        }
    }

    TempDir dir;
    std::unique_ptr<World> world;
};

// The unit cube's six faces seen from inside, wound counter-clockwise for
// the viewer, texture corners (0, 0), (1, 0), (1, 1), (0, 1) in order.
std::string skyFaces(const std::string& texture)
{
    std::string out;
    const std::function<Vector3(double, double)> faces[] = {
        [](double a, double b) {
            return Vector3{a, b, -1};
        },
        [](double a, double b) {
            return Vector3{-a, b, 1};
        },
        [](double a, double b) {
            return Vector3{-1, b, -a};
        },
        [](double a, double b) {
            return Vector3{1, b, a};
        },
        [](double a, double b) {
            return Vector3{a, 1, b};
        },
        [](double a, double b) {
            return Vector3{a, -1, -b};
        },
    };
    for (const auto& face : faces) {
        const std::vector<Vector3> corners{face(-1, -1), face(1, -1), face(1, 1), face(-1, 1)};
        out += polygonRecord(texture, face(0, 0).negated(), corners);
    }
    return out;
}

std::string translucentWhiteTga()
{
    imagetest::Tga tga;
    tga.width = tga.height = 4;
    tga.bits = 32;
    tga.descriptor = 8;
    for (int i = 0; i < 16; ++i) tga.pixels.insert(tga.pixels.end(), {255, 255, 255, 128});
    return imagetest::tgaFile(tga);
}

std::vector<Vector3> facingSquare(double half, double z)
{
    return {{-half, -half, z}, {half, -half, z}, {half, half, z}, {-half, half, z}};
}

bool isIdentity(GLenum matrix)
{
    GLdouble m[16];
    glGetDoublev(matrix, m);
    for (int i = 0; i < 16; ++i)
        if (m[i] != (i % 5 == 0 ? 1.0 : 0.0)) return false;
    return true;
}

}  // namespace

TEST_F(SceneryGl, TheSkySurroundsTheCameraBehindEverything)
{
    dir.write("Textures/sky.bmp", solidBitmap(4, 4, {0, 0, 255}));
    dir.write("Textures/white.bmp", solidBitmap(4, 4, {255, 255, 255}));
    // A red square ahead, then the sky record after it: the loader puts the
    // sky first, so the square is drawn over it.
    load("0 0 0 1 1 1 0 2 worldspawn 1\n" +
         polygonRecord("..\\Textures\\white.bmp", {0, 0, 1}, facingSquare(1, -410), {1, 0, 0}) +
         "Skybox 6\n" + skyFaces("..\\Textures\\sky.bmp"));
    // Far past the cube's 300 from the origin: only a sky centred on the
    // camera is still in view.
    placeCamera({0, 0, -400});
    GLint textureDepth = 0;
    glGetIntegerv(GL_TEXTURE_STACK_DEPTH, &textureDepth);
    expectBlendingKept([&] {
        clear(0, 0, 0);
        draw();
    });
    EXPECT_TRUE(pixel(400, 300).near({255, 0, 0})) << pixel(400, 300);
    for (const auto& [x, y] :
         {std::pair{5, 5}, std::pair{795, 5}, std::pair{5, 595}, std::pair{795, 595}}) {
        EXPECT_TRUE(pixel(x, y).near(blue)) << x << ", " << y << ": " << pixel(x, y);
    }
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    // Six faces only: the texture matrix is never touched.
    GLint after = 0;
    glGetIntegerv(GL_TEXTURE_STACK_DEPTH, &after);
    EXPECT_EQ(after, textureDepth);
    EXPECT_TRUE(isIdentity(GL_TEXTURE_MATRIX));

    // Without texture mapping there is no sky.
    programState().settings.texturing = false;
    clear(0, 0, 0);
    draw();
    EXPECT_TRUE(pixel(5, 5).near(black)) << pixel(5, 5);
}

TEST_F(SceneryGl, TheCloudLayerBlendsOverTheSkyAndPutsEverythingBack)
{
    dir.write("Textures/sky.bmp", solidBitmap(4, 4, {0, 0, 255}));
    dir.write("Textures/clouds.tga", translucentWhiteTga());
    load("0 0 0 1 1 1 0 1 Skybox 7\n" + skyFaces("..\\Textures\\sky.bmp") +
         polygonRecord("..\\Textures\\clouds.tga", {0, 0, 1}, facingSquare(0.3, -0.9)));
    placeCamera({0, 0, 0});
    expectBlendingKept([&] {
        clear(0, 0, 0);
        draw();
    });
    // Half white over blue in the middle; the bare sky at the corner.
    EXPECT_TRUE(pixel(400, 300).near({128, 128, 255}, 12)) << pixel(400, 300);
    EXPECT_TRUE(pixel(5, 5).near(blue)) << pixel(5, 5);
    EXPECT_TRUE(isIdentity(GL_TEXTURE_MATRIX));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(SceneryGl, ACoronaShowsOnlyWhileNothingStandsBetween)
{
    // An opaque white corona picture; a wall known only to the BSP tree, so
    // nothing but the corona can colour the frame.
    imagetest::Tga corona;
    corona.width = corona.height = 4;
    corona.bits = 32;
    corona.descriptor = 8;
    for (int i = 0; i < 16; ++i) corona.pixels.insert(corona.pixels.end(), {255, 255, 255, 255});
    dir.write("Textures/corona.tga", imagetest::tgaFile(corona));
    const std::string bsp = "1\n" + collisionRecord({0, 0, 1}, facingSquare(3, -10)) + "0 0\n";
    auto withLightAt = [&](double x) {
        load("0 0 0 1 1 1 0 1 Light " + std::to_string(x) + " 0 -20  0.5 0.5 0  30 2\n" + bsp);
    };
    const Rgb grey{64, 64, 64};
    auto lit = [&](const Rgb& c) { return !c.near(grey, 4); };

    withLightAt(0);  // straight behind the wall
    placeCamera({0, 0, 0});
    clear(0.25f, 0.25f, 0.25f);
    draw();
    EXPECT_EQ(countPixels(0, 0, width, height, lit), 0);

    withLightAt(-8);  // past the wall's edge: the segment is clear
    expectBlendingKept([&] {
        clear(0.25f, 0.25f, 0.25f);
        draw();
    });
    EXPECT_GT(countPixels(0, 0, width, height, lit), 1000);
    // Additive: the frame's grey plus the light's colour, at the light's
    // place on the left of the frame.
    const int x =
        400 - static_cast<int>(8.0 / 20.0 / std::tan(20.0 * 3.14159265358979 / 180.0) * 300);
    EXPECT_TRUE(pixel(x, 300).near({64 + 128, 64 + 128, 64}, 6)) << pixel(x, 300);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    // No corona without texture mapping.
    programState().settings.texturing = false;
    clear(0.25f, 0.25f, 0.25f);
    draw();
    EXPECT_EQ(countPixels(0, 0, width, height, lit), 0);
}

TEST_F(SceneryGl, VehiclesAndTeapotsDrawTheirLooksAndNothingInTheShadowPass)
{
    load("0 0 0 1 1 1 0 0 0");
    placeCamera({0, 0, 0});
    FrameContext frame = frameContext(programState(), *world, nullptr);
    auto drawn = [&](Object& object, DrawMode mode) {
        clear(0, 0, 0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_TEXTURE_2D);
        object.draw(mode, frame);
        return countPixels(0, 0, width, height, [](const Rgb& c) { return !c.near(black, 0); });
    };

    Vehicle vehicle;
    vehicle.placement.translate({0, 0, -5});
    EXPECT_GT(drawn(vehicle, DrawMode::untextured), 100);
    EXPECT_TRUE(pixel(400, 300).near({255, 0, 0})) << pixel(400, 300);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));  // left off, as the untextured view had it
    vehicle.occupied = true;
    drawn(vehicle, DrawMode::untextured);
    EXPECT_GT(countPixels(0, 0, width, height, [](const Rgb& c) { return c.near(blue); }), 100);
    EXPECT_EQ(countPixels(0, 0, width, height, [](const Rgb& c) { return c.r > 0; }), 0);
    EXPECT_EQ(drawn(vehicle, DrawMode::cloudShadows), 0);

    Teapot teapot;
    teapot.position = {0, 0, -4};
    auto teapotPixels = [&](int style, DrawMode mode) {
        teapot.style = style;
        return drawn(teapot, mode);
    };
    const int solid = teapotPixels(Teapot::solidStyle, DrawMode::untextured);
    const int wire = teapotPixels(Teapot::wireStyle, DrawMode::untextured);
    EXPECT_GT(solid, 5000);
    EXPECT_GT(wire, 500);
    EXPECT_LT(wire, solid);  // the wire frame leaves gaps
    // Culling keeps the near side: the same depth as drawn without culling.
    auto centreDepth = [&] {
        teapotPixels(Teapot::solidStyle, DrawMode::untextured);
        GLfloat depth = 0;
        glReadPixels(400, 300, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        return depth;
    };
    const GLfloat culled = centreDepth();
    glDisable(GL_CULL_FACE);
    EXPECT_EQ(culled, centreDepth());
    glEnable(GL_CULL_FACE);
    EXPECT_EQ(teapotPixels(2, DrawMode::untextured), 0);
    EXPECT_EQ(teapotPixels(Teapot::solidStyle, DrawMode::cloudShadows), 0);
}
