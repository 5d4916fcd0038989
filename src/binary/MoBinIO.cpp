#include "binary/MoBinIO.h"

#include <algorithm>
#include <array>
#include <limits>

#include "binary/TypeConverter.h"
#include "data/CellBlocks.h"
#include "data/MoData.h"
#include "host/HostServices.h"

namespace zel {
namespace {

// Values a dealt-out read decodes at once before it deals them out.
constexpr uint32_t kDealtRun = 2048;
// How often an array transfer may halve its block when memory is short.
constexpr uint32_t kSplitBudget = 256;
}  // namespace

int32_t MoBinIO::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoBulk::ParseArguments(argText, owner); r != 0) return r;
    return io_.ByteOrder().CheckCurrent();
}

uint32_t MoBinIO::GetSkipBytes() { return static_cast<uint32_t>(io_.Skip().value()); }

int32_t MoBinIO::CheckLayout(int32_t kind, uint32_t count) {
    // A width stored unchecked, or a negative gap, would give item sizes
    // that do not describe the file.
    if (int32_t e = io_.NBytes().CheckCurrent(); e != 0) return e;
    if (io_.Skip().value() < 0) return io_.Report(Err::OutOfRange);
    // A BCD value needs its 10 bytes inside each item.
    if (kind == kKindBcd && io_.NBytes().value() != kBcdBytes) return io_.Report(Err::NoCodec);
    const uint64_t item = static_cast<uint64_t>(io_.NBytes().value()) +
                          static_cast<uint64_t>(io_.Skip().value());
    if (item * count > std::numeric_limits<uint32_t>::max()) return io_.Report(Err::OutOfRange);
    if (converter_.SelectConverter(kind, io_.NBytes().value(), true) == nullptr) {
        return io_.Report(Err::NoCodec);
    }
    return 0;
}

int32_t MoBinIO::Finish(const TransferResult& transfer, double* result) {
    // A transfer that found no memory for its buffer fails with the number
    // that says so.
    if (transfer.end == TransferEnd::OutOfMemory) return io_.Report(Err::OutOfMemory);
    *result = transfer.items;
    return transfer.end == TransferEnd::FileFailed ? transfer.code : 0;
}

Codec MoBinIO::SelectCodec(bool reading, size_t& stride) {
    stride = static_cast<size_t>(io_.NBytes().value()) + static_cast<size_t>(io_.Skip().value());
    converter_.LoadSettings(io_.Signed().value(), io_.ByteOrder().value());
    return converter_.SelectConverter(io_.BinType().value(), io_.NBytes().value(), reading);
}

MoAIO::MoAIO(IoContext& io, TypeConverter& converter)
    : MoBinIO(io, converter),
      dataset_(AddArgument<MoString>(StringRole::DatasetName)),
      start_(AddArgument<MoInt>()),
      end_(AddArgument<MoInt>()),
      binType_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoAIO::ParseArguments(std::string& argText, MoDLL& owner) {
    // A column target belongs to the program that set it, never to a script.
    if (ImportInProgress() == 0) targetWorksheet_ = nullptr;
    if (int32_t r = MoBinIO::ParseArguments(argText, owner); r != 0) return r;
    if (!dataset_.given() || !start_.given() || !end_.given() || !binType_.given()) {
        return io_.Report(Err::MissingTransferArgument);
    }
    first_ = static_cast<uint32_t>(start_.value()) - 1u;
    end_index_ = static_cast<uint32_t>(end_.value());
    // An end below 0 would be a huge unsigned index: refused as an end
    // before the start.
    if (end_index_ < first_ || end_.value() < 0) return io_.Report(Err::EndBeforeStart);
    if (int32_t e = io_.BinType().CheckedSet(binType_.value()); e != 0) return e;
    return io_.Signed().CheckCurrent();
}

int32_t MoAIO::Transfer(double* result, MoDLL& owner, MoData& data, bool reading) {
    MoZELIO::Execute(result, owner);
    if (io_.NewActions()) *result = -1.0;
    const uint32_t count = end_index_ - first_;
    if (int32_t e = CheckLayout(io_.BinType().value(), count); e != 0) return e;
    // Nothing moves for a dataset that is not there.
    if (!data.CheckAttached()) return io_.Report(Err::NoSuchData);
    codec_ = SelectCodec(reading, stride_);
    if (codec_ == nullptr) return io_.Report(Err::NoCodec);
    data_ = &data;
    blocks_ = host::ServesBlocks();
    const uint32_t item = static_cast<uint32_t>(io_.NBytes().value() + io_.Skip().value());
    const TransferResult transfer = BulkTransfer(*io_.CurrentFile(), item, count, kSplitBudget, reading);
    data_ = nullptr;
    return Finish(transfer, result);
}

int32_t MoARead::Execute(double* result, MoDLL& owner) {
    dealt_.clear();
    if (targetWorksheet_ != nullptr) {
        for (int32_t k = 1; k < targetCount_; ++k) {
            dealt_.push_back(std::make_unique<MoData>(*targetWorksheet_, Column{targetColumn_ + k}, DataRole::Result));
            // Nothing moves unless every column is there.
            if (!dealt_.back()->CheckAttached()) {
                MoZELIO::Execute(result, owner);
                dealt_.clear();
                targetWorksheet_ = nullptr;
                return io_.Report(Err::NoSuchData);
            }
        }
    }
    MoData data = MakeData(DataRole::Result, true);
    const int32_t r = Transfer(result, owner, data, true);
    // The columns commit their extents as they go.
    dealt_.clear();
    return r;
}

int32_t MoARead::StoreChunk(uint32_t start, uint32_t count, uint8_t* buffer, uint32_t& stored) {
    const uint32_t index = first_ + start;
    const uint32_t columns = static_cast<uint32_t>(dealt_.size()) + 1;
    // Declared after the columns it stores into: it sends its cells first.
    CellBlocks cells(columns, blocks_);
    if (dealt_.empty() && cells.blocks()) {
        // Decoded straight into the staged block, a run at a time.
        for (stored = 0; stored < count;) {
            uint32_t room = 0;
            double* out = cells.Claim(0, *data_, static_cast<int32_t>(index + stored), room);
            uint32_t done = 0;
            const int32_t r =
                converter_.DecodeRun(codec_, buffer + stored * stride_, stride_, out, std::min(room, count - stored), done);
            cells.Commit(0, done);
            stored += done;
            if (r != 0) return r;
        }
        return 0;
    }
    if (dealt_.empty()) {
        for (stored = 0; stored < count; ++stored) {
            double value = 0.0;
            if (int32_t r = codec_(converter_, buffer + stored * stride_, value); r != 0) return r;
            cells.Put(0, *data_, static_cast<int32_t>(index + stored), value);
        }
        return 0;
    }
    // Dealt out: value i to column i mod n, row i div n.
    uint32_t column = index % columns;
    uint32_t row = index / columns;
    auto target = [&](uint32_t c) -> MoData& { return c == 0 ? *data_ : *dealt_[c - 1]; };
    if (cells.blocks() && TypeConverter::SilentDecoder(codec_)) {
        // Values that cannot fail may be decoded out of order: a part frame
        // a cell at a time, then whole frames a column at a time, straight
        // into each column's staged block.
        auto putOne = [&] {
            double value = 0.0;
            codec_(converter_, buffer + stored * stride_, value);
            cells.Put(column, target(column), static_cast<int32_t>(row), value);
            if (++column == columns) {
                column = 0;
                ++row;
            }
            ++stored;
        };
        stored = 0;
        while (stored < count && column != 0) putOne();
        while (count - stored >= columns) {
            uint32_t frames = (count - stored) / columns;
            uint32_t room = 0;
            for (uint32_t c = 0; c < columns; ++c) {
                cells.Claim(c, target(c), static_cast<int32_t>(row), room);
                frames = std::min(frames, room);
            }
            for (uint32_t c = 0; c < columns; ++c) {
                double* out = cells.Claim(c, target(c), static_cast<int32_t>(row), room);
                uint32_t done = 0;
                converter_.DecodeRun(codec_, buffer + (stored + c) * stride_, size_t{stride_} * columns, out, frames,
                                     done);
                cells.Commit(c, done);
            }
            stored += frames * columns;
            row += frames;
        }
        while (stored < count) putOne();
        return 0;
    }
    if (cells.blocks()) {
        // A run decoded at once, then dealt out to the staged blocks.
        std::array<double, kDealtRun> run;
        for (stored = 0; stored < count;) {
            uint32_t done = 0;
            const int32_t r = converter_.DecodeRun(codec_, buffer + stored * stride_, stride_, run.data(),
                                                   std::min<uint32_t>(kDealtRun, count - stored), done);
            for (uint32_t k = 0; k < done; ++k) {
                cells.Put(column, target(column), static_cast<int32_t>(row), run[k]);
                if (++column == columns) {
                    column = 0;
                    ++row;
                }
            }
            stored += done;
            if (r != 0) return r;
        }
        return 0;
    }
    for (stored = 0; stored < count; ++stored) {
        double value = 0.0;
        if (int32_t r = codec_(converter_, buffer + stored * stride_, value); r != 0) return r;
        cells.Put(column, target(column), static_cast<int32_t>(row), value);
        if (++column == columns) {
            column = 0;
            ++row;
        }
    }
    return 0;
}

int32_t MoAWrite::Execute(double* result, MoDLL& owner) {
    MoData data = MakeData(DataRole::Source, true);
    return Transfer(result, owner, data, false);
}

int32_t MoAWrite::FillChunk(uint32_t start, uint32_t count, uint8_t* buffer) {
    const uint32_t row = first_ + start;
    CellBlocks cells(1, blocks_);
    const int32_t end = static_cast<int32_t>(row + count);
    for (uint32_t k = 0; k < count; ++k) {
        double value = cells.Get(0, *data_, static_cast<int32_t>(row + k), end);
        if (int32_t r = codec_(converter_, buffer + k * stride_, value); r != 0) return r;
    }
    return 0;
}

}  // namespace zel
