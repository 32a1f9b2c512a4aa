// The generated sounds: the same bytes on every run, below full scale, and
// loops whose end runs on into their start without a click.
#include "audio/SoundFile.h"
#include "content/Sounds.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ContentSounds, DeterministicUnclippedAndLoopsCloseWithoutAClick)
{
    const std::vector<tools::GeneratedFile> files = tools::generateSounds();
    const std::vector<tools::GeneratedFile> again = tools::generateSounds();
    const std::vector<tools::SynthesisedSound> sounds = tools::synthesiseSounds();
    ASSERT_EQ(files.size(), sounds.size());
    int loops = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].name);
        EXPECT_EQ(files[i].bytes, again[i].bytes);

        // What the game decodes of it.
        std::string problem;
        const std::optional<SoundClip> clip = decodeSound(files[i].bytes, problem);
        ASSERT_TRUE(clip) << problem;
        ASSERT_EQ(clip->samples.size(), sounds[i].samples.size());
        int peak = 0;
        for (std::int16_t s : clip->samples) peak = std::max(peak, std::abs(int{s}));
        EXPECT_LT(peak, 32767 * 0.97);  // headroom below full scale
        EXPECT_GT(peak, 32767 * 0.3);   // and loud enough to be heard

        if (!sounds[i].loop) continue;
        ++loops;
        const std::vector<std::int16_t>& s = clip->samples;
        int inside = 0;
        for (std::size_t k = 1; k < s.size(); ++k)
            inside = std::max(inside, std::abs(s[k] - s[k - 1]));
        EXPECT_LE(std::abs(s.front() - s.back()), inside);
    }
    EXPECT_EQ(loops, 6);
}

}  // namespace
