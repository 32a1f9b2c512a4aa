#pragma once

#include <string>

namespace platform {

// Every file the engine opens goes through here. World files name paths the
// Windows way ("..\Textures\Wall.bmp"): backslashes become slashes, and a
// path component that does not exist as written is matched without regard
// to case within its folder. A path that cannot be matched is returned with
// slashes only, so opening it fails in the ordinary way.
std::string resolvePath(const std::string& path);

// The absolute folder the program was started from as the command line
// named it (argv[0]), links not followed, so a Bin/ that links to the build
// is still that Bin/; the executable's own folder when argv[0] has no
// folder part. Call before the current directory changes.
std::string executableFolder(const std::string& argv0);

}  // namespace platform
