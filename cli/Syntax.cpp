#include "Syntax.h"

namespace zelcli {

std::string MemberRef::Spelling() const {
    return method.empty() ? "zel." + name : "zel." + method + "." + name;
}

const char* Spelling(BinaryOp op) {
    switch (op) {
        case BinaryOp::Add: return "+";
        case BinaryOp::Subtract: return "-";
        case BinaryOp::Multiply: return "*";
        case BinaryOp::Divide: return "/";
        case BinaryOp::Less: return "<";
        case BinaryOp::LessEqual: return "<=";
        case BinaryOp::Equal: return "==";
        case BinaryOp::NotEqual: return "!=";
        case BinaryOp::GreaterEqual: return ">=";
        case BinaryOp::Greater: return ">";
        case BinaryOp::And: return "and";
        case BinaryOp::Or: return "or";
    }
    return "?";
}

ValueType Expr::Type() const {
    switch (kind) {
        case ExprKind::Text:
        case ExprKind::StringVar: return ValueType::Text;
        case ExprKind::Member: return ValueType::Either;
        default: return ValueType::Number;
    }
}

std::string Expr::CallSpelling() const {
    if (kind == ExprKind::Call) return "zel." + member.name + "(" + args + ")";
    return member.Spelling();
}

}  // namespace zelcli
