#include "audio/OpenAlSoundDevice.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// The game writes nothing to the console, but the sound libraries report a
// missing card on standard error while the output is opened (OpenAL's own
// log, ALSA's messages). Standard error points at /dev/null for that moment.
class QuietStandardError {
public:
    QuietStandardError()
    {
        saved_ = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
        if (null >= 0) ::close(null);
    }
    ~QuietStandardError()
    {
        if (saved_ < 0) return;
        dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved_ = -1;
};

ALCdevice* asDevice(void* p) { return static_cast<ALCdevice*>(p); }
ALCcontext* asContext(void* p) { return static_cast<ALCcontext*>(p); }

}  // namespace

bool OpenAlSoundDevice::ready()
{
    if (tried_) return context_ != nullptr;
    tried_ = true;
    // OpenAL's own log stays off unless the user asks for it.
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    QuietStandardError quiet;
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) return false;
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (!context || !alcMakeContextCurrent(context)) {
        if (context) alcDestroyContext(context);
        alcCloseDevice(device);
        return false;
    }
    device_ = device;
    context_ = context;
    // Each source says where its level starts to fall and where it is gone.
    alDistanceModel(AL_LINEAR_DISTANCE_CLAMPED);
    return true;
}

void OpenAlSoundDevice::close()
{
    if (context_) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(asContext(context_));
        context_ = nullptr;
    }
    if (device_) {
        alcCloseDevice(asDevice(device_));
        device_ = nullptr;
    }
}

unsigned OpenAlSoundDevice::createBuffer(const SoundClip& clip)
{
    if (!ready() || clip.samples.empty()) return 0;
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR) return 0;
    alBufferData(buffer, AL_FORMAT_MONO16, clip.samples.data(),
                 static_cast<ALsizei>(clip.samples.size() * sizeof(std::int16_t)), clip.sampleRate);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer);
        return 0;
    }
    return buffer;
}

void OpenAlSoundDevice::releaseBuffer(unsigned buffer)
{
    if (!context_ || buffer == 0) return;
    const ALuint name = buffer;
    alDeleteBuffers(1, &name);
}

unsigned OpenAlSoundDevice::createSource()
{
    if (!ready()) return 0;
    alGetError();
    ALuint source = 0;
    alGenSources(1, &source);
    return alGetError() == AL_NO_ERROR ? source : 0;
}

void OpenAlSoundDevice::releaseSource(unsigned source)
{
    if (!context_ || source == 0) return;
    const ALuint name = source;
    alSourceStop(name);
    alSourcei(name, AL_BUFFER, 0);
    alDeleteSources(1, &name);
}

void OpenAlSoundDevice::play(unsigned source, unsigned buffer, const PlaySettings& s)
{
    if (!context_ || source == 0 || buffer == 0) return;
    const ALuint name = source;
    alSourceStop(name);
    alSourcei(name, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcei(name, AL_SOURCE_RELATIVE, s.relative ? AL_TRUE : AL_FALSE);
    alSourcei(name, AL_LOOPING, s.loop ? AL_TRUE : AL_FALSE);
    alSource3f(name, AL_POSITION, static_cast<ALfloat>(s.position.x),
               static_cast<ALfloat>(s.position.y), static_cast<ALfloat>(s.position.z));
    alSourcef(name, AL_GAIN, static_cast<ALfloat>(s.gain));
    alSourcef(name, AL_PITCH, static_cast<ALfloat>(s.pitch > 0.01 ? s.pitch : 0.01));
    alSourcef(name, AL_REFERENCE_DISTANCE, static_cast<ALfloat>(s.fullVolumeDistance));
    alSourcef(name, AL_MAX_DISTANCE, static_cast<ALfloat>(s.silentDistance));
    alSourcef(name, AL_ROLLOFF_FACTOR, 1.0f);
    alSourcePlay(name);
}

void OpenAlSoundDevice::stop(unsigned source)
{
    if (context_ && source != 0) alSourceStop(source);
}

void OpenAlSoundDevice::move(unsigned source, const Vector3& p)
{
    if (!context_ || source == 0) return;
    alSource3f(source, AL_POSITION, static_cast<ALfloat>(p.x), static_cast<ALfloat>(p.y),
               static_cast<ALfloat>(p.z));
}

void OpenAlSoundDevice::setPitch(unsigned source, double pitch)
{
    if (context_ && source != 0)
        alSourcef(source, AL_PITCH, static_cast<ALfloat>(pitch > 0.01 ? pitch : 0.01));
}

void OpenAlSoundDevice::setListener(const Listener& l)
{
    if (!context_) return;
    alListener3f(AL_POSITION, static_cast<ALfloat>(l.position.x),
                 static_cast<ALfloat>(l.position.y), static_cast<ALfloat>(l.position.z));
    const ALfloat orientation[6] = {
        static_cast<ALfloat>(l.forward.x), static_cast<ALfloat>(l.forward.y),
        static_cast<ALfloat>(l.forward.z), static_cast<ALfloat>(l.up.x),
        static_cast<ALfloat>(l.up.y),      static_cast<ALfloat>(l.up.z)};
    alListenerfv(AL_ORIENTATION, orientation);
    alListenerf(AL_GAIN, static_cast<ALfloat>(l.gain));
}

OpenAlSoundDevice& openAlSoundDevice()
{
    static OpenAlSoundDevice device;
    return device;
}
