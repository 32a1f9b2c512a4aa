// Texture loading speed: reading and converting bitmaps of world-texture
// size, and cache lookups in a world-sized list.

#include "textures/ImageLoader.h"
#include "textures/NullTextureDevice.h"
#include "textures/TextureCache.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

void put(std::string& out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::string writeBitmap(const std::string& name, int side, int bits)
{
    const int stride = (side * bits + 31) / 32 * 4;
    const int paletteBytes = bits == 8 ? 1024 : 0;
    const std::uint32_t offset = 54 + paletteBytes;
    std::string out = "BM";
    put(out, offset + stride * side, 4);
    put(out, 0, 4);
    put(out, offset, 4);
    put(out, 40, 4);
    put(out, side, 4);
    put(out, side, 4);
    put(out, 1, 2);
    put(out, bits, 2);
    for (int i = 0; i < 6; ++i) put(out, 0, 4);
    for (int i = 0; i < paletteBytes; ++i) out.push_back(static_cast<char>(i * 7));
    for (int i = 0; i < stride * side; ++i) out.push_back(static_cast<char>(i * 13));
    const auto path = (std::filesystem::temp_directory_path() / name).string();
    std::ofstream(path, std::ios::binary) << out;
    return path;
}

void loadBitmap(benchmark::State& state, int bits)
{
    NullTextureDevice device(NullTextureDevice::History::countsOnly);
    installTextureDevice(&device);
    const int side = static_cast<int>(state.range(0));
    // Named for this process: benchmarks of two checkouts may run at once.
    const auto path = writeBitmap(
        "engine-bench-" + std::to_string(::getpid()) + "-" + std::to_string(bits) + ".bmp", side,
        bits);
    for (auto _ : state) {
        auto texture = loadTexture(path);
        benchmark::DoNotOptimize(texture);
    }
    state.SetBytesProcessed(state.iterations() * side * side * 4);
    std::filesystem::remove(path);
    installTextureDevice(nullptr);
}

void BM_LoadBitmap24(benchmark::State& state) { loadBitmap(state, 24); }
void BM_LoadBitmap8(benchmark::State& state) { loadBitmap(state, 8); }
BENCHMARK(BM_LoadBitmap24)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadBitmap8)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);

// A lookup walks the list comparing names without regard to case: the cost
// of the last of N textures, as a world's polygons ask for them.
void BM_CacheHitLast(benchmark::State& state)
{
    NullTextureDevice device(NullTextureDevice::History::countsOnly);
    installTextureDevice(&device);
    TextureCache cache;
    const int count = static_cast<int>(state.range(0));
    for (int i = 0; i < count; ++i) {
        auto t = std::make_unique<Texture>(1, 1);
        t->setName("..\\Textures\\texture-number-" + std::to_string(i) + ".bmp");
        cache.add(std::move(t));
    }
    const std::string wanted = "..\\TEXTURES\\Texture-Number-" + std::to_string(count - 1) + ".BMP";
    for (auto _ : state) benchmark::DoNotOptimize(cache.findOrLoad(wanted));
    installTextureDevice(nullptr);
}
BENCHMARK(BM_CacheHitLast)->Arg(16)->Arg(128);

}  // namespace
