#include "WorldGlSupport.h"

#include "app/GameEngine.h"
#include "app/Hud.h"
#include "game/Player.h"
#include "support/TestEnvironment.h"
#include "textures/Texture.h"

using namespace worldgl;

namespace {

class HudGl : public GameGlState {
protected:
    void TearDown() override
    {
        hud.releaseCrosshair();
        GameGlState::TearDown();
    }

    // A crosshair whose left half is transparent and right half opaque white.
    void halfTransparentCrosshair()
    {
        auto texture = std::make_unique<Texture>(16, 16);
        auto& p = texture->pixels();
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const std::size_t i = static_cast<std::size_t>((y * 16 + x) * 4);
                p[i] = p[i + 1] = p[i + 2] = 255;
                p[i + 3] = x < 8 ? 0 : 255;
            }
        }
        texture->upload(true);
        hud.setCrosshair(std::move(texture));
    }

    void opaqueCrosshair()
    {
        auto texture = std::make_unique<Texture>(8, 8);
        std::fill(texture->pixels().begin(), texture->pixels().end(), std::uint8_t{255});
        texture->upload(true);
        hud.setCrosshair(std::move(texture));
    }

    void drawHud()
    {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        hud.draw(programState());
    }

    static bool isGreen(const Rgb& c) { return c.g > 200 && c.r < 40 && c.b < 40; }

    Hud hud;
};

const Rgb blueBackground{0, 0, 255};
const Rgb white{255, 255, 255};

}  // namespace

TEST_F(HudGl, CrosshairSquareIn800By600)
{
    const CrosshairSquare square = crosshairSquare(800, 600);
    EXPECT_EQ(square.left, 376);
    EXPECT_EQ(square.top, 276);
    EXPECT_EQ(square.right, 424);
    EXPECT_EQ(square.bottom, 324);
    EXPECT_EQ(crosshairSquare(1024, 768).right - 512, 30);

    programState().settings.showFps = false;
    opaqueCrosshair();
    clear(0, 0, 1);
    drawHud();
    EXPECT_TRUE(pixel(376, 276).near(white)) << pixel(376, 276);
    EXPECT_TRUE(pixel(423, 323).near(white)) << pixel(423, 323);
    EXPECT_TRUE(pixel(375, 300).near(blueBackground)) << pixel(375, 300);
    EXPECT_TRUE(pixel(424, 300).near(blueBackground)) << pixel(424, 300);
    EXPECT_TRUE(pixel(400, 275).near(blueBackground)) << pixel(400, 275);
    EXPECT_TRUE(pixel(400, 324).near(blueBackground)) << pixel(400, 324);
    EXPECT_EQ(countPixels(0, 0, width, height, [](const Rgb& c) { return c.near(white); }),
              48 * 48);
    // The HUD puts back what it changed.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(HudGl, TransparentCrosshairTexelsLeaveTheWorldVisible)
{
    programState().settings.showFps = false;
    halfTransparentCrosshair();
    clear(0, 0, 1);
    drawHud();
    EXPECT_TRUE(pixel(385, 300).near(blueBackground)) << pixel(385, 300);
    EXPECT_TRUE(pixel(415, 300).near(white)) << pixel(415, 300);
}

TEST_F(HudGl, FpsLineIsGreenAtTheTopLeft)
{
    programState().clock.framesPerSecond = 40;
    programState().settings.crosshair = false;
    opaqueCrosshair();
    drawHud();
    const int green = countPixels(0, 0, width, height, isGreen);
    EXPECT_GT(green, 20);
    // "FPS: 40" in the 9 x 15 font, its baseline 20 pixels down.
    EXPECT_EQ(countPixels(0, 0, 80, 24, isGreen), green);
    EXPECT_GT(countPixels(5, 8, 14, 21, isGreen), 0);  // the "F"
    EXPECT_EQ(countPixels(0, 0, width, height, [](const Rgb& c) { return c.near(white); }), 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(hud.text().empty());

    programState().settings.showFps = false;
    clear(0, 0, 0);
    drawHud();
    EXPECT_EQ(countPixels(0, 0, width, height, isGreen), 0);
}

TEST_F(HudGl, WithoutCrosshairFileOnlyTheFpsLine)
{
    ASSERT_FALSE(hud.crosshair());
    clear(0, 0, 1);
    drawHud();
    EXPECT_GT(countPixels(0, 0, 80, 24, isGreen), 0);
    EXPECT_TRUE(pixel(400, 300).near(blueBackground));
}

TEST_F(HudGl, NoWorldMeansNoHud)
{
    Player player;
    GameEngine engine(player, programState());
    opaqueCrosshair();
    clear(0, 0, 0);
    engine.display(hud);
    EXPECT_EQ(countPixels(0, 0, width, height, [](const Rgb& c) { return c.r || c.g || c.b; }), 0);
}
