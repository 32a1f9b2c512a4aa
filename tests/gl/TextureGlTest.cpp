#include "state/ProgramState.h"
#include "support/TestEnvironment.h"
#include "textures/TextureCache.h"
#include "unit/ImageTestFiles.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

GLint parameter(GLenum name)
{
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint levelWidth(GLint level)
{
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &value);
    return value;
}

std::unique_ptr<Texture> checkerTexture(int width, int height)
{
    auto t = std::make_unique<Texture>(width, height);
    for (std::size_t i = 0; i < t->pixels().size(); ++i)
        t->pixels()[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return t;
}

// Leaves GL as it found it for the tests that run after these.
class TextureGl : public ::testing::Test {
protected:
    void TearDown() override
    {
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
        while (glGetError() != GL_NO_ERROR) {}
    }
};

}  // namespace

TEST_F(TextureGl, UploadWithoutMipmapsIsLevelZeroNearestRepeat)
{
    auto t = checkerTexture(4, 2);
    ASSERT_NE(t->glName(), Texture::noName);
    EXPECT_NE(t->glName(), 0u);
    t->upload(false);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsTexture(t->glName()));

    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(levelWidth(0), 4);
    EXPECT_EQ(levelWidth(1), 0);

    std::vector<std::uint8_t> back(t->pixels().size());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(back, t->pixels());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    t->unload();
}

TEST_F(TextureGl, UploadWithMipmapsBuildsTheChain)
{
    auto t = checkerTexture(8, 4);
    t->upload(true);
    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(levelWidth(0), 8);
    EXPECT_EQ(levelWidth(1), 4);
    EXPECT_EQ(levelWidth(3), 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    t->unload();
}

TEST_F(TextureGl, AfterUnloadAllBindingDisablesTexturing)
{
    TextureCache cache;
    Texture* a = cache.add(checkerTexture(2, 2));
    Texture* b = cache.add(checkerTexture(2, 2));
    a->upload(true);
    b->upload(false);
    const GLuint nameA = a->glName();
    ASSERT_TRUE(glIsTexture(nameA));

    b->bind();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    cache.unloadAll();
    EXPECT_FALSE(glIsTexture(nameA));
    a->bind();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    a->upload(true);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureGl, LoadedBitmapReachesGlAsRgbaBottomRowFirst)
{
    TempDir dir;
    imagetest::Bmp b;
    b.width = 2;
    b.height = 2;
    b.topDown = true;
    // Bottom row of the picture first, as B, G, R.
    b.pixels = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    dir.write("quad.bmp", imagetest::bmpFile(b));
    programState().settings.mipmapping = false;

    TextureCache cache;
    cache.setMipmapping(false);
    Texture* t = cache.findOrLoad(dir.file("quad.bmp"));
    ASSERT_NE(t, nullptr);
    glBindTexture(GL_TEXTURE_2D, t->glName());
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    std::vector<std::uint8_t> back(16);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(back, (std::vector<std::uint8_t>{30, 20, 10, 255, 60, 50, 40, 255,  //
                                               90, 80, 70, 255, 120, 110, 100, 255}));
    cache.unloadAll();
}
