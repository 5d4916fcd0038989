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
    Binary      // left op right
};

// What an expression gives, as far as the parser can tell.
enum class ValueType { Number, Text, Either };

struct Expr {
    ExprKind kind = ExprKind::Number;
    double number = 0.0;
    std::string name;
    char letter = 0;
    MemberRef member;
    std::string args;
    char op = 0;
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
    Print,      // print items
    Errors,     // errors
    List,       // list [name]
    OnError,    // onerror continue (flag) / stop
    Dataset,    // dataset name [text (flag)] [= items]
    Worksheet,  // worksheet name [value]
    Show,       // show name [rows]
    Save,       // save name to file
    Exit,       // exit [value], quit [value]
    Help        // help
};

struct Statement {
    StatementKind kind = StatementKind::Empty;
    MemberRef member;
    std::string name;
    char letter = 0;
    std::string file;
    bool flag = false;
    std::unique_ptr<Expr> value;
    std::vector<std::unique_ptr<Expr>> items;
};

}  // namespace zelcli

#endif  // ZEL_CLI_SYNTAX_H
