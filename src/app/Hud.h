#pragma once

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

    // Loads the crosshair and uploads it with mip-maps; without the file
    // the HUD simply draws no crosshair.
    void loadCrosshair();
    // Releases the crosshair's GL name and the texture.
    void releaseCrosshair();
    const Texture* crosshair() const { return crosshair_.get(); }
    void setCrosshair(std::unique_ptr<Texture> texture);

    // Text drawn before the frame rate on the next frame; emptied every frame.
    std::string& text() { return text_; }

    void draw(const ProgramState& state);

private:
    std::unique_ptr<Texture> crosshair_;
    std::string text_;
};

// The crosshair square in window pixels (y down): centre and half side.
struct CrosshairSquare {
    int left, top, right, bottom;
};
CrosshairSquare crosshairSquare(int windowWidth, int windowHeight);
