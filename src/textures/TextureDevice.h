#pragma once

#include <cstdint>

// The graphics side of textures: GL texture names, upload, binding. The game
// uses the OpenGL device; logic tests install a recording one, so loading a
// world never needs a GL context.
class TextureDevice {
public:
    virtual ~TextureDevice() = default;
    virtual unsigned generateName() = 0;
    virtual void releaseName(unsigned name) = 0;
    // Enables texturing and binds the name.
    virtual void bind(unsigned name) = 0;
    // Disables texturing.
    virtual void disableTexturing() = 0;
    // Uploads RGBA pixels (rows bottom first, packed) to the bound name.
    virtual void upload(unsigned name, int width, int height, const std::uint8_t* rgba,
                        bool mipmaps) = 0;
};

// The installed device (the OpenGL one until something else is installed).
TextureDevice& textureDevice();
// Installs a device (not owned); nullptr restores the OpenGL one.
void installTextureDevice(TextureDevice* device);
