#include "app/CommandLine.h"

#include "platform/GameFolders.h"

#include <array>
#include <string_view>

namespace {

struct GlutOption {
    std::string_view name;
    bool takesValue;
};

// The options freeglut's glutInit takes from the command line.
constexpr std::array<GlutOption, 7> glutOptions{{
    {"-display", true},
    {"-geometry", true},
    {"-direct", false},
    {"-indirect", false},
    {"-iconic", false},
    {"-gldebug", false},
    {"-sync", false},
}};

const GlutOption* findGlutOption(std::string_view argument)
{
    for (const GlutOption& option : glutOptions) {
        if (option.name == argument) return &option;
    }
    return nullptr;
}

CommandLine usageError(std::string problem)
{
    CommandLine line;
    line.action = CommandLine::Action::usageError;
    line.problem = std::move(problem);
    return line;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine line;
    line.glutArguments.push_back(arguments.empty() ? std::string("game") : arguments.front());
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool looksLikeOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (!looksLikeOption) {
            if (line.world) return usageError("more than one world: '" + argument + "'");
            line.world = argument;
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            line.action = CommandLine::Action::help;
        } else if (argument == "--version") {
            // --help, given too, wins.
            if (line.action == CommandLine::Action::run) line.action = CommandLine::Action::version;
        } else if (const GlutOption* option = findGlutOption(argument)) {
            line.glutArguments.push_back(argument);
            if (option->takesValue) {
                if (i + 1 >= arguments.size()) return usageError(argument + " needs a value");
                line.glutArguments.push_back(arguments[++i]);
            }
        } else {
            return usageError("unknown option '" + argument + "'");
        }
    }
    if (line.world && line.world->empty()) return usageError("the world's path is empty");
    return line;
}

std::string usageText(const std::string& program)
{
    return "usage: " + program +
           " [OPTIONS] [WORLD]\n"
           "\n"
           "Starts the game in WORLD, a .wrl file, or in the default world, canyon.wrl\n"
           "(see Files), when none is given. The world's folder becomes the working\n"
           "folder, so its ..\\Textures\\ names resolve from there.\n"
           "\n"
           "Options:\n"
           "  -h, --help            show this help and exit\n"
           "  --version             show the version (arroyo " +
           platform::applicationVersion +
           ") and exit\n"
           "  --                    what follows is the world, even if it starts with -\n"
           "  -display DISPLAY, -geometry WxH+X+Y, -iconic, -direct, -indirect, -gldebug, -sync\n"
           "                        GLUT's own options, passed on to GLUT\n";
}

std::string helpPageText(const std::string& program)
{
    return usageText(program) +
           "\n"
           "While the world is open, saving its file (or writing it again with\n"
           "worldtool) shows the change within a second or two; the player stays\n"
           "where it is. A world that fails to load keeps the old one playing.\n"
           "\n"
           "Keys:\n"
           "  arrows, w s a d       move, turn and strafe; the mouse looks around\n"
           "  space                 jump\n"
           "  left mouse button     fire a rocket\n"
           "  right mouse button    menu: Help, Run World, Quit\n"
           "  F1, H                 help\n"
           "  F2                    full screen\n"
           "  F5, F6, F7            first-person, third-person, rotating camera\n"
           "  F12                   save a screenshot (see Files)\n"
           "  R                     live reload of the world file on or off (on at start)\n"
           "  P                     camera position\n"
           "  B C F G I L M T U X Y\n"
           "                        toggle BSP view, collision, FPS, gravity, mip-mapping,\n"
           "                        wireframe, mouse control, texturing, cloud shadows,\n"
           "                        crosshair, dynamic lighting\n"
           "  Escape                quit\n"
           "\n"
           "Files:\n"
           "  Run from a build tree (build/game/Bin/game), the game reads everything\n"
           "  from the working folder, Bin/: the skeleton test.skl, the default world\n"
           "  ../Worlds/canyon.wrl and the textures in ../Textures. F12 saves PNG files\n"
           "  named by date and time into ../Screenshots, beside Bin/.\n"
           "\n"
           "  Installed as PREFIX/games/arroyo (/usr/games/arroyo from the package), it\n"
           "  reads the same files from PREFIX/share/games/arroyo, whatever the working\n"
           "  folder, and never writes there: F12 saves into $XDG_PICTURES_DIR/arroyo\n"
           "  (~/Pictures/arroyo unless ~/.config/user-dirs.dirs names another folder),\n"
           "  and anything else it writes goes under $XDG_DATA_HOME/arroyo\n"
           "  (~/.local/share/arroyo).\n"
           "\n"
           "Exit status:\n"
           "  0  the game was left (Escape, Quit, the window closed), or --help or\n"
           "     --version\n"
           "  1  no window could be opened (no X display)\n"
           "  2  the command line was wrong\n";
}

std::string versionText(const std::string& program)
{
    const std::string name = platform::applicationName;
    const std::string version = platform::applicationVersion;
    if (program == name) return name + " " + version + "\n";
    return program + " (" + name + ") " + version + "\n";
}
