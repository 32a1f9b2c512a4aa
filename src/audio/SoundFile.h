#pragma once

#include "audio/SoundDevice.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// Longest sound a world may bring, and the range of rates we take: a
// hostile header cannot make the decoder allocate more than this.
inline constexpr int longestSoundSeconds = 60;
inline constexpr int lowestSampleRate = 1000;
inline constexpr int highestSampleRate = 192000;
inline constexpr int mostChannels = 8;

// Decodes a sound file (WAV, FLAC, Ogg Vorbis, AIFF and whatever else
// libsndfile reads) held in memory into mono 16-bit samples. None, with the
// reason in `problem`, for a file it cannot read, with an absurd header, too
// long or without a single sample.
std::optional<SoundClip> decodeSound(std::span<const std::uint8_t> bytes, std::string& problem);

// The same from a file; a file that cannot be read is "cannot be opened".
std::optional<SoundClip> loadSoundFile(const std::string& path, std::string& problem);
