// The parsed form of a script line: expressions and statements.
#ifndef ZEL_CLI_SYNTAX_H
#define ZEL_CLI_SYNTAX_H

#include <memory>
#include <string>
#include <vector>

namespace zelcli {

// A property of ZEL (method empty) or a sub-property of one of its methods,
// with the names as they were written.
struct MemberRef {
    std::string method;
    std::string name;

    // "zel.NAME" or "zel.METHOD.NAME" as written.
    std::string Spelling() const;
};

enum class ExprKind {
    Number,     // number
    Variable,   // name
    Text,       // name holds the text
    StringVar,  // letter
    Member,     // member
    Call,       // member.name is the method, args the argument text
    Negate,     // -left
    Not,        // not left
    Binary      // left op right
};

// The operators of binary expressions: arithmetic, comparisons (1 or 0)
// and the logical pair, which look at their right side only when the left
// one does not decide.
enum class BinaryOp { Add, Subtract, Multiply, Divide, Less, LessEqual, Equal, NotEqual, GreaterEqual, Greater, And, Or };

// "+", "<=", "and", ...
const char* Spelling(BinaryOp op);

// What an expression gives, as far as the parser can tell.
enum class ValueType { Number, Text, Either };

struct Expr {
    ExprKind kind = ExprKind::Number;
    double number = 0.0;
    std::string name;
    char letter = 0;
    MemberRef member;
    std::string args;
    BinaryOp op = BinaryOp::Add;
    std::unique_ptr<Expr> left;
    std::unique_ptr<Expr> right;

    ValueType Type() const;
    // "zel.open(a.bin, 0)" for a call; the member's spelling for a member.
    std::string CallSpelling() const;
};

enum class StatementKind {
    Empty,      // blank line or comment
    SetMember,  // member = value
    SetNumber,  // name = value
    SetString,  // letter$ = value
    Call,       // value (a call on its own)
    Print,      // print items [, at the end: flag]
    Errors,     // errors
    List,       // list [name]
    OnError,    // onerror continue (flag) / stop
    Dataset,    // dataset name [text (flag)] [= items]
    Worksheet,  // worksheet name [value [text all (flag) | text items]]
    Show,       // show name [rows]
    Save,       // save name to file [sep "c"] [crlf (flag)]
    Load,       // load name from file [sep "c"] [noheader (flag)]
    Exit,       // exit [value], quit [value]
    Help,       // help
    For,        // for name = value to items[0] [step items[1]]
    Next,       // next [name]
    While,      // while value
    If,         // if value
    ElseIf,     // else if value
    Else,       // else
    End,        // end (of a while or an if)
    Break,      // break
    Continue    // continue
};

struct Statement {
    StatementKind kind = StatementKind::Empty;
    MemberRef member;
    std::string name;
    char letter = 0;
    std::string file;
    bool flag = false;
    char separator = 0;  // load and save: 0 for the default
    std::unique_ptr<Expr> value;
    std::vector<std::unique_ptr<Expr>> items;
};

}  // namespace zelcli

#endif  // ZEL_CLI_SYNTAX_H
