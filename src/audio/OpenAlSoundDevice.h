#pragma once

#include "audio/SoundDevice.h"

// The device that plays through OpenAL Soft. It opens the system's default
// output on first use; when there is none (no sound card, a server, CI) it
// stays silent, says nothing and hands out name 0. close() gives the output
// back (and lets a file backend finish its file).
class OpenAlSoundDevice : public SoundDevice {
public:
    OpenAlSoundDevice() = default;
    ~OpenAlSoundDevice() override { close(); }
    OpenAlSoundDevice(const OpenAlSoundDevice&) = delete;
    OpenAlSoundDevice& operator=(const OpenAlSoundDevice&) = delete;

    unsigned createBuffer(const SoundClip& clip) override;
    void releaseBuffer(unsigned buffer) override;
    unsigned createSource() override;
    void releaseSource(unsigned source) override;
    void play(unsigned source, unsigned buffer, const PlaySettings& settings) override;
    void stop(unsigned source) override;
    void move(unsigned source, const Vector3& position) override;
    void setPitch(unsigned source, double pitch) override;
    void setListener(const Listener& listener) override;

    void close();
    // Whether an output is open (after the first use).
    bool hasOutput() const { return context_ != nullptr; }

private:
    bool ready();

    void* device_ = nullptr;   // ALCdevice
    void* context_ = nullptr;  // ALCcontext
    bool tried_ = false;
};

// The game's one OpenAL device.
OpenAlSoundDevice& openAlSoundDevice();
