// TGA reader through its file path: refused, or pixels of the stated size.
#include "FuzzSupport.h"

#include "textures/ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::writeScratch("image.tga", data, size);
    ImageFile image;
    if (!image.load(path)) {
        if (!image.pixels().empty()) fuzz::broken("a refused file kept pixels");
        return 0;
    }
    if (image.pixels().size() !=
        static_cast<std::size_t>(image.width()) * image.height() * image.bytesPerPixel())
        fuzz::broken("pixels do not match the stated size");
    return 0;
}
