#include "Syntax.h"

namespace zelcli {

std::string MemberRef::Spelling() const {
    return method.empty() ? "zel." + name : "zel." + method + "." + name;
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
