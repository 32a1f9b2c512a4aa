#pragma once

#include "textures/Texture.h"

#include <memory>
#include <string>

// Reads a BMP (8, 24, 32 bits) or TGA (24, 32 bits) file into a new texture.
// A leading "!" takes the alpha channel from the companion bitmap whose name
// ends "-a.bmp". Warns through the message box when a side is not a power of
// two. Returns none on any failure, having freed everything.
std::unique_ptr<Texture> loadTexture(const std::string& name);

// Fills only the alpha bytes of the texture from an 8- or 24-bit bitmap of
// the same size.
bool applyAlphaBitmap(Texture& texture, const std::string& alphaFileName);
