#include "Dataset.h"

#include <utility>

#include "NumberText.h"

namespace tavrel {

Dataset::Dataset(uint32_t handle, std::string name, bool text)
    : handle_(handle), name_(std::move(name)), text_(text) {}

CellKind Dataset::kind(std::size_t index) const {
    return index < kinds_.size() ? kinds_[index] : CellKind::Empty;
}

std::optional<double> Dataset::number(std::size_t index) const {
    if (kind(index) != CellKind::Number) return std::nullopt;
    return numbers_[index];
}

std::string Dataset::text(std::size_t index) const {
    if (kind(index) != CellKind::Text) return {};
    auto it = texts_.find(index);
    return it != texts_.end() ? it->second : std::string();
}

std::string Dataset::display(std::size_t index) const {
    switch (kind(index)) {
        case CellKind::Number: return FormatNumber(*number(index));
        case CellKind::Text: return text(index);
        case CellKind::Empty: break;
    }
    return {};
}

void Dataset::resizeCells(std::size_t count) {
    kinds_.resize(count, CellKind::Empty);
    numbers_.resize(count, 0.0);
    texts_.erase(texts_.lower_bound(count), texts_.end());
}

bool Dataset::reach(std::size_t index) {
    if (index >= kMaxCells) return false;
    if (index >= kinds_.size()) resizeCells(index + 1);
    return true;
}

bool Dataset::set(std::size_t index, double value) {
    if (!reach(index)) return false;
    if (kinds_[index] == CellKind::Text) texts_.erase(index);
    if (IsMissing(value)) {
        kinds_[index] = CellKind::Empty;
    } else {
        kinds_[index] = CellKind::Number;
        numbers_[index] = value;
    }
    return true;
}

bool Dataset::setText(std::size_t index, const std::string& text) {
    if (!text_ || !reach(index)) return false;
    kinds_[index] = CellKind::Text;
    texts_[index] = text;
    return true;
}

bool Dataset::clear(std::size_t index) {
    if (!reach(index)) return false;
    if (kinds_[index] == CellKind::Text) texts_.erase(index);
    kinds_[index] = CellKind::Empty;
    return true;
}

bool Dataset::setExtent(int32_t lower, int32_t upper) {
    if (lower < 0 || upper < lower || static_cast<std::size_t>(upper) > kMaxCells) return false;
    lower_ = lower;
    upper_ = upper;
    resizeCells(static_cast<std::size_t>(upper));
    return true;
}

bool Dataset::extendTo(int32_t upper) {
    if (upper < 0 || static_cast<std::size_t>(upper) > kMaxCells) return false;
    if (upper <= upper_) return true;
    upper_ = upper;
    if (kinds_.size() < static_cast<std::size_t>(upper)) resizeCells(static_cast<std::size_t>(upper));
    return true;
}

void Dataset::convert(bool text) {
    if (text_ == text) return;
    text_ = text;
    if (text) return;  // numbers stay numbers in a text dataset
    for (auto& [index, value] : texts_) {
        std::optional<double> parsed = ParseNumber(value);
        if (parsed && !IsMissing(*parsed)) {
            kinds_[index] = CellKind::Number;
            numbers_[index] = *parsed;
        } else {
            kinds_[index] = CellKind::Empty;
        }
    }
    texts_.clear();
}

}  // namespace tavrel
