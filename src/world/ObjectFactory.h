#pragma once

#include "geometry/TokenReader.h"

#include <memory>

class Object;
class World;

// Reads one keyword-led entity block; none for an unknown keyword or a
// record that cannot be read.
std::unique_ptr<Object> readObject(TokenReader& in, World& world);
