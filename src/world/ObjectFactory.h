#pragma once

#include "text/TokenReader.h"
#include "world/EntityKinds.h"

#include <memory>

class Object;
class World;

// An entity as the factory made it, with the role its keyword gives it.
struct ReadEntity {
    std::unique_ptr<Object> object;
    EntityRole role = EntityRole::scenery;
};

// Reads one keyword-led entity block; none for an unknown keyword or a
// record that cannot be read.
std::optional<ReadEntity> readEntity(TokenReader& in, World& world);

// The same, for callers that need only the entity.
std::unique_ptr<Object> readObject(TokenReader& in, World& world);
