// worldtool: builds, checks and generates world files for the game.

#include "commands/BspCommand.h"
#include "commands/CheckCommand.h"
#include "commands/ToolEnvironment.h"
#include "content/ContentGenerator.h"
#include "content/Icon.h"
#include "export/ExportCommand.h"
#include "import/ImportCommand.h"
#include "platform/GameFolders.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

// The name the tool was started by: "worldtool" in the build tree,
// "arroyo-worldtool" installed.
std::string program = "worldtool";

constexpr const char* commands =
    "  bsp IN.wrl OUT.wrl   compile the BSP section from the \"worldspawn\" polygons of\n"
    "                       IN.wrl and write the world with it to OUT.wrl\n"
    "  check IN.wrl         load IN.wrl as the game does; report the first problem with\n"
    "                       its line and column, or summarise the world\n"
    "  import MODEL OUT.wrl [--scale S] [--start X Y Z] [--no-lights] [--no-heightfield]\n"
    "                       [--no-sky | --sky PREFIX]\n"
    "                       build a world from a model (glTF, OBJ, FBX, Collada, PLY, ...):\n"
    "                       its meshes become \"worldspawn\" polygons, its textures files in\n"
    "                       ../Textures beside OUT.wrl, a node named PlayerStart the start;\n"
    "                       --scale S multiplies the model's units (0.01 for centimetres),\n"
    "                       --start overrides the start; point lights become \"Light\"\n"
    "                       records unless --no-lights is given; a height grid becomes a\n"
    "                       \"HeightField\" unless --no-heightfield is given; nodes named\n"
    "                       RobotDrone, DynamicObject, Vehicle, Teapot, Light or Sound\n"
    "                       become those entities (docs/import.md); the canyon's sky\n"
    "                       unless --no-sky, or six pictures PREFIX{px,nx,py,ny,pz,nz}.png\n"
    "                       with --sky\n"
    "  export IN.wrl OUT.gltf\n"
    "                       write IN.wrl's geometry, textures (PNG) and entities (nodes\n"
    "                       named by their keyword, their fields as custom properties) as\n"
    "                       glTF 2.0, for a modelling tool and a later import\n"
    "  canyon OUTDIR        generate the default content into OUTDIR: Worlds/canyon.wrl,\n"
    "                       Worlds/demo.wrl, Textures/*.bmp|tga, Bin/test.skl\n"
    "  icon OUTDIR          draw the game's icon into OUTDIR/SIZExSIZE/apps/arroyo.png,\n"
    "                       16 to 256 pixels (the folders of the hicolor icon theme)\n"
    "  --help               show this text\n";

std::string usage()
{
    return "usage: " + program + " COMMAND ARGUMENTS\n\n" + commands +
           "  --version            show the version (arroyo " + platform::applicationVersion +
           ")\n\nExit status: 0 on success, 1 when the input has a problem, 2 on wrong usage.\n";
}

int wrongUsage(const std::string& why)
{
    std::cerr << program << ": " << why << "\n\n" << usage();
    return 2;
}

int run(const std::vector<std::string>& args)
{
    if (args.empty()) return wrongUsage("no command given");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << usage();
        return 0;
    }
    if (command == "--version") {
        std::cout << program << " (" << platform::applicationName << ") "
                  << platform::applicationVersion << "\n";
        return 0;
    }
    // Messages the engine would show in a box go to the error stream, and
    // textures need no GL context.
    tools::ToolEnvironment environment(std::cerr);
    if (command == "bsp") {
        if (args.size() != 3) return wrongUsage("bsp takes an input and an output world file");
        return tools::runBspCommand(args[1], args[2], std::cout, std::cerr);
    }
    if (command == "check") {
        if (args.size() != 2) return wrongUsage("check takes one world file");
        return tools::runCheckCommand(args[1], std::cout, std::cerr);
    }
    if (command == "import") {
        std::string why;
        const auto request = tools::parseImportArguments({args.begin() + 1, args.end()}, why);
        if (!request) return wrongUsage(why);
        return tools::runImportCommand(*request, std::cout, std::cerr);
    }
    if (command == "export") {
        if (args.size() != 3)
            return wrongUsage("export takes a world file and an output .gltf file");
        return tools::runExportCommand(args[1], args[2], std::cout, std::cerr);
    }
    if (command == "canyon") {
        if (args.size() != 2) return wrongUsage("canyon takes the folder to generate into");
        return tools::generateContent(args[1], std::cout, std::cerr) ? 0 : 1;
    }
    if (command == "icon") {
        if (args.size() != 2) return wrongUsage("icon takes the folder to draw into");
        return tools::writeIcons(args[1], std::cout, std::cerr) ? 0 : 1;
    }
    return wrongUsage("unknown command \"" + command + "\"");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 0 && argv[0][0] != '\0') {
        program = std::filesystem::path(argv[0]).filename().string();
    }
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        // A world whose geometry needs more memory than there is.
        std::cerr << "worldtool: out of memory\n";
    } catch (const std::exception& e) {
        std::cerr << "worldtool: " << e.what() << "\n";
    }
    return 1;
}
