// Texture upload for WebGL 1, under the engine's unchanged GL calls: the
// internal format must equal the pixel format (GL_RGBA8 is refused), and
// GLU's mip-map builder becomes a power-of-two level 0 and the context's
// own mip-map generation.

#include <GL/gl.h>

#include <cstdint>
#include <vector>

extern "C" {
// The context's own entry points, which our definitions below stand in front of.
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const void* pixels);
void emscripten_glGenerateMipmap(GLenum target);
}

namespace {

GLsizei powerOfTwoAtLeast(GLsizei size)
{
    GLsizei p = 1;
    while (p < size && p < (1 << 14)) p <<= 1;
    return p;
}

// Nearest-neighbour resampling of 8-bit pixels to a new size.
void resample(const std::uint8_t* in, int width, int height, int channels, int toWidth,
              int toHeight, std::vector<std::uint8_t>& out)
{
    out.resize(static_cast<std::size_t>(toWidth) * toHeight * channels);
    for (int y = 0; y < toHeight; ++y) {
        const int fromY = y * height / toHeight;
        for (int x = 0; x < toWidth; ++x) {
            const int fromX = x * width / toWidth;
            for (int c = 0; c < channels; ++c) {
                out[(static_cast<std::size_t>(y) * toWidth + x) * channels + c] =
                    in[(static_cast<std::size_t>(fromY) * width + fromX) * channels + c];
            }
        }
    }
}

}  // namespace

extern "C" {

void glTexImage2D(GLenum target, GLint level, GLint, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const void* pixels)
{
    emscripten_glTexImage2D(target, level, static_cast<GLint>(format), width, height, border,
                            format, type, pixels);
}

GLint gluBuild2DMipmaps(GLenum target, GLint, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* pixels)
{
    const int channels = format == GL_RGB ? 3 : format == GL_RGBA ? 4 : 0;
    if (width <= 0 || height <= 0 || channels == 0 || type != GL_UNSIGNED_BYTE) return 1;
    const GLsizei toWidth = powerOfTwoAtLeast(width);
    const GLsizei toHeight = powerOfTwoAtLeast(height);
    std::vector<std::uint8_t> scaled;
    if (toWidth != width || toHeight != height) {
        resample(static_cast<const std::uint8_t*>(pixels), width, height, channels, toWidth,
                 toHeight, scaled);
        pixels = scaled.data();
    }
    emscripten_glTexImage2D(target, 0, static_cast<GLint>(format), toWidth, toHeight, 0, format,
                            type, pixels);
    emscripten_glGenerateMipmap(target);
    return 0;
}

}  // extern "C"
