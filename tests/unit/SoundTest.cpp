// Sound files, the per-world sound cache and the world file's Sound record,
// through the recording sound device.
#include "WorldTestFiles.h"
#include "support/TestEnvironment.h"

#include "audio/SoundCache.h"
#include "audio/SoundFile.h"
#include "content/Sounds.h"
#include "entities/AmbientSound.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace {

std::string asText(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

std::vector<std::uint8_t> asBytes(const std::string& text) { return {text.begin(), text.end()}; }

// A WAV file of random samples, and those samples.
std::pair<std::vector<std::uint8_t>, std::vector<double>> randomWav(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> level(-0.99, 0.99);
    std::vector<double> samples(n);
    for (double& s : samples) s = level(random);
    return {tools::wavFile(samples, 22050), samples};
}

TEST(SoundFileTest, WavSamplesComeBackWithinOneStep)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const auto [bytes, samples] = randomWav(1 + seed * 37, seed);
        std::string problem;
        const std::optional<SoundClip> clip = decodeSound(bytes, problem);
        ASSERT_TRUE(clip) << problem;
        EXPECT_EQ(clip->sampleRate, 22050);
        ASSERT_EQ(clip->samples.size(), samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i)
            EXPECT_NEAR(clip->samples[i], samples[i] * 32767.0, 1.5) << "sample " << i;
    }
}

// Writes a 32-bit little-endian value into a header.
void poke32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(SoundFileTest, HostileFilesAreRefusedWithAReason)
{
    const std::vector<std::uint8_t> good = randomWav(4000, 7).first;
    auto edited = [&](auto change) {
        std::vector<std::uint8_t> b = good;
        change(b);
        return b;
    };
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"text named .wav", asBytes("Sound files are binary; this one is not.\n")},
        {"cut in the header", std::vector<std::uint8_t>(good.begin(), good.begin() + 30)},
        {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 44)},
        {"200 channels", edited([](auto& b) { b[22] = 200; })},
        {"no channels", edited([](auto& b) { b[22] = 0; })},
        {"rate of 3 Hz", edited([](auto& b) { poke32(b, 24, 3); })},
        {"rate of 4 GHz", edited([](auto& b) { poke32(b, 24, 4000000000u); })},
        {"64-bit samples claimed", edited([](auto& b) { b[34] = 64; })},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_FALSE(decodeSound(c.bytes, problem)) << c.what;
        EXPECT_FALSE(problem.empty()) << c.what;
    }
    // Longer than a minute: refused for its length, whatever the header says.
    const std::vector<std::uint8_t> long1 =
        tools::wavFile(std::vector<double>(1000 * 61, 0.1), 1000);
    std::string problem;
    EXPECT_FALSE(decodeSound(long1, problem));
    EXPECT_NE(problem.find("longer than"), std::string::npos) << problem;
}

class SoundWorldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(dir.path() / "Bin");
        std::filesystem::current_path(dir.path() / "Bin");
        dir.write("Sounds/wind.wav", asText(randomWav(2205, 3).first));
        dir.write("Sounds/junk.wav", "not a sound\n");
    }
    std::unique_ptr<World> load(const std::string& entities, int count)
    {
        const std::string path = dir.write(
            "Worlds/test.wrl", "0 0 0  1 1 1\n0\n" + std::to_string(count) + "\n" + entities);
        return loadWorld(path, true);
    }
    TempDir dir;
};

TEST_F(SoundWorldTest, SoundRecordsPlayAtLoadAndMissingFilesStaySilent)
{
    NullSoundDevice& device = recordingSoundDevice();
    std::unique_ptr<World> world = load(
        "Sound ..\\SOUNDS\\Wind.wav 1 2 3 20 0.5 1\n"
        "Sound ..\\Sounds\\wind.wav -4 0 0 8 1 0\n"
        "Sound ..\\Sounds\\junk.wav 0 0 0 5 1 1\n"
        "Sound ..\\Sounds\\gone.wav 0 0 0 5 1 1\n",
        4);
    ASSERT_TRUE(world) << lastWorldLoadProblem();
    EXPECT_TRUE(fakePlatform().messages.empty());
    // One buffer for the one good file, whatever the case of its name; a
    // source for every record.
    EXPECT_EQ(device.liveBuffers, 1);
    EXPECT_EQ(device.liveSources, 4);
    ASSERT_EQ(device.playingCount(), 2);
    const NullSoundDevice::Source& wind = device.source(1);
    EXPECT_TRUE(wind.settings.loop);
    EXPECT_EQ(wind.settings.position.z, 3.0);
    EXPECT_EQ(wind.settings.gain, 0.5);
    EXPECT_EQ(wind.settings.fullVolumeDistance, 10.0);
    EXPECT_EQ(wind.settings.silentDistance, 20.0);
    EXPECT_FALSE(device.source(2).settings.loop);

    ASSERT_EQ(world->sounds.problems().size(), 2u);
    EXPECT_EQ(world->sounds.problems()[0].name, "..\\Sounds\\junk.wav");
    EXPECT_NE(world->sounds.problems()[0].reason.find("not a sound file"), std::string::npos);
    EXPECT_EQ(world->sounds.problems()[1].reason, "cannot be opened");

    // The world goes, and every source and buffer with it.
    world.reset();
    EXPECT_EQ(device.liveBuffers, 0);
    EXPECT_EQ(device.liveSources, 0);
    EXPECT_EQ(device.playingCount(), 0);
}

TEST_F(SoundWorldTest, MalformedSoundRecordsFailWithAPlace)
{
    const struct {
        const char* record;
        const char* expected;
    } cases[] = {
        {"Sound ..\\Sounds\\wind.wav 1 2 x 20 0.5 1", "a number"},
        {"Sound ..\\Sounds\\wind.wav 1 2 3 0 0.5 1", "a radius above zero"},
        {"Sound ..\\Sounds\\wind.wav 1 2 3 -5 0.5 1", "a radius above zero"},
        {"Sound ..\\Sounds\\wind.wav 1 2 3 5 1.5 1", "a volume from 0 to 1"},
        {"Sound ..\\Sounds\\wind.wav 1 2 3 5 -0.5 1", "a volume from 0 to 1"},
        {"Sound ..\\Sounds\\wind.wav 1 2 3 5 1 2", "1 (loop) or 0 (once)"},
        {"Sound ..\\Sounds\\wind.wav 1 2 3 5 1 x", "an integer"},
    };
    for (const auto& c : cases) {
        fakePlatform().messages.clear();
        EXPECT_FALSE(load(std::string(c.record) + "\n", 1)) << c.record;
        const std::string& problem = lastWorldLoadProblem();
        EXPECT_NE(problem.find("test.wrl:4:"), std::string::npos) << problem;
        EXPECT_NE(problem.find(c.expected), std::string::npos) << problem;
        ASSERT_EQ(fakePlatform().messages.size(), 1u) << c.record;
        EXPECT_EQ(fakePlatform().messages[0].caption, "Error");
        EXPECT_EQ(recordingSoundDevice().liveSources, 0) << c.record;
        EXPECT_EQ(recordingSoundDevice().liveBuffers, 0) << c.record;
    }
}

}  // namespace
