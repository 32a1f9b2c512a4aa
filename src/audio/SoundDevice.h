#pragma once

#include "math/Vector3.h"

#include <cstdint>
#include <vector>

// Decoded sound: mono 16-bit samples at their own rate. Positional sound
// needs one channel, so every file is mixed down to it when decoded.
struct SoundClip {
    int sampleRate = 0;
    std::vector<std::int16_t> samples;
};

// How a source plays a clip. The level falls linearly with distance: full
// within fullVolumeDistance, silent from silentDistance on (world units,
// about a metre each).
struct PlaySettings {
    Vector3 position;
    bool relative = false;  // position taken from the listener (the player's own sounds)
    bool loop = false;
    double gain = 1.0;
    double pitch = 1.0;
    double fullVolumeDistance = 4.0;
    double silentDistance = 80.0;
};

// Who hears: the camera's position and axes, and the overall level.
struct Listener {
    Vector3 position;
    Vector3 forward{0.0, 0.0, -1.0};
    Vector3 up{0.0, 1.0, 0.0};
    double gain = 1.0;
};

// The output side of sound: buffers, sources and the listener. The game
// installs the OpenAL device; until then (tools, tests, benchmarks) a
// silent one stands in, so loading a world never needs a sound card. A
// device without output hands out name 0, and every call on 0 does nothing.
class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    virtual unsigned createBuffer(const SoundClip& clip) = 0;
    virtual void releaseBuffer(unsigned buffer) = 0;
    virtual unsigned createSource() = 0;
    // Stops the source first.
    virtual void releaseSource(unsigned source) = 0;
    // Starts the buffer on the source from its beginning, as the settings say.
    virtual void play(unsigned source, unsigned buffer, const PlaySettings& settings) = 0;
    virtual void stop(unsigned source) = 0;
    virtual void move(unsigned source, const Vector3& position) = 0;
    virtual void setPitch(unsigned source, double pitch) = 0;
    virtual void setListener(const Listener& listener) = 0;
};

// The installed device (a silent one until something else is installed).
SoundDevice& soundDevice();
// Installs a device (not owned); nullptr restores the silent one.
void installSoundDevice(SoundDevice* device);
