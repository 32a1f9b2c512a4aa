#include "app/GameFiles.h"

#include "app/Hud.h"
#include "app/Screenshot.h"
#include "skeleton/SkeletonReader.h"
#include "world/WorldLoader.h"

#include <algorithm>

namespace {

// A name the build tree gives from Bin/ ("..\Worlds\canyon.wrl",
// "!..\Textures\crosshair.bmp", "test.skl") as the same file in the share
// folder, whose Worlds/ and Textures/ sit beside test.skl. A leading "!"
// (the texture has an alpha companion) stays in front.
std::string fromContent(const std::string& content, std::string name)
{
    std::string mark;
    if (!name.empty() && name.front() == '!') {
        mark = "!";
        name.erase(0, 1);
    }
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.rfind("../", 0) == 0) name.erase(0, 3);
    return mark + content + "/" + name;
}

}  // namespace

GameFiles buildTreeFiles(const std::string& binFolder)
{
    GameFiles files;
    files.skeleton = skeletonFilePath;
    files.crosshair = Hud::crosshairPath;
    files.defaultWorld = defaultWorldPath;
    files.enterDefaultWorldFolder = false;
    files.screenshots = screenshotFolder(binFolder);
    files.screenshotsLabel = "Screenshots";
    return files;
}

GameFiles installedFiles(const platform::InstalledFolders& folders,
                         const platform::EnvironmentLookup& environment)
{
    const std::string& content = folders.content;
    GameFiles files;
    files.skeleton = fromContent(content, skeletonFilePath);
    files.crosshair = fromContent(content, Hud::crosshairPath);
    files.defaultWorld = fromContent(content, defaultWorldPath);
    files.enterDefaultWorldFolder = true;
    files.screenshots = folders.screenshots;
    files.screenshotsLabel = platform::withHomeAsTilde(folders.screenshots, environment);
    return files;
}
