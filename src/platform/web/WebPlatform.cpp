// The browser's platform: the page (web/page/page.js) shows the modal box
// and the world picker, holds the pointer lock and reads the modifiers; the
// engine's thread never blocks, so a modal box pauses the frames instead.

#include "platform/SystemPlatform.h"

#include <emscripten.h>

#include <cstdio>
#include <optional>
#include <string>

namespace platform {

namespace {

// clang-format off
EM_JS(void, pageShowModal, (const char* caption, const char* text), {
    Module.arroyoPage.showModal(UTF8ToString(caption), UTF8ToString(text));
});
EM_JS(void, pageCapturePointer, (int capture), {
    Module.arroyoPage.capturePointer(capture !== 0);
});
// Under the pointer lock GLUT reports the pointer as emscripten's running
// sum of the movements; a warp moves that sum too, so the next motion is
// measured from where the game put the cursor.
EM_JS(void, pageWarpPointer, (int x, int y), {
    Browser.mouseX = x;
    Browser.mouseY = y;
});
EM_JS(int, pageModifierDown, (int alt), {
    return Module.arroyoPage.modifierDown(alt !== 0) ? 1 : 0;
});
EM_JS(void, pageReport, (double frames, double fps, double x, double y, double z, int world,
                         int rocket, int burst, int errors), {
    Module.arroyoPage.report({frames: frames, fps: fps, camera: [x, y, z], world: world !== 0,
                              rocketState: rocket, burstParticles: burst, errorBoxes: errors});
});
// clang-format on

class WebPlatform final : public Platform {
public:
    void showMessageBox(const std::string& caption, const std::string& text) override
    {
        if (caption == "Error") ++errorBoxes_;
        ++modalsOpen_;
        ++interruptions_;
        pageShowModal(caption.c_str(), text.c_str());
    }

    // The page's picker runs before the game hears of a choice (see
    // requestedWorld); a dialog that blocks until chosen cannot exist here.
    std::optional<std::string> chooseFile(const std::string&, const std::string&) override
    {
        return std::nullopt;
    }

    std::uint64_t milliseconds() override
    {
        const double now = emscripten_get_now() - start_;
        return now > 0 ? static_cast<std::uint64_t>(now) : 0;
    }

    // Never blocks: the page's thread must stay free for its events. The
    // pacer only asks once the deadline has passed (mayStartFrame), and a
    // shell waiting behind the menu is called again a moment later anyway.
    void sleepUntil(std::uint64_t) override {}

    bool mayStartFrame(std::uint64_t deadlineMs) override
    {
        return modalsOpen_ == 0 && milliseconds() >= deadlineMs;
    }

    void setCursorVisible(bool visible) override { pageCapturePointer(visible ? 0 : 1); }

    void warpCursor(int x, int y) override
    {
        cursor_ = {x, y};
        pageWarpPointer(x, y);
    }
    CursorPosition cursorPosition() override { return cursor_; }

    bool isModifierDown(ModifierKey key) override
    {
        return pageModifierDown(key == ModifierKey::alt ? 1 : 0) != 0;
    }

    std::uint64_t inputInterruptions() override { return interruptions_; }

    std::optional<std::string> requestedWorld() override
    {
        std::optional<std::string> world = std::move(requested_);
        requested_.reset();
        return world;
    }

    void reportFrame(const FrameReport& r) override
    {
        pageReport(static_cast<double>(r.framesDrawn), r.framesPerSecond, r.cameraX, r.cameraY,
                   r.cameraZ, r.worldLoaded ? 1 : 0, r.rocketState, r.burstParticles, errorBoxes_);
    }

    void modalClosed()
    {
        if (modalsOpen_ > 0) --modalsOpen_;
        ++interruptions_;
    }
    void focusLost() { ++interruptions_; }
    void cursorAt(int x, int y) { cursor_ = {x, y}; }
    void requestWorld(std::string path) { requested_ = std::move(path); }

private:
    double start_ = emscripten_get_now();
    CursorPosition cursor_;
    int modalsOpen_ = 0;
    int errorBoxes_ = 0;
    std::uint64_t interruptions_ = 0;
    std::optional<std::string> requested_;
};

WebPlatform& webPlatform()
{
    static WebPlatform instance;
    return instance;
}

}  // namespace

Platform& systemPlatform() { return webPlatform(); }

// GLUT's motion callbacks: the pointer over the page when it is not locked.
void noteCursorPosition(int x, int y) { webPlatform().cursorAt(x, y); }

}  // namespace platform

extern "C" {

EMSCRIPTEN_KEEPALIVE void arroyo_modal_closed() { platform::webPlatform().modalClosed(); }

EMSCRIPTEN_KEEPALIVE void arroyo_focus_lost() { platform::webPlatform().focusLost(); }

EMSCRIPTEN_KEEPALIVE void arroyo_open_world(const char* path)
{
    if (path) platform::webPlatform().requestWorld(path);
}

}  // extern "C"
