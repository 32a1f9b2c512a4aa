// The skeleton against real GL: our double-precision pose equals what the
// matrix stack builds, and drawing leaves lines and points where the pose
// puts them, with the caller's colour and the GL state as it was.
#include "WorldGlSupport.h"

#include "game/Frame.h"
#include "game/Player.h"
#include "skeleton/SkeletonReader.h"
#include "state/ProgramState.h"
#include "text/TokenReader.h"
#include "world/World.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

using namespace worldgl;

namespace {

std::unique_ptr<Skeleton> read(const std::string& text)
{
    TokenReader in(text);
    auto skeleton = readSkeleton(in);
    EXPECT_TRUE(skeleton) << in.describeFailure("test.skl");
    return skeleton;
}

// Bones with every kind of frame (tilted, offset, degenerate), nested four
// deep, animated part of the way.
const char* const figure =
    "0.5  1 0.2 0  0 1 0.3  0.1 -0.2 0.3  -40 40 2\n"
    "  1.0  0 0 2  0 1 0  0 0 0.5  10 50 1\n"
    "    0.7  1 1 1  -1 0 1  0.2 0.3 -0.4  -90 0 1\n"
    "      0  0 3 0  0 -1 0  1 2 3  0 30 0\n"
    "  2.0  0 1 0  1 0 0  -1 0 0  5 5 0\n"
    "4\n"
    "3 0 0 1 1 2 0\n"
    "2 0 0.25 1 0.25\n"
    "3 0 1 0.5 -0.5 1 1\n"
    "2 0 0.9 3 0.1\n";

class SkeletonGl : public GameGlState {};

TEST_F(SkeletonGl, PoseEqualsTheGlMatrixStack)
{
    const auto skeleton = read(figure);
    ASSERT_TRUE(skeleton);
    glMatrixMode(GL_MODELVIEW);
    for (double seconds : {0.0, 0.3, 1.0, 1.7}) {
        skeleton->animate(seconds);
        // The stack holds the bones whose children are still to come.
        glLoadIdentity();
        std::vector<int> open;
        for (std::size_t i = 0; i < skeleton->bones.size(); ++i) {
            const Bone& bone = skeleton->bones[i];
            while (!open.empty() && open.back() != bone.parent) {
                glPopMatrix();
                open.pop_back();
            }
            glPushMatrix();
            glMultMatrixd(bone.localMatrix.data());
            glRotated(bone.minAngle + (bone.maxAngle - bone.minAngle) * bone.blend, 1, 0, 0);
            Matrix4 gl;
            glGetDoublev(GL_MODELVIEW_MATRIX, gl.m.data());
            for (int e = 0; e < 16; ++e) {
                EXPECT_NEAR(bone.poseMatrix[e], gl[e], 1e-5) << "bone " << i << ", element " << e;
            }
            open.push_back(static_cast<int>(i));
        }
        for (; !open.empty(); open.pop_back()) glPopMatrix();
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Pixels as in a window: x right, y down; the model units are pixels.
void pixelProjection()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
}

bool isRed(const Rgb& c) { return c.near({255, 0, 0}); }

TEST_F(SkeletonGl, BonesDrawAsLinesAndALengthZeroBoneAsAPoint)
{
    // A point at the root; its child runs 100 pixels to the right from
    // 50 pixels below it (x along the screen's y, z along the screen's x).
    const auto skeleton = read(
        "0  1 0 0 0 1 0 0 0 0  0 0 1\n"
        "  100  0 1 0 0 0 1 50 0 0  0 0 0\n"
        "0\n");
    ASSERT_TRUE(skeleton);
    skeleton->animate(0.0);
    pixelProjection();
    glTranslated(200.5, 300.5, 0);
    glColor3d(1, 0, 0);
    glLineWidth(1.0f);
    glPointSize(1.0f);
    glEnable(GL_TEXTURE_2D);
    Matrix4 before;
    glGetDoublev(GL_MODELVIEW_MATRIX, before.m.data());

    skeleton->draw();

    EXPECT_TRUE(isRed(pixel(200, 300))) << pixel(200, 300);
    EXPECT_EQ(countPixels(190, 290, 211, 311, isRed), 1);  // a single point
    EXPECT_EQ(countPixels(200, 350, 300, 351, isRed), 100);
    EXPECT_EQ(countPixels(0, 0, width, height, isRed), 101);
    // Texturing on again, the caller's colour and widths untouched, the
    // matrix as it was.
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    std::array<double, 4> colour{};
    glGetDoublev(GL_CURRENT_COLOR, colour.data());
    EXPECT_EQ(colour, (std::array<double, 4>{1, 0, 0, 1}));
    GLfloat lineWidth = 0, pointSize = 0;
    glGetFloatv(GL_LINE_WIDTH, &lineWidth);
    glGetFloatv(GL_POINT_SIZE, &pointSize);
    EXPECT_EQ(lineWidth, 1.0f);
    EXPECT_EQ(pointSize, 1.0f);
    Matrix4 after;
    glGetDoublev(GL_MODELVIEW_MATRIX, after.m.data());
    EXPECT_EQ(after, before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SkeletonGl, ThePlayerShowsItsBodyOnlyInTheThirdPersonCameras)
{
    // One point 1.2 above the body, at 100 pixels a unit.
    Player player;
    player.placeAt({2, 1, 0});
    player.skeleton = read("0  1 0 0 0 1 0 0 0 0  0 0 0\n0\n");
    ASSERT_TRUE(player.skeleton);
    player.skeleton->animate(0.0);
    pixelProjection();
    glTranslated(0.5, 0.5, 0);
    glScaled(100, -100, 100);
    glTranslated(0, -5, 0);
    glColor3d(1, 0, 0);
    glPointSize(1.0f);
    for (CameraMode mode :
         {CameraMode::firstPerson, CameraMode::thirdPerson, CameraMode::rotatingThirdPerson}) {
        clear(0, 0, 0);
        player.cameraMode = mode;
        World world;
        player.draw(frameContext(programState(), world, nullptr));
        const int expected = mode == CameraMode::firstPerson ? 0 : 1;
        EXPECT_EQ(countPixels(0, 0, width, height, isRed), expected)
            << "camera mode " << static_cast<int>(mode);
        if (expected) {
            EXPECT_TRUE(isRed(pixel(200, 280))) << "camera mode " << static_cast<int>(mode);
        }
    }
}

}  // namespace
