// A whole texture load with its "-a.bmp" companion: the first byte picks
// BMP or TGA for the image, the next two give the image's length, the rest
// is the companion. Every GL name handed out goes back or stays with the
// texture returned.
#include "FuzzSupport.h"

#include "textures/ImageLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto& device = fuzz::environment();
    if (size < 3) return 0;
    const bool tga = data[0] & 1;
    const std::size_t imageSize = std::min<std::size_t>(data[1] | data[2] << 8, size - 3);
    const std::string image = fuzz::writeScratch(tga ? "t.tga" : "t.bmp", data + 3, imageSize);
    fuzz::writeScratch("t-a.bmp", data + 3 + imageSize, size - 3 - imageSize);
    const long before = device.live;
    {
        const auto texture = loadTexture("!" + image);
        if (texture) {
            if (device.live != before + 1) fuzz::broken("a texture holds other than one GL name");
            if (texture->pixels().size() !=
                static_cast<std::size_t>(texture->width()) * texture->height() * 4)
                fuzz::broken("texture pixels do not match its size");
            texture->unload();
        }
    }
    if (device.live != before) fuzz::broken("a GL name was not given back");
    return 0;
}
