#include "import/SoundNode.h"

#include "worldfile/Format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace tools {

namespace {

// Keys Assimp adds to a node's properties by itself: glTF's extension
// objects, FBX's 3ds Max text and null-node flag, Collada's ids. They are
// not the modeller's.
bool addedByAssimp(const std::string& key)
{
    return key == "extensions" || key == "UserProperties" || key == "IsNull" ||
           key.rfind("Collada_", 0) == 0;
}

// Texts a message quotes are cut short: a message stays one readable line.
std::string shortened(const std::string& text)
{
    return text.size() > 60 ? text.substr(0, 60) + "..." : text;
}

// The value as the message quotes it.
std::string described(const NodeProperty::Value& value)
{
    if (const bool* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
    if (const double* d = std::get_if<double>(&value)) {
        char text[32];
        const auto written = std::to_chars(text, text + sizeof text, *d);
        return std::string(text, written.ptr);
    }
    if (const std::string* s = std::get_if<std::string>(&value)) return "\"" + shortened(*s) + "\"";
    return "a list or a group";
}

// The world file separates words by white space, and the game reads names
// of at most 255 characters.
bool usableFileName(const std::string& name)
{
    const bool plain = std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
    return plain && !name.empty() && name.size() <= 240;
}

}  // namespace

bool isSoundNodeName(const std::string& name)
{
    const std::string n = lowerCase(name);
    if (n.rfind("sound", 0) != 0) return false;
    if (n.size() == 5) return true;
    const char separator = n[5];
    return n.size() > 6 && (separator == '.' || separator == '_' || separator == '-') &&
           std::all_of(n.begin() + 6, n.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::optional<SoundRecord> soundRecordOf(const SoundNode& node, std::string& problem)
{
    SoundRecord record{"", node.position, defaultSoundRadius, defaultSoundVolume, defaultSoundLoop};
    const std::string who = "node \"" + node.name + "\": ";
    for (const NodeProperty& property : node.properties) {
        if (addedByAssimp(property.key)) continue;
        const std::string key = lowerCase(property.key);
        const double* number = std::get_if<double>(&property.value);
        std::string allowed;
        if (key == "file") {
            const std::string* name = std::get_if<std::string>(&property.value);
            if (name && usableFileName(*name)) {
                const bool bare = name->find_first_of("/\\") == std::string::npos;
                record.file = bare ? "..\\Sounds\\" + *name : *name;
            } else {
                allowed =
                    "a sound file name without spaces, at most 240 characters, such as wind.wav";
            }
        } else if (key == "radius") {
            if (number && *number > 0.0 && std::isfinite(*number)) {
                record.radius = *number;
            } else {
                allowed = "a number above 0";
            }
        } else if (key == "volume") {
            if (number && *number >= 0.0 && *number <= 1.0) {
                record.volume = *number;
            } else {
                allowed = "a number from 0 to 1";
            }
        } else if (key == "loop") {
            if (const bool* loop = std::get_if<bool>(&property.value)) {
                record.loop = *loop;
            } else {
                allowed = "true or false";
            }
        } else {
            problem = who + "unknown property \"" + shortened(property.key) +
                      "\"; a Sound node takes file, radius, volume and loop";
            return std::nullopt;
        }
        if (!allowed.empty()) {
            problem = who + "property \"" + property.key + "\" must be " + allowed + ", not " +
                      described(property.value);
            return std::nullopt;
        }
    }
    if (record.file.empty()) {
        problem = who + "property \"file\" is missing; it names the sound file, such as wind.wav";
        return std::nullopt;
    }
    return record;
}

}  // namespace tools
