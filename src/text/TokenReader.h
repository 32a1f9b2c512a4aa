#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reads a text file as whitespace-separated tokens: integers, floating-point
// numbers and words. A token must be wholly what is asked for ("12abc" is not
// an integer). The first failure sticks, like a stream's fail state, and is
// remembered with its line, column and what was being read, so tools can say
// exactly where a file went wrong while the game just refuses it.
class TokenReader {
public:
    struct Failure {
        std::size_t line = 0;
        std::size_t column = 0;
        std::string expected;  // "a number", "an integer", "a word", ...
        std::string context;   // "vertex 3 of polygon 12 of object 2, \"worldspawn\""
        std::string found;     // the offending token, or "end of file"
    };

    explicit TokenReader(std::string text);
    // Reads a whole file (path resolved by the caller); none if it cannot be opened.
    static std::optional<TokenReader> fromFile(const std::string& path);

    bool readInt(int& value);
    bool readDouble(double& value);
    bool readWord(std::string& value);
    // A count of records that each take at least tokensPerRecord tokens:
    // refused when larger than what the rest of the file could hold, and
    // when negative unless negativeIsNone (then it reads as 0).
    bool readCount(int& value, int tokensPerRecord, bool negativeIsNone = false);

    bool ok() const { return !failure_; }
    // Only white space remains.
    bool atEnd();
    const std::optional<Failure>& failure() const { return failure_; }
    // Marks the reader failed at the current token (for a semantic error,
    // for example a node count below zero).
    void fail(std::string expected);
    std::string describeFailure(std::string_view fileName) const;

    // What is being read, for messages. Cheap: formatted only on failure.
    class Scope {
    public:
        Scope(TokenReader& reader, const char* what, long index = -1, const char* name = nullptr);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        TokenReader& reader_;
    };

    std::size_t position() const { return pos_; }
    std::size_t remainingBytes() const { return text_.size() - pos_; }

private:
    struct Frame {
        const char* what;
        long index;
        const char* name;
    };

    void skipSpace();
    std::string_view nextToken();
    void failAt(std::size_t tokenStart, std::string_view token, const char* expected);
    std::string contextText() const;

    TokenReader(std::unique_ptr<char[]> bytes, std::size_t size);

    // The text in a buffer of its own size, filled once and never moved:
    // the view stays valid when the reader is.
    std::unique_ptr<char[]> bytes_;
    std::string_view text_;
    std::size_t pos_ = 0;
    std::optional<Failure> failure_;
    std::vector<Frame> frames_;
};
