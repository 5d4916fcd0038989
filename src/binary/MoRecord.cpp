#include "binary/MoRecord.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>

#include "data/CellBlocks.h"
#include "data/MoData.h"
#include "data/MoTavrelWks.h"
#include "host/HostServices.h"

namespace zel {
namespace {

constexpr bool IsKeywordChar(char c) { return (c >= 'A' && c <= 'Z') || c == '-'; }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One dataset wrapper in role per worksheet column 1..count; false when
// memory ran out (the wrappers made so far are released).
bool MakeColumns(const MoTavrelWks& worksheet, uint32_t count, DataRole role,
                 std::vector<std::unique_ptr<MoData>>& columns) {
    try {
        columns.reserve(count);
        for (uint32_t c = 1; c <= count; ++c) {
            const Column column{static_cast<int32_t>(c)};
            columns.push_back(std::make_unique<MoData>(worksheet.wksName(), column, role));
        }
    } catch (const std::bad_alloc&) {
        columns.clear();
        return false;
    }
    return true;
}

}  // namespace

MoRecord::MoRecord(IoContext& io, TypeConverter& converter)
    : MoBinIO(io, converter),
      worksheet_(AddArgument<MoString>(StringRole::WorksheetName)),
      records_(AddArgument<MoInt>()),
      template_(AddArgument<MoString>()) {
    AddArgument<MoInt>();
}

int32_t MoRecord::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoBinIO::ParseArguments(argText, owner); r != 0) return r;
    if (!worksheet_.given() || !records_.given() || !template_.given()) {
        return io_.Report(Err::MissingTransferArgument);
    }
    return ParseTemplate(std::string(template_.text()), IsReading());
}

int32_t MoRecord::ParseItem(std::string_view text, bool reading, TemplateItem& item) {
    auto fail = [this](Err id) { return io_.Report(id); };
    // Reads the digits at pos into item.count; they must end the item.
    auto readCount = [&](size_t pos) -> int32_t {
        uint64_t count = 0;
        while (pos < text.size() && IsDigit(text[pos])) {
            count = count * 10 + static_cast<uint64_t>(text[pos] - '0');
            if (count > std::numeric_limits<uint32_t>::max()) return fail(Err::BadTypeName);
            ++pos;
        }
        if (pos != text.size()) return fail(Err::BadTypeName);
        if (count == 0) return fail(Err::ZeroCount);
        item.count = static_cast<uint32_t>(count);
        return 0;
    };

    if (text.empty()) return fail(Err::BadTypeName);
    if (IsKeywordChar(text.front())) {
        TypeItem type;
        size_t consumed = 0;
        const std::string keyword(text);
        if (int32_t r = converter_.ParseTypeName(keyword.c_str(), reading, type, consumed);
            r != 0) {
            return r;
        }
        item.codec = type.codec;
        item.width = static_cast<uint16_t>(type.width);
        item.minus = type.minus ? 1 : 0;
        size_t pos = consumed;
        while (pos < text.size() && IsKeywordChar(text[pos])) ++pos;
        if (pos == text.size()) return 0;
        if (IsDigit(text[pos])) return readCount(pos);
        return fail(Err::BadTypeName);
    }
    if (IsDigit(text.front())) {
        item.width = 0;
        item.codec = nullptr;
        return readCount(0);
    }
    return fail(Err::BadTypeName);
}

int32_t MoRecord::ParseTemplate(const std::string& text, bool reading) {
    items_.clear();
    recordSize_ = 0;
    columns_ = 0;
    trailingSkip_ = 0;
    try {
        std::string_view rest = text;
        while (true) {
            const size_t bar = rest.find('|');
            TemplateItem item;
            const int32_t r = ParseItem(rest.substr(0, bar), reading, item);
            if (r != 0) {
                items_.clear();
                return r;
            }
            items_.push_back(item);
            if (bar == std::string_view::npos) break;
            rest.remove_prefix(bar + 1);
        }
    } catch (const std::bad_alloc&) {
        items_.clear();
        return io_.Report(Err::OutOfMemory);
    }
    uint64_t columns = 0;
    for (const TemplateItem& item : items_) {
        recordSize_ += item.width == 0 ? item.count : static_cast<uint64_t>(item.width) * item.count;
        if (item.width != 0) columns += item.count;
    }
    columns_ = static_cast<uint32_t>(std::min<uint64_t>(columns, std::numeric_limits<uint32_t>::max()));
    trailingSkip_ = items_.back().width == 0 ? items_.back().count : 0;
    return 0;
}

int32_t MoRecord::Transfer(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    *result = -1.0;
    // A count whose bytes do not fit 32 bits (negative counts among them)
    // describes no file this module can move.
    const uint32_t count = static_cast<uint32_t>(records_.value());
    if (records_.value() < 0 ||
        recordSize_ * count > std::numeric_limits<uint32_t>::max() || items_.empty()) {
        return io_.Report(Err::OutOfRange);
    }
    // Nothing moves for a worksheet that is not there.
    if (!MoTavrelWks(worksheet_, io_).IsAttached()) return io_.Report(Err::NoSuchData);
    blocks_ = host::ServesBlocks();
    const TransferResult transfer =
        BulkTransfer(*io_.CurrentFile(), static_cast<uint32_t>(recordSize_), count, 1, IsReading());
    const int32_t status = Finish(transfer, result);
    // WRITERECORD answers 0 whatever it wrote.
    if (!IsReading() && transfer.end != TransferEnd::OutOfMemory) *result = 0.0;
    return status;
}

template <class OnValue>
int32_t MoRecord::ForEachValue(uint32_t start, uint32_t count, uint8_t* buffer, uint32_t& done,
                               OnValue onValue) {
    converter_.LoadSettings(io_.Signed().value(), io_.ByteOrder().value());
    uint8_t* p = buffer;
    for (done = 0; done < count; ++done) {
        const uint32_t r = start + done;
        uint32_t column = 0;
        for (const TemplateItem& item : items_) {
            if (item.width == 0) {
                p += item.count;
                continue;
            }
            converter_.SetSigned(item.minus);
            for (uint32_t i = 0; i < item.count; ++i) {
                if (int32_t e = onValue(r, column, item, p); e != 0) return e;
                p += item.width;
                ++column;
            }
        }
    }
    return 0;
}

int32_t MoReadRecord::Execute(double* result, MoDLL& owner) { return Transfer(result, owner); }

int32_t MoReadRecord::StoreChunk(uint32_t start, uint32_t count, uint8_t* buffer,
                                 uint32_t& stored) {
    stored = 0;
    MoTavrelWks worksheet(worksheet_, io_);
    // A column that cannot be added reports HostRefused; the values
    // of the columns that exist are still stored.
    worksheet.EnsureColumns(static_cast<int32_t>(columnsPerRecord()));
    std::vector<std::unique_ptr<MoData>> columns;
    if (!MakeColumns(worksheet, columnsPerRecord(), DataRole::Result, columns)) return io_.Report(Err::OutOfMemory);
    // Declared after the columns it stores into: it sends its cells first.
    CellBlocks cells(columnsPerRecord(), blocks_);
    if (cells.blocks()) return StoreRuns(cells, columns, start, count, buffer, stored);
    return ForEachValue(start, count, buffer, stored,
                        [&](uint32_t row, uint32_t column, const TemplateItem& item, uint8_t* p) {
                            double value = 0.0;
                            if (int32_t e = item.codec(converter_, p, value); e != 0) return e;
                            cells.Put(column, *columns[column], static_cast<int32_t>(row), value);
                            return 0;
                        });
}

int32_t MoReadRecord::StoreRuns(CellBlocks& cells, std::vector<std::unique_ptr<MoData>>& columns, uint32_t start,
                                uint32_t count, uint8_t* buffer, uint32_t& stored) {
    converter_.LoadSettings(io_.Signed().value(), io_.ByteOrder().value());
    const auto width = static_cast<uint32_t>(columns.size());
    std::vector<double*> out(width);
    // Where each value lies in a record. When every decoder is silent, a run
    // is decoded a column at a time, each a tight loop.
    struct Field {
        size_t offset;
        Codec codec;
        uint16_t minus;
    };
    std::vector<Field> fields;
    size_t offset = 0;
    for (const TemplateItem& item : items()) {
        for (uint32_t i = 0; item.width > 0 && i < item.count; ++i) {
            fields.push_back({offset + size_t{i} * item.width, item.codec, item.minus});
        }
        offset += size_t{item.width > 0 ? item.width : 1u} * item.count;
    }
    const size_t recordBytes = offset;
    const bool silent =
        std::all_of(fields.begin(), fields.end(), [](const Field& f) { return TypeConverter::SilentDecoder(f.codec); });
    for (stored = 0; stored < count;) {
        // The lanes fill in step: every column has room for the same rows.
        uint32_t run = count - stored;
        for (uint32_t c = 0; c < width; ++c) {
            uint32_t room = 0;
            out[c] = cells.Claim(c, *columns[c], static_cast<int32_t>(start + stored), room);
            run = std::min(run, room);
        }
        uint8_t* records = buffer + size_t{stored} * recordBytes;
        for (uint32_t c = 0; silent && c < width; ++c) {
            converter_.SetSigned(fields[c].minus);
            uint32_t done = 0;
            converter_.DecodeRun(fields[c].codec, records + fields[c].offset, recordBytes, out[c], run, done);
        }
        // A decoder that may refuse or report goes record by record, so that
        // what it reports comes in the order of the file.
        for (uint32_t k = 0; !silent && k < run; ++k) {
            for (uint32_t c = 0; c < width; ++c) {
                converter_.SetSigned(fields[c].minus);
                uint8_t* value = records + size_t{k} * recordBytes + fields[c].offset;
                if (int32_t e = fields[c].codec(converter_, value, out[c][k]); e != 0) {
                    // The record's values before the refused one are stored, as ever.
                    for (uint32_t d = 0; d < width; ++d) cells.Commit(d, d < c ? k + 1 : k);
                    stored += k;
                    return e;
                }
            }
        }
        for (uint32_t c = 0; c < width; ++c) cells.Commit(c, run);
        stored += run;
    }
    return 0;
}

int32_t MoWriteRecord::Execute(double* result, MoDLL& owner) { return Transfer(result, owner); }

int32_t MoWriteRecord::FillChunk(uint32_t start, uint32_t count, uint8_t* buffer) {
    MoTavrelWks worksheet(worksheet_, io_);
    if (worksheet.ColumnCount() < static_cast<int64_t>(columnsPerRecord())) {
        return io_.Report(Err::RecordTooWide);
    }
    std::vector<std::unique_ptr<MoData>> columns;
    if (!MakeColumns(worksheet, columnsPerRecord(), DataRole::Source, columns)) return io_.Report(Err::OutOfMemory);
    CellBlocks cells(columnsPerRecord(), blocks_);
    const int32_t end = static_cast<int32_t>(start + count);
    uint32_t filled = 0;
    return ForEachValue(start, count, buffer, filled,
                        [&](uint32_t row, uint32_t column, const TemplateItem& item, uint8_t* p) {
                            double value = cells.Get(column, *columns[column], static_cast<int32_t>(row), end);
                            return item.codec(converter_, p, value);
                        });
}

}  // namespace zel
