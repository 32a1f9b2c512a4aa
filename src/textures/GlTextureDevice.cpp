#include "textures/GlTextureDevice.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

class GlTextureDevice : public TextureDevice {
public:
    unsigned generateName() override
    {
        GLuint name = 0;
        glGenTextures(1, &name);
        return name;
    }

    void releaseName(unsigned name) override
    {
        const GLuint n = name;
        glDeleteTextures(1, &n);
    }

    void bind(unsigned name) override
    {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, name);
    }

    void disableTexturing() override { glDisable(GL_TEXTURE_2D); }

    // GL errors (a side that is not a power of two on an old driver, say) are
    // left for GL to swallow: a texture that fails to upload draws blank.
    void upload(unsigned, int width, int height, const std::uint8_t* rgba, bool mipmaps) override
    {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mipmaps ? GL_LINEAR : GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST);
        if (mipmaps)
            gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                              rgba);
        else
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         rgba);
    }
};

}  // namespace

TextureDevice& openGlTextureDevice()
{
    static GlTextureDevice device;
    return device;
}
