#pragma once

#include <functional>
#include <optional>
#include <string>

namespace platform {

// Where an installed game reads its content and writes its files. The game
// runs in one of two layouts:
// - a build tree (build/game/Bin/game): everything resolves from the working
//   folder as the worlds expect, and F12 writes to Screenshots/ beside Bin/;
// - installed (PREFIX/games/arroyo, /usr/games/arroyo from the package): the
//   read-only content is in PREFIX/share/games/arroyo, whatever the working
//   folder, and what the game writes goes to the user's folders, never there.
// The installed layout is told by the share folder existing at its place
// from the program's own folder, so any prefix works (/usr, /usr/local, a
// staging folder), and a build tree, which has none, keeps its behaviour.

// The program's short name: its folder names under the user's folders.
inline constexpr const char* applicationName = "arroyo";
// The version, from the CMake project's (CMakeLists.txt): "0.1.0".
extern const char* const applicationVersion;

// The share folder as seen from the installed program's folder,
// "../share/games/arroyo" (from the build's install directories).
extern const char* const installedContentFromProgram;

// Reads an environment variable; none when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;
// The process's own environment.
std::optional<std::string> processEnvironment(const std::string& name);

// The folder of the running program's file (/proc/self/exe), links followed,
// so a link in another folder still finds the installed content.
std::string programFolder();

// The user's home: $HOME, else the password database's entry.
std::string homeFolder(const EnvironmentLookup& environment);
// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
std::string userDataHome(const EnvironmentLookup& environment);
// The user's pictures folder: $XDG_PICTURES_DIR when it is set to an
// absolute path; else XDG_PICTURES_DIR from the xdg-user-dirs file
// ($XDG_CONFIG_HOME/user-dirs.dirs, ~/.config/user-dirs.dirs by default);
// else ~/Pictures.
std::string userPicturesFolder(const EnvironmentLookup& environment);

// The value of XDG_PICTURES_DIR (or another key) in the text of a
// user-dirs.dirs file: `KEY="$HOME/Pictures"` or `KEY="/absolute"`, with
// `$HOME` standing for `home`; none when the key is missing or malformed.
std::optional<std::string> userDirFromFile(const std::string& fileText, const std::string& key,
                                           const std::string& home);

// The folders of an installed game.
struct InstalledFolders {
    std::string content;      // PREFIX/share/games/arroyo: worlds, textures, skeleton, sounds
    std::string screenshots;  // <pictures>/arroyo
    std::string userData;     // <$XDG_DATA_HOME>/arroyo: anything else the game writes
};

// The installed folders when `relative` from `programFolder` is a folder,
// none in a build tree.
std::optional<InstalledFolders> installedFolders(
    const std::string& programFolder, const EnvironmentLookup& environment,
    const std::string& relative = installedContentFromProgram);

// A path under the home folder written from "~" ("~/Pictures/arroyo"), for
// messages; other paths as they are.
std::string withHomeAsTilde(const std::string& path, const EnvironmentLookup& environment);

}  // namespace platform
