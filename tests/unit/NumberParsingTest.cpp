// Numbers in files read the same in every locale: the token reader against
// the C library's own parsers in the C locale, and a world read under a
// real German locale, made with localedef, where strtod stops "0.55" at
// the dot.

#include "support/TestEnvironment.h"

#include "state/ProgramState.h"
#include "text/TokenReader.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

// What the files have always meant by a number: the whole token taken by
// strtod in the C locale, finite, neither hex nor inf nor nan.
bool referenceDouble(const std::string& token, double& value)
{
    if (token.empty() || token.find_first_of("xXnN") != std::string::npos) return false;
    char* end = nullptr;
    const double v = std::strtod(token.c_str(), &end);
    if (end != token.c_str() + token.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool referenceInt(const std::string& token, int& value)
{
    if (token.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(token.c_str(), &end, 10);
    if (end != token.c_str() + token.size() || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

// Mostly number-like tokens, with the odd letter, sign or dot out of place.
std::string randomToken(std::mt19937& random)
{
    static const std::string common = "0123456789012345678901234567890123456789..eE+-";
    static const std::string rare = "xXnNiIaAfF,";
    std::string token;
    const int length = 1 + static_cast<int>(random() % 14);
    for (int k = 0; k < length; ++k) {
        const bool odd = random() % 40 == 0;
        const std::string& from = odd ? rare : common;
        token += from[random() % from.size()];
    }
    // Now and then a long exponent, to reach the ends of the range.
    if (random() % 8 == 0) token += "e" + std::to_string(static_cast<int>(random() % 800) - 400);
    return token;
}

TEST(NumberParsing, MatchesTheCLibraryInTheCLocale)
{
    std::mt19937 random(1234);
    int numbers = 0, integers = 0;
    for (int k = 0; k < 200000; ++k) {
        const std::string token = randomToken(random);
        double expected = 0, got = 0;
        const bool expectNumber = referenceDouble(token, expected);
        TokenReader doubles(token);
        ASSERT_EQ(doubles.readDouble(got), expectNumber) << token;
        if (expectNumber) {
            ++numbers;
            // Bit for bit, the sign of zero included.
            ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << token << " " << got;
        }
        int expectedInt = 0, gotInt = 0;
        const bool expectInt = referenceInt(token, expectedInt);
        TokenReader ints(token);
        ASSERT_EQ(ints.readInt(gotInt), expectInt) << token;
        if (expectInt) {
            ++integers;
            ASSERT_EQ(gotInt, expectedInt) << token;
        }
    }
    // The generator reaches both kinds often enough to mean something.
    EXPECT_GT(numbers, 20000);
    EXPECT_GT(integers, 5000);
}

// The decimals world files are made of, several to a line: short ones,
// the seventeen digits of a shortest round trip, integers either side of
// 2^53, long runs of leading and trailing zeros. Each must read bit for bit
// as strtod reads it, and leave the reader at the next token.
std::string randomDecimal(std::mt19937& random)
{
    static const char* const specials[] = {"9007199254740991",
                                           "9007199254740992",
                                           "9007199254740993",
                                           "18446744073709551615",
                                           "18446744073709551616",
                                           "0.30000000000000004",
                                           "123456789012345678901234567890"};
    if (random() % 50 == 0) return specials[random() % std::size(specials)];
    std::string token = random() % 2 ? "-" : "";
    const auto digits = [&](int count, bool zeros) {
        for (int k = 0; k < count; ++k)
            token += static_cast<char>('0' + (zeros ? 0 : random() % 10));
    };
    digits(static_cast<int>(random() % 4), random() % 3 == 0);
    digits(static_cast<int>(random() % 12), false);
    if (random() % 4 != 0) {
        token += '.';
        digits(static_cast<int>(random() % 6), random() % 2 == 0);
        digits(static_cast<int>(random() % 20), false);
        digits(static_cast<int>(random() % 3), true);
    }
    if (token.find_first_of("0123456789") == std::string::npos) token += '7';
    return token;
}

TEST(NumberParsing, PlainDecimalsReadLikeTheCLibrary)
{
    std::mt19937 random(99);
    const char* const separators[] = {" ", "\n", "\t", "\r\n", "  "};
    for (int line = 0; line < 20000; ++line) {
        std::vector<std::string> tokens;
        std::string text;
        for (int k = 0; k < 6; ++k) {
            tokens.push_back(randomDecimal(random));
            text += tokens.back() + separators[random() % std::size(separators)];
        }
        TokenReader in(text);
        for (const std::string& token : tokens) {
            double expected = 0, got = 0;
            const bool expectNumber = referenceDouble(token, expected);
            ASSERT_EQ(in.readDouble(got), expectNumber) << "\"" << token << "\"";
            if (!expectNumber) break;
            ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << token << " " << got;
        }
    }
}

// The decimals where a parser rounds wrongly if it is going to: exactly
// halfway between two doubles and a hair either side of it, 17 to 19
// significant digits, subnormals, and the ends of the range on both sides
// (overflow refused, underflow to zero). The halfway points are exact:
// long double holds the mean of two neighbouring doubles, and the C
// library prints it digit for digit.
std::string hardDecimal(std::mt19937_64& random)
{
    char text[1100];
    const auto exponentOf = [&](int low, int high) {
        return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
    };
    switch (random() % 6) {
    case 0:
    case 1: {
        // A halfway point: in full (800 digits hold any of them), cut to
        // 17-60 digits, or nudged a hair either side.
        const double below =
            std::ldexp(static_cast<double>(random() >> 11), exponentOf(-1126, 970));
        const double above = std::nextafter(below, HUGE_VAL);
        const long double half = (static_cast<long double>(below) + above) / 2;
        const int digits = random() % 4 == 0 ? 800 : 16 + static_cast<int>(random() % 45);
        std::snprintf(text, sizeof text, "%.*Le", digits, half);
        std::string token = text;
        if (random() % 3 == 0) {
            const std::size_t e = token.find('e');
            if (random() % 2) token.insert(e, "0000001");
            else if (token[e - 1] > '0') --token[e - 1];
        }
        return token;
    }
    case 2: {
        // Seventeen to nineteen significant digits, point anywhere, exponent small or not.
        std::string digits = std::to_string(random() % 9 + 1);
        const int count = 16 + static_cast<int>(random() % 3);
        for (int k = 0; k < count; ++k) digits += static_cast<char>('0' + random() % 10);
        digits.insert(random() % digits.size() + 1, ".");
        if (random() % 2) digits += "e" + std::to_string(exponentOf(-330, 310));
        return random() % 2 ? "-" + digits : digits;
    }
    case 3:
        // Subnormals and their neighbours, printed to round trip.
        std::snprintf(text, sizeof text, "%.*g", 15 + static_cast<int>(random() % 4),
                      std::ldexp(static_cast<double>(random() >> 11), exponentOf(-1130, -1020)));
        return text;
    case 4: {
        // Around the largest double and the overflow to infinity.
        const double top = std::nextafter(DBL_MAX, 0.0 + static_cast<double>(random() % 2));
        std::snprintf(text, sizeof text, "%.*e", 15 + static_cast<int>(random() % 6),
                      top * (1.0 - std::ldexp(static_cast<double>(random() % 64), -58)));
        std::string token = text;
        if (random() % 3 == 0)
            token = "1.79769313486231" + std::to_string(random() % 10000) + "e308";
        return token;
    }
    default: {
        // Around the smallest subnormal and half of it (zero or not).
        static const char* const smallest[] = {"4.9406564584124654e-324",
                                               "2.4703282292062327e-324",
                                               "2.4703282292062328e-324",
                                               "2.47032822920623272e-324",
                                               "1e-324",
                                               "3e-324",
                                               "7.4e-324"};
        std::string token = smallest[random() % std::size(smallest)];
        if (random() % 2) token = "-" + token;
        return token;
    }
    }
}

TEST(NumberParsing, HardDecimalsReadLikeTheCLibrary)
{
    std::mt19937_64 random(2024);
    int finite = 0, refused = 0, subnormal = 0;
    for (int k = 0; k < 100000; ++k) {
        const std::string token = hardDecimal(random);
        double expected = 0, got = 0;
        const bool expectNumber = referenceDouble(token, expected);
        // Alone (the token ends the text) and before another token.
        for (const std::string& text : {token, token + "\n1"}) {
            TokenReader in(text);
            ASSERT_EQ(in.readDouble(got), expectNumber) << token;
            if (expectNumber) {
                ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0)
                    << token << " read as " << got << ", not " << expected;
            }
        }
        finite += expectNumber;
        refused += !expectNumber;
        subnormal += expectNumber && expected != 0 && std::fabs(expected) < DBL_MIN;
    }
    // Every kind came up: the overflows refused, the subnormals read.
    EXPECT_GT(finite, 80000);
    EXPECT_GT(refused, 1000);
    EXPECT_GT(subnormal, 5000);
}

// Tokens past the length the quick parse takes go to the general parse and
// read the same: a million leading zeros offset an exponent of that size.
TEST(NumberParsing, VeryLongTokensReadLikeTheCLibrary)
{
    const std::string zeros(1100000, '0');
    for (const std::string& token :
         {"0." + zeros + "15e1100005", zeros + "2.5", "-0." + zeros + "e99999999999"}) {
        double expected = 0, got = 0;
        ASSERT_TRUE(referenceDouble(token, expected));
        TokenReader in(token + " 7");
        ASSERT_TRUE(in.readDouble(got));
        EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << got << " " << expected;
        ASSERT_TRUE(in.readDouble(got));
        EXPECT_EQ(got, 7.0);
    }
}

TEST(NumberParsing, EdgesOfTheRange)
{
    struct Case {
        const char* token;
        bool number;
        double value;
    } const cases[] = {
        {"+1.5", true, 1.5},
        {"+-1", false, 0},
        {"-+1", false, 0},
        {"+", false, 0},
        {"1e-400", true, 0.0},
        {"-1e-400", true, -0.0},
        {"0.000001e-330", true, 0},
        {"1e309", false, 0},
        {"-1e309", false, 0},
        {"1e99999999999999999999", false, 0},
        {"1e-99999999999999999999", true, 0},
        {"10e9223372036854775807", false, 0},
        {"0.01e-9223372036854775808", true, 0},
        {"-0.00e-9223372036854775808", true, -0.0},
        {"1.7976931348623157e308", true, 1.7976931348623157e308},
        {"4.9e-324", true, 4.9e-324},
        {".5", true, 0.5},
        {"5.", true, 5.0},
        {"0,55", false, 0},
        {"infinity", false, 0},
        {"0x1p3", false, 0},
    };
    for (const Case& c : cases) {
        double value = 99;
        TokenReader in(c.token);
        EXPECT_EQ(in.readDouble(value), c.number) << c.token;
        if (c.number) {
            EXPECT_EQ(value, c.value) << c.token;
            EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << c.token;
        }
    }
}

// A German locale for the length of a test, generated with localedef into a
// folder of the test's own when the system has none.
class GermanLocale {
public:
    GermanLocale()
    {
        if (!std::setlocale(LC_ALL, name)) {
            const std::string command =
                "localedef -i de_DE -f UTF-8 '" + dir_.file(name) + "' >/dev/null 2>&1";
            generated_ = std::system(command.c_str()) == 0;
            setenv("LOCPATH", dir_.path().c_str(), 1);
        }
        active_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~GermanLocale()
    {
        std::setlocale(LC_ALL, "C");
        unsetenv("LOCPATH");
    }
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;

    bool active() const { return active_; }

    static constexpr const char* name = "de_DE.UTF-8";

private:
    TempDir dir_;
    bool generated_ = false;
    bool active_ = false;
};

TEST(NumberParsing, WorldsReadTheSameUnderAGermanLocale)
{
    TempDir dir;
    const std::string path = dir.write("w.wrl", "1.5 -2.25 3e1  0.55 0.5 0.125 0 0");
    {
        GermanLocale german;
        ASSERT_TRUE(german.active()) << "localedef could not make " << GermanLocale::name
                                     << " (scripts/setup.sh installs the locales package)";
        // The locale is real: the C library now stops "0.55" at the dot.
        ASSERT_EQ(std::strtod("0.55", nullptr), 0.0);
        ASSERT_EQ(std::strtod("0,55", nullptr), 0.55);

        double value = 0;
        TokenReader in("0.55 0,55");
        EXPECT_TRUE(in.readDouble(value));
        EXPECT_EQ(value, 0.55);
        EXPECT_FALSE(in.readDouble(value));

        const auto world = loadWorld(path, true);
        ASSERT_NE(world, nullptr) << lastWorldLoadProblem();
        EXPECT_EQ(world->playerStart.x, 1.5);
        EXPECT_EQ(world->playerStart.y, -2.25);
        EXPECT_EQ(world->playerStart.z, 30.0);
        EXPECT_EQ(world->ambientLight.red, 0.55);
        EXPECT_EQ(world->ambientLight.blue, 0.125);
    }
    EXPECT_TRUE(fakePlatform().messages.empty());
}

}  // namespace
