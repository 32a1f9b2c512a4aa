#include "app/GlutShell.h"

#include "app/CommandLine.h"
#include "app/Commands.h"
#include "app/FramePacer.h"
#include "app/GameEngine.h"
#include "app/GameFiles.h"
#include "app/GlState.h"
#include "app/Hud.h"
#include "app/Screenshot.h"
#include "audio/OpenAlSoundDevice.h"
#include "game/Player.h"
#include "platform/GameFolders.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/SystemPlatform.h"
#include "skeleton/SkeletonReader.h"
#include "state/ProgramState.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// The program-wide objects of the shell: they live from start-up to exit.
struct Shell {
    Player player;
    std::unique_ptr<GameEngine> engine;
    Hud hud;
    bool shutDown = false;
    // freeglut keeps the idle callback running while a pop-up menu is open;
    // the game holds still meanwhile, as behind any other modal window.
    bool menuInUse = false;
    // The files the game opens by itself and where F12 writes, fixed at
    // start-up (the working folder changes with the world), and whether the
    // next frame drawn is to be saved.
    GameFiles files;
    bool screenshotWanted = false;
    std::uint64_t framesDrawn = 0;
};

std::unique_ptr<Shell> shell;

// Releases the crosshair, then the world, then the engine and the camera.
// Runs once, from Escape, "Quit", the window's close button or the end of
// the main loop, whichever comes first, while the GL context still exists.
void shutdown()
{
    if (!shell || shell->shutDown) return;
    shell->shutDown = true;
    shell->hud.releaseCrosshair();
    if (shell->engine) shell->engine->releaseWorld();
    shell->engine.reset();
    // The output goes last, once the world has given back its sources.
    installSoundDevice(nullptr);
    openAlSoundDevice().close();
    programState().camera = Camera{};
}

void quit()
{
    shutdown();
    // The main loop returns and runGame ends with status 0.
    glutLeaveMainLoop();
}

// After a modal window or the menu the cursor is wherever the user left
// it: take the window centre as the mouse-look reference again, so the
// view does not jump by the distance travelled meanwhile.
void retakeMouseReference()
{
    Player& player = shell->player;
    if (player.mouseCaptured) player.recentreCursor(programState().window);
}

void note(std::string text)
{
    shell->hud.showNote(std::move(text), platform::current().milliseconds());
}

// The frame just drawn, before it is shown, so the shot is exactly it.
void saveFrame()
{
    shell->screenshotWanted = false;
    const WindowSize window = programState().window;
    const std::vector<std::uint8_t> pixels = readFrame(window.width, window.height);
    const std::optional<std::string> file = saveScreenshot(
        shell->files.screenshots, std::time(nullptr), window.width, window.height, pixels);
    if (file) {
        note("Screenshot saved: " + shell->files.screenshotsLabel + "/" +
             std::filesystem::path(*file).filename().string());
    } else {
        note("Screenshot not saved: cannot write to " + shell->files.screenshots);
    }
}

void perform(Command command)
{
    ProgramState& state = programState();
    switch (command) {
    case Command::None: break;
    case Command::Quit: quit(); break;
    case Command::ShowHelp:
        platform::showMessage(helpText);
        retakeMouseReference();
        break;
    case Command::ShowCameraPosition:
        platform::showMessage(cameraPositionText(state.camera));
        retakeMouseReference();
        break;
    case Command::ApplyWireframe:
        glPolygonMode(GL_FRONT_AND_BACK, state.settings.wireframe ? GL_LINE : GL_FILL);
        break;
    case Command::ApplyMouseControl:
        shell->player.setMouseCaptured(state.settings.mouseControl, state);
        break;
    case Command::ApplyFullScreen:
        if (state.settings.fullScreen) glutFullScreen();
        else glutReshapeWindow(windowedWidth, windowedHeight);
        break;
    case Command::RunWorld:
        if (shell->engine) shell->engine->runWorld();
        retakeMouseReference();
        break;
    case Command::ToggleLiveReload:
        shell->engine->setLiveReload(!shell->engine->liveReload());
        note(shell->engine->liveReload() ? "Live reload on" : "Live reload off");
        break;
    case Command::SaveScreenshot:
        shell->screenshotWanted = true;
        glutPostRedisplay();
        break;
    }
}

bool running() { return shell && !shell->shutDown && shell->engine; }

// For a platform that shows the game's state beside it (the browser page).
platform::FrameReport frameReport()
{
    const ProgramState& state = programState();
    platform::FrameReport report;
    report.framesDrawn = shell->framesDrawn;
    report.framesPerSecond = state.clock.framesPerSecond;
    const Vector3 eye = state.camera.placement.position();
    report.cameraX = eye.x;
    report.cameraY = eye.y;
    report.cameraZ = eye.z;
    report.worldLoaded = shell->engine && shell->engine->world();
    if (const Rocket* rocket = shell->player.rocket.get()) {
        report.rocketState = rocket->state;
        for (const Particle& particle : rocket->effects.particles) {
            if (particle.alpha > 0.0) ++report.burstParticles;
        }
    }
    return report;
}

void onDisplay()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (running()) shell->engine->display(shell->hud);
    if (shell && shell->screenshotWanted) saveFrame();
    glutSwapBuffers();
    if (running()) {
        ++shell->framesDrawn;
        platform::current().reportFrame(frameReport());
    }
}

void onIdle()
{
    if (!running()) return;
    if (shell->menuInUse) {
        // Idle still runs: wait a frame's time rather than spin.
        platform::Platform& os = platform::current();
        os.sleepUntil(os.milliseconds() + FrameClock::minimumFrameMs);
        return;
    }
    if (!waitForNextFrame(programState().clock, platform::current())) return;
    shell->engine->update();
    glutPostRedisplay();
}

void onReshape(int width, int height)
{
    programState().window = {width, height};
    setViewport(width, height);
}

void onVisibility(int visibility)
{
    // A hidden window consumes no frames.
    glutIdleFunc(visibility == GLUT_VISIBLE ? onIdle : nullptr);
}

void onKeyboard(unsigned char key, int, int)
{
    if (!running()) return;
    const InputResult result = handleKeyDown(key, programState());
    perform(result.command);
    if (result.redisplay && running()) glutPostRedisplay();
}

void onKeyboardUp(unsigned char key, int, int) { handleKeyUp(key, programState().keys); }

void onSpecial(int key, int, int)
{
    if (!running()) return;
    const InputResult result = handleSpecialKeyDown(key, programState(), shell->player);
    perform(result.command);
    if (result.redisplay && running()) glutPostRedisplay();
}

void onSpecialUp(int key, int, int) { handleSpecialKeyUp(key, programState().keys); }

void onMouse(int button, int state, int x, int y)
{
    platform::noteCursorPosition(x, y);
    handleMouseButton(button == GLUT_LEFT_BUTTON, state == GLUT_DOWN, programState().settings);
}

// Mouse look polls the cursor; the motion callbacks only keep it current.
void onMotion(int x, int y) { platform::noteCursorPosition(x, y); }

void onMenu(int value)
{
    if (running()) perform(menuCommand(value));
}

void onMenuStatus(int status, int, int)
{
    if (!shell) return;
    shell->menuInUse = status == GLUT_MENU_IN_USE;
    if (!shell->menuInUse && running()) retakeMouseReference();
}

void onClose() { shutdown(); }

void createMenu()
{
    glutCreateMenu(onMenu);
    glutAddMenuEntry("Help", menuHelp);
    glutAddMenuEntry("Run World", menuRunWorld);
    glutAddMenuEntry("Quit", menuQuit);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

void registerCallbacks()
{
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecial);
    glutKeyboardUpFunc(onKeyboardUp);
    glutSpecialUpFunc(onSpecialUp);
    glutMouseFunc(onMouse);
    glutMotionFunc(onMotion);
    glutPassiveMotionFunc(onMotion);
    // The idle callback is installed by the visibility callback.
    glutVisibilityFunc(onVisibility);
    glutMenuStatusFunc(onMenuStatus);
    glutCloseFunc(onClose);
}

void initialiseEngine()
{
    ProgramState& state = programState();
    setUpOpenGlState();
    // Opened with the first world; without a sound card the game is silent.
    installSoundDevice(&openAlSoundDevice());
    shell->engine = std::make_unique<GameEngine>(shell->player, state);
    state.keys.characters.fill(false);
    startFrameClock(state.clock, platform::current());
    // The player's body, read once GL, the engine and the frame clock exist:
    // a missing file's box then comes up like any other in the game.
    shell->player.skeleton = loadSkeleton(shell->files.skeleton);
    state.camera = Camera{};
    state.ambientLight = AmbientLight{};
    shell->hud.text().clear();
    shell->hud.loadCrosshair(shell->files.crosshair);
}

}  // namespace

int runGame(int argc, char** argv)
{
    const CommandLine line = parseCommandLine(std::vector<std::string>(argv, argv + argc));
    const std::string program =
        argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "game";
    switch (line.action) {
    case CommandLine::Action::help: std::fputs(helpPageText(program).c_str(), stdout); return 0;
    case CommandLine::Action::version: std::fputs(versionText(program).c_str(), stdout); return 0;
    case CommandLine::Action::usageError:
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), line.problem.c_str(),
                     usageText(program).c_str());
        return usageExitStatus;
    case CommandLine::Action::run: break;
    }

    // GLUT sees only its own options; the world is ours.
    std::vector<std::string> glutArguments = line.glutArguments;
    std::vector<char*> glutArgv;
    for (std::string& argument : glutArguments) glutArgv.push_back(argument.data());
    glutArgv.push_back(nullptr);
    int glutArgc = static_cast<int>(glutArguments.size());

    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH | GLUT_STENCIL |
                        GLUT_MULTISAMPLE);
    glutInitWindowSize(windowedWidth, windowedHeight);
    glutInit(&glutArgc, glutArgv.data());
    glutCreateWindow("game engine");
    createMenu();
    registerCallbacks();
    // Per window: never the X server's auto-repeat, which would outlive us.
    glutIgnoreKeyRepeat(1);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);

    shell = std::make_unique<Shell>();
    // Installed, the game reads its share folder. In a build tree Bin is the
    // folder the game was started from, taken before a world moves the
    // working folder.
    if (const auto installed =
            platform::installedFolders(platform::programFolder(), platform::processEnvironment)) {
        shell->files = installedFiles(*installed, platform::processEnvironment);
    } else {
        shell->files = buildTreeFiles(platform::executableFolder(argc > 0 ? argv[0] : ""));
    }
    initialiseEngine();

    const std::string& defaultWorld = shell->files.defaultWorld;
    if (line.world) shell->engine->openWorld(*line.world);
    else if (shell->files.enterDefaultWorldFolder) shell->engine->openWorld(defaultWorld);
    else shell->engine->loadWorld(defaultWorld);

    programState().settings.mouseControl = true;
    shell->player.setMouseCaptured(true, programState());

    glutMainLoop();

    shutdown();
    shell.reset();
    return 0;
}
