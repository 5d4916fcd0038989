#include "Parser.h"

#include <array>

#include "Lexer.h"

namespace zelcli {

namespace {

constexpr std::array<std::string_view, 12> kReserved = {
    "print", "errors", "list", "onerror", "dataset", "worksheet", "show", "save", "exit", "quit", "help", "zel"};

bool IsWord(const Token& token, std::string_view word) {
    return token.kind == TokenKind::Identifier && SameWord(token.text, word);
}

class Parser {
public:
    // arithmeticOnly: numbers, variables and operators, nothing else.
    Parser(std::string_view line, bool arithmeticOnly) : lexer_(line), arithmeticOnly_(arithmeticOnly) {}

    Statement ParseStatement();
    std::unique_ptr<Expr> ParseWholeExpression() {
        auto expr = ParseExpression();
        ExpectEnd();
        return expr;
    }

private:
    std::unique_ptr<Expr> ParseExpression();
    std::unique_ptr<Expr> ParseTerm();
    std::unique_ptr<Expr> ParseBinary(TokenKind first, TokenKind second,
                                      std::unique_ptr<Expr> (Parser::*operand)());
    std::unique_ptr<Expr> ParseUnary();
    std::unique_ptr<Expr> ParsePrimary();
    std::unique_ptr<Expr> ParseZel();
    std::unique_ptr<Expr> ParseNumeric(const char* what);

    Statement ParseAssignment(Token first);
    void ParseList(Statement& statement);
    std::string ExpectName(const char* what);
    void Expect(TokenKind kind, const char* what);
    void ExpectEnd();

    [[noreturn]] static void Unexpected(const Token& token, const std::string& wanted) {
        throw ParseError("expected " + wanted + " but found " + Describe(token) + " at column " +
                         std::to_string(token.column));
    }

    Lexer lexer_;
    bool arithmeticOnly_;
    int depth_ = 0;
};

// Counts nesting for the lifetime of one recursive step.
class NestingGuard {
public:
    explicit NestingGuard(int& depth) : depth_(depth) {
        if (++depth_ > kMaxNesting) {
            throw ParseError("expression nested too deeply (more than " + std::to_string(kMaxNesting) +
                             " levels)");
        }
    }
    ~NestingGuard() { --depth_; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

private:
    int& depth_;
};

void Parser::Expect(TokenKind kind, const char* what) {
    Token token = lexer_.Next();
    if (token.kind != kind) Unexpected(token, what);
}

void Parser::ExpectEnd() {
    const Token& token = lexer_.Peek();
    if (token.kind != TokenKind::End) Unexpected(token, "end of line");
}

std::string Parser::ExpectName(const char* what) {
    std::optional<std::string> word = lexer_.Word();
    if (!word || word->empty()) throw ParseError(std::string("expected ") + what);
    return *word;
}

Statement Parser::ParseStatement() {
    Statement statement;
    Token first = lexer_.Next();
    switch (first.kind) {
        case TokenKind::End: return statement;
        case TokenKind::Identifier: break;
        case TokenKind::StringVar: return ParseAssignment(std::move(first));
        default: Unexpected(first, "a keyword, a variable or zel.");
    }

    if (IsWord(first, "zel")) return ParseAssignment(std::move(first));
    if (IsWord(first, "print")) {
        statement.kind = StatementKind::Print;
        if (lexer_.Peek().kind == TokenKind::End) return statement;
        ParseList(statement);
        return statement;
    }
    if (IsWord(first, "errors")) {
        statement.kind = StatementKind::Errors;
    } else if (IsWord(first, "list")) {
        statement.kind = StatementKind::List;
        statement.name = lexer_.Word().value_or("");
    } else if (IsWord(first, "onerror")) {
        statement.kind = StatementKind::OnError;
        Token mode = lexer_.Next();
        if (IsWord(mode, "continue")) {
            statement.flag = true;
        } else if (!IsWord(mode, "stop")) {
            Unexpected(mode, "continue or stop");
        }
    } else if (IsWord(first, "dataset")) {
        statement.kind = StatementKind::Dataset;
        statement.name = ExpectName("a dataset name");
        const Token& next = lexer_.Peek();
        if (IsWord(next, "text")) {
            lexer_.Next();
            statement.flag = true;
        } else if (next.kind == TokenKind::Assign) {
            lexer_.Next();
            ParseList(statement);
            for (const auto& item : statement.items) {
                if (item->Type() == ValueType::Text) throw ParseError("a dataset takes numbers, not texts");
            }
            if (statement.items.empty()) throw ParseError("expected numbers after '='");
        }
    } else if (IsWord(first, "worksheet")) {
        statement.kind = StatementKind::Worksheet;
        statement.name = ExpectName("a worksheet name");
        if (lexer_.Peek().kind != TokenKind::End) statement.value = ParseNumeric("the number of columns");
    } else if (IsWord(first, "show")) {
        statement.kind = StatementKind::Show;
        statement.name = ExpectName("a dataset or worksheet name");
        if (lexer_.Peek().kind != TokenKind::End) statement.value = ParseNumeric("the number of rows");
    } else if (IsWord(first, "save")) {
        statement.kind = StatementKind::Save;
        statement.name = ExpectName("a dataset or worksheet name");
        Token to = lexer_.Next();
        if (!IsWord(to, "to")) Unexpected(to, "the word to");
        statement.file = ExpectName("a file name after to");
    } else if (IsWord(first, "help")) {
        statement.kind = StatementKind::Help;
    } else if (IsWord(first, "exit") || IsWord(first, "quit")) {
        statement.kind = StatementKind::Exit;
        if (lexer_.Peek().kind != TokenKind::End) statement.value = ParseNumeric("the exit status");
    } else {
        return ParseAssignment(std::move(first));
    }
    ExpectEnd();
    return statement;
}

// zel.NAME = v, zel.M.S = v, zel.M(args), name = v, A$ = v.
Statement Parser::ParseAssignment(Token first) {
    Statement statement;
    if (first.kind == TokenKind::StringVar) {
        statement.kind = StatementKind::SetString;
        statement.letter = first.text[0];
        Expect(TokenKind::Assign, "'=' after the string variable");
        statement.value = ParseExpression();
        if (statement.value->Type() == ValueType::Number) {
            throw ParseError(first.text + "$ takes a text, not a number");
        }
    } else if (IsWord(first, "zel")) {
        auto target = ParseZel();
        if (target->kind == ExprKind::Call) {
            statement.kind = StatementKind::Call;
            statement.value = std::move(target);
        } else {
            statement.kind = StatementKind::SetMember;
            statement.member = target->member;
            Token assign = lexer_.Next();
            if (assign.kind != TokenKind::Assign) {
                Unexpected(assign, "'=' or '(' after " + statement.member.Spelling());
            }
            statement.value = ParseExpression();
        }
    } else {
        if (IsReservedWord(first.text)) throw ParseError(first.text + " is a keyword, not a variable");
        statement.kind = StatementKind::SetNumber;
        statement.name = first.text;
        Token assign = lexer_.Next();
        if (assign.kind != TokenKind::Assign) {
            Unexpected(assign, "'=' after " + first.text + " (or a keyword: print, errors, list, onerror, "
                               "dataset, worksheet, show, save, exit)");
        }
        statement.value = ParseNumeric("a number");
    }
    ExpectEnd();
    return statement;
}

void Parser::ParseList(Statement& statement) {
    statement.items.push_back(ParseExpression());
    while (lexer_.Peek().kind == TokenKind::Comma) {
        lexer_.Next();
        statement.items.push_back(ParseExpression());
    }
}

std::unique_ptr<Expr> Parser::ParseNumeric(const char* what) {
    auto expr = ParseExpression();
    if (expr->Type() == ValueType::Text) throw ParseError(std::string("expected ") + what + ", not a text");
    return expr;
}

std::unique_ptr<Expr> Parser::ParseExpression() {
    return ParseBinary(TokenKind::Plus, TokenKind::Minus, &Parser::ParseTerm);
}

std::unique_ptr<Expr> Parser::ParseTerm() {
    return ParseBinary(TokenKind::Star, TokenKind::Slash, &Parser::ParseUnary);
}

// A left-associative chain of operands joined by either of two operators.
std::unique_ptr<Expr> Parser::ParseBinary(TokenKind first, TokenKind second,
                                          std::unique_ptr<Expr> (Parser::*operand)()) {
    auto left = (this->*operand)();
    for (;;) {
        const TokenKind kind = lexer_.Peek().kind;
        if (kind != first && kind != second) return left;
        Token op = lexer_.Next();
        auto right = (this->*operand)();
        if (left->Type() == ValueType::Text || right->Type() == ValueType::Text) {
            throw ParseError("a text cannot take part in arithmetic ('" + op.text + "' at column " +
                             std::to_string(op.column) + ")");
        }
        auto node = std::make_unique<Expr>();
        node->kind = ExprKind::Binary;
        node->op = op.text[0];
        node->left = std::move(left);
        node->right = std::move(right);
        left = std::move(node);
    }
}

std::unique_ptr<Expr> Parser::ParseUnary() {
    NestingGuard guard(depth_);
    if (lexer_.Peek().kind != TokenKind::Minus) return ParsePrimary();
    Token minus = lexer_.Next();
    auto operand = ParseUnary();
    if (operand->Type() == ValueType::Text) {
        throw ParseError("a text cannot take part in arithmetic ('-' at column " + std::to_string(minus.column) +
                         ")");
    }
    auto node = std::make_unique<Expr>();
    node->kind = ExprKind::Negate;
    node->left = std::move(operand);
    return node;
}

std::unique_ptr<Expr> Parser::ParsePrimary() {
    Token token = lexer_.Next();
    auto node = std::make_unique<Expr>();
    switch (token.kind) {
        case TokenKind::Number:
            node->kind = ExprKind::Number;
            node->number = token.number;
            return node;
        case TokenKind::LParen: {
            auto inner = ParseExpression();
            Expect(TokenKind::RParen, "')'");
            return inner;
        }
        case TokenKind::Identifier:
            if (IsWord(token, "zel") && !arithmeticOnly_) return ParseZel();
            if (IsReservedWord(token.text)) throw ParseError(token.text + " is a keyword, not a value");
            node->kind = ExprKind::Variable;
            node->name = token.text;
            return node;
        case TokenKind::StringVar:
            if (arithmeticOnly_) break;
            node->kind = ExprKind::StringVar;
            node->letter = token.text[0];
            return node;
        case TokenKind::Text:
            if (arithmeticOnly_) break;
            node->kind = ExprKind::Text;
            node->name = std::move(token.text);
            return node;
        default:
            break;
    }
    Unexpected(token, "a value");
}

// After "zel": .NAME, .METHOD.NAME or .METHOD(argument text).
std::unique_ptr<Expr> Parser::ParseZel() {
    Expect(TokenKind::Dot, "'.' after zel");
    Token name = lexer_.Next();
    if (name.kind != TokenKind::Identifier) Unexpected(name, "a member name after zel.");
    auto node = std::make_unique<Expr>();
    node->kind = ExprKind::Member;
    const TokenKind next = lexer_.Peek().kind;
    if (next == TokenKind::LParen) {
        lexer_.Next();
        node->kind = ExprKind::Call;
        node->member.name = name.text;
        node->args = lexer_.RawArguments();
    } else if (next == TokenKind::Dot) {
        lexer_.Next();
        Token sub = lexer_.Next();
        if (sub.kind != TokenKind::Identifier) Unexpected(sub, "a sub-property name after zel." + name.text + ".");
        node->member.method = name.text;
        node->member.name = sub.text;
    } else {
        node->member.name = name.text;
    }
    return node;
}

}  // namespace

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool IsReservedWord(std::string_view name) {
    for (std::string_view word : kReserved) {
        if (SameWord(name, word)) return true;
    }
    return false;
}

Parsed ParseLine(std::string_view line) {
    Parsed parsed;
    try {
        Parser parser(line, false);
        parsed.statement = parser.ParseStatement();
    } catch (const ParseError& error) {
        parsed.statement = Statement{};
        parsed.error = error.what();
    }
    return parsed;
}

std::unique_ptr<Expr> ParseArithmetic(std::string_view text) {
    // A '#' would start a comment in a script line; here it is no number.
    if (text.find('#') != std::string_view::npos) return nullptr;
    try {
        Parser parser(text, true);
        return parser.ParseWholeExpression();
    } catch (const ParseError&) {
        return nullptr;
    }
}

}  // namespace zelcli
