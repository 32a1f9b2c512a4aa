// The whole world loader on any text. Textures it may name are in the
// scratch folder: a.bmp (8 bits) with a companion, b.tga, c.bmp (24 bits),
// the demo world's tile and the cloud shadows. (It changes the current
// directory: scripts/fuzz.sh hands libFuzzer absolute paths.) A refused world gives back every GL
// name; a loaded one holds them until it is released.
#include "FuzzSupport.h"

#include "world/World.h"
#include "world/WorldLoader.h"

#include <filesystem>

namespace {

void writeTextures()
{
    static const std::uint8_t bmp8[] = {
        'B', 'M', 0x42, 0, 0, 0, 0, 0, 0, 0, 0x3e, 0, 0, 0, 40,  0,   0,   0, 2, 0, 0, 0,
        1,   0,   0,    0, 1, 0, 8, 0, 0, 0, 0,    0, 4, 0, 0,   0,   0,   0, 0, 0, 0, 0,
        0,   0,   2,    0, 0, 0, 0, 0, 0, 0, 0,    0, 0, 0, 255, 255, 255, 0, 0, 1, 0, 0};
    static const std::uint8_t bmp24[] = {'B', 'M', 0x3a, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0,  40,
                                         0,   0,   0,    1, 0, 0, 0, 1, 0, 0, 0,    1, 0, 24, 0,
                                         0,   0,   0,    0, 4, 0, 0, 0, 0, 0, 0,    0, 0, 0,  0,
                                         0,   0,   0,    0, 0, 0, 0, 0, 0, 9, 8,    7, 0};
    static const std::uint8_t tga[] = {0, 0, 2, 0, 0, 0,  0, 0, 0, 0, 0,
                                       0, 1, 0, 1, 0, 24, 0, 1, 2, 3};
    fuzz::writeScratch("a.bmp", bmp8, sizeof bmp8);
    fuzz::writeScratch("a-a.bmp", bmp8, sizeof bmp8);
    fuzz::writeScratch("b.tga", tga, sizeof tga);
    fuzz::writeScratch("c.bmp", bmp24, sizeof bmp24);
    std::filesystem::create_directories(fuzz::scratchFolder() + "/Bin");
    std::filesystem::create_directories(fuzz::scratchFolder() + "/TEXTURES");
    fuzz::writeScratch("TEXTURES/cloudShadows.bmp", bmp24, sizeof bmp24);
    // The demo world's tile, so the demo seed loads whole.
    std::filesystem::create_directories(fuzz::scratchFolder() + "/Textures");
    fuzz::writeScratch("Textures/demo-tile.bmp", bmp24, sizeof bmp24);
    // Relative names ("a.bmp", "..\TEXTURES\c.bmp") resolve from here.
    std::filesystem::current_path(fuzz::scratchFolder() + "/Bin");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto& device = fuzz::environment();
    static const bool ready = (writeTextures(), true);
    (void)ready;
    const std::string path = fuzz::writeScratch("w.wrl", data, size);
    const long before = device.live;
    {
        std::unique_ptr<World> world = loadWorld(path, true);
        if (world) {
            (void)world->traceSegment({0, 10, 0}, {0, -10, 0});
            (void)world->traceSegment({-50, 1, -50}, {50, -1, 50});
            world->unloadTextures();
        }
    }
    if (device.live != before) fuzz::broken("a world's GL names were not given back");
    return 0;
}
