#pragma once

#include "content/Textures.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

inline constexpr int soundSampleRate = 22050;

// A generated sound: its file name in Sounds/, mono samples in -1..1, and
// whether it loops (then its end runs on into its start without a click).
struct SynthesisedSound {
    std::string name;
    std::vector<double> samples;
    bool loop = false;
};

// Every sound of the default content, synthesised from fixed seeds with
// plain arithmetic (filtered noise, envelopes, oscillators), each scaled to
// its own peak below full scale.
std::vector<SynthesisedSound> synthesiseSounds();

// 16-bit mono PCM WAV bytes of samples in -1..1.
std::vector<std::uint8_t> wavFile(const std::vector<double>& samples, int sampleRate);

// The WAV files of synthesiseSounds().
std::vector<GeneratedFile> generateSounds();

}  // namespace tools
