#include "textures/BmpFile.h"

#include "platform/Paths.h"
#include "textures/FileBytes.h"

#include <algorithm>
#include <bit>
#include <cstddef>

namespace {

constexpr std::size_t fileHeaderSize = 14;
constexpr std::uint32_t compressionRgb = 0;
constexpr std::uint32_t compressionBitfields = 3;

// One colour channel of a BI_BITFIELDS pixel: a contiguous run of bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t maximum = 0;  // mask >> shift

    static std::optional<Channel> fromMask(std::uint32_t mask)
    {
        Channel c;
        if (mask == 0) return c;
        c.mask = mask;
        c.shift = std::countr_zero(mask);
        c.maximum = mask >> c.shift;
        // A mask with holes in it is not a colour channel.
        if ((c.maximum & (c.maximum + 1)) != 0) return std::nullopt;
        return c;
    }

    // The channel scaled to 0..255.
    std::uint8_t extract(std::uint32_t pixel) const
    {
        if (mask == 0) return 0;
        const std::uint64_t value = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>((value * 255 + maximum / 2) / maximum);
    }
};

// Rewrites 32-bit BI_BITFIELDS rows into the B, G, R, A byte order of an
// ordinary 32-bit bitmap, so every caller sees one layout.
bool repackBitfields(BmpImage& image, std::uint32_t redMask, std::uint32_t greenMask,
                     std::uint32_t blueMask, std::uint32_t alphaMask)
{
    const auto red = Channel::fromMask(redMask);
    const auto green = Channel::fromMask(greenMask);
    const auto blue = Channel::fromMask(blueMask);
    if (!red || !green || !blue || red->mask == 0 || green->mask == 0 || blue->mask == 0)
        return false;
    if ((redMask & greenMask) != 0 || (redMask & blueMask) != 0 || (greenMask & blueMask) != 0)
        return false;
    // Colours in the three low bytes read like an uncompressed 32-bit bitmap,
    // the fourth byte as alpha; other layouts without an alpha mask are opaque.
    const std::uint32_t colourBits = redMask | greenMask | blueMask;
    if (alphaMask == 0 && colourBits == 0x00FFFFFFu) alphaMask = 0xFF000000u;
    if ((alphaMask & colourBits) != 0) return false;
    const auto alpha = Channel::fromMask(alphaMask);
    if (!alpha) return false;

    std::uint8_t* p = image.rows.data();
    const std::size_t count = image.rows.size() / 4;
    for (std::size_t i = 0; i < count; ++i, p += 4) {
        const std::uint32_t v = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
        p[0] = blue->extract(v);
        p[1] = green->extract(v);
        p[2] = red->extract(v);
        p[3] = alpha->mask ? alpha->extract(v) : 255;
    }
    return true;
}

}  // namespace

std::optional<BmpImage> readBmpFile(const std::string& path)
{
    FileBytes file(platform::resolvePath(path));
    if (!file.isOpen()) return std::nullopt;

    // File header and the info header's size.
    std::uint8_t head[fileHeaderSize + 4];
    if (!file.read(0, head, sizeof head)) return std::nullopt;
    if (head[0] != 'B' || head[1] != 'M') return std::nullopt;
    const std::uint32_t pixelOffset = littleEndian32(head + 10);
    const std::uint32_t infoSize = littleEndian32(head + 14);
    if (infoSize != 40 && infoSize != 108 && infoSize != 124) return std::nullopt;

    std::uint8_t info[124];
    if (!file.read(fileHeaderSize, info, infoSize)) return std::nullopt;
    const std::int64_t width = static_cast<std::int32_t>(littleEndian32(info + 4));
    const std::int64_t rawHeight = static_cast<std::int32_t>(littleEndian32(info + 8));
    const int bitsPerPixel = littleEndian16(info + 14);
    const std::uint32_t compression = littleEndian32(info + 16);
    const std::uint32_t coloursUsed = littleEndian32(info + 32);

    const bool topDown = rawHeight < 0;
    const std::int64_t height = topDown ? -rawHeight : rawHeight;
    if (width <= 0 || height <= 0) return std::nullopt;
    if (width > maximumImageSide || height > maximumImageSide) return std::nullopt;
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) return std::nullopt;
    const bool bitfields = compression == compressionBitfields;
    if (compression != compressionRgb && !(bitfields && bitsPerPixel == 32)) return std::nullopt;

    // The masks follow a 40-byte header; the larger headers hold them.
    std::uint64_t tableStart = fileHeaderSize + infoSize;
    std::uint32_t masks[4] = {0, 0, 0, 0};
    if (bitfields) {
        if (infoSize == 40) {
            std::uint8_t bytes[12];
            if (!file.read(tableStart, bytes, sizeof bytes)) return std::nullopt;
            for (int i = 0; i < 3; ++i) masks[i] = littleEndian32(bytes + 4 * i);
            tableStart += sizeof bytes;
        } else {
            for (int i = 0; i < 4; ++i) masks[i] = littleEndian32(info + 40 + 4 * i);
        }
    }

    BmpImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.bitsPerPixel = bitsPerPixel;

    if (bitsPerPixel == 8) {
        const std::uint32_t entries = coloursUsed == 0 ? 256 : coloursUsed;
        if (entries > 256) return std::nullopt;
        std::uint8_t table[256 * 4];
        if (!file.read(tableStart, table, entries * 4)) return std::nullopt;
        for (std::uint32_t i = 0; i < entries; ++i)
            image.palette[i] = {table[4 * i], table[4 * i + 1], table[4 * i + 2]};
    }

    // Sizes in 64 bits: nothing below can wrap, whatever the header says.
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    const std::uint64_t dataSize = stride * static_cast<std::uint64_t>(height);
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4 >
        static_cast<std::uint64_t>(INT32_MAX))
        return std::nullopt;
    if (pixelOffset < tableStart) return std::nullopt;
    if (pixelOffset + dataSize > file.size()) return std::nullopt;

    image.stride = static_cast<int>(stride);
    image.rows.resize(static_cast<std::size_t>(dataSize));
    if (!file.read(pixelOffset, image.rows.data(), image.rows.size())) return std::nullopt;

    if (topDown) {
        // Bottom row first, like an ordinary bitmap.
        for (std::uint64_t top = 0, bottom = image.height - 1; top < bottom; ++top, --bottom) {
            std::uint8_t* a = image.rows.data() + top * stride;
            std::swap_ranges(a, a + stride, image.rows.data() + bottom * stride);
        }
    }

    if (bitfields && !repackBitfields(image, masks[0], masks[1], masks[2], masks[3]))
        return std::nullopt;
    return image;
}
