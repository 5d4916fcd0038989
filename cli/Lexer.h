// Splits one script line into tokens. The parser drives it and asks, where
// the grammar needs it, for the raw argument text of a call or for a bare
// word (a dataset name, a file name, a listing path).
#ifndef ZEL_CLI_LEXER_H
#define ZEL_CLI_LEXER_H

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zelcli {

// A line that does not follow the grammar; what() is the reason shown to
// the user.
class ParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TokenKind {
    End,         // end of the line or start of a comment
    Number,      // 3, 2.5, 1e3
    Identifier,  // names and keywords
    StringVar,   // A$ .. Z$ (text holds the upper-case letter)
    Text,        // "..." with its escapes resolved
    Dot,
    Assign,
    Plus,
    Minus,
    Star,
    Slash,
    LParen,
    RParen,
    Comma,
    Less,          // <
    LessEqual,     // <=
    Equal,         // ==
    NotEqual,      // !=
    GreaterEqual,  // >=
    Greater        // >
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;     // identifier, letter or text; the spelling of the others
    double number = 0.0;  // Number
    std::size_t column = 0;  // 1-based column of the token's first character
};

// How a token is named in messages: "end of line", "\"+\"", "name x".
std::string Describe(const Token& token);

class Lexer {
public:
    explicit Lexer(std::string_view line) : line_(line) {}

    // The next token; ParseError for a character or literal that no token
    // can start with.
    Token Next();
    const Token& Peek();

    // After a '(' has been taken: the text up to the matching ')', which is
    // taken too. Nested parentheses balance; a ')' inside double quotes does
    // not count. The text is returned exactly as written.
    std::string RawArguments();

    // A name written as a quoted text or as a bare word: the characters up
    // to a blank, '=', '#' or the end of the line. Nothing at the end.
    std::optional<std::string> Word();

    std::size_t column() const { return pos_ + 1; }

private:
    void SkipBlanks();
    bool AtCommentOrEnd() const;
    Token Scan();
    Token ScanNumber();
    Token ScanName();
    std::string ScanText();

    std::string_view line_;
    std::size_t pos_ = 0;
    std::optional<Token> peeked_;
};

// True for the characters a bare name may start with and go on with.
bool IsNameStart(char c);
bool IsNameChar(char c);

// The character as it is shown in a message: 'x' or a hexadecimal code.
std::string ShowChar(char c);

}  // namespace zelcli

#endif  // ZEL_CLI_LEXER_H
