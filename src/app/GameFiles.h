#pragma once

#include "platform/GameFolders.h"

#include <string>

// The files the game opens by itself (the skeleton, the crosshair, the
// default world) and where F12 writes, for the layout it runs in (see
// platform/GameFolders.h).
struct GameFiles {
    std::string skeleton;
    std::string crosshair;
    std::string defaultWorld;
    // Installed, the default world is opened as one named on the command
    // line is: its folder becomes the working folder, so the textures it
    // names (..\Textures\...) resolve from there whatever folder the game
    // was started in. In a build tree it loads from Bin/, as it always has.
    bool enterDefaultWorldFolder = false;
    std::string screenshots;
    // The screenshot folder as the note after F12 names it.
    std::string screenshotsLabel;
};

// A build tree: names relative to the working folder (Bin/), screenshots in
// Screenshots/ beside the folder the game was started from.
GameFiles buildTreeFiles(const std::string& binFolder);
// An installed game: its content from the share folder, screenshots in the
// user's pictures folder.
GameFiles installedFiles(const platform::InstalledFolders& folders,
                         const platform::EnvironmentLookup& environment);
