#pragma once

#include "audio/SoundDevice.h"

#include <vector>

// Sound without a sound card: hands out names from 1 up, counts the buffers
// and sources not yet given back and keeps each source's state, so tests
// can see what plays where. Tests keep the history of starts and stops; a
// long run (a tool, a fuzzer, the silent default) keeps only the counts.
class NullSoundDevice : public SoundDevice {
public:
    struct Source {
        unsigned buffer = 0;  // what it plays or last played
        bool playing = false;
        bool released = false;
        PlaySettings settings;
    };
    struct Event {
        enum Kind { play, stop } kind;
        unsigned source;
        unsigned buffer;
        Vector3 position;
    };

    enum class History { kept, countsOnly };

    explicit NullSoundDevice(History history = History::kept) : history_(history) {}

    unsigned createBuffer(const SoundClip& clip) override;
    void releaseBuffer(unsigned buffer) override;
    unsigned createSource() override;
    void releaseSource(unsigned source) override;
    void play(unsigned source, unsigned buffer, const PlaySettings& settings) override;
    void stop(unsigned source) override;
    void move(unsigned source, const Vector3& position) override;
    void setPitch(unsigned source, double pitch) override;
    void setListener(const Listener& l) override { listener = l; }

    // The source's state; a default one for a name never handed out.
    const Source& source(unsigned name) const;
    // Sources playing now.
    int playingCount() const;

    long liveBuffers = 0;
    long liveSources = 0;
    unsigned nextBuffer = 1;
    Listener listener;
    std::vector<std::size_t> bufferSamples;  // per buffer name - 1 (kept history only)
    std::vector<Event> events;               // kept history only

private:
    Source* find(unsigned name);

    History history_;
    std::vector<Source> sources_;
};
