// READRECORD and WRITERECORD: files of fixed binary records described by a
// template string ("SHORT|-LONG2|4|DOUBLE"), one worksheet row per record,
// one column per typed value.
#pragma once

#include <memory>
#include <vector>

#include "binary/MoBinIO.h"
#include "binary/TypeConverter.h"

namespace zel {

class CellBlocks;

// One item of a template: a typed value repeated count times, or count
// bytes to skip (width 0).
struct TemplateItem {
    Codec codec = nullptr;
    uint32_t count = 1;
    uint16_t width = 0;
    uint16_t minus = 0;
};

class MoRecord : public MoBinIO {
public:
    ZEL_CLASS_NAME(MoRecord)
    MoRecord(IoContext& io, TypeConverter& converter);

    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    // The skip of the last item, left out after the last record.
    uint32_t GetSkipBytes() override { return trailingSkip_; }

    // Builds the item list from a template; 0, or BadTypeName / ZeroCount (or
    // OutOfMemory) reported, with no template kept.
    int32_t ParseTemplate(const std::string& text, bool reading);

    const std::vector<TemplateItem>& items() const { return items_; }
    uint64_t recordSize() const { return recordSize_; }
    uint32_t columnsPerRecord() const { return columns_; }

protected:
    virtual bool IsReading() const = 0;
    // Runs the transfer of nRecords records.
    int32_t Transfer(double* result, MoDLL& owner);
    // Walks the records of a chunk: for every typed value calls
    // onValue(record, column index from 0, byte pointer).
    // done: the records walked whole.
    template <class OnValue>
    int32_t ForEachValue(uint32_t start, uint32_t count, uint8_t* buffer, uint32_t& done,
                         OnValue onValue);

    MoString& worksheet_;
    MoInt& records_;
    MoString& template_;
    // Whether the host serves the block request, asked once per transfer.
    bool blocks_ = false;

private:
    int32_t ParseItem(std::string_view text, bool reading, TemplateItem& item);

    std::vector<TemplateItem> items_;
    uint64_t recordSize_ = 0;
    uint32_t columns_ = 0;
    uint32_t trailingSkip_ = 0;
};

class MoReadRecord : public MoRecord {
public:
    ZEL_CLASS_NAME(MoReadRecord)
    using MoRecord::MoRecord;
    int32_t Execute(double* result, MoDLL& owner) override;
    int32_t StoreChunk(uint32_t start, uint32_t count, uint8_t* buffer, uint32_t& stored) override;

protected:
    bool IsReading() const override { return true; }

private:
    // With the block request: the records decoded straight into each
    // column's staged block, a run of rows at a time.
    int32_t StoreRuns(CellBlocks& cells, std::vector<std::unique_ptr<MoData>>& columns, uint32_t start, uint32_t count,
                      uint8_t* buffer, uint32_t& stored);
};

class MoWriteRecord : public MoRecord {
public:
    ZEL_CLASS_NAME(MoWriteRecord)
    using MoRecord::MoRecord;
    int32_t Execute(double* result, MoDLL& owner) override;
    int32_t FillChunk(uint32_t start, uint32_t count, uint8_t* buffer) override;

protected:
    bool IsReading() const override { return false; }
};

}  // namespace zel
