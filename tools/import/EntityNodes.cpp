#include "import/EntityNodes.h"

#include "worldfile/Format.h"

#include "import/SoundNode.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>

namespace tools {

namespace {

// The name without a modelling tool's duplicate suffix: "Teapot.001",
// "Teapot_1" and "Teapot-1" are all "Teapot".
std::string withoutSuffix(const std::string& name)
{
    const std::size_t last = name.find_last_of("._-");
    if (last == std::string::npos || last + 1 == name.size()) return name;
    const bool digits =
        std::all_of(name.begin() + static_cast<std::ptrdiff_t>(last) + 1, name.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    return digits ? name.substr(0, last) : name;
}

// Keys Assimp adds to a node's properties by itself: glTF's extension
// objects, FBX's 3ds Max text and null-node flag, Collada's ids. They are
// not the modeller's.
bool addedByAssimp(const std::string& key)
{
    return key == "extensions" || key == "UserProperties" || key == "IsNull" ||
           key.rfind("Collada_", 0) == 0;
}

std::string shortened(const std::string& text)
{
    return text.size() > 60 ? text.substr(0, 60) + "..." : text;
}

std::string number(double value)
{
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

// The value as a message quotes it.
std::string described(const NodeProperty::Value& value)
{
    if (const bool* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
    if (const double* d = std::get_if<double>(&value)) return number(*d);
    if (const std::string* s = std::get_if<std::string>(&value)) return "\"" + shortened(*s) + "\"";
    if (const auto* list = std::get_if<std::vector<double>>(&value)) {
        std::string out = "[";
        for (std::size_t i = 0; i < list->size() && i < 6; ++i)
            out += (i ? ", " : "") + number((*list)[i]);
        return out + (list->size() > 6 ? ", ...]" : "]");
    }
    return "a list or a group";
}

PropertyRule behaviourOf(const char* fallback)
{
    return {"behaviour", PropertyType::Word, "rotateX|rotateY|rotateZ|drone|none", 0, 0, false,
            fallback};
}

const PropertyRule scaleProperty{
    "scale", PropertyType::Scale, "a number or a list of three numbers, each above 0", 0, 0, false,
    "1"};

// A property's value once checked against its row of the table.
struct Checked {
    double number = 0.0;
    Vector3 vector;
    std::string word;  // as the table spells it
    bool flag = false;
};

bool finite(double v) { return std::isfinite(v); }

// Checks one value; false when it is not what the row allows.
bool check(const PropertyRule& rule, const NodeProperty::Value& value, Checked& out)
{
    const double* n = std::get_if<double>(&value);
    const auto* list = std::get_if<std::vector<double>>(&value);
    switch (rule.type) {
    case PropertyType::Word: {
        const std::string* text = std::get_if<std::string>(&value);
        if (!text) return false;
        const std::string allowed = rule.allowed;
        for (std::size_t start = 0; start <= allowed.size();) {
            const std::size_t end = std::min(allowed.find('|', start), allowed.size());
            const std::string word = allowed.substr(start, end - start);
            if (lowerCase(word) == lowerCase(*text)) {
                out.word = word;
                return true;
            }
            start = end + 1;
        }
        return false;
    }
    case PropertyType::Number:
        if (!n || !finite(*n) || *n < rule.least || *n > rule.most) return false;
        if (rule.leastExcluded && *n == rule.least) return false;
        out.number = *n;
        return true;
    case PropertyType::Scale:
        if (n && finite(*n) && *n > 0.0) {
            out.vector = {*n, *n, *n};
            return true;
        }
        if (!list || list->size() != 3) return false;
        if (!std::all_of(list->begin(), list->end(), [](double v) { return finite(v) && v > 0; }))
            return false;
        out.vector = {(*list)[0], (*list)[1], (*list)[2]};
        return true;
    case PropertyType::Colour:
        if (!list || list->size() < 3 || list->size() > 4) return false;
        if (!std::all_of(list->begin(), list->end(), [](double v) { return v >= 0 && v <= 1; }))
            return false;
        out.vector = {(*list)[0], (*list)[1], (*list)[2]};
        return true;
    case PropertyType::Boolean:
        if (const bool* b = std::get_if<bool>(&value)) {
            out.flag = *b;
            return true;
        }
        return false;
    case PropertyType::FileName: {
        const std::string* text = std::get_if<std::string>(&value);
        if (!text || text->empty() || text->size() > 240) return false;
        out.word = *text;
        return std::none_of(text->begin(), text->end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte <= 0x20 || byte == 0x7F;
        });
    }
    }
    return false;
}

std::string allowedText(const PropertyRule& rule)
{
    if (rule.type != PropertyType::Word) return rule.allowed;
    std::string words = rule.allowed;
    const std::size_t last = words.rfind('|');
    std::replace(words.begin(), words.end(), '|', ',');
    if (last != std::string::npos) words.replace(last, 1, " or ");
    for (std::size_t at = words.find(','); at != std::string::npos; at = words.find(',', at + 2))
        words.insert(at + 1, " ");
    return "one of " + words;
}

std::string propertyList(const EntityNodeEntry& entry)
{
    std::string out;
    for (std::size_t i = 0; i < entry.properties.size(); ++i) {
        if (i > 0) out += i + 1 == entry.properties.size() ? " and " : ", ";
        out += entry.properties[i].name;
    }
    return out;
}

// The node's properties checked against the table, by lower-case name.
std::optional<std::map<std::string, Checked>> checkedProperties(const EntityNode& node,
                                                                const EntityNodeEntry& entry,
                                                                std::string& problem)
{
    const std::string who = "node \"" + shortened(node.name) + "\": ";
    std::map<std::string, Checked> out;
    for (const NodeProperty& property : node.properties) {
        if (addedByAssimp(property.key)) continue;
        const std::string key = lowerCase(property.key);
        const auto row =
            std::find_if(entry.properties.begin(), entry.properties.end(),
                         [&](const PropertyRule& p) { return lowerCase(p.name) == key; });
        if (row == entry.properties.end()) {
            problem = who + "unknown property \"" + shortened(property.key) + "\"; a " +
                      entry.keyword + " node takes " +
                      (entry.properties.empty() ? "no properties" : propertyList(entry));
            return std::nullopt;
        }
        Checked value;
        if (!check(*row, property.value, value)) {
            problem = who + "property \"" + shortened(property.key) + "\" must be " +
                      allowedText(*row) + ", not " + described(property.value);
            return std::nullopt;
        }
        out[key] = value;
    }
    return out;
}

}  // namespace

const std::vector<EntityNodeEntry>& entityNodeTable()
{
    static const std::vector<EntityNodeEntry> table = {
        {EntityKind::PlayerStart, "PlayerStart", {}, false},
        {EntityKind::Light,
         "Light",
         {{"colour", PropertyType::Colour, "a list of three numbers from 0 to 1", 0, 0, false,
           "the node's point light's colour, else [1, 1, 1]"},
          {"range", PropertyType::Number, "a number above 0", 0, 1e6, true,
           "the node's point light's reach, else 10"},
          {"corona", PropertyType::Number, "a number from 0 up", 0, 1e6, false,
           "range / 20, kept within 0.25 to 1"}},
         false},
        {EntityKind::DynamicObject, "DynamicObject", {behaviourOf("none")}, true},
        {EntityKind::RobotDrone, "RobotDrone", {behaviourOf("drone")}, true},
        {EntityKind::Vehicle,
         "Vehicle",
         {scaleProperty, {"range", PropertyType::Number, "a number from 0 up", 0, 1e6, false, "3"}},
         false},
        {EntityKind::Teapot,
         "Teapot",
         {{"style", PropertyType::Word, "solid|wire", 0, 0, false, "solid"},
          scaleProperty,
          {"angle", PropertyType::Number, "a number of degrees", -1e6, 1e6, false, "0"}},
         false},
        {EntityKind::Sound,
         "Sound",
         {{"file", PropertyType::FileName,
           "a sound file name without spaces, at most 240 characters, such as wind.wav", 0, 0,
           false, nullptr},
          {"radius", PropertyType::Number, "a number above 0", 0, 1e300, true, "20"},
          {"volume", PropertyType::Number, "a number from 0 to 1", 0, 1, false, "1"},
          {"loop", PropertyType::Boolean, "true or false", 0, 0, false, "true"}},
         false},
    };
    return table;
}

std::optional<EntityKind> entityKindOf(const std::string& nodeName)
{
    const std::string base = lowerCase(withoutSuffix(nodeName));
    for (const EntityNodeEntry& entry : entityNodeTable()) {
        if (lowerCase(entry.keyword) == base) return entry.kind;
    }
    return std::nullopt;
}

const EntityNodeEntry& entityNodeEntry(EntityKind kind)
{
    for (const EntityNodeEntry& entry : entityNodeTable()) {
        if (entry.kind == kind) return entry;
    }
    return entityNodeTable().front();
}

std::optional<NodeEntity> entityOf(const EntityNode& node, std::string& problem)
{
    const std::optional<EntityKind> kind = entityKindOf(node.name);
    if (!kind) {
        problem = "node \"" + shortened(node.name) + "\": not the name of an entity";
        return std::nullopt;
    }
    NodeEntity out;
    out.kind = *kind;
    out.node = node.name;
    if (*kind == EntityKind::Sound) {
        // The sound's own reader says what a Sound node takes.
        std::optional<SoundRecord> sound =
            soundRecordOf({node.name, node.position, node.properties}, problem);
        if (!sound) return std::nullopt;
        out.record = std::move(*sound);
        return out;
    }
    const auto values = checkedProperties(node, entityNodeEntry(*kind), problem);
    if (!values) return std::nullopt;
    auto given = [&](const char* name) -> const Checked* {
        const auto found = values->find(name);
        return found == values->end() ? nullptr : &found->second;
    };
    auto numberOr = [&](const char* name, double fallback) {
        const Checked* c = given(name);
        return c ? c->number : fallback;
    };
    auto vectorOr = [&](const char* name, const Vector3& fallback) {
        const Checked* c = given(name);
        return c ? c->vector : fallback;
    };

    switch (*kind) {
    case EntityKind::PlayerStart: out.record = PlayerStartEntity{node.position}; break;
    case EntityKind::Light: {
        LightRecord light;
        light.position = node.position;
        light.colour = vectorOr("colour", node.light ? node.light->colour : Vector3{1, 1, 1});
        light.range = numberOr("range", node.light ? node.light->range : 10.0);
        // A modest corona: a glow, not a sun.
        light.coronaSize = numberOr("corona", std::clamp(light.range / 20.0, 0.25, 1.0));
        out.record = light;
        break;
    }
    case EntityKind::DynamicObject:
    case EntityKind::RobotDrone: {
        MovingObjectEntity object;
        object.position = node.position;
        const Checked* behaviour = given("behaviour");
        const std::string word =
            behaviour ? behaviour->word : (*kind == EntityKind::RobotDrone ? "drone" : "none");
        object.behaviour = word == "none" ? "NULL" : word;
        object.meshes = node.meshes;
        object.droneModel = *kind == EntityKind::RobotDrone && node.meshes.empty();
        out.record = std::move(object);
        break;
    }
    case EntityKind::Vehicle:
        out.record =
            VehicleEntity{vectorOr("scale", {1, 1, 1}), node.position, numberOr("range", 3)};
        break;
    case EntityKind::Teapot: {
        const Checked* style = given("style");
        out.record = TeapotEntity{vectorOr("scale", {1, 1, 1}), node.position,
                                  style && style->word == "wire" ? 0 : 1, numberOr("angle", 0)};
        break;
    }
    case EntityKind::Sound: break;
    }
    return out;
}

}  // namespace tools
