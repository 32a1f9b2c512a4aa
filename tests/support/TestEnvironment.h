#pragma once

#include "audio/NullSoundDevice.h"
#include "platform/HeadlessPlatform.h"
#include "textures/NullTextureDevice.h"

#include <filesystem>
#include <string>

// The tests' names for the engine's headless doubles.
using FakePlatform = platform::HeadlessPlatform;
using RecordingTextureDevice = NullTextureDevice;

// Each test gets a fresh fake platform, texture device and program state,
// installed before the test and removed after it.
FakePlatform& fakePlatform();
RecordingTextureDevice& recordingTextureDevice();
// Every test hears through a recording sound device, never a sound card.
NullSoundDevice& recordingSoundDevice();

// A temporary folder removed when it goes out of scope. The current
// directory is restored too, since world loading may change it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& relative) const { return (path_ / relative).string(); }
    // Writes text or bytes to a file below the folder, creating folders.
    std::string write(const std::string& relative, const std::string& contents) const;

private:
    std::filesystem::path path_;
    std::filesystem::path previousDirectory_;
};
