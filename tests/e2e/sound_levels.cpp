// Prints the level of a recorded stereo WAV file window by window, for the
// sound end-to-end test: "MILLISECONDS LEFT RIGHT", the RMS of each channel
// over 10 ms. A file whose recorder did not finish its header is read to
// its end all the same.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: sound_levels FILE.wav\n");
        return 2;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(argv[1], SFM_READ, &info);
    if (!file || info.channels != 2) {
        std::fprintf(stderr, "sound_levels: %s: not a stereo sound file\n", argv[1]);
        if (file) sf_close(file);
        return 1;
    }
    const sf_count_t window = info.samplerate / 100;
    std::vector<float> frames(static_cast<std::size_t>(window) * 2);
    for (long n = 0;; ++n) {
        const sf_count_t read = sf_readf_float(file, frames.data(), window);
        if (read < window) break;
        double left = 0.0, right = 0.0;
        for (sf_count_t i = 0; i < read; ++i) {
            left += frames[i * 2] * frames[i * 2];
            right += frames[i * 2 + 1] * frames[i * 2 + 1];
        }
        std::printf("%ld %.5f %.5f\n", n * 10, std::sqrt(left / read), std::sqrt(right / read));
    }
    sf_close(file);
    return 0;
}
