#include "audio/SoundCache.h"

#include "audio/SoundFile.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cctype>

namespace {

bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

SoundDevice& SoundCache::device()
{
    // Kept, so the names go back to the device that made them.
    if (!device_) device_ = &soundDevice();
    return *device_;
}

Sound SoundCache::findOrLoad(const std::string& name)
{
    for (const Entry& e : entries_)
        if (sameName(e.name, name)) return e.sound;
    std::string problem;
    Sound sound;
    if (std::optional<SoundClip> clip = loadSoundFile(platform::resolvePath(name), problem)) {
        sound.buffer = device().createBuffer(*clip);
    } else {
        problems_.push_back({name, problem});
    }
    entries_.push_back({name, sound});
    return sound;
}

Voice SoundCache::voice()
{
    const unsigned source = device().createSource();
    if (source != 0) sources_.push_back(source);
    return {source};
}

void SoundCache::play(Voice voice, Sound sound, const PlaySettings& settings)
{
    if (voice.source != 0 && sound.buffer != 0) device().play(voice.source, sound.buffer, settings);
}

void SoundCache::stop(Voice voice)
{
    if (voice.source != 0) device().stop(voice.source);
}

void SoundCache::move(Voice voice, const Vector3& position)
{
    if (voice.source != 0) device().move(voice.source, position);
}

void SoundCache::setPitch(Voice voice, double pitch)
{
    if (voice.source != 0) device().setPitch(voice.source, pitch);
}

void SoundCache::releaseAll()
{
    if (!device_) return;
    for (unsigned source : sources_) device_->releaseSource(source);
    sources_.clear();
    for (const Entry& e : entries_)
        if (e.sound) device_->releaseBuffer(e.sound.buffer);
    entries_.clear();
}
