#pragma once

#include "audio/SoundDevice.h"

#include <string>
#include <vector>

// A decoded sound of the cache; 0 stays silent.
struct Sound {
    unsigned buffer = 0;
    explicit operator bool() const { return buffer != 0; }
};

// A source of the cache: one sound at a time, placed in the world.
struct Voice {
    unsigned source = 0;
};

// A sound file that could not be used, and why.
struct SoundProblem {
    std::string name;
    std::string reason;
};

// A world's sounds and sources. Files are decoded when the world loads and
// sources are made then too; everything is given back when the cache goes
// with its world, so a world swap leaves no buffer or source behind. A
// file that cannot be used is silent and remembered as a problem.
class SoundCache {
public:
    SoundCache() = default;
    ~SoundCache() { releaseAll(); }
    SoundCache(const SoundCache&) = delete;
    SoundCache& operator=(const SoundCache&) = delete;

    // The sound of that file name (ASCII case-insensitive), decoded on the
    // first request; a failure is remembered and not tried again.
    Sound findOrLoad(const std::string& name);
    // A new source for the world's lifetime.
    Voice voice();

    void play(Voice voice, Sound sound, const PlaySettings& settings);
    void stop(Voice voice);
    void move(Voice voice, const Vector3& position);
    void setPitch(Voice voice, double pitch);

    // Stops and gives back every source, then every buffer.
    void releaseAll();

    const std::vector<SoundProblem>& problems() const { return problems_; }
    std::size_t soundCount() const { return entries_.size(); }

private:
    struct Entry {
        std::string name;
        Sound sound;
    };
    SoundDevice& device();

    SoundDevice* device_ = nullptr;  // the one installed when the first sound or source was made
    std::vector<Entry> entries_;
    std::vector<unsigned> sources_;
    std::vector<SoundProblem> problems_;
};
