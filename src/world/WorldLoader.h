#pragma once

#include "math/Vector3.h"

#include <memory>
#include <optional>
#include <string>

class Object;
class World;

// The world loaded at start-up, relative to the folder the game starts in.
inline constexpr const char* defaultWorldPath = "..\\Worlds\\canyon.wrl";
// Optional: without it a world has no cloud shadows.
inline constexpr const char* cloudShadowTexturePath = "..\\TEXTURES\\cloudShadows.bmp";

// Loads a world file, uploading its textures with or without mip-maps. On
// failure shows the one "Error" box that fits and returns none, having
// released everything. Nothing outside the new world is touched: the caller
// places the player at playerStart and takes ambientLight once it has a
// whole world.
std::unique_ptr<World> loadWorld(const std::string& path, bool mipmaps);

// Detail of why the last loadWorld failed (line, column, what was expected),
// for tools; empty after a success.
const std::string& lastWorldLoadProblem();

// Makes the world file's folder the current directory, as choosing it in
// the dialog does, so its relative texture names resolve from there.
// Returns the file's absolute path (unchanged when it cannot be made so);
// a folder that does not exist leaves the current directory alone.
std::string enterWorldFolder(const std::string& path);

// The remembered folder of the world dialog; a confirmed choice makes the
// file's folder the current directory.
std::optional<std::string> chooseWorldFile();
