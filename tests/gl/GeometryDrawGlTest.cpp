#include "entities/HeightField.h"
#include "game/Frame.h"
#include "geometry/BspNode.h"
#include "state/ProgramState.h"
#include "support/TestEnvironment.h"
#include "textures/Texture.h"
#include "unit/GeometryTestSupport.h"
#include "world/PolygonDraw.h"
#include "world/World.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace {

// Fixed state for drawing: no texturing, depth, lighting or culling, and
// matrices chosen by each test. Restored afterwards for the other tests.
class GeometryDrawGl : public ::testing::Test {
protected:
    FrameContext frame() { return frameContext(programState(), scratchWorld, nullptr); }
    World scratchWorld;

    void SetUp() override
    {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glDisable(GL_LINE_SMOOTH);
        glLineWidth(3.0f);
    }
    void TearDown() override
    {
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glPopAttrib();
        installTextureDevice(nullptr);
    }
};

struct FeedbackVertex {
    std::array<float, 4> colour;
    std::array<float, 4> texCoord;
};

// Draws through GL feedback and returns the vertices of every polygon
// (triangles of strips come out as polygons), grouped per polygon.
template <typename Draw>
std::vector<std::vector<FeedbackVertex>> feedback(Draw draw)
{
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_4D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<std::vector<FeedbackVertex>> polygons;
    for (GLint k = 0; k < used;) {
        const auto token = static_cast<GLint>(buffer[static_cast<std::size_t>(k++)]);
        if (token != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        const auto count = static_cast<GLint>(buffer[static_cast<std::size_t>(k++)]);
        std::vector<FeedbackVertex> vertices;
        for (GLint v = 0; v < count; ++v, k += 12) {
            const GLfloat* f = &buffer[static_cast<std::size_t>(k)];
            vertices.push_back({{f[4], f[5], f[6], f[7]}, {f[8], f[9], f[10], f[11]}});
        }
        polygons.push_back(vertices);
    }
    return polygons;
}

std::unique_ptr<HeightField> smallField(int columns, int rows)
{
    return geometry_test::gridField(columns, rows, [&](int i, int j) {
        Vertex v;
        v.position.x = -0.5 + i * (1.0 / (columns - 1));
        v.position.z = -0.5 + j * (1.0 / (rows - 1));
        v.position.y = 0.1 * i;
        v.u = 0.5 + i;  // distinct from the current coordinate set below
        v.v = 2.0 + j;
        v.r = 0.25;
        v.g = 0.5;
        v.b = 1.0;
        return v;
    });
}

TEST_F(GeometryDrawGl, HeightFieldDrawsOneStripPerRowAndTexturesOnlyInTheTexturedPass)
{
    RecordingTextureDevice device;
    installTextureDevice(&device);
    Texture texture(1, 1);
    auto field = smallField(2, 2);
    field->texture = &texture;
    glRotated(60, 1, 0, 0);  // look at the grid from above at a slant

    glTexCoord2d(0.125, 0.375);
    for (DrawMode mode : {DrawMode::untextured, DrawMode::cloudShadows}) {
        auto polygons = feedback([&] { field->draw(mode, frame()); });
        ASSERT_EQ(polygons.size(), 2u) << "one strip of four vertices";
        for (const auto& polygon : polygons) {
            for (const FeedbackVertex& v : polygon) {
                EXPECT_FLOAT_EQ(v.texCoord[0], 0.125f);
                EXPECT_FLOAT_EQ(v.texCoord[1], 0.375f);
                EXPECT_FLOAT_EQ(v.colour[1], 0.5f);
            }
        }
    }
    EXPECT_EQ(device.bound, 0u) << "the untextured and shadow passes bind nothing";

    auto polygons = feedback([&] { field->draw(DrawMode::textured, frame()); });
    EXPECT_EQ(device.bound, texture.glName());
    ASSERT_EQ(polygons.size(), 2u);
    for (const FeedbackVertex& v : polygons[0]) {
        EXPECT_TRUE(v.texCoord[0] == 0.5f || v.texCoord[0] == 1.5f);
        EXPECT_TRUE(v.texCoord[1] == 2.0f || v.texCoord[1] == 3.0f);
    }

    auto larger = smallField(4, 3);
    EXPECT_EQ(feedback([&] { larger->draw(DrawMode::untextured, frame()); }).size(), 2u * 2u * 3u);
}

TEST_F(GeometryDrawGl, PolygonModes)
{
    RecordingTextureDevice device;
    installTextureDevice(&device);
    Texture texture(1, 1);
    Polygon polygon;
    polygon.texture = &texture;
    polygon.vertices = {Vertex{{-0.5, -0.5, 0}, {0, 0, 0}, 0.5, 0.75},
                        Vertex{{0.5, -0.5, 0}, {0, 0, 0}, 1, 0.75},
                        Vertex{{0, 0.5, 0}, {0, 0, 0}, 1, 1.75}};
    glTexCoord2d(0.125, 0.375);

    polygon.normal = {0, -1, 0};  // a ceiling gets no cloud shadow
    EXPECT_TRUE(feedback([&] { drawPolygon(polygon, DrawMode::cloudShadows); }).empty());
    polygon.normal = {1, 0, 0};  // a wall does
    auto shadowed = feedback([&] { drawPolygon(polygon, DrawMode::cloudShadows); });
    ASSERT_EQ(shadowed.size(), 1u);
    EXPECT_FLOAT_EQ(shadowed[0][0].texCoord[0], 0.125f);
    EXPECT_EQ(device.bound, 0u);

    auto textured = feedback([&] { drawPolygon(polygon, DrawMode::textured); });
    EXPECT_EQ(device.bound, texture.glName());
    ASSERT_EQ(textured.size(), 1u);
    ASSERT_EQ(textured[0].size(), 3u);
    // GL may start the fed-back polygon at another corner: compare as a set.
    std::vector<std::pair<float, float>> coords;
    for (const FeedbackVertex& v : textured[0]) coords.emplace_back(v.texCoord[0], v.texCoord[1]);
    std::sort(coords.begin(), coords.end());
    const std::vector<std::pair<float, float>> expected{
        {0.5f, 0.75f}, {1.0f, 0.75f}, {1.0f, 1.75f}};
    EXPECT_EQ(coords, expected);

    Polygon empty;
    drawPolygon(empty, DrawMode::textured);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GeometryDrawGl, DebugViewDrawsShortPolygonsAsWideWhiteLines)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int width = viewport[2], height = viewport[3];
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);

    auto root = std::make_unique<BspNode>();
    CollisionPolygon line;
    line.vertices = {Vertex::at({10, 20.5, 0}), Vertex::at({90, 20.5, 0})};
    CollisionPolygon square;
    square.debugColour = {0.6, 0.2, 0.4};
    square.vertices = {Vertex::at({10, 40, 0}), Vertex::at({30, 40, 0}), Vertex::at({30, 60, 0}),
                       Vertex::at({10, 60, 0})};
    root->polygons = {line};
    root->front = std::make_unique<BspNode>();
    root->front->polygons = {square};
    glColor4d(0, 0, 0, 0);
    drawDebug(*root);
    glFinish();

    GLfloat lineWidth = 0;
    glGetFloatv(GL_LINE_WIDTH, &lineWidth);
    EXPECT_EQ(lineWidth, 3.0f);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[3], 1.0f);

    std::array<GLubyte, 4 * 30> column{};
    glReadPixels(50, 6, 1, 30, GL_RGBA, GL_UNSIGNED_BYTE, column.data());
    int white = 0;
    for (int y = 0; y < 30; ++y) white += column[static_cast<std::size_t>(4 * y)] == 255;
    EXPECT_EQ(white, 6) << "the line is six pixels wide";

    std::array<GLubyte, 4> pixel{};
    glReadPixels(20, 50, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
    EXPECT_NEAR(pixel[0], 0.6 * 255, 2);
    EXPECT_NEAR(pixel[1], 0.2 * 255, 2);
    EXPECT_NEAR(pixel[2], 0.4 * 255, 2);
}

}  // namespace
