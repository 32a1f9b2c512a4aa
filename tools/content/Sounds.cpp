#include "content/Sounds.h"

#include "content/Random.h"
#include "worldfile/Trig.h"

#include <algorithm>
#include <cmath>

namespace tools {

namespace {

constexpr double rate = soundSampleRate;

std::size_t samplesFor(double seconds) { return static_cast<std::size_t>(seconds * rate); }

// Exponential decay by a time constant, from + and * only: the factor per
// sample is the first terms of exp(-1 / (tau * rate)).
double decayFactor(double tau)
{
    const double x = 1.0 / (tau * rate);
    return 1.0 - x + x * x / 2.0 - x * x * x / 6.0;
}

// A second-order filter (the audio cookbook's biquad), retuned per sample
// when its frequency sweeps.
class Biquad {
public:
    enum Kind { lowPass, highPass, bandPass };
    Biquad(Kind kind, double frequency, double q) : kind_(kind), q_(q) { tune(frequency); }

    void tune(double frequency)
    {
        const double w = 2.0 * pi * std::clamp(frequency, 10.0, rate * 0.45) / rate;
        const double c = cosine(w), alpha = sine(w) / (2.0 * q_);
        const double a0 = 1.0 + alpha;
        switch (kind_) {
        case lowPass: b0_ = b2_ = (1.0 - c) / 2.0, b1_ = 1.0 - c; break;
        case highPass: b0_ = b2_ = (1.0 + c) / 2.0, b1_ = -(1.0 + c); break;
        case bandPass: b0_ = alpha, b1_ = 0.0, b2_ = -alpha; break;
        }
        b0_ /= a0, b1_ /= a0, b2_ /= a0;
        a1_ = -2.0 * c / a0;
        a2_ = (1.0 - alpha) / a0;
    }
    double operator()(double x)
    {
        const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_, x1_ = x, y2_ = y1_, y1_ = y;
        return y;
    }

private:
    Kind kind_;
    double q_;
    double b0_ = 0, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// An oscillator whose frequency may change every sample.
class Phase {
public:
    double sineAt(double frequency)
    {
        const double v = sine(2.0 * pi * phase_);
        step(frequency);
        return v;
    }
    // A softened sawtooth: the first harmonics only, so nothing aliases.
    double sawAt(double frequency, int harmonics)
    {
        double v = 0.0;
        for (int k = 1; k <= harmonics; ++k) v += sine(2.0 * pi * phase_ * k) / k;
        step(frequency);
        return v * 0.55;
    }

private:
    void step(double frequency)
    {
        phase_ += frequency / rate;
        phase_ -= std::floor(phase_);
    }
    double phase_ = 0.0;
};

double noise(Random& random) { return random.uniform(-1.0, 1.0); }

// Attack then exponential decay: the shape of a hit. The decay is the
// per-sample factor raised to the sample count, by squaring.
double hit(double t, double attack, double tau)
{
    if (t < attack) return t / attack;
    double v = 1.0;
    double f = decayFactor(tau);
    for (long k = static_cast<long>((t - attack) * rate); k > 0; k >>= 1, f *= f)
        if (k & 1) v *= f;
    return v;
}

// Scales to the given peak: every sound ends below full scale.
void normalise(std::vector<double>& s, double peak)
{
    double most = 0.0;
    for (double v : s) most = std::max(most, std::fabs(v));
    if (most > 0.0)
        for (double& v : s) v *= peak / most;
}

// A loop from a take `fade` samples longer than the loop: its tail is
// faded into its head, so the end runs on into the start.
std::vector<double> closeLoop(const std::vector<double>& take, std::size_t fade)
{
    const std::size_t n = take.size() - fade;
    std::vector<double> loop(take.begin(), take.begin() + static_cast<std::ptrdiff_t>(n));
    for (std::size_t i = 0; i < fade; ++i) {
        const double w = static_cast<double>(i) / static_cast<double>(fade);
        loop[i] = take[i] * w + take[n + i] * (1.0 - w);
    }
    return loop;
}

// The rocket leaving: a thump sweeping down under a rushing hiss.
std::vector<double> rocketLaunch()
{
    Random random(0x5EED0001);
    std::vector<double> s(samplesFor(0.7));
    Biquad hiss(Biquad::bandPass, 800.0, 0.8);
    Phase thump;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        hiss.tune(500.0 + 2500.0 * t);
        const double body =
            thump.sineAt(130.0 - 80.0 * std::min(t / 0.25, 1.0)) * hit(t, 0.002, 0.09);
        const double rush = hiss(noise(random)) * hit(t, 0.015, 0.22) * 2.2;
        s[i] = body + rush;
    }
    normalise(s, 0.5);
    return s;
}

// The rocket in flight, a loop: a hissing roar with a flutter.
std::vector<double> rocketFlight()
{
    Random random(0x5EED0002);
    const std::size_t fade = samplesFor(0.1);
    std::vector<double> take(samplesFor(1.0) + fade);
    Biquad roar(Biquad::lowPass, 400.0, 0.7), hiss(Biquad::bandPass, 2400.0, 1.2);
    for (std::size_t i = 0; i < take.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double flutter = 0.8 + 0.2 * sine(2.0 * pi * 9.0 * t);
        const double n = noise(random);
        take[i] = (roar(n) * 1.8 + hiss(n) * 0.8) * flutter;
    }
    std::vector<double> s = closeLoop(take, fade);
    normalise(s, 0.5);
    return s;
}

// The burst: a crack, a boom beneath it and crackling debris.
std::vector<double> burst()
{
    Random random(0x5EED0003);
    std::vector<double> s(samplesFor(1.4));
    Biquad dull(Biquad::lowPass, 6000.0, 0.7), boomFilter(Biquad::lowPass, 160.0, 0.9);
    Phase boom;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        dull.tune(7000.0 * hit(t, 0.0001, 0.12) + 300.0);
        const double crack = dull(noise(random)) * hit(t, 0.001, 0.14);
        const double low =
            (boom.sineAt(62.0 - 28.0 * std::min(t / 0.6, 1.0)) + boomFilter(noise(random)) * 2.0) *
            hit(t, 0.004, 0.32);
        const double debris =
            random.unit() < 0.004 * hit(t, 0.05, 0.35) ? noise(random) * 0.6 : 0.0;
        s[i] = crack * 1.1 + low * 0.9 + debris;
    }
    normalise(s, 0.95);
    return s;
}

// A drone's hum, a loop: a low beating buzz with a whirr of air.
std::vector<double> droneHum()
{
    Random random(0x5EED0004);
    const std::size_t fade = samplesFor(0.1);
    std::vector<double> take(samplesFor(1.0) + fade);
    Biquad air(Biquad::bandPass, 700.0, 2.0);
    for (std::size_t i = 0; i < take.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        // Whole cycles per second, so the tones close the loop by themselves.
        const double tone = sine(2 * pi * 110 * t) + 0.7 * sine(2 * pi * 113 * t) +
                            0.35 * sine(2 * pi * 220 * t) + 0.2 * sine(2 * pi * 331 * t);
        const double wobble = 0.85 + 0.15 * sine(2 * pi * 4 * t);
        take[i] = tone * wobble + air(noise(random)) * 1.2;
    }
    std::vector<double> s = closeLoop(take, fade);
    normalise(s, 0.45);
    return s;
}

// A drone coming back: a rising chime.
std::vector<double> droneBack()
{
    std::vector<double> s(samplesFor(0.8));
    Phase a, b;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double f = 300.0 * (1.0 + 2.0 * std::min(t / 0.35, 1.0));
        s[i] = (a.sineAt(f) + 0.4 * b.sineAt(f * 1.5)) * hit(t, 0.04, 0.2);
    }
    normalise(s, 0.55);
    return s;
}

// A footstep on gravel and sand: a soft thud and a short crunch.
std::vector<double> footstep()
{
    Random random(0x5EED0005);
    std::vector<double> s(samplesFor(0.14));
    Biquad crunch(Biquad::bandPass, 1800.0, 0.9), thud(Biquad::lowPass, 220.0, 0.8);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double grains = random.unit() < 0.25 ? noise(random) : 0.0;
        s[i] = thud(noise(random)) * 3.0 * hit(t, 0.003, 0.025) +
               crunch(grains) * 1.5 * hit(t, 0.008, 0.03);
    }
    normalise(s, 0.55);
    return s;
}

// A jump: a push off the ground and a breath of air.
std::vector<double> jump()
{
    Random random(0x5EED0006);
    std::vector<double> s(samplesFor(0.25));
    Biquad push(Biquad::lowPass, 300.0, 0.8), air(Biquad::bandPass, 900.0, 1.0);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        air.tune(700.0 + 1600.0 * t / 0.25);
        s[i] = push(noise(random)) * 2.5 * hit(t, 0.003, 0.03) +
               air(noise(random)) * hit(t, 0.04, 0.06);
    }
    normalise(s, 0.5);
    return s;
}

// A landing: a heavy thud and a scatter of sand.
std::vector<double> land()
{
    Random random(0x5EED0007);
    std::vector<double> s(samplesFor(0.3));
    Biquad body(Biquad::lowPass, 180.0, 1.0), sand(Biquad::bandPass, 2200.0, 0.8);
    Phase low;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        s[i] =
            (body(noise(random)) * 2.5 + low.sineAt(75.0 - 25.0 * t) * 0.6) * hit(t, 0.002, 0.06) +
            sand(random.unit() < 0.3 ? noise(random) : 0.0) * hit(t, 0.01, 0.05);
    }
    normalise(s, 0.75);
    return s;
}

// The vehicle's engine, a loop: a low throbbing saw with exhaust rumble.
std::vector<double> engine()
{
    Random random(0x5EED0008);
    const std::size_t fade = samplesFor(0.1);
    std::vector<double> take(samplesFor(1.0) + fade);
    Biquad tone(Biquad::lowPass, 700.0, 1.1), exhaust(Biquad::lowPass, 250.0, 0.7);
    Phase saw;
    for (std::size_t i = 0; i < take.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        // 55 firings a second, each a swell: a whole number, so it loops.
        const double firing = 0.6 + 0.4 * std::fabs(sine(pi * 27.5 * 2.0 * t));
        take[i] = tone(saw.sawAt(55.0, 12)) * firing + exhaust(noise(random)) * 1.5 * firing;
    }
    std::vector<double> s = closeLoop(take, fade);
    normalise(s, 0.55);
    return s;
}

// Boarding and leaving: metal clunks, down then up.
std::vector<double> clunk(std::uint64_t seed, double pitch)
{
    Random random(seed);
    std::vector<double> s(samplesFor(0.35));
    Biquad thud(Biquad::lowPass, 200.0, 0.9);
    const double partials[] = {1.0, 1.62, 2.63, 3.71};
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        double ring = 0.0;
        for (int k = 0; k < 4; ++k)
            ring += sine(2 * pi * 310.0 * pitch * partials[k] * t) * hit(t, 0.001, 0.09 / (k + 1));
        s[i] = ring * 0.5 + thud(noise(random)) * 2.5 * hit(t, 0.002, 0.04);
    }
    normalise(s, 0.6);
    return s;
}

// A toggle key: a short bright tick.
std::vector<double> tick()
{
    std::vector<double> s(samplesFor(0.03));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        s[i] = (sine(2 * pi * 2200 * t) + 0.5 * sine(2 * pi * 3300 * t)) * hit(t, 0.0005, 0.004);
    }
    normalise(s, 0.4);
    return s;
}

// Wind in the canyon, a loop: noise through a resonance that wanders, in
// slow gusts.
std::vector<double> wind(std::uint64_t seed, double seconds)
{
    Random random(seed);
    const std::size_t fade = samplesFor(0.5);
    std::vector<double> take(samplesFor(seconds) + fade);
    Biquad howl(Biquad::bandPass, 400.0, 4.0), body(Biquad::lowPass, 500.0, 0.7);
    for (std::size_t i = 0; i < take.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double cycle = t / seconds;  // whole cycles per loop
        const double gust =
            0.55 + 0.3 * sine(2 * pi * cycle) + 0.15 * sine(2 * pi * 3 * cycle + 1.0);
        howl.tune(320.0 + 260.0 * gust + 60.0 * sine(2 * pi * 5 * cycle));
        const double n = noise(random);
        take[i] = (howl(n) * 1.4 + body(n) * 0.8) * gust;
    }
    std::vector<double> s = closeLoop(take, fade);
    normalise(s, 0.5);
    return s;
}

// The lamp at the ruin, a loop: mains hum with a faint buzz.
std::vector<double> lampHum()
{
    Random random(0x5EED000B);
    const std::size_t fade = samplesFor(0.05);
    std::vector<double> take(samplesFor(1.0) + fade);
    Biquad buzz(Biquad::bandPass, 3000.0, 3.0);
    for (std::size_t i = 0; i < take.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double hum = sine(2 * pi * 100 * t) + 0.5 * sine(2 * pi * 200 * t) +
                           0.3 * sine(2 * pi * 300 * t) + 0.12 * sine(2 * pi * 50 * t);
        take[i] = hum + buzz(noise(random)) * 0.3 * (0.5 + 0.5 * sine(2 * pi * 100 * t));
    }
    std::vector<double> s = closeLoop(take, fade);
    normalise(s, 0.35);
    return s;
}

void put16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v & 255));
    out.push_back(static_cast<std::uint8_t>(v >> 8 & 255));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

// The last 15 ms of a sound that plays once fade out, so it never ends
// on a step.
void fadeOut(std::vector<double>& s)
{
    const std::size_t n = std::min(s.size(), samplesFor(0.015));
    for (std::size_t i = 0; i < n; ++i) s[s.size() - 1 - i] *= static_cast<double>(i) / n;
}

std::vector<SynthesisedSound> synthesiseSounds()
{
    std::vector<SynthesisedSound> sounds = {
        {"rocket-launch.wav", rocketLaunch(), false},
        {"rocket-flight.wav", rocketFlight(), true},
        {"burst.wav", burst(), false},
        {"drone-hum.wav", droneHum(), true},
        {"drone-back.wav", droneBack(), false},
        {"footstep.wav", footstep(), false},
        {"jump.wav", jump(), false},
        {"land.wav", land(), false},
        {"engine.wav", engine(), true},
        {"board.wav", clunk(0x5EED0009, 1.0), false},
        {"leave.wav", clunk(0x5EED000C, 1.3), false},
        {"tick.wav", tick(), false},
        {"wind.wav", wind(0x5EED000A, 6.0), true},
        {"gusts.wav", wind(0x5EED000D, 7.0), true},
        {"lamp-hum.wav", lampHum(), true},
    };
    for (SynthesisedSound& s : sounds)
        if (!s.loop) fadeOut(s.samples);
    return sounds;
}

std::vector<std::uint8_t> wavFile(const std::vector<double>& samples, int sampleRate)
{
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    for (char c : std::string("RIFF")) out.push_back(static_cast<std::uint8_t>(c));
    put32(out, 36 + dataBytes);
    for (char c : std::string("WAVEfmt ")) out.push_back(static_cast<std::uint8_t>(c));
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, static_cast<std::uint32_t>(sampleRate));
    put32(out, static_cast<std::uint32_t>(sampleRate) * 2);
    put16(out, 2);
    put16(out, 16);
    for (char c : std::string("data")) out.push_back(static_cast<std::uint8_t>(c));
    put32(out, dataBytes);
    for (double v : samples) {
        // Rounded to the nearest step, two's complement little-endian.
        const long q = std::lround(std::clamp(v, -1.0, 1.0) * 32767.0);
        put16(out, static_cast<unsigned>(q) & 0xFFFF);
    }
    return out;
}

std::vector<GeneratedFile> generateSounds()
{
    std::vector<GeneratedFile> files;
    for (const SynthesisedSound& s : synthesiseSounds())
        files.push_back({s.name, wavFile(s.samples, soundSampleRate)});
    return files;
}

}  // namespace tools
