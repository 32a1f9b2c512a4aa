#include "text/TokenReader.h"

#include "platform/FileBytes.h"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
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
// A zero byte after the text: not white space, so skipping white space
// stops at the end without a bounds check per byte.
constexpr std::size_t sentinel = 1;
// Longest word the file format allows; longer ones are still read whole,
// since nothing here keeps a fixed buffer.
constexpr std::size_t longestShownToken = 60;
// fast_float caps a written exponent near 2.7e9; only a token of about as
// many leading zeros could offset the cap, so anything this long or longer
// takes the general parse.
constexpr std::ptrdiff_t longestQuickNumber = 1 << 20;

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

TokenReader::TokenReader(std::unique_ptr<char[]> bytes, std::size_t size)
    : bytes_(std::move(bytes)),
      text_(bytes_.get(), size)
{
    bytes_[size] = '\0';
    frames_.reserve(8);
}

TokenReader::TokenReader(std::string text)
    : TokenReader(std::make_unique_for_overwrite<char[]>(text.size() + sentinel), text.size())
{
    std::memcpy(bytes_.get(), text.data(), text.size());
}

std::optional<TokenReader> TokenReader::fromFile(const std::string& path)
{
    // Regular files only: a folder, a named pipe or a device (/dev/zero
    // never ends) cannot be opened as a world.
    FileBytes file(path);
    if (!file.isOpen()) return std::nullopt;
    // Not zero-filled first: the read fills all of it or fails.
    const auto size = static_cast<std::size_t>(file.size());
    auto bytes = std::make_unique_for_overwrite<char[]>(size + sentinel);
    if (!file.read(0, bytes.get(), size)) return std::nullopt;
    return TokenReader(std::move(bytes), size);
}

void TokenReader::skipSpace()
{
    const char* p = text_.data() + pos_;
    while (isSpace(*p)) ++p;
    pos_ = static_cast<std::size_t>(p - text_.data());
}

std::string_view TokenReader::nextToken()
{
    skipSpace();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !isSpace(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
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
    failAt(start, text_.substr(start, end - start), "");
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
    // The common case in one pass: fast_float reads the number where it
    // stands (correctly rounded, as strtod in the C locale, and quicker than
    // the standard library's from_chars), and white space or the end right
    // after it makes the token whole. Anything else (a plus, a stray
    // character, a value out of range, a token so long that fast_float's
    // capped exponent could matter) goes to the general parse, which also
    // finds the token for a message.
    const char* begin = text_.data() + pos_;
    const char* end = text_.data() + text_.size();
    double number = 0.0;
    const auto [stop, error] = fast_float::from_chars(begin, end, number);
    if (error == std::errc() && (stop == end || isSpace(*stop)) && std::isfinite(number) &&
        stop - begin < longestQuickNumber) {
        value = number;
        pos_ += static_cast<std::size_t>(stop - begin);
        return true;
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

bool TokenReader::readCount(int& value, int tokensPerRecord, bool negativeIsNone)
{
    if (!readInt(value)) return false;
    if (value < 0 && negativeIsNone) value = 0;
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
