// Sound decoding (libsndfile through our memory stream and limits): refused
// with a reason, or mono samples at a rate we accept.
#include "FuzzSupport.h"

#include "audio/SoundFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string problem;
    const std::optional<SoundClip> clip = decodeSound({data, size}, problem);
    if (!clip) {
        if (problem.empty()) fuzz::broken("a refused sound has no reason");
        return 0;
    }
    if (clip->samples.empty()) fuzz::broken("a decoded sound has no samples");
    if (clip->sampleRate < lowestSampleRate || clip->sampleRate > highestSampleRate)
        fuzz::broken("a decoded sound has a rate out of range");
    if (clip->samples.size() > static_cast<std::size_t>(clip->sampleRate) * longestSoundSeconds)
        fuzz::broken("a decoded sound is longer than the limit");
    return 0;
}
