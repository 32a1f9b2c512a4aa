// The page carries no sound decoder (libsndfile is not built for the
// browser): every sound file is refused, and a refused sound stays silent,
// as it does on a desktop without a sound card.

#include "audio/SoundFile.h"

std::optional<SoundClip> decodeSound(std::span<const std::uint8_t>, std::string& problem)
{
    problem = "sounds are not decoded in the browser";
    return std::nullopt;
}

std::optional<SoundClip> loadSoundFile(const std::string&, std::string& problem)
{
    problem = "sounds are not decoded in the browser";
    return std::nullopt;
}
