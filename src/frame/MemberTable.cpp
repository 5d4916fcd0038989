#include "frame/MemberTable.h"

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/StringUtil.h"

namespace zel {
namespace {

// Names are compared in upper case; a name longer than this matches no row.
constexpr size_t kLongestName = 256;

struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const noexcept { return std::hash<std::string_view>{}(name); }
};

using Index = std::unordered_map<std::string, std::vector<uint16_t>, NameHash, std::equal_to<>>;

Index BuildIndex(const MemberEntry* rows) {
    Index index;
    for (uint16_t i = 0; rows[i].name != nullptr; ++i) {
        std::string key(rows[i].name);
        for (char& c : key) c = platform::ToUpper(c);
        index[key].push_back(i);
    }
    return index;
}

}  // namespace

std::optional<std::span<const uint16_t>> RowsNamed(const MemberEntry* rows, std::string_view name) noexcept {
    if (rows == nullptr) return std::span<const uint16_t>{};
    try {
        static std::unordered_map<const MemberEntry*, Index> indexes;
        auto it = indexes.find(rows);
        if (it == indexes.end()) it = indexes.emplace(rows, BuildIndex(rows)).first;
        if (name.size() > kLongestName) return std::span<const uint16_t>{};
        std::array<char, kLongestName> upper{};
        for (size_t i = 0; i < name.size(); ++i) upper[i] = platform::ToUpper(name[i]);
        const auto found = it->second.find(std::string_view(upper.data(), name.size()));
        if (found == it->second.end()) return std::span<const uint16_t>{};
        return std::span<const uint16_t>(found->second);
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace zel
