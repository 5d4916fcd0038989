#include "data/CellBlocks.h"

#include <algorithm>
#include <new>

namespace zel {

CellBlocks::CellBlocks(uint32_t lanes, bool blocks) : blocks_(blocks && lanes > 0) {
    if (!blocks_) return;
    capacity_ = std::max(kLaneMinimum, kBudget / lanes);
    try {
        lanes_.resize(lanes);
        staged_.resize(size_t{lanes} * capacity_);
    } catch (const std::bad_alloc&) {
        blocks_ = false;
    }
}

void CellBlocks::Flush() {
    for (Lane& lane : lanes_) {
        if (lane.storing && lane.count > 0) Send(lane);
    }
}

void CellBlocks::Send(Lane& lane) {
    const size_t index = static_cast<size_t>(&lane - lanes_.data());
    if (lane.storing) lane.column->StoreBlock(lane.first, staged_.data() + index * capacity_, lane.count);
    lane.count = 0;
    lane.storing = false;
}

void CellBlocks::Fetch(Lane& lane, uint32_t index, MoData& column, int32_t row, int32_t end) {
    const int64_t wanted = std::clamp<int64_t>(int64_t{end} - row, 1, capacity_);
    if (lane.storing && lane.count > 0) Send(lane);
    lane.column = &column;
    lane.first = row;
    lane.count = static_cast<uint32_t>(wanted);
    lane.storing = false;
    column.FetchBlock(row, staged_.data() + size_t{index} * capacity_, lane.count);
}

}  // namespace zel
