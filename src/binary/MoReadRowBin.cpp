#include "binary/MoReadRowBin.h"

#include <limits>
#include <new>
#include <vector>

#include "binary/TypeConverter.h"
#include "host/HostServices.h"
#include "data/MoTavrelWks.h"

namespace zel {

MoReadRowBin::MoReadRowBin(IoContext& io, TypeConverter& converter)
    : MoBinIO(io, converter),
      worksheet_(AddArgument<MoString>(StringRole::WorksheetName)),
      tokens_(AddArgument<MoInt>()),
      binType_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoReadRowBin::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoBinIO::ParseArguments(argText, owner); r != 0) return r;
    if (!worksheet_.given() || !tokens_.given() || !binType_.given()) {
        return io_.Report(Err::MissingTransferArgument);
    }
    count_ = static_cast<uint32_t>(tokens_.value());
    if (int32_t e = io_.BinType().CheckedSet(binType_.value()); e != 0) return e;
    return io_.Signed().CheckCurrent();
}

int32_t MoReadRowBin::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    // The row descriptor carries the number of values in 16 bits.
    if (count_ > std::numeric_limits<uint16_t>::max()) return io_.Report(Err::OutOfRange);
    if (int32_t e = CheckLayout(io_.BinType().value(), count_); e != 0) return e;
    // Nothing moves for a worksheet that is not there.
    if (!MoTavrelWks(worksheet_, io_).IsAttached()) return io_.Report(Err::NoSuchData);
    const uint32_t item = static_cast<uint32_t>(io_.NBytes().value() + io_.Skip().value());
    return Finish(BulkTransfer(*io_.CurrentFile(), item, count_, 1, true), result);
}

int32_t MoReadRowBin::StoreChunk(uint32_t, uint32_t count, uint8_t* buffer, uint32_t& stored) {
    stored = 0;
    MoTavrelWks worksheet(worksheet_, io_);
    if (worksheet.EnsureColumns(static_cast<int32_t>(count)) != 0) return 0;

    std::vector<double> values;
    try {
        values.resize(count);
    } catch (const std::bad_alloc&) {
        return io_.Report(Err::OutOfMemory);
    }
    size_t stride = 0;
    Codec decode = SelectCodec(true, stride);
    if (decode == nullptr) return io_.Report(Err::NoCodec);
    if (int32_t r = converter_.DecodeMany(decode, buffer, stride, values.data(), count); r != 0) {
        return r;
    }

    int32_t worksheetHandle = 0;
    const char* name = worksheet_.GetText();
    if (host::Call(ZEL_CB_WORKSHEET_HANDLE, reinterpret_cast<intptr_t>(name),
                   reinterpret_cast<intptr_t>(&worksheetHandle)) != 0 ||
        !host::Available()) {
        return io_.Report(Err::HostRefused);
    }
    ZelRowDescriptor row{};
    row.tag = ZEL_ROW_TAG;
    row.count = static_cast<uint16_t>(count);
    row.one = 1;
    row.zero = 0;
    row.values = values.data();
    if (host::CallOn(static_cast<uint32_t>(worksheetHandle), ZEL_CB_ROW,
                     reinterpret_cast<intptr_t>(&row), 0) != 0) {
        return io_.Report(Err::HostRefused);
    }
    stored = count;
    host::Call(ZEL_CB_COMMAND, reinterpret_cast<intptr_t>("doc -uw"), 0);
    return 0;
}

}  // namespace zel
