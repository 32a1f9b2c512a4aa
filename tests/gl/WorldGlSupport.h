#pragma once

// Shared by the world and HUD GL tests: the game's GL state in the test
// window, pixel read-back in window coordinates (y down), and restoring GL
// for the tests that run afterwards.

#include "app/GlState.h"
#include "state/ProgramState.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <ostream>

namespace worldgl {

constexpr int width = 800;
constexpr int height = 600;

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool near(const Rgb& o, int tolerance = 8) const
    {
        return std::abs(r - o.r) <= tolerance && std::abs(g - o.g) <= tolerance &&
               std::abs(b - o.b) <= tolerance;
    }
    friend std::ostream& operator<<(std::ostream& out, const Rgb& c)
    {
        return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
    }
};

// The pixel at (x, y) from the top-left corner of the back buffer.
inline Rgb pixel(int x, int y)
{
    std::array<std::uint8_t, 4> p{};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return {p[0], p[1], p[2]};
}

// How many pixels of the rectangle [x0, x1) x [y0, y1) (y down) satisfy pred.
template <typename Pred>
int countPixels(int x0, int y0, int x1, int y1, Pred pred)
{
    const int w = x1 - x0;
    const int h = y1 - y0;
    std::vector<std::uint8_t> data(static_cast<std::size_t>(w * h * 4));
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x0, height - y1, w, h, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    int count = 0;
    for (std::size_t i = 0; i < data.size(); i += 4) {
        if (pred(Rgb{data[i], data[i + 1], data[i + 2]})) ++count;
    }
    return count;
}

// The game's fixed GL state and an 800 x 600 perspective, with the camera
// at the origin looking down -z; everything put back afterwards.
class GameGlState : public ::testing::Test {
protected:
    void SetUp() override
    {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glMatrixMode(GL_TEXTURE);
        glPushMatrix();
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        setUpOpenGlState();
        setViewport(width, height);
        programState().window = {width, height};
        glBindTexture(GL_TEXTURE_2D, 0);
        clear(0, 0, 0);
    }
    void TearDown() override
    {
        glMatrixMode(GL_TEXTURE);
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glPopAttrib();
        glBindTexture(GL_TEXTURE_2D, 0);
        while (glGetError() != GL_NO_ERROR) {}
    }
    static void clear(float r, float g, float b)
    {
        glClearColor(r, g, b, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    }
};

}  // namespace worldgl
