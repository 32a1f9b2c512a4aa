#pragma once

#include "math/Vector3.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class Object;
class World;

// The world loaded at start-up, relative to the folder the game starts in.
inline constexpr const char* defaultWorldPath = "..\\Worlds\\canyon.wrl";
// Optional: without it a world has no cloud shadows.
inline constexpr const char* cloudShadowTexturePath = "..\\TEXTURES\\cloudShadows.bmp";

// Loads a world file. On failure shows the one "Error" box that fits and
// returns none, having released everything. placePlayer is called with the
// start position as soon as the header is read (a later failure leaves the
// player there, as the file asked).
std::unique_ptr<World> loadWorld(const std::string& path,
                                 const std::function<void(const Vector3&)>& placePlayer = {});

// Detail of why the last loadWorld failed (line, column, what was expected),
// for tools; empty after a success.
const std::string& lastWorldLoadProblem();

// Files an entity into the world by its className(): a "Skybox" goes to the
// front of objects (so skyboxes draw first, the last one read first),
// a "Light" to lights, anything else to the end of objects.
void addLoadedObject(World& world, std::unique_ptr<Object> object);

// The remembered folder of the world dialog; a confirmed choice makes the
// file's folder the current directory.
std::optional<std::string> chooseWorldFile();
