// Block transfers of binary values: the common base of the array, record
// and binary-row methods, and AREAD / AWRITE, which move a range of a
// dataset as equally spaced values (NBYTES bytes each, SKIP bytes between).
#pragma once

#include <memory>
#include <vector>

#include "binary/TypeConverter.h"
#include "data/MoData.h"
#include "props/MoNumeric.h"
#include "props/MoString.h"
#include "transfer/MoScribe.h"

namespace zel {

class MoBinIO : public MoBulk {
public:
    ZEL_CLASS_NAME(MoBinIO)
    MoBinIO(IoContext& io, TypeConverter& converter) : MoBulk(io), converter_(converter) {}

    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    uint32_t GetSkipBytes() override;

protected:
    // Before any byte moves: the width and gap settings must be usable with
    // the value kind (a codec exists for the pair), and the whole transfer
    // must fit 32 bits of bytes. 0, or a refusal with ERROR set.
    int32_t CheckLayout(int32_t kind, uint32_t count);
    // The result of a finished transfer: the items moved whole, or a
    // failure of the file layer or of memory.
    int32_t Finish(const TransferResult& transfer, double* result);
    // Loads the settings and selects the codec of BINTYPE and NBYTES for the
    // value loop; stride is NBYTES + SKIP. Null, with NoCodec reported, when
    // there is no codec for the pair.
    Codec SelectCodec(bool reading, size_t& stride);

    TypeConverter& converter_;
};

class MoAIO : public MoBinIO {
public:
    ZEL_CLASS_NAME(MoAIO)
    MoAIO(IoContext& io, TypeConverter& converter);
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;

    // For programs over the methods: the next transfer moves the cells of
    // this worksheet column (counted from 1) instead of the dataset named in
    // its first argument, so that a column is reached whatever the length
    // of its worksheet's name.
    void TargetColumn(const MoString& worksheet, int32_t column) { TargetColumns(worksheet, column, 1); }
    // The same over count columns from column on: a read deals its values
    // out in turn, value i to row i div count of column + i mod count (the
    // channels of interleaved frames, each stored once).
    void TargetColumns(const MoString& worksheet, int32_t column, int32_t count) {
        targetWorksheet_ = &worksheet;
        targetColumn_ = column;
        targetCount_ = count;
    }

protected:
    // The dataset of the transfer at hand, in its role.
    MoData MakeData(DataRole role, bool skipEmpty) {
        const MoString* worksheet = targetWorksheet_;
        targetWorksheet_ = nullptr;
        if (worksheet != nullptr) return MoData(*worksheet, Column{targetColumn_}, role);
        return MoData(dataset_.GetText(), skipEmpty, role);
    }

    // Moves the range between the file and data, reading or writing.
    int32_t Transfer(double* result, MoDLL& owner, MoData& data, bool reading);

    MoString& dataset_;
    MoInt& start_;
    MoInt& end_;
    MoInt& binType_;
    uint32_t first_ = 0;  // 0-based index of the first cell
    uint32_t end_index_ = 0;  // one past the last cell
    // During a transfer: the dataset, and the codec chosen for it.
    MoData* data_ = nullptr;
    Codec codec_ = nullptr;
    // Whether the host serves the block request, asked once per transfer.
    bool blocks_ = false;
    size_t stride_ = 0;

    const MoString* targetWorksheet_ = nullptr;
    int32_t targetColumn_ = 0;
    int32_t targetCount_ = 1;
};

class MoARead : public MoAIO {
public:
    ZEL_CLASS_NAME(MoARead)
    using MoAIO::MoAIO;
    int32_t Execute(double* result, MoDLL& owner) override;
    int32_t StoreChunk(uint32_t start, uint32_t count, uint8_t* buffer, uint32_t& stored) override;

private:
    // The columns after the first of a read dealt out over several; empty
    // for a read into one dataset.
    std::vector<std::unique_ptr<MoData>> dealt_;
};

class MoAWrite : public MoAIO {
public:
    ZEL_CLASS_NAME(MoAWrite)
    using MoAIO::MoAIO;
    int32_t Execute(double* result, MoDLL& owner) override;
    int32_t FillChunk(uint32_t start, uint32_t count, uint8_t* buffer) override;
};

}  // namespace zel
