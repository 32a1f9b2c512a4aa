#include "textures/NullTextureDevice.h"

unsigned NullTextureDevice::generateName()
{
    ++live;
    return nextName++;
}

void NullTextureDevice::releaseName(unsigned name)
{
    --live;
    if (history_ == History::kept) released.push_back(name);
}

void NullTextureDevice::bind(unsigned name)
{
    texturingEnabled = true;
    bound = name;
}

void NullTextureDevice::upload(unsigned name, int width, int height, const std::uint8_t*,
                               bool mipmaps)
{
    if (history_ == History::kept) uploads.push_back({name, width, height, mipmaps});
}
