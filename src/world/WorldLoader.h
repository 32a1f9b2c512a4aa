#pragma once

#include "math/Vector3.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class World;

// Loads a world file. On failure shows the one "Error" box that fits and
// returns none, having released everything. placePlayer is called with the
// start position as soon as the header is read (a later failure leaves the
// player there, as the file asked).
std::unique_ptr<World> loadWorld(const std::string& path,
                                 const std::function<void(const Vector3&)>& placePlayer = {});

// Detail of why the last loadWorld failed (line, column, what was expected),
// for tools; empty after a success.
const std::string& lastWorldLoadProblem();

// The remembered folder of the world dialog; a confirmed choice makes the
// file's folder the current directory.
std::optional<std::string> chooseWorldFile();
