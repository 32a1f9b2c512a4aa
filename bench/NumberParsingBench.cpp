// The numbers of the default world, which are most of its bytes (half of
// them seventeen-digit decimals): read by the token reader, and by a bare
// loop over the standard library's from_chars for comparison. The reader's
// per-number time is what a world load spends on its text.

#include "support/BenchContent.h"

#include "text/TokenReader.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string canyonText()
{
    std::ifstream in(bench::canyonWorldFile());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// Which tokens are numbers: a digit, or a sign or point before one.
std::vector<char> numberTokens(const std::string& text)
{
    std::vector<char> numbers;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        std::size_t i = token[0] == '-' ? 1 : 0;
        if (i < token.size() && token[i] == '.') ++i;
        numbers.push_back(i < token.size() && token[i] >= '0' && token[i] <= '9');
    }
    return numbers;
}

void CanyonNumbersTokenReader(benchmark::State& state)
{
    const std::string text = canyonText();
    const std::vector<char> numbers = numberTokens(text);
    std::int64_t count = 0;
    for (auto _ : state) {
        state.PauseTiming();  // the copy of the text is not reading it
        TokenReader in(text);
        state.ResumeTiming();
        double value = 0;
        std::string word;
        for (char number : numbers) {
            if (number) {
                in.readDouble(value);
                ++count;
            } else {
                in.readWord(word);
            }
        }
        if (!in.ok()) state.SkipWithError("the canyon's text did not read");
        benchmark::DoNotOptimize(value);
    }
    state.counters["per_number"] = benchmark::Counter(
        static_cast<double>(count), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(CanyonNumbersTokenReader)->Unit(benchmark::kMillisecond);

void CanyonNumbersStdFromChars(benchmark::State& state)
{
    const std::string text = canyonText();
    std::int64_t count = 0;
    for (auto _ : state) {
        const char* p = text.data();
        const char* end = p + text.size();
        double sum = 0;
        while (p < end) {
            while (p < end && isSpace(*p)) ++p;
            double value = 0;
            const auto [stop, error] = std::from_chars(p, end, value);
            if (error == std::errc()) {
                sum += value;
                ++count;
                p = stop;
            }
            while (p < end && !isSpace(*p)) ++p;  // the words
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["per_number"] = benchmark::Counter(
        static_cast<double>(count), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(CanyonNumbersStdFromChars)->Unit(benchmark::kMillisecond);

}  // namespace
