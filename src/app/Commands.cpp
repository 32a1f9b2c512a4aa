#include "app/Commands.h"

#include "game/Player.h"
#include "platform/Messages.h"
#include "state/ProgramState.h"

#include <cctype>
#include <cstring>

namespace {

// GLUT's special-key codes that are commands.
constexpr int keyF1 = 1;
constexpr int keyF2 = 2;
constexpr int keyF5 = 5;
constexpr int keyF6 = 6;
constexpr int keyF7 = 7;
constexpr int keyF12 = 12;
constexpr int keyPageUp = 104;
constexpr int keyPageDown = 105;

constexpr unsigned char keyEscape = 27;

void toggle(bool& setting) { setting = !setting; }

}  // namespace

const char* const helpText =
    "Here are the movement keys:\n"
    "Arrows - move forward and back, and rotate left and right\n"
    "Mouse (if using mouse control) -\n"
    "  look up and down and rotate left and right\n"
    "w,s,a,d - used for moving with the mouse (move forward and backward, and strafe left and "
    "right)\n"
    "Spacebar - jump\n"
    "Left mouse button - fire rocket (takes 5 seconds to re-load)\n"
    "\n"
    "Here are some special keys:\n"
    "F1/h - show this help\n"
    "F2 - toggle fullscreen mode\n"
    "F5 - first person camera\n"
    "F6 - third person camera\n"
    "F7 - third person rotating camera\n"
    "B - draw BSP tree\n"
    "C - toggle collision detection\n"
    "F - toggle FPS display\n"
    "G - toggle gravity\n"
    "I - toggle mip-mapping (you must reload the world for this to take effect)\n"
    "L - switch betweens lines (wireframe) and solid polygons\n"
    "M - toggle mouse control in game\n"
    "P - show camera position\n"
    "T - toggle texture mapping\n"
    "U - toggle cloud shadows\n"
    "X - toggle aiming crosshair\n"
    "V - toggle sound\n"
    "Y - toggle dynamic lighting";

std::string cameraPositionText(const Camera& camera)
{
    const Vector3 p = camera.placement.position();
    return platform::formatText("Camera position: (%g, %g, %g)", p.x, p.y, p.z);
}

InputResult handleKeyDown(unsigned char key, ProgramState& state)
{
    GameSettings& s = state.settings;
    InputResult result;
    if (key == keyEscape) {
        result.command = Command::Quit;
        return result;
    }
    result.redisplay = true;
    if (key >= '0' && key <= '9') return result;
    // Every toggle key is heard as a tick.
    if (std::strchr("BCFGILMRTUVXY", std::toupper(key)) && key != 0) ++s.togglePresses;

    switch (key) {
    case 'B':
    case 'b': toggle(s.bspView); break;
    case 'C':
    case 'c': toggle(s.collision); break;
    case 'F':
    case 'f': toggle(s.showFps); break;
    case 'G':
    case 'g': toggle(s.gravity); break;
    case 'H':
    case 'h': result.command = Command::ShowHelp; break;
    case 'I':
    case 'i': toggle(s.mipmapping); break;
    case 'L':
    case 'l':
        toggle(s.wireframe);
        result.command = Command::ApplyWireframe;
        break;
    case 'M':
    case 'm':
        toggle(s.mouseControl);
        result.command = Command::ApplyMouseControl;
        break;
    case 'P':
    case 'p': result.command = Command::ShowCameraPosition; break;
    case 'R':
    case 'r': result.command = Command::ToggleLiveReload; break;
    case 'T':
    case 't': toggle(s.texturing); break;
    case 'U':
    case 'u': toggle(s.cloudShadows); break;
    case 'X':
    case 'x': toggle(s.crosshair); break;
    case 'V':
    case 'v': toggle(s.sound); break;
    case 'Y':
    case 'y': toggle(s.dynamicLighting); break;
    default: state.keys.press(key, KeyState::characterTable); break;
    }
    return result;
}

void handleKeyUp(unsigned char key, KeyState& keys)
{
    keys.release(key & 255, KeyState::characterTable);
}

InputResult handleSpecialKeyDown(int key, ProgramState& state, Player& player)
{
    InputResult result;
    switch (key) {
    case keyF1: result.command = Command::ShowHelp; break;
    case keyF2:
        toggle(state.settings.fullScreen);
        ++state.settings.togglePresses;
        result.command = Command::ApplyFullScreen;
        break;
    case keyF5: player.cameraMode = CameraMode::firstPerson; break;
    case keyF6: player.cameraMode = CameraMode::thirdPerson; break;
    case keyF7: player.cameraMode = CameraMode::rotatingThirdPerson; break;
    case keyF12: result.command = Command::SaveScreenshot; break;
    case keyPageUp:
    case keyPageDown: result.redisplay = true; break;
    default: state.keys.press(key, KeyState::specialTable); break;
    }
    return result;
}

void handleSpecialKeyUp(int key, KeyState& keys) { keys.release(key, KeyState::specialTable); }

void handleMouseButton(bool leftButton, bool pressed, GameSettings& settings)
{
    if (!leftButton) return;
    if (pressed) settings.leftButtonLatch.press(settings.leftButtonDown);
    else settings.leftButtonLatch.release(settings.leftButtonDown);
}

Command menuCommand(int value)
{
    switch (value) {
    case menuHelp: return Command::ShowHelp;
    case menuRunWorld: return Command::RunWorld;
    case menuQuit: return Command::Quit;
    default: return Command::None;
    }
}
