#pragma once

#include "textures/TextureDevice.h"

#include <vector>

// Hands out texture names and records what would have reached GL.
class RecordingTextureDevice : public TextureDevice {
public:
    struct Upload {
        unsigned name;
        int width;
        int height;
        bool mipmaps;
    };

    unsigned generateName() override { return nextName++; }
    void releaseName(unsigned name) override { released.push_back(name); }
    void bind(unsigned name) override
    {
        texturingEnabled = true;
        bound = name;
    }
    void disableTexturing() override { texturingEnabled = false; }
    void upload(unsigned name, int width, int height, const std::uint8_t*, bool mipmaps) override
    {
        uploads.push_back({name, width, height, mipmaps});
    }

    unsigned nextName = 1;
    unsigned bound = 0;
    bool texturingEnabled = true;
    std::vector<unsigned> released;
    std::vector<Upload> uploads;
};
