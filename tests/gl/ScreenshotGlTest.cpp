#include "WorldGlSupport.h"

#include "app/GameEngine.h"
#include "app/Screenshot.h"
#include "app/WorldReloadWatch.h"
#include "game/Player.h"
#include "state/ProgramState.h"
#include "support/TestEnvironment.h"
#include "textures/Texture.h"
#include "unit/WorldTestFiles.h"
#include "world/World.h"

#include <GL/glu.h>

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <filesystem>
#include <set>

using namespace worldgl;
namespace fs = std::filesystem;

namespace {

class ScreenshotGl : public GameGlState {};

// Every pixel of the back buffer, top row first.
std::vector<std::uint8_t> backBuffer()
{
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width * height * 4));
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(width * height * 3));
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>((y * width + x) * 4);
            rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
        }
    }
    return rgb;
}

}  // namespace

TEST_F(ScreenshotGl, ThePngIsTheFrame)
{
    // A frame with something different in every corner and a gradient, in
    // window pixels (y down), so a flip or a shift shows.
    clear(0.1f, 0.2f, 0.3f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, width, height, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glColor3ub(255, 0, 0);  // top left, red
    glVertex2i(0, 0), glVertex2i(0, 50), glVertex2i(80, 50), glVertex2i(80, 0);
    glColor3ub(0, 255, 0);  // bottom right, green
    glVertex2i(700, 560), glVertex2i(700, 600), glVertex2i(800, 600), glVertex2i(800, 560);
    glColor3ub(0, 0, 0);
    glVertex2i(200, 200);
    glColor3ub(255, 255, 0);
    glVertex2i(200, 400);
    glColor3ub(0, 255, 255);
    glVertex2i(600, 400);
    glColor3ub(255, 0, 255);
    glVertex2i(600, 200);
    glEnd();

    TempDir dir;
    const auto file = saveScreenshot(dir.file("Screenshots"), std::time(nullptr), width, height,
                                     readFrame(width, height));
    ASSERT_TRUE(file);

    int w = 0, h = 0, channels = 0;
    stbi_uc* png = stbi_load(file->c_str(), &w, &h, &channels, 3);
    ASSERT_NE(png, nullptr);
    ASSERT_EQ(w, width);
    ASSERT_EQ(h, height);
    const std::vector<std::uint8_t> frame = backBuffer();
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), png)) << "the PNG is not the frame";
    auto at = [&](int x, int y) {
        const stbi_uc* p = png + (y * width + x) * 3;
        return Rgb{p[0], p[1], p[2]};
    };
    EXPECT_TRUE(at(5, 5).near({255, 0, 0})) << at(5, 5);
    EXPECT_TRUE(at(795, 595).near({0, 255, 0})) << at(795, 595);
    EXPECT_TRUE(at(400, 100).near({26, 51, 77})) << at(400, 100);
    stbi_image_free(png);
}

TEST_F(ScreenshotGl, AHundredReloadsKeepTheSameNumberOfGlTextures)
{
    using worldtest::solidBitmap;
    TempDir dir;
    dir.write("game/Textures/a.bmp", solidBitmap(8, 8, {200, 10, 10}));
    dir.write("game/Textures/b.bmp", solidBitmap(8, 8, {10, 10, 200}));
    dir.write("game/Textures/cloudShadows.bmp", solidBitmap(8, 8, {128, 128, 128}));
    auto world = [](int version) {
        return std::to_string(version) +
               " 0 0  1 1 1  2 ..\\Textures\\a.bmp ..\\Textures\\b.bmp"
               "  1 worldspawn 0";
    };
    const std::string path = dir.write("game/Worlds/live.wrl", world(0));
    fs::create_directories(dir.path() / "game" / "Bin");
    fs::current_path(dir.path() / "game" / "Bin");

    Player player;
    ProgramState& state = programState();
    state.settings.collision = false;
    GameEngine engine(player, state);
    engine.openWorld(path);
    ASSERT_TRUE(engine.world());

    // Live GL textures among every name handed out so far.
    GLuint highest = 0;
    auto liveTextures = [&] {
        if (engine.world()) {
            const World& w = *engine.world();
            for (const Texture* texture :
                 {w.textures.at(0), w.textures.at(1), w.cloudTexture.get()}) {
                highest = std::max<GLuint>(highest, texture->glName());
            }
        }
        int live = 0;
        for (GLuint name = 1; name <= highest + 64; ++name) live += glIsTexture(name) ? 1 : 0;
        return live;
    };
    const int atStart = liveTextures();
    EXPECT_GE(atStart, 3);

    for (int i = 1; i <= 100; ++i) {
        dir.write("game/Worlds/live.wrl", world(i));
        fakePlatform().reportFileChange();
        for (std::uint64_t t = 0; t <= WorldReloadWatch::settleMs; t += 25) {
            fakePlatform().now += 25;
            engine.update();
        }
        ASSERT_EQ(engine.world()->playerStart.x, i) << "reload " << i << " did not happen";
        ASSERT_EQ(liveTextures(), atStart) << "after reload " << i;
    }
    EXPECT_TRUE(fakePlatform().messages.empty());
    engine.releaseWorld();
    EXPECT_EQ(liveTextures(), atStart - 3);
}
