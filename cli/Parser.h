// Turns one script line into a statement.
#ifndef ZEL_CLI_PARSER_H
#define ZEL_CLI_PARSER_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Syntax.h"

namespace zelcli {

struct Parsed {
    Statement statement;
    std::string error;  // empty when the line parsed

    bool ok() const { return error.empty(); }
};

// Parses one line; a line that does not follow the grammar gives the reason
// in error.
Parsed ParseLine(std::string_view line);

// An arithmetic expression made only of numbers, numeric variables,
// + - * /, unary minus and parentheses, filling the whole text; null for
// anything else. Used for numbers inside argument texts.
std::unique_ptr<Expr> ParseArithmetic(std::string_view text);

// Statement keywords and "zel": never names of numeric variables.
bool IsReservedWord(std::string_view name);
// Those words, in lower case.
std::vector<std::string_view> ReservedWords();

// Case-insensitive comparison of ASCII words.
bool SameWord(std::string_view a, std::string_view b);

// How deeply parentheses and unary minus signs may nest.
inline constexpr int kMaxNesting = 64;

}  // namespace zelcli

#endif  // ZEL_CLI_PARSER_H
