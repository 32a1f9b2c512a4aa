#include "world/ObjectFactory.h"

#include "world/Object.h"

#include <string>

namespace {

// The keywords, for the message of a file that names none of them.
std::string keywordList()
{
    std::string list;
    for (const EntityKind& kind : entityKinds()) {
        if (!list.empty()) list += ", ";
        list += kind.keyword;
    }
    return list;
}

}  // namespace

std::optional<ReadEntity> readEntity(TokenReader& in, World& world)
{
    std::string keyword;
    if (!in.readWord(keyword)) return std::nullopt;

    TokenReader::Scope scope(in, "entity", -1, keyword.c_str());
    const EntityKind* kind = findEntityKind(keyword);
    if (!kind) {
        in.fail("an entity keyword (" + keywordList() + ")");
        return std::nullopt;
    }
    std::unique_ptr<Object> object = kind->read(in, world);
    // A reader that gave up without saying where still fails the file here,
    // so tools can point at it.
    if (!object && in.ok()) in.fail("a readable \"" + keyword + "\" record");
    if (!object || !in.ok()) return std::nullopt;
    return ReadEntity{std::move(object), kind->role};
}

std::unique_ptr<Object> readObject(TokenReader& in, World& world)
{
    std::optional<ReadEntity> entity = readEntity(in, world);
    if (!entity) return nullptr;
    return std::move(entity->object);
}
