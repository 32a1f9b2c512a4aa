#pragma once

#include "textures/TextureDevice.h"

// The device that talks to OpenGL; needs a current context.
TextureDevice& openGlTextureDevice();
