#include "TestEnvironment.h"

#include "state/ProgramState.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <random>

namespace {

std::unique_ptr<FakePlatform> platformInstance;
std::unique_ptr<RecordingTextureDevice> deviceInstance;
std::unique_ptr<NullSoundDevice> soundInstance;

class FakesForEachTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        platformInstance = std::make_unique<FakePlatform>();
        deviceInstance = std::make_unique<RecordingTextureDevice>();
        soundInstance = std::make_unique<NullSoundDevice>();
        installSoundDevice(soundInstance.get());
        platform::install(platformInstance.get());
        if (installDevice) installTextureDevice(deviceInstance.get());
        resetProgramState();
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        platform::install(nullptr);
        installTextureDevice(nullptr);
        installSoundDevice(nullptr);
    }

public:
    bool installDevice = true;
};

}  // namespace

FakePlatform& fakePlatform() { return *platformInstance; }
RecordingTextureDevice& recordingTextureDevice() { return *deviceInstance; }
NullSoundDevice& recordingSoundDevice() { return *soundInstance; }

// Called by the test mains: logic tests fake the texture device, GL tests
// keep the real one.
void installTestFakes(bool fakeTextureDevice)
{
    auto listener = std::make_unique<FakesForEachTest>();
    listener->installDevice = fakeTextureDevice;
    ::testing::UnitTest::GetInstance()->listeners().Append(listener.release());
}

TempDir::TempDir()
{
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("engine-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
    previousDirectory_ = std::filesystem::current_path();
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::current_path(previousDirectory_, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& relative, const std::string& contents) const
{
    const auto full = path_ / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    return full.string();
}
