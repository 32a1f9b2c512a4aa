#include "geometry/TokenReader.h"

#include "textures/FileBytes.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
// Longest word the file format allows; longer ones are still read whole,
// since nothing here keeps a fixed buffer.
constexpr std::size_t longestShownToken = 60;
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
    const std::string s(token);
    char* end = nullptr;
    errno = 0;
    const long v = s.empty() ? 0 : std::strtol(s.c_str(), &end, 10);
    if (s.empty() || end != s.c_str() + s.size() || errno == ERANGE || v < -2147483647L - 1 ||
        v > 2147483647L) {
        failAt(start, token, "an integer");
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

bool TokenReader::readDouble(double& value)
{
    if (failure_) return false;
    skipSpace();
    const std::size_t start = pos_;
    const std::string_view token = nextToken();
    const std::string s(token);
    char* end = nullptr;
    const double v = s.empty() ? 0.0 : std::strtod(s.c_str(), &end);
    // Hex floats, infinities and NaN are not numbers a world file holds.
    const bool plain = s.find_first_of("xXnN") == std::string::npos;
    if (s.empty() || end != s.c_str() + s.size() || !plain || !std::isfinite(v)) {
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
    const double most = static_cast<double>(remainingBytes() + 1) / 2.0 /
                        (tokensPerRecord > 0 ? tokensPerRecord : 1);
    if (value < 0 || static_cast<double>(value) > most) {
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
