#include "audio/NullSoundDevice.h"

unsigned NullSoundDevice::createBuffer(const SoundClip& clip)
{
    ++liveBuffers;
    if (history_ == History::kept) bufferSamples.push_back(clip.samples.size());
    return nextBuffer++;
}

void NullSoundDevice::releaseBuffer(unsigned buffer)
{
    if (buffer != 0) --liveBuffers;
}

unsigned NullSoundDevice::createSource()
{
    ++liveSources;
    sources_.emplace_back();
    return static_cast<unsigned>(sources_.size());
}

void NullSoundDevice::releaseSource(unsigned name)
{
    Source* s = find(name);
    if (!s || s->released) return;
    stop(name);
    s->released = true;
    --liveSources;
}

NullSoundDevice::Source* NullSoundDevice::find(unsigned name)
{
    return name == 0 || name > sources_.size() ? nullptr : &sources_[name - 1];
}

const NullSoundDevice::Source& NullSoundDevice::source(unsigned name) const
{
    static const Source none;
    return name == 0 || name > sources_.size() ? none : sources_[name - 1];
}

int NullSoundDevice::playingCount() const
{
    int n = 0;
    for (const Source& s : sources_) n += s.playing ? 1 : 0;
    return n;
}

void NullSoundDevice::play(unsigned name, unsigned buffer, const PlaySettings& settings)
{
    Source* s = find(name);
    if (!s || s->released || buffer == 0) return;
    s->buffer = buffer;
    s->playing = true;
    s->settings = settings;
    if (history_ == History::kept) events.push_back({Event::play, name, buffer, settings.position});
}

void NullSoundDevice::stop(unsigned name)
{
    Source* s = find(name);
    if (!s || !s->playing) return;
    s->playing = false;
    if (history_ == History::kept)
        events.push_back({Event::stop, name, s->buffer, s->settings.position});
}

void NullSoundDevice::move(unsigned name, const Vector3& position)
{
    if (Source* s = find(name)) s->settings.position = position;
}

void NullSoundDevice::setPitch(unsigned name, double pitch)
{
    if (Source* s = find(name)) s->settings.pitch = pitch;
}
