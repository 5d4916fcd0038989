#include "import/MoWav.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "binary/MoBinIO.h"
#include "data/MoData.h"
#include "data/MoTavrelWks.h"
#include "frame/MoDLL.h"
#include "host/HostServices.h"

namespace zel {
namespace {

// Chunk ids as READ(4) delivers them, little-endian.
constexpr int32_t kRiff = 0x46464952;
constexpr int32_t kWave = 0x45564157;
constexpr int32_t kFmt = 0x20746D66;
constexpr int32_t kData = 0x61746164;
constexpr int32_t kFact = 0x74636166;
constexpr int32_t kPcm = 1;
// Bytes of the format chunk beyond its 16 that are skipped; more is refused.
constexpr int32_t kMaxFormatExtra = 4;

}  // namespace

uint32_t MoWav::RepaintWindow() const { return host::Handle(); }

int32_t MoWav::Import(MoDLL& owner) {
    MoTavrelWks worksheet(worksheet_, io_);
    // Nothing is read for a worksheet that is not there.
    if (!worksheet.IsAttached()) return io_.Fail(Err::NoSuchData);
    ReadLittleEndian();

    // Each step reads one field; a nested failure ends the import.
    double value = 0.0;
    auto read = [&](int32_t bytes) {
        return RunMethod(owner, ZelMethod::Read, value, {bytes});
    };
    auto run = [&](ZelMethod method, int32_t argument) { return RunMethod(owner, method, {argument}); };
    auto field = [&]() { return static_cast<int32_t>(static_cast<int64_t>(value)); };

    if (int32_t r = run(ZelMethod::SetPos, 20); r != 0) return NestedFailure(r);
    if (int32_t r = read(1); r != 0) return NestedFailure(r);
    if (field() != kPcm) return io_.Raise(Err::BadFormat);

    if (int32_t r = run(ZelMethod::SetPos, 0); r != 0) return NestedFailure(r);
    if (int32_t r = read(4); r != 0) return NestedFailure(r);
    if (field() != kRiff) return io_.Raise(Err::BadFormat);
    if (int32_t r = run(ZelMethod::Jump, 4); r != 0) return NestedFailure(r);
    if (int32_t r = read(4); r != 0) return NestedFailure(r);
    if (field() != kWave) return io_.Raise(Err::BadFormat);
    if (int32_t r = read(4); r != 0) return NestedFailure(r);
    if (field() != kFmt) return io_.Raise(Err::BadFormat);

    if (int32_t r = read(4); r != 0) return NestedFailure(r);
    const int32_t formatSize = field();
    if (int32_t r = run(ZelMethod::Jump, 2); r != 0) return NestedFailure(r);
    if (int32_t r = read(2); r != 0) return NestedFailure(r);
    const int32_t channels = field();
    if (int32_t r = read(4); r != 0) return NestedFailure(r);
    const double rate = value;
    if (int32_t r = run(ZelMethod::Jump, 6); r != 0) return NestedFailure(r);
    if (int32_t r = read(2); r != 0) return NestedFailure(r);
    const int32_t sampleBytes = field() >> 3;
    // No channels or no rate describes no sound: the frame count and the
    // times would divide by zero.
    if (channels <= 0 || !(rate > 0.0)) return io_.Raise(Err::BadFormat);

    SetSetting(Setting::NBytes, sampleBytes);
    SetSetting(Setting::Signed, sampleBytes > 1 ? 1 : 0);

    if (formatSize > 16) {
        if (formatSize - 16 > kMaxFormatExtra) return io_.Raise(Err::BadFormat);
        if (int32_t r = run(ZelMethod::Jump, formatSize - 16); r != 0) return NestedFailure(r);
    }
    if (int32_t r = read(4); r != 0) return NestedFailure(r);
    const int32_t id = field();
    if (id == kFact) {
        if (int32_t r = run(ZelMethod::Jump, 12); r != 0) return NestedFailure(r);
    } else if (id != kData) {
        return io_.Raise(Err::BadFormat);
    }
    if (int32_t r = read(4); r != 0) return NestedFailure(r);
    // The size field is unsigned; with SIGNED 1 a size of 2^31 or more reads
    // negative (writers that stream put 0xFFFFFFFF there): it is cut to the
    // file below like any other size.
    int64_t dataBytes = static_cast<int64_t>(value);
    if (dataBytes < 0) dataBytes += int64_t{1} << 32;
    if (sampleBytes <= 0) return io_.Raise(Err::BadFormat);
    // Only whole frames are imported, and only those the file holds: a data
    // size past the end of the file or with a partial frame is cut.
    double size = 0.0;
    double position = 0.0;
    if (int32_t r = RunMethod(owner, ZelMethod::Size, size); r != 0) return NestedFailure(r);
    if (int32_t r = RunMethod(owner, ZelMethod::GetPos, position); r != 0) return NestedFailure(r);
    dataBytes = std::min<int64_t>(dataBytes, static_cast<int64_t>(size - position));
    const int64_t frameBytes = static_cast<int64_t>(sampleBytes) * channels;
    const int64_t samples = dataBytes / frameBytes * channels;
    if (samples > INT32_MAX) return io_.Raise(Err::BadFormat);

    // The samples go to column 2, the worksheet's data column.
    if (int32_t r = worksheet.EnsureColumns(2); r != 0) return r;
    auto* aread = dynamic_cast<MoAIO*>(Method(owner, ZelMethod::ARead));
    if (aread == nullptr) return io_.Fail(Err::OutOfMemory);
    const DatasetName dataName = ColumnDataset("Data");
    aread->TargetColumn(worksheet.wksName(), 2);
    double stored = 0.0;
    if (int32_t r = RunMethod(owner, ZelMethod::ARead, stored,
                              {std::string_view(dataName.data()), 1, static_cast<int32_t>(samples), 0});
        r != 0) {
        return NestedFailure(r);
    }
    if (int32_t r = run(ZelMethod::Jump, static_cast<int32_t>(GetSetting(Setting::Skip))); r != 0) {
        return NestedFailure(r);
    }
    // Only the samples the file held have a time: a header that claims more
    // than the file holds makes no rows of its own.
    const int32_t read_ = stored > 0 ? static_cast<int32_t>(stored) : 0;

    {
        MoResultData times(worksheet.wksName(), Column{1});
        const double step = 1.0 / rate;
        const int32_t frames = read_ / channels;
        for (int32_t i = 0; i < frames; ++i) times.SetValue(i, i * step + step);
    }

    if (channels == 2) {
        if (int32_t r = worksheet.EnsureColumns(4); r != 0) return r;
        worksheet.SetColumnName(3, "Left");
        worksheet.SetColumnName(4, "Right");
        const int32_t half = read_ / 2;
        {
            MoResultData data(worksheet.wksName(), Column{2});
            MoResultData left(worksheet.wksName(), Column{3});
            MoResultData right(worksheet.wksName(), Column{4});
            for (int32_t j = 0; j < half; ++j) {
                left.SetValue(j, data.ValueAt(2 * j));
                right.SetValue(j, data.ValueAt(2 * j + 1));
            }
        }
        worksheet.RemoveColumn(2);
        worksheet.SetRowCount(half);
    }
    return 0;
}

}  // namespace zel
