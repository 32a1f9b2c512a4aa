#include "textures/BmpFile.h"

#include "platform/FileBytes.h"
#include "platform/Paths.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <memory>

namespace {

constexpr std::size_t fileHeaderSize = 14;
constexpr std::uint32_t coreHeaderSize = 12;  // OS/2 and Windows 2 bitmaps
constexpr std::uint32_t compressionRgb = 0;
constexpr std::uint32_t compressionRle8 = 1;
constexpr std::uint32_t compressionRle4 = 2;
constexpr std::uint32_t compressionBitfields = 3;
// A run-length encoded file may say what it likes about its size; beyond a
// million pixels it must bring at least one byte of data per this many
// pixels (an ordinary encoder needs one per 128 at most), so a few bytes
// cannot make the reader allocate gigabytes.
constexpr std::uint64_t mostPixelsPerRleByte = 1024;
constexpr std::uint64_t pixelsAnyRleFileMayHave = 1u << 20;

// One colour channel of a bit-field pixel: a contiguous run of bits.
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

    // The channel scaled to 0..255, rounded to the nearest.
    std::uint8_t extract(std::uint32_t pixel) const
    {
        if (mask == 0) return 0;
        const std::uint64_t value = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>((value * 255 + maximum / 2) / maximum);
    }
};

struct Channels {
    Channel red, green, blue, alpha;
};

// Masks of the three colours (each required) and of alpha (optional), not
// overlapping, each without holes, all within the pixel's bits.
std::optional<Channels> channelsOf(const std::uint32_t masks[4], int bitsPerPixel)
{
    const std::uint64_t pixelBits = bitsPerPixel == 32 ? 0xFFFFFFFFull : (1ull << bitsPerPixel) - 1;
    std::uint32_t seen = 0;
    std::optional<Channel> found[4];
    for (int i = 0; i < 4; ++i) {
        if ((masks[i] & seen) != 0 || (masks[i] & ~pixelBits) != 0) return std::nullopt;
        seen |= masks[i];
        found[i] = Channel::fromMask(masks[i]);
        if (!found[i] || (i < 3 && found[i]->mask == 0)) return std::nullopt;
    }
    return Channels{*found[0], *found[1], *found[2], *found[3]};
}

std::uint64_t strideOf(std::uint64_t width, int bitsPerPixel)
{
    return (width * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32 * 4;
}

// Bit-field pixels (16 or 32 bits, rows bottom first) to B, G, R (, A):
// 32-bit rows when there is an alpha mask or the source is 32 bits, else
// 24-bit rows.
void unpackBitfields(const std::uint8_t* source, std::uint64_t sourceStride, int sourceBits,
                     const Channels& c, BmpImage& image)
{
    const bool alpha = c.alpha.mask != 0 || sourceBits == 32;
    image.bitsPerPixel = alpha ? 32 : 24;
    const auto width = static_cast<std::uint64_t>(image.width);
    image.stride = static_cast<int>(strideOf(width, image.bitsPerPixel));
    image.rows.assign(
        static_cast<std::size_t>(image.stride) * static_cast<std::size_t>(image.height), 0);
    const int inStep = sourceBits / 8;
    const int outStep = image.bitsPerPixel / 8;
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* in = source + static_cast<std::size_t>(y) * sourceStride;
        std::uint8_t* out = image.rows.data() + static_cast<std::size_t>(y) * image.stride;
        for (int x = 0; x < image.width; ++x, in += inStep, out += outStep) {
            const std::uint32_t v = inStep == 4 ? littleEndian32(in) : littleEndian16(in);
            out[0] = c.blue.extract(v);
            out[1] = c.green.extract(v);
            out[2] = c.red.extract(v);
            if (alpha) out[3] = c.alpha.mask ? c.alpha.extract(v) : 255;
        }
    }
}

// 1, 2 or 4 bits a pixel, most significant first, to one index a byte.
void unpackIndices(const std::uint8_t* source, std::uint64_t sourceStride, int bits,
                   BmpImage& image)
{
    const int perByte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* in = source + static_cast<std::size_t>(y) * sourceStride;
        std::uint8_t* out = image.rows.data() + static_cast<std::size_t>(y) * image.stride;
        for (int x = 0; x < image.width; ++x) {
            const int shift = 8 - bits * (x % perByte + 1);
            out[x] = static_cast<std::uint8_t>((in[x / perByte] >> shift) & mask);
        }
    }
}

// Run-length encoded indices (RLE8, or RLE4 with two indices a byte). Runs
// and literal pixels past the end of a row or above the top row are
// dropped, as Windows draws them; data that ends before the end-of-bitmap
// mark is a cut-off file and refused.
bool decodeRle(std::span<const std::uint8_t> data, bool fourBits, BmpImage& image)
{
    const std::size_t width = static_cast<std::size_t>(image.width);
    const std::size_t height = static_cast<std::size_t>(image.height);
    std::size_t x = 0, y = 0, at = 0;
    const auto put = [&](std::uint8_t index) {
        if (x < width && y < height)
            image.rows[y * static_cast<std::size_t>(image.stride) + x] = index;
        ++x;
    };
    while (at + 2 <= data.size()) {
        const std::uint8_t count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (std::size_t k = 0; k < count && x < width; ++k) {
                if (!fourBits) put(value);
                else put(static_cast<std::uint8_t>(k % 2 == 0 ? value >> 4 : value & 0x0F));
            }
            continue;
        }
        switch (value) {
        case 0:  // end of line
            x = 0;
            ++y;
            break;
        case 1:  // end of bitmap
            return true;
        case 2:  // delta: move right and up, leaving the pixels passed over
            if (at + 2 > data.size()) return false;
            x += data[at];
            y += data[at + 1];
            at += 2;
            break;
        default: {  // literal pixels, padded to a whole number of 16-bit words
            const std::size_t bytes = fourBits ? (value + 1u) / 2 : value;
            if (at + bytes > data.size()) return false;
            for (std::size_t k = 0; k < value; ++k) {
                if (!fourBits) put(data[at + k]);
                else
                    put(static_cast<std::uint8_t>(k % 2 == 0 ? data[at + k / 2] >> 4
                                                             : data[at + k / 2] & 0x0F));
            }
            at += (bytes + 1) / 2 * 2;
            break;
        }
        }
        // Far past the picture nothing more can land; stop walking.
        if (y > height) y = height;
        if (x > width) x = width;
    }
    return false;
}

}  // namespace

namespace {
// The whole file, or none.
std::unique_ptr<std::uint8_t[]> readWholeFile(const std::string& path, std::size_t& size)
{
    FileBytes file(platform::resolvePath(path));
    if (!file.isOpen()) return nullptr;
    // Not zero-filled first: the read fills all of it or fails.
    size = static_cast<std::size_t>(file.size());
    auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    if (!file.read(0, bytes.get(), size)) return nullptr;
    return bytes;
}

std::optional<BmpImage> decode(std::span<const std::uint8_t> file, std::size_t* rowsInFile);
}  // namespace

std::optional<BmpImage> readBmpFile(const std::string& path)
{
    std::size_t size = 0;
    const auto bytes = readWholeFile(path, size);
    if (!bytes) return std::nullopt;
    return decodeBmp({bytes.get(), size});
}

std::optional<BmpPixels> readBmpPixels(const std::string& path)
{
    std::size_t size = 0;
    auto bytes = readWholeFile(path, size);
    if (!bytes) return std::nullopt;
    std::size_t rowsInFile = 0;
    std::optional<BmpImage> image = decode({bytes.get(), size}, &rowsInFile);
    if (!image) return std::nullopt;
    BmpPixels pixels{std::move(*image), std::move(bytes), nullptr};
    pixels.rows =
        pixels.image.rows.empty() ? pixels.file.get() + rowsInFile : pixels.image.rows.data();
    return pixels;
}

std::optional<BmpImage> decodeBmp(std::span<const std::uint8_t> file)
{
    return decode(file, nullptr);
}

namespace {
// As decodeBmp; with `rowsInFile`, rows that need no unpacking are left in
// the file (`rows` stays empty) and their offset is stored there instead.
std::optional<BmpImage> decode(std::span<const std::uint8_t> file, std::size_t* rowsInFile)
{
    // File header and the info header's size.
    if (file.size() < fileHeaderSize + 4) return std::nullopt;
    if (file[0] != 'B' || file[1] != 'M') return std::nullopt;
    const std::uint32_t pixelOffset = littleEndian32(&file[10]);
    const std::uint32_t infoSize = littleEndian32(&file[14]);
    if (infoSize != coreHeaderSize && infoSize != 40 && infoSize != 52 && infoSize != 56 &&
        infoSize != 108 && infoSize != 124)
        return std::nullopt;
    if (file.size() - fileHeaderSize < infoSize) return std::nullopt;
    const std::uint8_t* info = &file[fileHeaderSize];

    const bool core = infoSize == coreHeaderSize;
    std::int64_t width = 0, rawHeight = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = compressionRgb, coloursUsed = 0;
    if (core) {
        width = littleEndian16(info + 4);
        rawHeight = littleEndian16(info + 6);
        bitsPerPixel = littleEndian16(info + 10);
    } else {
        width = static_cast<std::int32_t>(littleEndian32(info + 4));
        rawHeight = static_cast<std::int32_t>(littleEndian32(info + 8));
        bitsPerPixel = littleEndian16(info + 14);
        compression = littleEndian32(info + 16);
        coloursUsed = littleEndian32(info + 32);
    }

    const bool topDown = rawHeight < 0;
    const std::int64_t height = topDown ? -rawHeight : rawHeight;
    if (width <= 0 || height <= 0) return std::nullopt;
    if (width > maximumImageSide || height > maximumImageSide) return std::nullopt;
    // Both sides are at most 2^14 here: the products below stay far from wrapping.
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4 >
        static_cast<std::uint64_t>(INT32_MAX))
        return std::nullopt;

    const bool rle = compression == compressionRle8 || compression == compressionRle4;
    const bool bitfields = compression == compressionBitfields;
    switch (bitsPerPixel) {
    case 1:
    case 2:
    case 24:
        if (compression != compressionRgb) return std::nullopt;
        break;
    case 4:
        if (compression != compressionRgb && compression != compressionRle4) return std::nullopt;
        break;
    case 8:
        if (compression != compressionRgb && compression != compressionRle8) return std::nullopt;
        break;
    case 16:
    case 32:
        if (compression != compressionRgb && !bitfields) return std::nullopt;
        break;
    default: return std::nullopt;
    }
    if (core && (bitsPerPixel == 16 || bitsPerPixel == 32)) return std::nullopt;
    // Run-length encoded bitmaps are stored bottom-up only.
    if (rle && topDown) return std::nullopt;

    // Masks: after a 40-byte header as three more values; the larger headers
    // hold them (52 bytes: colours only; 56 and more: alpha too).
    std::uint64_t tableStart = fileHeaderSize + infoSize;
    std::uint32_t masks[4] = {0, 0, 0, 0};
    if (bitfields) {
        if (infoSize == 40) {
            if (file.size() < tableStart + 12) return std::nullopt;
            for (int i = 0; i < 3; ++i) masks[i] = littleEndian32(&file[tableStart + 4 * i]);
            tableStart += 12;
        } else {
            const int count = infoSize == 52 ? 3 : 4;
            for (int i = 0; i < count; ++i) masks[i] = littleEndian32(info + 40 + 4 * i);
        }
    } else if (bitsPerPixel == 16) {
        masks[0] = 0x7C00;  // 5-5-5, the top bit unused
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    // A 32-bit bit-field file with colours where an ordinary one has them
    // and no alpha mask reads like an ordinary one, the fourth byte as alpha.
    if (bitfields && bitsPerPixel == 32 && masks[3] == 0 && masks[0] == 0x00FF0000u &&
        masks[1] == 0x0000FF00u && masks[2] == 0x000000FFu)
        masks[3] = 0xFF000000u;

    if (pixelOffset < tableStart || pixelOffset > file.size()) return std::nullopt;

    BmpImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);

    if (bitsPerPixel <= 8) {
        // The palette: biClrUsed entries (0 = all the depth can index) of
        // four bytes, or for the 12-byte header one of three bytes for each
        // index, as many as fit before the pixels.
        const std::uint32_t entrySize = core ? 3 : 4;
        std::uint64_t entries = coloursUsed == 0 || core ? 1u << bitsPerPixel : coloursUsed;
        if (entries > 256) return std::nullopt;
        if (core)
            entries = std::min<std::uint64_t>(entries, (pixelOffset - tableStart) / entrySize);
        // The palette lies between the headers and the pixels.
        if (tableStart + entries * entrySize > pixelOffset) return std::nullopt;
        for (std::uint64_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = &file[tableStart + i * entrySize];
            image.palette[i] = {e[0], e[1], e[2]};
        }
        image.bitsPerPixel = 8;
        image.stride = static_cast<int>(strideOf(static_cast<std::uint64_t>(width), 8));
    }

    const std::span<const std::uint8_t> data = file.subspan(pixelOffset);
    if (rle) {
        const std::uint64_t pixels =
            static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
        if (pixels > pixelsAnyRleFileMayHave && pixels / mostPixelsPerRleByte > data.size())
            return std::nullopt;
        image.rows.assign(static_cast<std::size_t>(image.stride) * static_cast<std::size_t>(height),
                          0);
        if (!decodeRle(data, compression == compressionRle4, image)) return std::nullopt;
        return image;
    }

    const std::uint64_t stride = strideOf(static_cast<std::uint64_t>(width), bitsPerPixel);
    if (stride > data.size() / static_cast<std::uint64_t>(height)) return std::nullopt;
    std::vector<std::uint8_t> flipped;
    const std::uint8_t* source = data.data();
    if (topDown) {
        // Bottom row first, like an ordinary bitmap.
        flipped.resize(static_cast<std::size_t>(stride * height));
        for (std::int64_t y = 0; y < height; ++y)
            std::copy_n(data.data() + (height - 1 - y) * stride, stride,
                        flipped.data() + y * stride);
        source = flipped.data();
    }

    if (bitsPerPixel < 8) {
        image.rows.assign(static_cast<std::size_t>(image.stride) * static_cast<std::size_t>(height),
                          0);
        unpackIndices(source, stride, bitsPerPixel, image);
        return image;
    }
    if (bitsPerPixel == 16 || bitfields) {
        const auto channels = channelsOf(masks, bitsPerPixel);
        if (!channels) return std::nullopt;
        unpackBitfields(source, stride, bitsPerPixel, *channels, image);
        return image;
    }
    if (bitsPerPixel != 8) image.bitsPerPixel = bitsPerPixel;
    image.stride = static_cast<int>(stride);
    if (topDown) image.rows = std::move(flipped);
    else if (rowsInFile) *rowsInFile = pixelOffset;
    else
        image.rows.assign(data.begin(),
                          data.begin() + static_cast<std::ptrdiff_t>(stride * height));
    return image;
}
}  // namespace
