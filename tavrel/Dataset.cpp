#include "Dataset.h"

#include <utility>

#include "NumberText.h"

namespace tavrel {

std::atomic<uint64_t> Dataset::destroyed_{0};

Dataset::Dataset(uint32_t handle, std::string name, bool text)
    : handle_(handle), name_(std::move(name)), text_(text) {}

Dataset::~Dataset() { destroyed_.fetch_add(1, std::memory_order_acq_rel); }

CellKind Dataset::kind(std::size_t index) const {
    if (index >= size_) return CellKind::Empty;
    return segments_[index >> kSegmentBits]->kinds[index & kSegmentMask];
}

std::optional<double> Dataset::number(std::size_t index) const {
    if (kind(index) != CellKind::Number) return std::nullopt;
    return segments_[index >> kSegmentBits]->numbers[index & kSegmentMask];
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
    if (count < size_) {
        // Cut cells read as empty should the dataset grow over them again.
        for (std::size_t i = count; i < size_ && (i & kSegmentMask) != 0; ++i) {
            kindAt(i) = CellKind::Empty;
        }
        segments_.resize((count + kSegmentMask) >> kSegmentBits);
        texts_.erase(texts_.lower_bound(count), texts_.end());
    } else {
        const std::size_t needed = (count + kSegmentMask) >> kSegmentBits;
        while (segments_.size() < needed) segments_.push_back(std::make_unique<Segment>());
    }
    size_ = count;
}

bool Dataset::reach(std::size_t index) {
    if (index >= kMaxCells) return false;
    if (index >= size_) resizeCells(index + 1);
    return true;
}

bool Dataset::setSlow(std::size_t index, double value) {
    if (!reach(index)) return false;
    CellKind& kind = kindAt(index);
    if (kind == CellKind::Text) texts_.erase(index);
    if (IsMissing(value)) {
        kind = CellKind::Empty;
    } else {
        kind = CellKind::Number;
        numberAt(index) = value;
    }
    return true;
}

bool Dataset::setText(std::size_t index, const std::string& text) {
    if (!text_ || !reach(index)) return false;
    kindAt(index) = CellKind::Text;
    texts_[index] = text;
    return true;
}

bool Dataset::clear(std::size_t index) {
    if (!reach(index)) return false;
    CellKind& kind = kindAt(index);
    if (kind == CellKind::Text) texts_.erase(index);
    kind = CellKind::Empty;
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
    if (size_ < static_cast<std::size_t>(upper)) resizeCells(static_cast<std::size_t>(upper));
    return true;
}

void Dataset::convert(bool text) {
    if (text_ == text) return;
    text_ = text;
    if (text) return;  // numbers stay numbers in a text dataset
    for (auto& [index, value] : texts_) {
        std::optional<double> parsed = ParseNumber(value);
        if (parsed && !IsMissing(*parsed)) {
            kindAt(index) = CellKind::Number;
            numberAt(index) = *parsed;
        } else {
            kindAt(index) = CellKind::Empty;
        }
    }
    texts_.clear();
}

}  // namespace tavrel
