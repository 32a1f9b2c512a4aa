#include "support/TestEnvironment.h"

#include "app/Commands.h"
#include "game/Player.h"
#include "state/ProgramState.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

namespace {

bool anyCharacterDown(const KeyState& keys)
{
    return std::any_of(keys.characters.begin(), keys.characters.end(), [](bool b) { return b; });
}

bool anySpecialDown(const KeyState& keys)
{
    return std::any_of(keys.special.begin(), keys.special.end(), [](bool b) { return b; });
}

}  // namespace

TEST(InputKeys, CharactersEnterTheTableAsDelivered)
{
    ProgramState& state = programState();
    EXPECT_EQ(handleKeyDown('w', state).command, Command::None);
    EXPECT_TRUE(state.keys.isKeyDown(119, KeyState::characterTable));
    // Caps Lock: "W" is another entry, so the player does not walk.
    state.keys.polled();  // a frame has seen it: the release takes it out
    handleKeyUp('w', state.keys);
    handleKeyDown('W', state);
    EXPECT_TRUE(state.keys.isKeyDown(87, KeyState::characterTable));
    EXPECT_FALSE(state.keys.isKeyDown(119, KeyState::characterTable));

    handleKeyDown(' ', state);
    handleKeyDown(13, state);
    handleKeyDown(200, state);
    EXPECT_TRUE(state.keys.isKeyDown(32, KeyState::characterTable));
    EXPECT_TRUE(state.keys.isKeyDown(13, KeyState::characterTable));
    EXPECT_TRUE(state.keys.isKeyDown(200, KeyState::characterTable));

    state.keys.polled();
    for (int c : {int{'W'}, int{' '}, 13, 200})
        handleKeyUp(static_cast<unsigned char>(c), state.keys);
    EXPECT_FALSE(anyCharacterDown(state.keys));
}

TEST(InputKeys, DigitsChangeNothingButRedraw)
{
    ProgramState& state = programState();
    const GameSettings before = state.settings;
    for (unsigned char c = '0'; c <= '9'; ++c) {
        const InputResult r = handleKeyDown(c, state);
        EXPECT_EQ(r.command, Command::None);
        EXPECT_TRUE(r.redisplay);
    }
    EXPECT_FALSE(anyCharacterDown(state.keys));
    EXPECT_EQ(std::memcmp(&before, &state.settings, sizeof before), 0);
}

TEST(InputKeys, TogglesFlipTheirSettingInEitherCase)
{
    struct Toggle {
        char key;
        bool GameSettings::*setting;
        bool start;
    };
    const Toggle toggles[] = {
        {'b', &GameSettings::bspView, false},        {'c', &GameSettings::collision, true},
        {'f', &GameSettings::showFps, true},         {'g', &GameSettings::gravity, true},
        {'i', &GameSettings::mipmapping, true},      {'l', &GameSettings::wireframe, false},
        {'m', &GameSettings::mouseControl, false},   {'t', &GameSettings::texturing, true},
        {'u', &GameSettings::cloudShadows, false},   {'x', &GameSettings::crosshair, true},
        {'y', &GameSettings::dynamicLighting, true},
    };
    for (const Toggle& t : toggles) {
        SCOPED_TRACE(t.key);
        resetProgramState();
        ProgramState& state = programState();
        EXPECT_EQ(state.settings.*t.setting, t.start);
        EXPECT_TRUE(handleKeyDown(static_cast<unsigned char>(t.key), state).redisplay);
        EXPECT_EQ(state.settings.*t.setting, !t.start);
        handleKeyDown(static_cast<unsigned char>(t.key - 'a' + 'A'), state);
        EXPECT_EQ(state.settings.*t.setting, t.start);
        EXPECT_FALSE(anyCharacterDown(state.keys));
    }
}

TEST(InputKeys, CommandLetters)
{
    ProgramState& state = programState();
    EXPECT_EQ(handleKeyDown('h', state).command, Command::ShowHelp);
    EXPECT_EQ(handleKeyDown('H', state).command, Command::ShowHelp);
    EXPECT_EQ(handleKeyDown('p', state).command, Command::ShowCameraPosition);
    EXPECT_EQ(handleKeyDown('L', state).command, Command::ApplyWireframe);
    EXPECT_TRUE(state.settings.wireframe);
    EXPECT_EQ(handleKeyDown('M', state).command, Command::ApplyMouseControl);
    EXPECT_TRUE(state.settings.mouseControl);
    // R switches live reload; it never reaches the key table.
    for (unsigned char r : {'r', 'R'}) {
        EXPECT_EQ(handleKeyDown(r, state).command, Command::ToggleLiveReload);
    }

    const InputResult escape = handleKeyDown(27, state);
    EXPECT_EQ(escape.command, Command::Quit);
    EXPECT_FALSE(escape.redisplay);
    EXPECT_FALSE(anyCharacterDown(state.keys));
}

TEST(InputKeys, SpecialKeys)
{
    ProgramState& state = programState();
    Player player;

    EXPECT_EQ(handleSpecialKeyDown(1, state, player).command, Command::ShowHelp);

    InputResult f2 = handleSpecialKeyDown(2, state, player);
    EXPECT_EQ(f2.command, Command::ApplyFullScreen);
    EXPECT_TRUE(state.settings.fullScreen);
    handleSpecialKeyDown(2, state, player);
    EXPECT_FALSE(state.settings.fullScreen);

    handleSpecialKeyDown(6, state, player);
    EXPECT_EQ(player.cameraMode, CameraMode::thirdPerson);
    handleSpecialKeyDown(7, state, player);
    EXPECT_EQ(player.cameraMode, CameraMode::rotatingThirdPerson);
    handleSpecialKeyDown(5, state, player);
    EXPECT_EQ(player.cameraMode, CameraMode::firstPerson);
    EXPECT_EQ(handleSpecialKeyDown(12, state, player).command, Command::SaveScreenshot);

    for (int key : {104, 105}) {
        const InputResult r = handleSpecialKeyDown(key, state, player);
        EXPECT_EQ(r.command, Command::None);
        EXPECT_TRUE(r.redisplay);
    }
    EXPECT_FALSE(anySpecialDown(state.keys));

    // Arrows and every other special key are polled.
    for (int key : {100, 101, 102, 103, 3, 11, 0x72}) {
        const InputResult r = handleSpecialKeyDown(key, state, player);
        EXPECT_EQ(r.command, Command::None);
        EXPECT_FALSE(r.redisplay);
        EXPECT_TRUE(state.keys.isKeyDown(key, KeyState::specialTable)) << key;
    }
    state.keys.polled();
    for (int key : {100, 101, 102, 103, 3, 11, 0x72}) handleSpecialKeyUp(key, state.keys);
    EXPECT_FALSE(anySpecialDown(state.keys));
}

TEST(InputMouse, OnlyTheLeftButtonIsHeld)
{
    GameSettings& s = programState().settings;
    handleMouseButton(false, true, s);
    EXPECT_FALSE(s.leftButtonDown);
    handleMouseButton(true, true, s);
    EXPECT_TRUE(s.leftButtonDown);
    handleMouseButton(false, false, s);
    EXPECT_TRUE(s.leftButtonDown);
    s.leftButtonLatch.polled(s.leftButtonDown);  // a frame has seen it
    handleMouseButton(true, false, s);
    EXPECT_FALSE(s.leftButtonDown);
}

// The update polls the keys and the button. A press released before the
// next update is still seen by it, once; a held one stays down; one that an
// update has seen ends with its release.
TEST(InputLatch, APressBetweenTwoFramesIsSeenByTheNextUpdateOnly)
{
    ProgramState& state = programState();
    state.settings.collision = false;
    Player player;
    World world;
    struct Input {
        const char* name;
        std::function<void(bool pressed)> event;
        std::function<bool()> down;  // as the update reads it
    };
    auto character = [&state](const char* name, unsigned char key) {
        return Input{name,
                     [&state, key](bool pressed) {
                         if (pressed) handleKeyDown(key, state);
                         else handleKeyUp(key, state.keys);
                     },
                     [&state, key] { return state.keys.isKeyDown(key, KeyState::characterTable); }};
    };
    const Input inputs[] = {
        character("w", 'w'),
        character("Enter", 13),
        {"Up",
         [&](bool pressed) {
             if (pressed) handleSpecialKeyDown(101, state, player);
             else handleSpecialKeyUp(101, state.keys);
         },
         [&] { return state.keys.isKeyDown(101, KeyState::specialTable); }},
        {"left button", [&](bool pressed) { handleMouseButton(true, pressed, state.settings); },
         [&] { return state.settings.leftButtonDown; }},
    };

    // p a press, r a release, u an update: `seen` has a digit per update.
    struct Case {
        const char* events;
        const char* seen;
    };
    const Case cases[] = {
        {"pr u u", "10"},    // a click between two frames
        {"pu u ru", "110"},  // held over two frames, then let go
        {"pu ru", "10"},     // seen, then let go before the next frame
        {"prpr u u", "10"},  // two taps between frames act once
        {"prp u ru", "10"},  // pressed again before the frame: held
        {"u", "0"},
    };
    for (const Input& input : inputs) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(input.name) + ": " + c.events);
            state.keys.clear();
            state.settings.leftButtonDown = false;
            state.settings.leftButtonLatch = {};
            std::string seen;
            for (const char* e = c.events; *e; ++e) {
                if (*e == 'p' || *e == 'r') input.event(*e == 'p');
                if (*e != 'u') continue;
                seen += input.down() ? '1' : '0';
                player.update(world, state);
            }
            EXPECT_EQ(seen, c.seen);
        }
    }
}

TEST(InputMenu, ValuesFiveSixSeven)
{
    EXPECT_EQ(menuCommand(5), Command::ShowHelp);
    EXPECT_EQ(menuCommand(6), Command::RunWorld);
    EXPECT_EQ(menuCommand(7), Command::Quit);
    for (int v : {-1, 0, 4, 8, 1000}) EXPECT_EQ(menuCommand(v), Command::None);
}

TEST(InputMessages, HelpTextIsSafeToShow)
{
    const std::string text = helpText;
    EXPECT_EQ(text.find('%'), std::string::npos);
    EXPECT_EQ(text.rfind("Here are the movement keys:\nArrows - move forward", 0), 0u);
    EXPECT_NE(text.find("\n\nHere are some special keys:\nF1/h - show this help\n"),
              std::string::npos);
    EXPECT_NE(text.find("\nL - switch betweens lines (wireframe) and solid polygons\n"),
              std::string::npos);
    // One line for each key, V (sound) included.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 26);
    EXPECT_EQ(text.substr(text.size() - 28), "\nY - toggle dynamic lighting");
}

TEST(InputMessages, CameraPositionUsesThePlacement)
{
    Camera camera;
    camera.placement = Placement::at({1.5, -2, 1e-7});
    camera.placement.rotate({0, 90, 0});  // the view's translation is not the position
    EXPECT_EQ(cameraPositionText(camera), "Camera position: (1.5, -2, 1e-07)");
}
