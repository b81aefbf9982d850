#pragma once
// Splits script text into tokens the way the server's parser sees it: blanks and comments
// between tokens, words with their variable prefixes and `$` postfix, numbers as C reads them
// (0x hex, leading 0 octal), strings with C escapes, and operators of one to three characters.

#include "script/ServerRules.h"
#include "script/SyntaxTree.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace script {

enum class TTokenKind { End, Word, Number, String, Punct, Bad };

struct TToken {
    TTokenKind Kind = TTokenKind::End;
    TSourceRange Range;
    std::string Text;        // Word, Punct: as written; String: decoded; Bad: what is wrong
    std::int64_t Value = 0;  // Number
};

// Walks bytes keeping line and column. Lines end at LF; a CR before it is just a blank.
class TCursor {
public:
    TCursor(std::string_view text, TSourcePos start, std::size_t limit);
    TCursor(std::string_view text) : TCursor(text, TSourcePos{}, text.size()) {}

    bool AtEnd() const { return Pos_.Offset >= Limit_; }
    char Peek(std::size_t ahead = 0) const
    {
        const std::size_t at = Pos_.Offset + ahead;
        return at < Limit_ ? Text_[at] : '\0';
    }
    // Inline: the reader moves over every byte of a script this way.
    void Advance(std::size_t count = 1)
    {
        for (; count > 0 && Pos_.Offset < Limit_; --count) {
            if (Text_[Pos_.Offset] == '\n') {
                ++Pos_.Line;
                Pos_.Column = 1;
            } else {
                ++Pos_.Column;
            }
            ++Pos_.Offset;
        }
    }
    // The same for bytes known to hold no line end (a word, an operator, the rest of a line).
    void AdvanceInLine(std::size_t count)
    {
        count = std::min(count, Limit_ - Pos_.Offset);
        Pos_.Column += static_cast<int>(count);
        Pos_.Offset += count;
    }
    const TSourcePos& Pos() const { return Pos_; }
    std::size_t Limit() const { return Limit_; }
    std::string_view Text() const { return Text_; }
    // Skips blanks, line ends and comments, adding each comment to `comments` when given.
    void SkipSpace(std::vector<TComment>* comments);

private:
    std::string_view Text_;
    TSourcePos Pos_;
    std::size_t Limit_;
};

bool IsWordChar(char c);

// What the target's lexer reads beyond eAthena's tokens.
struct TLexRules {
    bool DigitConstants = false;  // `4_F_KAFRA1` is one word
    bool PowerOperator = false;   // `**` is one operator
    bool DecimalZero = false;     // `010` is ten: the reader skips leading zeros (no octal)
    bool RadixNumbers = false;    // `0o17`, `0b101` and `1_000` are numbers
};
// The target server's.
TLexRules LexRulesFor(TTarget target);

// Reads the next token at the cursor into `token`, reusing the room its text already has: End at
// the cursor's limit, Bad at an unreadable token (which becomes the error's position; the caller
// reads no further). Comments skipped on the way are added to `comments` when given.
void ReadToken(TCursor& cursor, std::vector<TComment>* comments, TToken& token, const TLexRules& rules = {});

// The tokens of a text as a parser takes them, read as it goes: a window holds the token before
// the current one (for where it ended), the current one and one of look-ahead, so that a whole
// script's tokens are never held at once. At the end, or at an unreadable token, it stays there.
class TTokenStream {
public:
    TTokenStream(TCursor& cursor, std::vector<TComment>* comments, TLexRules rules = {});

    const TToken& Current() const { return Window_[Index_ % WindowSize]; }
    // n = 0 or 1; past the last token read, that last token.
    const TToken& Ahead(std::size_t n) const { return Window_[std::min(Index_ + n, Read_ - 1) % WindowSize]; }
    // Steps to the next token and gives the one stepped over, valid until the next step. Inline:
    // the parser takes every token of a script this way.
    const TToken& Take()
    {
        const TToken& taken = Current();
        if (Index_ + 1 < Read_) {
            ++Index_;
            Fill();
        }
        return taken;
    }
    // The current token's text, moved out (for a token the parser keeps as it is).
    std::string TakeText() { return std::move(Window_[Index_ % WindowSize].Text); }
    // Where the token before the current one ended (the current one's start at the beginning).
    TSourcePos LastEnd() const;
    // Reads the rest of the text, so that all its comments are collected.
    void ReadToTheEnd();

private:
    void ReadNext();
    // Keeps one token of look-ahead read.
    void Fill()
    {
        while (!Ended_ && Read_ < Index_ + 2)
            ReadNext();
    }

    static constexpr std::size_t WindowSize = 4;
    TCursor& Cursor_;
    std::vector<TComment>* Comments_;
    TLexRules Rules_;
    std::array<TToken, WindowSize> Window_;
    std::size_t Index_ = 0;  // the current token, counted from the first read
    std::size_t Read_ = 0;   // tokens read so far
    bool Ended_ = false;     // the last token read was End or Bad
};

} // namespace script
