#pragma once

#include <cstdint>
#include <memory>
#include <string>

class Texture;
struct ProgramState;

// The heads-up display: a crosshair in the middle of the window and the
// frame rate at the top left, drawn in window pixels over the frame.
class Hud {
public:
    static constexpr const char* crosshairPath = "!..\\Textures\\crosshair.bmp";

    Hud();
    ~Hud();
    Hud(const Hud&) = delete;
    Hud& operator=(const Hud&) = delete;

    // Loads the crosshair (crosshairPath from Bin/, unless another is given)
    // and uploads it with mip-maps; without the file the HUD simply draws no
    // crosshair.
    void loadCrosshair(const std::string& path = crosshairPath);
    // Releases the crosshair's GL name and the texture.
    void releaseCrosshair();
    const Texture* crosshair() const { return crosshair_.get(); }
    void setCrosshair(std::unique_ptr<Texture> texture);

    // Text drawn before the frame rate on the next frame; emptied every frame.
    std::string& text() { return text_; }

    // How long a note stays up.
    static constexpr std::uint64_t noteMs = 2000;
    // A short note ("Screenshot saved ...") shown in the frame-rate line's
    // place, whether or not the frame rate is shown, for two seconds from
    // `nowMs` on the platform clock.
    void showNote(std::string note, std::uint64_t nowMs);
    // The note still up at `nowMs`, or none (empty).
    const std::string& note(std::uint64_t nowMs) const;

    void draw(const ProgramState& state);

private:
    std::unique_ptr<Texture> crosshair_;
    std::string text_;
    std::string note_;
    std::uint64_t noteUntilMs_ = 0;
};

// The crosshair square in window pixels (y down): centre and half side.
struct CrosshairSquare {
    int left, top, right, bottom;
};
CrosshairSquare crosshairSquare(int windowWidth, int windowHeight);
