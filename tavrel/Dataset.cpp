#include "Dataset.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <type_traits>
#include <utility>

#include "NumberText.h"
#include "System.h"

namespace tavrel {

std::atomic<uint64_t> Dataset::destroyed_{0};

namespace {

// The released regions of one cell type; a kind region is all zero, a
// number region holds numbers only where no kind says Number.
template <class T>
struct RegionPool {
    std::mutex lock;
    std::vector<T*> regions;
    static RegionPool& Of() {
        static RegionPool pool;
        return pool;
    }
};

}  // namespace

template <class T>
Dataset::Cells<T>::Cells::~Cells() {
    if (reserved_) {
        system::ReleaseReserved(data_, kMaxCells * sizeof(T));
    } else {
        std::free(data_);
    }
}

template <class T>
void Dataset::Cells<T>::Reserve(std::size_t count) {
    if (count <= capacity_ || reserved_) return;
    T* fresh = nullptr;
    std::size_t cells = kMaxCells;
    if (count <= kHeapCells) {
        cells = std::min(std::max({count, capacity_ * 2, std::size_t{64}}), kHeapCells);
        fresh = static_cast<T*>(std::calloc(cells, sizeof(T)));
        if (fresh == nullptr) throw std::bad_alloc();
    } else {
        RegionPool<T>& pool = RegionPool<T>::Of();
        {
            const std::lock_guard<std::mutex> held(pool.lock);
            if (!pool.regions.empty()) {
                fresh = pool.regions.back();
                pool.regions.pop_back();
            }
        }
        if (fresh == nullptr) fresh = static_cast<T*>(system::ReserveZeroed(kMaxCells * sizeof(T)));
    }
    if (capacity_ > 0) std::memcpy(static_cast<void*>(fresh), data_, capacity_ * sizeof(T));
    std::free(data_);
    data_ = fresh;
    capacity_ = cells;
    reserved_ = count > kHeapCells;
}

template <class T>
void Dataset::Cells<T>::Clear(std::size_t first, std::size_t last) {
    if (first < last) std::memset(static_cast<void*>(data_ + first), 0, (last - first) * sizeof(T));
}

template <class T>
void Dataset::Cells<T>::Recycle(std::size_t used) {
    if (!reserved_) return;
    used = std::min(used, kMaxCells);
    if constexpr (std::is_same_v<T, CellKind>) Clear(0, used);
    system::DropPages(data_ + used, (kMaxCells - used) * sizeof(T));
    RegionPool<T>& pool = RegionPool<T>::Of();
    const std::lock_guard<std::mutex> held(pool.lock);
    if (pool.regions.size() >= kPooledRegions) return;
    try {
        pool.regions.push_back(data_);
    } catch (const std::bad_alloc&) {
        return;
    }
    data_ = nullptr;
    capacity_ = 0;
    reserved_ = false;
}

template class Dataset::Cells<CellKind>;
template class Dataset::Cells<double>;

Dataset::Dataset(uint32_t handle, std::string name, bool text)
    : handle_(handle), name_(std::move(name)), text_(text) {}

Dataset::~Dataset() {
    // Kinds beyond size_ are zero already: cutting cells clears them.
    kinds_.Recycle(size_);
    numbers_.Recycle(size_);
    destroyed_.fetch_add(1, std::memory_order_acq_rel);
}

CellKind Dataset::kind(std::size_t index) const {
    return index < size_ ? kinds_[index] : CellKind::Empty;
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
    if (count < size_) {
        // Cut cells read as empty should the dataset grow over them again.
        kinds_.Clear(count, size_);
        texts_.erase(texts_.lower_bound(count), texts_.end());
    }
    // Numbers first: should the kinds then find no room, their capacity,
    // which set() checks, still never exceeds that of the numbers.
    numbers_.Reserve(count);
    kinds_.Reserve(count);
    size_ = count;
}

bool Dataset::reach(std::size_t index) {
    if (index >= kMaxCells) return false;
    if (index >= size_) resizeCells(index + 1);
    return true;
}

bool Dataset::setSlow(std::size_t index, double value) {
    if (!reach(index)) return false;
    CellKind& kind = kinds_[index];
    if (kind == CellKind::Text) texts_.erase(index);
    if (IsMissing(value)) {
        kind = CellKind::Empty;
    } else {
        kind = CellKind::Number;
        numbers_[index] = value;
    }
    return true;
}

std::size_t Dataset::setBlock(std::size_t index, const double* values, std::size_t count) {
    if (index >= kMaxCells || count == 0) return 0;
    const std::size_t n = std::min(count, kMaxCells - index);
    if (!reach(index + n - 1)) return 0;
    // Texts under the block give way to its numbers.
    if (!texts_.empty()) texts_.erase(texts_.lower_bound(index), texts_.lower_bound(index + n));
    // The numbers as one copy, then their kinds from them.
    std::memcpy(&numbers_[index], values, n * sizeof(double));
    CellKind* kinds = &kinds_[index];
    // Empty is 0 and Number 1: a comparison a cell, which the compiler vectorises.
    static_assert(static_cast<int>(CellKind::Empty) == 0 && static_cast<int>(CellKind::Number) == 1);
    for (std::size_t k = 0; k < n; ++k) kinds[k] = static_cast<CellKind>(!IsMissingValue(values[k]));
    return n;
}

void Dataset::getBlock(std::size_t index, double* values, std::size_t count) const {
    const std::size_t held = index < size_ ? std::min(count, size_ - index) : 0;
    for (std::size_t k = 0; k < held; ++k) {
        values[k] = kinds_[index + k] == CellKind::Number ? numbers_[index + k] : ZEL_MISSING_VALUE;
    }
    std::fill(values + held, values + count, ZEL_MISSING_VALUE);
}

bool Dataset::setText(std::size_t index, const std::string& text) {
    if (!text_ || !reach(index)) return false;
    kinds_[index] = CellKind::Text;
    texts_[index] = text;
    return true;
}

bool Dataset::clear(std::size_t index) {
    if (!reach(index)) return false;
    CellKind& kind = kinds_[index];
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
            kinds_[index] = CellKind::Number;
            numbers_[index] = *parsed;
        } else {
            kinds_[index] = CellKind::Empty;
        }
    }
    texts_.clear();
}

}  // namespace tavrel
