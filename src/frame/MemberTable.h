// Member tables: static rows that map script names to the members of an
// object, ended by a row with a null name. A row reaches its member through
// the object that owns the table, so the rows themselves are constants; one
// member may stand in several rows, one per alias.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "frame/Mobj.h"

namespace zel {

struct MemberEntry {
    const char* name;
    MoScript& (*member)(Mobj& owner);
};

// A table together with the object its rows reach into; empty for an
// object without such a table.
struct MemberTable {
    const MemberEntry* rows = nullptr;
    Mobj* owner = nullptr;

    explicit operator bool() const { return rows != nullptr && owner != nullptr; }
    MoScript& MemberOf(const MemberEntry& row) const { return row.member(*owner); }
};

// The indices of the rows that carry name, in any case, in table order.
// Each table is indexed once, on its first lookup, so that a lookup hashes
// the name instead of comparing it with every row. Nothing when there is no
// memory for the index: the caller then compares row by row.
std::optional<std::span<const uint16_t>> RowsNamed(const MemberEntry* rows, std::string_view name) noexcept;

template <class T>
struct FieldTraits;
template <class Owner_, class Member_>
struct FieldTraits<Member_ Owner_::*> {
    using Owner = Owner_;
};

// The row function of a data member: {"NAME", &MemberAt<&Owner::field_>}.
template <auto Field>
MoScript& MemberAt(Mobj& owner) {
    using Owner = typename FieldTraits<decltype(Field)>::Owner;
    return static_cast<Owner&>(owner).*Field;
}

}  // namespace zel
