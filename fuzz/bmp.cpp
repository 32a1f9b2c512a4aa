// BMP reader on any bytes: refused, or an image whose buffer matches its
// stated size; converted to a texture like the loader does.
#include "FuzzSupport.h"

#include "textures/BmpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto image = decodeBmp(std::span(data, size));
    if (!image) return 0;
    if (image->width <= 0 || image->height <= 0 || image->width > maximumImageSide ||
        image->height > maximumImageSide)
        fuzz::broken("accepted sides out of range");
    if (image->bitsPerPixel != 8 && image->bitsPerPixel != 24 && image->bitsPerPixel != 32)
        fuzz::broken("a layout the converters do not know");
    const std::size_t rowBytes = static_cast<std::size_t>(image->width) * image->bitsPerPixel / 8;
    if (image->stride % 4 != 0 || static_cast<std::size_t>(image->stride) < rowBytes ||
        image->rows.size() != static_cast<std::size_t>(image->stride) * image->height)
        fuzz::broken("rows do not match the stated size");
    return 0;
}
