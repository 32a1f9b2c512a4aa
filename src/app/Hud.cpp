#include "app/Hud.h"

#include "state/ProgramState.h"
#include "textures/ImageLoader.h"
#include "textures/Texture.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>

namespace {
// Room for a line of text without reallocating every frame.
constexpr std::size_t textCapacity = 256;
}  // namespace

CrosshairSquare crosshairSquare(int windowWidth, int windowHeight)
{
    const int cx = windowWidth / 2;
    const int cy = windowHeight / 2;
    const int s = static_cast<int>(windowWidth * 0.03);
    return {cx - s, cy - s, cx + s, cy + s};
}

Hud::Hud() { text_.reserve(textCapacity); }

Hud::~Hud() = default;

void Hud::loadCrosshair(const std::string& path)
{
    std::unique_ptr<Texture> texture = loadTexture(path);
    if (texture) texture->upload(true);
    crosshair_ = std::move(texture);
}

void Hud::releaseCrosshair()
{
    if (!crosshair_) return;
    crosshair_->unload();
    crosshair_.reset();
}

void Hud::setCrosshair(std::unique_ptr<Texture> texture) { crosshair_ = std::move(texture); }

void Hud::showNote(std::string note, std::uint64_t nowMs)
{
    note_ = std::move(note);
    noteUntilMs_ = nowMs + noteMs;
}

const std::string& Hud::note(std::uint64_t nowMs) const
{
    static const std::string none;
    return nowMs < noteUntilMs_ ? note_ : none;
}

void Hud::draw(const ProgramState& state)
{
    const int width = state.window.width;
    const int height = state.window.height;

    // Window pixels, x right and y down from the top-left corner.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, width, 0, height);
    glScalef(1, -1, 1);
    glTranslatef(0, static_cast<GLfloat>(-height), 0);

    glDisable(GL_DEPTH_TEST);

    if (crosshair_ && state.settings.crosshair) {
        glColor4d(1, 1, 1, 1);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        crosshair_->bind();
        const CrosshairSquare q = crosshairSquare(width, height);
        glBegin(GL_QUADS);
        glTexCoord2d(0, 0);
        glVertex3d(q.left, q.top, 1.0);
        glTexCoord2d(0, 1);
        glVertex3d(q.left, q.bottom, 1.0);
        glTexCoord2d(1, 1);
        glVertex3d(q.right, q.bottom, 1.0);
        glTexCoord2d(1, 0);
        glVertex3d(q.right, q.top, 1.0);
        glEnd();
        glDisable(GL_BLEND);
    }

    // The frame's start time is the clock the note runs on.
    const std::string& shownNote = note(state.clock.lastFrameTime);
    if (state.settings.showFps || !shownNote.empty()) {
        glDisable(GL_TEXTURE_2D);
        glColor4d(0, 1, 0, 1);
        if (!shownNote.empty()) {
            text_ += shownNote;
        } else {
            // A number, not file text: a small bounded buffer is enough.
            char fps[64];
            std::snprintf(fps, sizeof fps, "FPS: %g", state.clock.framesPerSecond);
            text_ += fps;
        }
        glRasterPos3f(5, 20, 1);
        for (const char c : text_)
            glutBitmapCharacter(GLUT_BITMAP_9_BY_15, static_cast<unsigned char>(c));
        glColor4d(1, 1, 1, 1);
        glEnable(GL_TEXTURE_2D);
    }

    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    text_.clear();
}
