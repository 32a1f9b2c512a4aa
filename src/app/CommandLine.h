#pragma once

#include <optional>
#include <string>
#include <vector>

// The game's command line: `game [WORLD]`, `game --help`, `game --version`. GLUT's own X11
// options (-display, -geometry, -iconic, ...) are recognised here and handed
// on to glutInit; ours are parsed first, so --help and a wrong option are
// answered without opening a display.
struct CommandLine {
    enum class Action { run, help, version, usageError };

    Action action = Action::run;
    std::optional<std::string> world;        // the world to open instead of the default
    std::vector<std::string> glutArguments;  // the program name, then GLUT's options
    std::string problem;                     // what was wrong, for a usage error
};

// Exit status for a wrong command line.
inline constexpr int usageExitStatus = 2;

// Reads the arguments (the first is the program name).
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// "usage: game [OPTIONS] [WORLD]" with the options, for standard error.
std::string usageText(const std::string& program);
// --help: the usage, the keys, the files and the exit status.
std::string helpPageText(const std::string& program);
// --version: "arroyo 0.1.0" (another program name: "game (arroyo) 0.1.0").
std::string versionText(const std::string& program);
