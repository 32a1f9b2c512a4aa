#include "audio/SoundFile.h"

#include "platform/FileBytes.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

// libsndfile reads through these callbacks from a span: no temporary file.
struct MemoryStream {
    std::span<const std::uint8_t> bytes;
    sf_count_t at = 0;
};

sf_count_t streamLength(void* user) { return static_cast<MemoryStream*>(user)->bytes.size(); }

sf_count_t streamSeek(sf_count_t offset, int whence, void* user)
{
    auto* s = static_cast<MemoryStream*>(user);
    const sf_count_t size = static_cast<sf_count_t>(s->bytes.size());
    sf_count_t base = 0;
    if (whence == SEEK_CUR) base = s->at;
    else if (whence == SEEK_END) base = size;
    const sf_count_t to = base + offset;
    if (to < 0 || to > size) return -1;
    s->at = to;
    return s->at;
}

sf_count_t streamRead(void* destination, sf_count_t count, void* user)
{
    auto* s = static_cast<MemoryStream*>(user);
    const sf_count_t size = static_cast<sf_count_t>(s->bytes.size());
    const sf_count_t n = std::clamp<sf_count_t>(size - s->at, 0, std::max<sf_count_t>(count, 0));
    if (n > 0) std::memcpy(destination, s->bytes.data() + s->at, static_cast<std::size_t>(n));
    s->at += n;
    return n;
}

sf_count_t streamWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t streamTell(void* user) { return static_cast<MemoryStream*>(user)->at; }

struct CloseFile {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

}  // namespace

std::optional<SoundClip> decodeSound(std::span<const std::uint8_t> bytes, std::string& problem)
{
    MemoryStream stream{bytes};
    SF_VIRTUAL_IO io{streamLength, streamSeek, streamRead, streamWrite, streamTell};
    SF_INFO info{};
    std::unique_ptr<SNDFILE, CloseFile> file(sf_open_virtual(&io, SFM_READ, &info, &stream));
    if (!file) {
        problem = std::string("not a sound file this engine reads (") + sf_strerror(nullptr) + ")";
        return std::nullopt;
    }
    if (info.channels < 1 || info.channels > mostChannels) {
        problem = "has " + std::to_string(info.channels) + " channels (1 to " +
                  std::to_string(mostChannels) + " are read)";
        return std::nullopt;
    }
    if (info.samplerate < lowestSampleRate || info.samplerate > highestSampleRate) {
        problem = "has a sample rate of " + std::to_string(info.samplerate) + " Hz (" +
                  std::to_string(lowestSampleRate) + " to " + std::to_string(highestSampleRate) +
                  " are read)";
        return std::nullopt;
    }
    // What a header claims is only believed up to the limit; the samples are
    // gathered as they decode, so a lying header costs no memory.
    const sf_count_t mostFrames = static_cast<sf_count_t>(info.samplerate) * longestSoundSeconds;
    if (info.frames > mostFrames) {
        problem = "is longer than " + std::to_string(longestSoundSeconds) + " seconds";
        return std::nullopt;
    }

    SoundClip clip;
    clip.sampleRate = info.samplerate;
    constexpr sf_count_t chunkFrames = 4096;
    std::array<float, chunkFrames * mostChannels> chunk{};
    const int channels = info.channels;
    while (true) {
        const sf_count_t read = sf_readf_float(file.get(), chunk.data(), chunkFrames);
        if (read <= 0) break;
        if (static_cast<sf_count_t>(clip.samples.size()) + read > mostFrames) {
            problem = "is longer than " + std::to_string(longestSoundSeconds) + " seconds";
            return std::nullopt;
        }
        for (sf_count_t f = 0; f < read; ++f) {
            double sum = 0.0;
            for (int c = 0; c < channels; ++c)
                sum += chunk[static_cast<std::size_t>(f * channels + c)];
            // A NaN from a broken float file counts as silence.
            const double mono = std::isnan(sum) ? 0.0 : std::clamp(sum / channels, -1.0, 1.0);
            clip.samples.push_back(static_cast<std::int16_t>(mono * 32767.0));
        }
    }
    if (clip.samples.empty()) {
        problem = "holds no samples";
        return std::nullopt;
    }
    return clip;
}

std::optional<SoundClip> loadSoundFile(const std::string& path, std::string& problem)
{
    FileBytes file(path);
    // A sound that could be read is at most a minute of eight 32-bit
    // channels at the highest rate, plus its header.
    constexpr std::uint64_t largestFile =
        std::uint64_t{highestSampleRate} * longestSoundSeconds * mostChannels * 4 + 65536;
    if (!file.isOpen()) {
        problem = "cannot be opened";
        return std::nullopt;
    }
    if (file.size() > largestFile) {
        problem = "is too large for a sound";
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.size()));
    if (!bytes.empty() && !file.read(0, bytes.data(), bytes.size())) {
        problem = "cannot be read";
        return std::nullopt;
    }
    return decodeSound(bytes, problem);
}
