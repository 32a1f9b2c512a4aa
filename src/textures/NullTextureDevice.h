#pragma once

#include "textures/TextureDevice.h"

#include <cstdint>
#include <vector>

// Texture names without a GL context: hands out names from 1 up, counts
// those not yet given back and remembers what is bound. Tests that read back
// the released names and the uploads keep the history; a long run (a fuzzer,
// a benchmark, a tool) keeps only the counts.
class NullTextureDevice : public TextureDevice {
public:
    struct Upload {
        unsigned name;
        int width;
        int height;
        bool mipmaps;
    };

    enum class History { kept, countsOnly };

    explicit NullTextureDevice(History history = History::kept) : history_(history) {}

    unsigned generateName() override;
    void releaseName(unsigned name) override;
    void bind(unsigned name) override;
    void disableTexturing() override { texturingEnabled = false; }
    void upload(unsigned name, int width, int height, const std::uint8_t* rgba,
                bool mipmaps) override;

    unsigned nextName = 1;
    long live = 0;  // names handed out and not yet given back
    unsigned bound = 0;
    bool texturingEnabled = true;

    // Kept history only.
    std::vector<unsigned> released;
    std::vector<Upload> uploads;

private:
    History history_;
};
