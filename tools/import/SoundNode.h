#pragma once

#include "import/ImportedScene.h"
#include "worldfile/WorldWriter.h"

#include <optional>
#include <string>

namespace tools {

// What a Sound node's optional properties default to: heard across a
// courtyard, at full level, looping.
inline constexpr double defaultSoundRadius = 20.0;
inline constexpr double defaultSoundVolume = 1.0;
inline constexpr bool defaultSoundLoop = true;

// "Sound" in any case, alone or with a modelling tool's duplicate suffix:
// Sound.001, Sound_1, Sound-1.
bool isSoundNodeName(const std::string& name);

// The record a Sound node stands for. Its properties: file (required; a
// bare name is looked for in ..\Sounds), radius (world units, above 0),
// volume (0 to 1) and loop (true or false). None, with one line naming the
// node, the property and what it may be in `problem`, for a property that
// is unknown, of the wrong type or out of range, or a missing file.
std::optional<SoundRecord> soundRecordOf(const SoundNode& node, std::string& problem);

}  // namespace tools
