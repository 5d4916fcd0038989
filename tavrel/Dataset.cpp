#include "Dataset.h"

#include <utility>

#include "NumberText.h"

namespace tavrel {

Dataset::Dataset(uint32_t handle, std::string name, bool text)
    : handle_(handle), name_(std::move(name)), text_(text) {}

CellKind Dataset::kind(std::size_t index) const {
    if (index >= cells_.size()) return CellKind::Empty;
    const Cell& cell = cells_[index];
    if (std::holds_alternative<double>(cell)) return CellKind::Number;
    if (std::holds_alternative<std::string>(cell)) return CellKind::Text;
    return CellKind::Empty;
}

std::optional<double> Dataset::number(std::size_t index) const {
    if (index >= cells_.size()) return std::nullopt;
    if (const double* value = std::get_if<double>(&cells_[index])) return *value;
    return std::nullopt;
}

std::string Dataset::text(std::size_t index) const {
    if (index >= cells_.size()) return {};
    if (const std::string* value = std::get_if<std::string>(&cells_[index])) return *value;
    return {};
}

std::string Dataset::display(std::size_t index) const {
    switch (kind(index)) {
        case CellKind::Number: return FormatNumber(*number(index));
        case CellKind::Text: return text(index);
        case CellKind::Empty: break;
    }
    return {};
}

bool Dataset::store(std::size_t index, Cell cell) {
    if (index >= kMaxCells) return false;
    if (index >= cells_.size()) cells_.resize(index + 1);
    cells_[index] = std::move(cell);
    return true;
}

bool Dataset::set(std::size_t index, double value) {
    if (IsMissing(value)) return store(index, std::monostate{});
    return store(index, value);
}

bool Dataset::setText(std::size_t index, const std::string& text) {
    if (!text_) return false;
    return store(index, text);
}

bool Dataset::clear(std::size_t index) { return store(index, std::monostate{}); }

bool Dataset::setExtent(int32_t lower, int32_t upper) {
    if (lower < 0 || upper < lower || static_cast<std::size_t>(upper) > kMaxCells) return false;
    lower_ = lower;
    upper_ = upper;
    cells_.resize(static_cast<std::size_t>(upper));
    return true;
}

bool Dataset::extendTo(int32_t upper) {
    if (upper < 0 || static_cast<std::size_t>(upper) > kMaxCells) return false;
    if (upper <= upper_) return true;
    upper_ = upper;
    if (cells_.size() < static_cast<std::size_t>(upper)) cells_.resize(static_cast<std::size_t>(upper));
    return true;
}

void Dataset::convert(bool text) {
    if (text_ == text) return;
    text_ = text;
    if (text) return;  // numbers stay numbers in a text dataset
    for (Cell& cell : cells_) {
        if (const std::string* value = std::get_if<std::string>(&cell)) {
            std::optional<double> parsed = ParseNumber(*value);
            if (parsed && !IsMissing(*parsed)) {
                cell = *parsed;
            } else {
                cell = std::monostate{};
            }
        }
    }
}

}  // namespace tavrel
