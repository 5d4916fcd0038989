// The cells a transfer moves between its columns and the host, a block at a
// time when the host serves the block request, one request a cell when it
// does not. A transfer probes the host once and makes one of these for
// each piece it moves; every column (a lane) stages at most a bounded
// number of cells, so memory does not grow with the transfer.
//
// Without blocks, Put and Get are SetValue and ValueAt themselves: the host
// sees exactly the per-cell requests, in the same order.
#pragma once

#include <cstdint>
#include <vector>

#include "data/MoData.h"

namespace zel {

class CellBlocks {
public:
    // The cells staged over all lanes at most, and for one lane at least.
    static constexpr uint32_t kBudget = 1u << 16;
    static constexpr uint32_t kLaneMinimum = 64;

    // lanes: the number of columns; blocks: the probe's answer. Without
    // memory for the staging cells it moves them one request a cell.
    CellBlocks(uint32_t lanes, bool blocks);
    ~CellBlocks() { Flush(); }
    CellBlocks(const CellBlocks&) = delete;
    CellBlocks& operator=(const CellBlocks&) = delete;

    bool blocks() const { return blocks_; }

    // Stores value into row of the lane's column. A lane's rows come in
    // ascending order; a gap or a full lane sends what is staged first.
    void Put(uint32_t lane, MoData& column, int32_t row, double value) {
        if (!blocks_) {
            column.SetValue(row, value);
            return;
        }
        uint32_t room = 0;
        *Claim(lane, column, row, room) = value;
        Commit(lane, 1);
    }
    // With blocks: room in the lane for cells from row on, staged for a
    // store as Put stages them. Answers where to write them and, in room,
    // how many fit (at least 1); Commit then counts the cells written.
    double* Claim(uint32_t lane, MoData& column, int32_t row, uint32_t& room) {
        Lane& l = lanes_[lane];
        if (l.count > 0 && (!l.storing || l.count == capacity_ || l.column != &column ||
                            int64_t{row} != l.first + l.count)) {
            Send(l);
        }
        if (l.count == 0) {
            l.column = &column;
            l.first = row;
            l.storing = true;
        }
        room = capacity_ - l.count;
        return staged_.data() + size_t{lane} * capacity_ + l.count;
    }
    void Commit(uint32_t lane, uint32_t cells) { lanes_[lane].count += cells; }

    // Sends every cell staged for a store. Call before the columns go.
    void Flush();

    // The number in row of the lane's column, as ValueAt answers it; with
    // blocks, the rows up to end (exclusive) are fetched a block ahead.
    double Get(uint32_t lane, MoData& column, int32_t row, int32_t end) {
        if (!blocks_) return column.ValueAt(row);
        Lane& l = lanes_[lane];
        if (l.storing || l.column != &column || row < l.first || int64_t{row} >= l.first + l.count) {
            Fetch(l, lane, column, row, end);
        }
        return staged_[size_t{lane} * capacity_ + static_cast<uint32_t>(row - l.first)];
    }

private:
    struct Lane {
        MoData* column = nullptr;
        int32_t first = 0;
        uint32_t count = 0;
        bool storing = false;  // staged for a store, or fetched
    };
    void Send(Lane& lane);
    void Fetch(Lane& lane, uint32_t index, MoData& column, int32_t row, int32_t end);

    bool blocks_;
    uint32_t capacity_ = 0;
    std::vector<Lane> lanes_;
    std::vector<double> staged_;
};

}  // namespace zel
