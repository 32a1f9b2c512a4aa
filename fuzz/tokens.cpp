// The token reader, driven by a script: the first eight bytes pick the
// reads, the rest is the text. Every number it takes is compared with the
// C library's parsers in the C locale (the meaning files have always had),
// and a failure must be located inside the text.
#include "FuzzSupport.h"

#include "text/TokenReader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string nextToken(const std::string& text, std::size_t at)
{
    while (at < text.size() && isSpace(text[at])) ++at;
    std::size_t end = at;
    while (end < text.size() && !isSpace(text[end])) ++end;
    return text.substr(at, end - at);
}

bool referenceDouble(const std::string& token, double& value)
{
    // strtod stops at a NUL; the reader takes it as part of the token.
    if (token.empty() || token.find('\0') != std::string::npos ||
        token.find_first_of("xXnN") != std::string::npos)
        return false;
    char* end = nullptr;
    const double v = std::strtod(token.c_str(), &end);
    if (end != token.c_str() + token.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool referenceInt(const std::string& token, int& value)
{
    if (token.empty() || token.find('\0') != std::string::npos) return false;
    // strtol skips leading white space the reader never leaves in a token.
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(token.c_str(), &end, 10);
    if (end != token.c_str() + token.size() || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 8) return 0;
    const std::uint8_t* script = data;
    const std::string text(reinterpret_cast<const char*>(data + 8), size - 8);
    TokenReader in(text);
    for (int step = 0; step < 4096 && in.ok(); ++step) {
        const std::uint8_t op = script[step % 8];
        const std::string token = nextToken(text, in.position());
        switch (op % 6) {
        case 0: {
            int value = 0, expected = 0;
            const bool ok = in.readInt(value);
            if (ok != referenceInt(token, expected) || (ok && value != expected))
                fuzz::broken("readInt differs from strtol");
            break;
        }
        case 1: {
            double value = 0, expected = 0;
            const bool ok = in.readDouble(value);
            if (ok != referenceDouble(token, expected) ||
                (ok && std::memcmp(&value, &expected, sizeof value) != 0))
                fuzz::broken("readDouble differs from strtod");
            break;
        }
        case 2: {
            std::string word;
            if (in.readWord(word) && word != token) fuzz::broken("readWord took another token");
            break;
        }
        case 3: {
            int count = 0;
            in.readCount(count, op >> 3);
            break;
        }
        case 4:
            if (in.atEnd()) step = 1 << 20;
            break;
        default: {
            TokenReader::Scope scope(in, "record", op, "name");
            if (op & 0x80) in.fail("anything");
            break;
        }
        }
    }
    if (!in.ok()) {
        const auto& failure = *in.failure();
        if (failure.line < 1 || failure.column < 1 || failure.line > text.size() + 1)
            fuzz::broken("a failure outside the text");
        if (in.describeFailure("f").empty()) fuzz::broken("an empty failure description");
    }
    return 0;
}
