#include "Lexer.h"

#include <charconv>
#include <cstdio>
#include <system_error>

namespace zelcli {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }

std::string ShowChar(char c) {
    const auto code = static_cast<unsigned char>(c);
    if (code >= 0x21 && code < 0x7F) return std::string("'") + c + "'";
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(code));
    return std::string("character ") + text;
}

std::string Describe(const Token& token) {
    switch (token.kind) {
        case TokenKind::End: return "end of line";
        case TokenKind::Number: return "number " + token.text;
        case TokenKind::Identifier: return "name " + token.text;
        case TokenKind::StringVar: return token.text + "$";
        case TokenKind::Text: return "a text in quotes";
        default: return "\"" + token.text + "\"";
    }
}

void Lexer::SkipBlanks() {
    while (pos_ < line_.size() && IsBlank(line_[pos_])) ++pos_;
}

bool Lexer::AtCommentOrEnd() const { return pos_ >= line_.size() || line_[pos_] == '#'; }

const Token& Lexer::Peek() {
    if (!peeked_) peeked_ = Scan();
    return *peeked_;
}

Token Lexer::Next() {
    if (peeked_) {
        Token token = std::move(*peeked_);
        peeked_.reset();
        return token;
    }
    return Scan();
}

Token Lexer::Scan() {
    SkipBlanks();
    Token token;
    token.column = pos_ + 1;
    if (AtCommentOrEnd()) return token;
    const char c = line_[pos_];
    if (IsDigit(c) || (c == '.' && pos_ + 1 < line_.size() && IsDigit(line_[pos_ + 1]))) {
        return ScanNumber();
    }
    if (IsNameStart(c)) return ScanName();
    if (c == '"') {
        token.kind = TokenKind::Text;
        token.text = ScanText();
        return token;
    }
    // The comparisons of two characters: <= >= == !=.
    const bool equalsNext = pos_ + 1 < line_.size() && line_[pos_ + 1] == '=';
    if (equalsNext && (c == '<' || c == '>' || c == '=' || c == '!')) {
        token.kind = c == '<'   ? TokenKind::LessEqual
                     : c == '>' ? TokenKind::GreaterEqual
                     : c == '=' ? TokenKind::Equal
                                : TokenKind::NotEqual;
        token.text = std::string(line_.substr(pos_, 2));
        pos_ += 2;
        return token;
    }
    TokenKind kind;
    switch (c) {
        case '.': kind = TokenKind::Dot; break;
        case '=': kind = TokenKind::Assign; break;
        case '<': kind = TokenKind::Less; break;
        case '>': kind = TokenKind::Greater; break;
        case '+': kind = TokenKind::Plus; break;
        case '-': kind = TokenKind::Minus; break;
        case '*': kind = TokenKind::Star; break;
        case '/': kind = TokenKind::Slash; break;
        case '(': kind = TokenKind::LParen; break;
        case ')': kind = TokenKind::RParen; break;
        case ',': kind = TokenKind::Comma; break;
        default:
            throw ParseError("unexpected " + ShowChar(c) + " at column " + std::to_string(pos_ + 1));
    }
    ++pos_;
    token.kind = kind;
    token.text = std::string(1, c);
    return token;
}

Token Lexer::ScanNumber() {
    Token token;
    token.kind = TokenKind::Number;
    token.column = pos_ + 1;
    const std::size_t start = pos_;
    while (pos_ < line_.size() && IsDigit(line_[pos_])) ++pos_;
    if (pos_ < line_.size() && line_[pos_] == '.') {
        ++pos_;
        while (pos_ < line_.size() && IsDigit(line_[pos_])) ++pos_;
    }
    if (pos_ < line_.size() && (line_[pos_] == 'e' || line_[pos_] == 'E')) {
        std::size_t after = pos_ + 1;
        if (after < line_.size() && (line_[after] == '+' || line_[after] == '-')) ++after;
        if (after < line_.size() && IsDigit(line_[after])) {
            pos_ = after;
            while (pos_ < line_.size() && IsDigit(line_[pos_])) ++pos_;
        }
    }
    token.text = std::string(line_.substr(start, pos_ - start));
    if (pos_ < line_.size() && (IsNameChar(line_[pos_]) || line_[pos_] == '.' || line_[pos_] == '$')) {
        std::size_t end = pos_;
        while (end < line_.size() && (IsNameChar(line_[end]) || line_[end] == '.')) ++end;
        throw ParseError("bad number " + std::string(line_.substr(start, end - start)) + " at column " +
                         std::to_string(token.column));
    }
    const char* first = line_.data() + start;
    const char* last = line_.data() + pos_;
    auto [end, ec] = std::from_chars(first, last, token.number);
    if (ec == std::errc::result_out_of_range) {
        throw ParseError("number " + token.text + " is out of range");
    }
    if (ec != std::errc() || end != last) throw ParseError("bad number " + token.text);
    return token;
}

Token Lexer::ScanName() {
    Token token;
    token.column = pos_ + 1;
    const std::size_t start = pos_;
    while (pos_ < line_.size() && IsNameChar(line_[pos_])) ++pos_;
    token.text = std::string(line_.substr(start, pos_ - start));
    if (pos_ < line_.size() && line_[pos_] == '$') {
        ++pos_;
        const char letter = token.text[0];
        const bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
        if (token.text.size() != 1 || !isLetter) {
            throw ParseError("bad name " + token.text + "$: string variables are A$ to Z$");
        }
        token.kind = TokenKind::StringVar;
        token.text = std::string(1, static_cast<char>(letter >= 'a' ? letter - 'a' + 'A' : letter));
        return token;
    }
    token.kind = TokenKind::Identifier;
    return token;
}

std::string Lexer::ScanText() {
    const std::size_t column = pos_ + 1;
    ++pos_;  // the opening quote
    std::string text;
    while (pos_ < line_.size()) {
        const char c = line_[pos_++];
        if (c == '"') return text;
        if (c == '\0') throw ParseError("a text holds a NUL character");
        if (c != '\\') {
            text.push_back(c);
            continue;
        }
        if (pos_ >= line_.size()) break;
        const char escaped = line_[pos_++];
        switch (escaped) {
            case '"': text.push_back('"'); break;
            case '\\': text.push_back('\\'); break;
            case 't': text.push_back('\t'); break;
            case 'n': text.push_back('\n'); break;
            case 'r': text.push_back('\r'); break;
            default:
                throw ParseError("unknown escape \\" + std::string(1, escaped) +
                                 " in a text (known: \\\" \\\\ \\t \\n \\r)");
        }
    }
    throw ParseError("the text starting at column " + std::to_string(column) + " has no closing quote");
}

std::string Lexer::RawArguments() {
    if (peeked_) {
        pos_ = peeked_->column - 1;
        peeked_.reset();
    }
    const std::size_t start = pos_;
    int depth = 0;
    bool quoted = false;
    for (; pos_ < line_.size(); ++pos_) {
        const char c = line_[pos_];
        if (c == '\0') throw ParseError("an argument text holds a NUL character");
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == '(') {
            ++depth;
        } else if (!quoted && c == ')') {
            if (depth == 0) {
                std::string text(line_.substr(start, pos_ - start));
                ++pos_;
                return text;
            }
            --depth;
        }
    }
    throw ParseError(quoted ? "an argument text has a text in quotes with no closing quote"
                            : "an argument text has no closing ')'");
}

std::optional<std::string> Lexer::Word() {
    if (peeked_) {
        pos_ = peeked_->column - 1;
        peeked_.reset();
    }
    SkipBlanks();
    if (AtCommentOrEnd()) return std::nullopt;
    if (line_[pos_] == '"') return ScanText();
    const std::size_t start = pos_;
    while (pos_ < line_.size() && !IsBlank(line_[pos_]) && line_[pos_] != '=' && line_[pos_] != '#') {
        if (line_[pos_] == '\0') throw ParseError("a name holds a NUL character");
        ++pos_;
    }
    if (pos_ == start) return std::nullopt;  // '=' where a name belongs
    return std::string(line_.substr(start, pos_ - start));
}

}  // namespace zelcli
