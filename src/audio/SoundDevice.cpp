#include "audio/SoundDevice.h"

#include "audio/NullSoundDevice.h"

namespace {
SoundDevice* installed = nullptr;
}

SoundDevice& soundDevice()
{
    static NullSoundDevice silent(NullSoundDevice::History::countsOnly);
    return installed ? *installed : silent;
}

void installSoundDevice(SoundDevice* device) { installed = device; }
