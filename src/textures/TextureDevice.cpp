#include "textures/TextureDevice.h"

#include "textures/GlTextureDevice.h"

namespace {
TextureDevice* installed = nullptr;
}

TextureDevice& textureDevice() { return installed ? *installed : openGlTextureDevice(); }

void installTextureDevice(TextureDevice* device) { installed = device; }
