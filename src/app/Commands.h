#pragma once

#include <string>

struct Camera;
struct GameSettings;
struct KeyState;
struct ProgramState;
class Player;

// What an input event asks the shell to do beyond changing state. The
// handlers below change the key tables and toggles themselves and return
// the rest, so they run and are tested without GLUT.
enum class Command {
    None,
    Quit,                // shutdown, then exit with status 0
    ShowHelp,            // the help box
    ShowCameraPosition,  // the camera position box
    ApplyWireframe,      // polygon mode from settings.wireframe
    ApplyMouseControl,   // cursor capture from settings.mouseControl
    ApplyFullScreen,     // full screen or back to 800 x 600 from settings.fullScreen
    RunWorld,            // replace the world through the file dialog
    ToggleLiveReload,    // R: live reload of the world file on or off
    SaveScreenshot,      // F12: the frame as a PNG in Screenshots/
};

struct InputResult {
    Command command = Command::None;
    bool redisplay = false;
};

// Menu entries and their values.
inline constexpr int menuHelp = 5;
inline constexpr int menuRunWorld = 6;
inline constexpr int menuQuit = 7;

// The window size F2 returns to.
inline constexpr int windowedWidth = 800;
inline constexpr int windowedHeight = 600;

// A character key pressed: command letters toggle or command, digits do
// nothing, every other character is entered in the character table.
InputResult handleKeyDown(unsigned char key, ProgramState& state);
// Every released character leaves the character table (one that no update
// has seen yet, once the next update has).
void handleKeyUp(unsigned char key, KeyState& keys);
// A special key pressed: F1, F2, F5 to F7, F12, Page Up and Down are commands,
// the rest go to the special table.
InputResult handleSpecialKeyDown(int key, ProgramState& state, Player& player);
void handleSpecialKeyUp(int key, KeyState& keys);
// Only the left button matters: it fires while held, and a click between
// two frames fires in the next.
void handleMouseButton(bool leftButton, bool pressed, GameSettings& settings);
// Menu value to command; unknown values do nothing.
Command menuCommand(int value);

// The help box text (shown as given: it holds no '%').
extern const char* const helpText;
// "Camera position: (x, y, z)" for the camera's placement.
std::string cameraPositionText(const Camera& camera);
