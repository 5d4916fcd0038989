#include "Parser.h"

#include <array>

#include "Lexer.h"

namespace zelcli {

namespace {

// The words that start statements, the logical operators and "zel". The
// words that only follow another (to, step, text, all) may name variables.
constexpr std::array<std::string_view, 24> kReserved = {
    "print", "errors", "list",  "onerror", "dataset", "worksheet", "show",  "save", "load",
    "exit",  "quit",   "help",  "for",     "next",    "while",     "end",   "if",
    "else",  "break",  "continue", "and",  "or",      "not",       "zel"};

bool IsWord(const Token& token, std::string_view word) {
    return token.kind == TokenKind::Identifier && SameWord(token.text, word);
}

class Parser {
public:
    // arithmeticOnly: numbers, variables and operators, nothing else.
    Parser(std::string_view line, bool arithmeticOnly) : lexer_(line), arithmeticOnly_(arithmeticOnly) {}

    Statement ParseStatement();
    // Arithmetic only: argument texts know no comparisons.
    std::unique_ptr<Expr> ParseWholeArithmetic() {
        auto expr = ParseSum();
        ExpectEnd();
        return expr;
    }

private:
    std::unique_ptr<Expr> ParseExpression();
    std::unique_ptr<Expr> ParseAnd();
    std::unique_ptr<Expr> ParseNot();
    std::unique_ptr<Expr> ParseComparison();
    std::unique_ptr<Expr> ParseSum();
    std::unique_ptr<Expr> ParseTerm();
    std::unique_ptr<Expr> ParseBinary(TokenKind first, TokenKind second,
                                      std::unique_ptr<Expr> (Parser::*operand)());
    std::unique_ptr<Expr> ParseLogical(std::string_view word, BinaryOp op, std::unique_ptr<Expr> (Parser::*operand)());
    std::unique_ptr<Expr> ParseUnary();
    std::unique_ptr<Expr> ParsePrimary();
    std::unique_ptr<Expr> ParseZel();
    std::unique_ptr<Expr> ParseNumeric(const char* what);

    Statement ParseAssignment(Token first);
    Statement ParseFor();
    void ParseWorksheet(Statement& statement);
    void ParseCsvOptions(Statement& statement, std::string_view flagWord);
    std::unique_ptr<Expr> ParseCondition();
    // Items separated by commas; trailingComma: a comma may end the list,
    // and answers whether one did.
    bool ParseList(Statement& statement, bool trailingComma = false);
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
        statement.flag = ParseList(statement, true);
        return statement;
    }
    if (IsWord(first, "for")) return ParseFor();
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
        ParseWorksheet(statement);
    } else if (IsWord(first, "next")) {
        statement.kind = StatementKind::Next;
        if (lexer_.Peek().kind == TokenKind::Identifier) {
            Token name = lexer_.Next();
            if (IsReservedWord(name.text)) throw ParseError(name.text + " is a keyword, not a variable");
            statement.name = name.text;
        }
    } else if (IsWord(first, "while")) {
        statement.kind = StatementKind::While;
        statement.value = ParseCondition();
    } else if (IsWord(first, "if")) {
        statement.kind = StatementKind::If;
        statement.value = ParseCondition();
    } else if (IsWord(first, "else")) {
        statement.kind = StatementKind::Else;
        if (IsWord(lexer_.Peek(), "if")) {
            lexer_.Next();
            statement.kind = StatementKind::ElseIf;
            statement.value = ParseCondition();
        }
    } else if (IsWord(first, "end")) {
        statement.kind = StatementKind::End;
    } else if (IsWord(first, "break")) {
        statement.kind = StatementKind::Break;
    } else if (IsWord(first, "continue")) {
        statement.kind = StatementKind::Continue;
    } else if (IsWord(first, "show")) {
        statement.kind = StatementKind::Show;
        statement.name = ExpectName("a dataset or worksheet name");
        if (lexer_.Peek().kind != TokenKind::End) statement.value = ParseNumeric("the number of rows");
    } else if (IsWord(first, "save") || IsWord(first, "load")) {
        const bool save = IsWord(first, "save");
        statement.kind = save ? StatementKind::Save : StatementKind::Load;
        statement.name = ExpectName(save ? "a dataset or worksheet name" : "a worksheet name");
        Token word = lexer_.Next();
        if (!IsWord(word, save ? "to" : "from")) Unexpected(word, save ? "the word to" : "the word from");
        statement.file = ExpectName(save ? "a file name after to" : "a file name after from");
        ParseCsvOptions(statement, save ? "crlf" : "noheader");
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
            Unexpected(assign, "'=' after " + first.text + " (or a keyword: print, for, while, if, "
                               "dataset, worksheet, ...; help lists them)");
        }
        statement.value = ParseNumeric("a number");
    }
    ExpectEnd();
    return statement;
}

bool Parser::ParseList(Statement& statement, bool trailingComma) {
    statement.items.push_back(ParseExpression());
    while (lexer_.Peek().kind == TokenKind::Comma) {
        lexer_.Next();
        if (trailingComma && lexer_.Peek().kind == TokenKind::End) return true;
        statement.items.push_back(ParseExpression());
    }
    return false;
}

// for NAME = START to END [step STEP]
Statement Parser::ParseFor() {
    Statement statement;
    statement.kind = StatementKind::For;
    Token name = lexer_.Next();
    if (name.kind != TokenKind::Identifier) Unexpected(name, "the loop's variable after for");
    if (IsReservedWord(name.text)) throw ParseError(name.text + " is a keyword, not a variable");
    statement.name = name.text;
    Expect(TokenKind::Assign, "'=' after the loop's variable");
    statement.value = ParseNumeric("the loop's first value");
    Token to = lexer_.Next();
    if (!IsWord(to, "to")) Unexpected(to, "the word to");
    statement.items.push_back(ParseNumeric("the loop's last value"));
    if (IsWord(lexer_.Peek(), "step")) {
        lexer_.Next();
        statement.items.push_back(ParseNumeric("the loop's step"));
    }
    ExpectEnd();
    return statement;
}

// After the name: [COLUMNS [text all | text C, C, ...]].
// [sep "c"] and the flag word, in any order, each at most once.
void Parser::ParseCsvOptions(Statement& statement, std::string_view flagWord) {
    bool separator = false;
    while (lexer_.Peek().kind == TokenKind::Identifier) {
        Token word = lexer_.Next();
        if (IsWord(word, "sep") && !separator) {
            Token text = lexer_.Next();
            if (text.kind != TokenKind::Text || text.text.size() != 1) {
                Unexpected(text, "one character in quotes after sep (\",\", \";\", \"\\t\")");
            }
            statement.separator = text.text[0];
            separator = true;
        } else if (IsWord(word, flagWord) && !statement.flag) {
            statement.flag = true;
        } else {
            Unexpected(word, "sep or " + std::string(flagWord));
        }
    }
}

void Parser::ParseWorksheet(Statement& statement) {
    const Token& next = lexer_.Peek();
    if (next.kind == TokenKind::End) return;
    if (IsWord(next, "text")) throw ParseError("the number of columns comes before text");
    statement.value = ParseNumeric("the number of columns");
    if (!IsWord(lexer_.Peek(), "text")) return;
    lexer_.Next();
    if (IsWord(lexer_.Peek(), "all")) {
        lexer_.Next();
        statement.flag = true;
        return;
    }
    if (lexer_.Peek().kind == TokenKind::End) throw ParseError("expected the text columns (or all) after text");
    ParseList(statement);
    for (const auto& item : statement.items) {
        if (item->Type() == ValueType::Text) throw ParseError("text columns are numbers, not texts");
    }
}

std::unique_ptr<Expr> Parser::ParseCondition() {
    auto condition = ParseNumeric("a condition");
    const Token& next = lexer_.Peek();
    if (next.kind == TokenKind::Assign) {
        throw ParseError("'=' at column " + std::to_string(next.column) + " sets a variable; compare with ==");
    }
    return condition;
}

std::unique_ptr<Expr> Parser::ParseNumeric(const char* what) {
    auto expr = ParseExpression();
    if (expr->Type() == ValueType::Text) throw ParseError(std::string("expected ") + what + ", not a text");
    return expr;
}

// Precedence from loose to tight: or, and, not, comparisons, + -, * /,
// unary minus.
std::unique_ptr<Expr> Parser::ParseExpression() { return ParseLogical("or", BinaryOp::Or, &Parser::ParseAnd); }

std::unique_ptr<Expr> Parser::ParseAnd() { return ParseLogical("and", BinaryOp::And, &Parser::ParseNot); }

std::unique_ptr<Expr> Parser::ParseLogical(std::string_view word, BinaryOp op,
                                           std::unique_ptr<Expr> (Parser::*operand)()) {
    auto left = (this->*operand)();
    while (IsWord(lexer_.Peek(), word)) {
        Token token = lexer_.Next();
        auto right = (this->*operand)();
        if (left->Type() == ValueType::Text || right->Type() == ValueType::Text) {
            throw ParseError("a text cannot take part in " + std::string(word) + " (at column " +
                             std::to_string(token.column) + ")");
        }
        auto node = std::make_unique<Expr>();
        node->kind = ExprKind::Binary;
        node->op = op;
        node->left = std::move(left);
        node->right = std::move(right);
        left = std::move(node);
    }
    return left;
}

std::unique_ptr<Expr> Parser::ParseNot() {
    if (!IsWord(lexer_.Peek(), "not")) return ParseComparison();
    NestingGuard guard(depth_);
    Token token = lexer_.Next();
    auto operand = ParseNot();
    if (operand->Type() == ValueType::Text) {
        throw ParseError("a text cannot take part in not (at column " + std::to_string(token.column) + ")");
    }
    auto node = std::make_unique<Expr>();
    node->kind = ExprKind::Not;
    node->left = std::move(operand);
    return node;
}

// The comparison operators as tokens.
struct ComparisonRow {
    TokenKind token;
    BinaryOp op;
};
constexpr ComparisonRow kComparisons[] = {
    {TokenKind::Less, BinaryOp::Less},           {TokenKind::LessEqual, BinaryOp::LessEqual},
    {TokenKind::Equal, BinaryOp::Equal},         {TokenKind::NotEqual, BinaryOp::NotEqual},
    {TokenKind::GreaterEqual, BinaryOp::GreaterEqual}, {TokenKind::Greater, BinaryOp::Greater},
    {TokenKind::End, BinaryOp::Add},
};

const ComparisonRow* FindComparison(TokenKind kind) {
    for (const ComparisonRow* row = kComparisons; row->token != TokenKind::End; ++row) {
        if (row->token == kind) return row;
    }
    return nullptr;
}

// At most one comparison: a < b < c would compare a truth with c.
std::unique_ptr<Expr> Parser::ParseComparison() {
    auto left = ParseSum();
    const ComparisonRow* row = FindComparison(lexer_.Peek().kind);
    if (row == nullptr) return left;
    Token op = lexer_.Next();
    auto right = ParseSum();
    if (left->Type() == ValueType::Text || right->Type() == ValueType::Text) {
        throw ParseError("a text cannot be compared ('" + op.text + "' at column " + std::to_string(op.column) +
                         "); comparisons take numbers");
    }
    const Token& after = lexer_.Peek();
    if (FindComparison(after.kind) != nullptr) {
        throw ParseError("comparisons do not chain ('" + after.text + "' at column " +
                         std::to_string(after.column) + "); join them with and");
    }
    auto node = std::make_unique<Expr>();
    node->kind = ExprKind::Binary;
    node->op = row->op;
    node->left = std::move(left);
    node->right = std::move(right);
    return node;
}

std::unique_ptr<Expr> Parser::ParseSum() {
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
        switch (op.kind) {
            case TokenKind::Plus: node->op = BinaryOp::Add; break;
            case TokenKind::Minus: node->op = BinaryOp::Subtract; break;
            case TokenKind::Star: node->op = BinaryOp::Multiply; break;
            default: node->op = BinaryOp::Divide; break;
        }
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

std::vector<std::string_view> ReservedWords() { return {kReserved.begin(), kReserved.end()}; }

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
        return parser.ParseWholeArithmetic();
    } catch (const ParseError&) {
        return nullptr;
    }
}

}  // namespace zelcli
