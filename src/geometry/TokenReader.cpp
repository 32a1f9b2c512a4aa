#include "geometry/TokenReader.h"

#include "textures/FileBytes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <system_error>

namespace {
// White space as formatted extraction sees it in the C locale, by table:
// every byte of a file passes through this test.
constexpr std::array<bool, 256> spaceTable = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : {' ', '\t', '\n', '\r', '\v', '\f'}) table[c] = true;
    return table;
}();

bool isSpace(char c) { return spaceTable[static_cast<unsigned char>(c)]; }
// Longest word the file format allows; longer ones are still read whole,
// since nothing here keeps a fixed buffer.
constexpr std::size_t longestShownToken = 60;

// The numbers are parsed in place with std::from_chars: the same in every
// locale (strtod takes "0,55" in a German one and stops "0.55" at the dot),
// and without copying the token. A leading "+" is allowed, as formatted
// extraction allows it, but not before another sign.
std::string_view withoutPlus(std::string_view token)
{
    if (token.size() > 1 && token[0] == '+' && token[1] != '-' && token[1] != '+')
        token.remove_prefix(1);
    return token;
}

bool parseWhole(std::string_view token, int& value)
{
    token = withoutPlus(token);
    const char* end = token.data() + token.size();
    const auto [stop, error] = std::from_chars(token.data(), end, value);
    return !token.empty() && error == std::errc() && stop == end;
}

// The power of ten of a decimal number's first significant digit, for a
// token from_chars found out of range: below zero it was too small and
// reads as zero, as it would with strtod; otherwise it was too large.
bool tooSmall(std::string_view token)
{
    const std::size_t e = token.find_first_of("eE");
    const std::string_view mantissa = token.substr(0, e);
    long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = withoutPlus(token.substr(e + 1));
        const auto [stop, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
        // An exponent beyond a long is far beyond any double either way.
        if (error == std::errc::result_out_of_range) return digits[0] == '-';
        if (error != std::errc() || stop != digits.data() + digits.size()) return false;
        // Far beyond any double; kept small so the sum below cannot overflow.
        if (exponent > 100000) return false;
        if (exponent < -100000) return true;
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return true;  // all zeros: never out of range
    const long position =
        first < point ? static_cast<long>(point - first) - 1 : -static_cast<long>(first - point);
    return position + exponent < 0;
}

// Powers of ten a double holds exactly.
constexpr std::array<double, 23> exactPowersOfTen = [] {
    std::array<double, 23> powers{};
    double p = 1.0;
    for (double& power : powers) {
        power = p;
        p *= 10.0;
    }
    return powers;
}();

// The common case of a world file, read in one pass: an optional minus,
// digits with at most one point, and white space or the end right after.
// When the digits make an integer up to 2^53 and at most 22 of them follow
// the point, integer and power of ten are both exact and one division
// rounds correctly: the same double from_chars gives. Longer mantissas go
// to from_chars over the token just found; anything else (a plus, an
// exponent, a stray character) to the general parse, which also finds the
// token for a message.
struct PlainDecimal {
    bool plain = false;  // the token has the plain shape
    bool exact = false;  // and value is already its double
    double value = 0.0;
    const char* stop = nullptr;  // just past the token
};

bool isDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// Up to eight digits at a time, as one 64-bit word (little-endian): a
// number's digits are otherwise a chain of multiplications, each waiting on
// the last.
std::uint64_t eightDigitValue(std::uint64_t word)
{
    // Pairs, then fours, then all eight, each step one multiplication.
    constexpr std::uint64_t mask = 0x000000FF000000FF;
    word -= 0x3030303030303030;
    word = word * 10 + (word >> 8);
    return ((word & mask) * (100 + (1000000ULL << 32)) +
            ((word >> 16) & mask) * (1 + (10000ULL << 32))) >>
           32;
}

constexpr std::uint64_t integerPowersOfTen[9] = {1,      10,      100,      1000,     10000,
                                                 100000, 1000000, 10000000, 100000000};

// Appends the run of digits at p to `digits` (wrapping past nineteen; the
// caller counts them) and returns the end of the run.
const char* readDigits(const char* p, const char* end, std::uint64_t& digits)
{
    constexpr std::uint64_t zeros = 0x3030303030303030;
    while (end - p >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, 8);
        // A byte's top bit ends up set unless it is '0'..'9'. A carry out of
        // a byte only reaches the bytes after it, past the first non-digit.
        const std::uint64_t x = word ^ zeros;
        const std::uint64_t nonDigits = ((x + 0x7676767676767676) | x) & 0x8080808080808080;
        if (nonDigits == 0) {
            digits = digits * integerPowersOfTen[8] + eightDigitValue(word);
            p += 8;
            continue;
        }
        const int n = std::countr_zero(nonDigits) / 8;
        if (n > 0) {
            // The n digits with 8 - n '0's in front of them.
            const std::uint64_t padded = (word << (8 * (8 - n))) | (zeros >> (8 * n));
            digits = digits * integerPowersOfTen[n] + eightDigitValue(padded);
        }
        return p + n;
    }
    while (p != end && isDigit(*p)) digits = digits * 10 + static_cast<std::uint64_t>(*p++ - '0');
    return p;
}

PlainDecimal scanPlainDecimal(const char* p, const char* end)
{
    PlainDecimal out;
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    const char* const start = p;
    // Leading zeros count for nothing, before or after the point.
    while (p != end && *p == '0') ++p;
    // The digits accumulate even past the nineteen that fit; a longer
    // mantissa is known by its count and left to from_chars.
    std::uint64_t digits = 0;
    const char* firstSignificant = p;
    p = readDigits(p, end, digits);
    std::ptrdiff_t significant = p - firstSignificant, afterPoint = 0;
    bool any = p != start;
    if (p != end && *p == '.') {
        const char* const fraction = ++p;
        if (digits == 0) {
            while (p != end && *p == '0') ++p;
            firstSignificant = p;
        }
        p = readDigits(p, end, digits);
        afterPoint = p - fraction;
        significant += p - std::max(firstSignificant, fraction);
        any = any || afterPoint > 0;
    }
    if (!any || (p != end && !isSpace(*p))) return out;
    out.plain = true;
    out.stop = p;
    constexpr std::uint64_t exactIntegers = std::uint64_t{1} << 53;
    if (significant <= 19 && digits <= exactIntegers &&
        afterPoint < static_cast<std::ptrdiff_t>(exactPowersOfTen.size())) {
        const double magnitude =
            static_cast<double>(digits) / exactPowersOfTen[static_cast<std::size_t>(afterPoint)];
        out.value = negative ? -magnitude : magnitude;
        out.exact = true;
    }
    return out;
}

bool parseWhole(std::string_view token, double& value)
{
    token = withoutPlus(token);
    // Hex floats are not parsed in the general format, and infinities and
    // NaN are refused below: neither is a number a world file holds.
    if (token.empty()) return false;
    const char* end = token.data() + token.size();
    double v = 0.0;
    const auto [stop, error] = std::from_chars(token.data(), end, v, std::chars_format::general);
    if (stop != end) return false;
    if (error == std::errc::result_out_of_range) {
        if (!tooSmall(token)) return false;
        v = token[0] == '-' ? -0.0 : 0.0;
    } else if (error != std::errc() || !std::isfinite(v)) {
        return false;
    }
    value = v;
    return true;
}
}  // namespace

TokenReader::TokenReader(std::string text) : text_(std::move(text)) { frames_.reserve(8); }

std::optional<TokenReader> TokenReader::fromFile(const std::string& path)
{
    // Regular files only: a folder, a named pipe or a device (/dev/zero
    // never ends) cannot be opened as a world.
    FileBytes file(path);
    if (!file.isOpen()) return std::nullopt;
    std::string text(static_cast<std::size_t>(file.size()), '\0');
    if (!file.read(0, text.data(), text.size())) return std::nullopt;
    return TokenReader(std::move(text));
}

void TokenReader::skipSpace()
{
    while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
}

std::string_view TokenReader::nextToken()
{
    skipSpace();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !isSpace(text_[pos_])) ++pos_;
    return std::string_view(text_).substr(start, pos_ - start);
}

bool TokenReader::atEnd()
{
    if (failure_) return true;
    skipSpace();
    return pos_ >= text_.size();
}

void TokenReader::failAt(std::size_t tokenStart, std::string_view token, const char* expected)
{
    if (failure_) return;
    Failure f;
    f.line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < tokenStart && i < text_.size(); ++i) {
        if (text_[i] == '\n') {
            ++f.line;
            lineStart = i + 1;
        }
    }
    f.column = tokenStart - lineStart + 1;
    f.expected = expected;
    f.context = contextText();
    if (token.empty()) {
        f.found = "end of file";
    } else {
        std::string shown(token.substr(0, longestShownToken));
        if (token.size() > longestShownToken) shown += "...";
        f.found = "\"" + shown + "\"";
    }
    failure_ = std::move(f);
}

void TokenReader::fail(std::string expected)
{
    if (failure_) return;
    skipSpace();
    // Point at the token just read: walk back over it.
    std::size_t end = pos_;
    while (end > 0 && isSpace(text_[end - 1])) --end;
    std::size_t start = end;
    while (start > 0 && !isSpace(text_[start - 1])) --start;
    failAt(start, std::string_view(text_).substr(start, end - start), "");
    failure_->expected = std::move(expected);
}

bool TokenReader::readWord(std::string& value)
{
    if (failure_) return false;
    skipSpace();
    const std::size_t start = pos_;
    const std::string_view token = nextToken();
    if (token.empty()) {
        failAt(start, token, "a word");
        return false;
    }
    value.assign(token);
    return true;
}

bool TokenReader::readInt(int& value)
{
    if (failure_) return false;
    skipSpace();
    const std::size_t start = pos_;
    const std::string_view token = nextToken();
    int v = 0;
    if (!parseWhole(token, v)) {
        failAt(start, token, "an integer");
        return false;
    }
    value = v;
    return true;
}

bool TokenReader::readDouble(double& value)
{
    if (failure_) return false;
    skipSpace();
    const std::size_t start = pos_;
    const char* begin = text_.data() + pos_;
    const PlainDecimal plain = scanPlainDecimal(begin, text_.data() + text_.size());
    if (plain.exact) {
        value = plain.value;
        pos_ += static_cast<std::size_t>(plain.stop - begin);
        return true;
    }
    if (plain.plain) {
        double v = 0.0;
        const auto [stop, error] = std::from_chars(begin, plain.stop, v);
        // A plain decimal can still be too large for a double: the general
        // parse below refuses it with the usual message.
        if (error == std::errc() && stop == plain.stop && std::isfinite(v)) {
            value = v;
            pos_ += static_cast<std::size_t>(plain.stop - begin);
            return true;
        }
    }
    const std::string_view token = nextToken();
    double v = 0.0;
    if (!parseWhole(token, v)) {
        failAt(start, token, "a number");
        return false;
    }
    value = v;
    return true;
}

bool TokenReader::readCount(int& value, int tokensPerRecord)
{
    if (!readInt(value)) return false;
    // Every token takes at least two bytes (itself and a separator).
    const auto perRecord = static_cast<std::size_t>(tokensPerRecord > 0 ? tokensPerRecord : 1);
    const std::size_t most = (remainingBytes() + 1) / 2 / perRecord;
    if (value < 0 || static_cast<std::size_t>(value) > most) {
        fail(value < 0 ? "a count of 0 or more" : "a count the rest of the file can hold");
        return false;
    }
    return true;
}

std::string TokenReader::contextText() const
{
    std::string out;
    for (auto it = frames_.rbegin(); it != frames_.rend(); ++it) {
        if (!out.empty()) out += " of ";
        out += it->what;
        if (it->index >= 0) out += " " + std::to_string(it->index);
        if (it->name) {
            out += ", \"";
            out += it->name;
            out += "\"";
        }
    }
    return out;
}

std::string TokenReader::describeFailure(std::string_view fileName) const
{
    if (!failure_) return {};
    std::ostringstream s;
    s << fileName << ":" << failure_->line << ":" << failure_->column << ": expected "
      << failure_->expected;
    if (!failure_->context.empty()) s << " (" << failure_->context << ")";
    s << ", found " << failure_->found;
    return s.str();
}

TokenReader::Scope::Scope(TokenReader& reader, const char* what, long index, const char* name)
    : reader_(reader)
{
    reader_.frames_.push_back({what, index, name});
}

TokenReader::Scope::~Scope() { reader_.frames_.pop_back(); }
