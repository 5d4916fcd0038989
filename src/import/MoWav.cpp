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
// Format tags: integer samples, IEEE floats, and the extensible format that
// names one of the two by a sub-format GUID.
constexpr int32_t kPcm = 1;
constexpr int32_t kFloat = 3;
constexpr int32_t kExtensible = 0xFFFE;
// The sub-format GUID after its first four bytes (the tag), as READ(4)
// delivers its three words.
constexpr uint32_t kGuidTail[] = {0x00100000, 0xAA000080, 0x719B3800};
// Bytes of a format chunk the import reads: the basic fields, and with the
// extensible format's extension.
constexpr int32_t kBasicFormat = 16;
constexpr int32_t kExtensibleFormat = 40;
// Where the format chunk's fields start: after "RIFF", size, "WAVE", "fmt ",
// size.
constexpr int64_t kFormatStart = 20;
constexpr int64_t kChunkHeader = 8;
// AREAD's binary types.
constexpr int32_t kIntegerType = 0;
constexpr int32_t kRealType = 1;

// A READ(4) of a size field: unsigned, whatever SIGNED the read had.
int64_t Unsigned32(double value) { return static_cast<int64_t>(value) & 0xFFFFFFFF; }

}  // namespace

uint32_t MoWav::RepaintWindow() const { return host::Handle(); }

int32_t MoWav::ReadField(MoDLL& owner, int32_t bytes, double& value) {
    if (int32_t r = RunMethod(owner, ZelMethod::Read, value, {bytes}); r != 0) return NestedFailure(r);
    return 0;
}

int32_t MoWav::Step(MoDLL& owner, ZelMethod method, int32_t argument) {
    if (int32_t r = RunMethod(owner, method, {argument}); r != 0) return NestedFailure(r);
    return 0;
}

int32_t MoWav::ReadFormat(MoDLL& owner, Format& format) {
    double value = 0.0;
    auto field = [&]() { return static_cast<int32_t>(static_cast<int64_t>(value)); };
    auto expectId = [&](int32_t id) -> int32_t {
        if (int32_t r = ReadField(owner, 4, value); r != 0) return r;
        return field() == id ? 0 : io_.Raise(Err::BadFormat);
    };
    // The low byte of the tag is looked at first of all.
    if (int32_t r = Step(owner, ZelMethod::SetPos, static_cast<int32_t>(kFormatStart)); r != 0) return r;
    if (int32_t r = ReadField(owner, 1, value); r != 0) return r;
    if (field() != kPcm && field() != kFloat && field() != (kExtensible & 0xFF)) return io_.Raise(Err::BadFormat);

    // "RIFF", its size (not used), "WAVE", "fmt " and the format's size.
    if (int32_t r = Step(owner, ZelMethod::SetPos, 0); r != 0) return r;
    if (int32_t r = expectId(kRiff); r != 0) return r;
    if (int32_t r = Step(owner, ZelMethod::Jump, 4); r != 0) return r;
    if (int32_t r = expectId(kWave); r != 0) return r;
    if (int32_t r = expectId(kFmt); r != 0) return r;
    if (int32_t r = ReadField(owner, 4, value); r != 0) return r;
    format.chunkBytes = Unsigned32(value);
    if (int32_t r = ReadField(owner, 2, value); r != 0) return r;
    int32_t tag = field() & 0xFFFF;
    if (int32_t r = ReadField(owner, 2, value); r != 0) return r;
    format.channels = field();
    if (int32_t r = ReadField(owner, 4, value); r != 0) return r;
    format.rate = value;
    if (int32_t r = Step(owner, ZelMethod::Jump, 6); r != 0) return r;
    if (int32_t r = ReadField(owner, 2, value); r != 0) return r;
    const int32_t bits = field();
    // No channels or no rate describes no sound: the frame count and the
    // times would divide by zero.
    if (format.channels <= 0 || !(format.rate > 0.0)) return io_.Raise(Err::BadFormat);
    if (format.chunkBytes < kBasicFormat) return io_.Raise(Err::BadFormat);

    format.fieldBytes = kBasicFormat;
    if (tag == kExtensible) {
        if (format.chunkBytes < kExtensibleFormat) return io_.Raise(Err::BadFormat);
        // The extension's size, valid bits and channel mask: the samples are
        // read at their container's width.
        if (int32_t r = Step(owner, ZelMethod::Jump, 8); r != 0) return r;
        if (int32_t r = ReadField(owner, 4, value); r != 0) return r;
        tag = field();
        for (const uint32_t word : kGuidTail) {
            if (int32_t r = ReadField(owner, 4, value); r != 0) return r;
            if (static_cast<uint32_t>(Unsigned32(value)) != word) return io_.Raise(Err::BadFormat);
        }
        format.fieldBytes = kExtensibleFormat;
    }
    if (tag == kPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) {
        format.type = kIntegerType;
    } else if (tag == kFloat && (bits == 32 || bits == 64)) {
        format.type = kRealType;
    } else {
        // Compressed formats, and widths no codec reads.
        return io_.Raise(Err::BadFormat);
    }
    format.sampleBytes = bits / 8;
    return 0;
}

int32_t MoWav::FindData(MoDLL& owner, const Format& format, int64_t& dataBytes) {
    double size = 0.0;
    if (int32_t r = RunMethod(owner, ZelMethod::Size, size); r != 0) return NestedFailure(r);
    const int64_t fileBytes = static_cast<int64_t>(size);
    // Every chunk before the data must lie inside the file; a jump cannot go
    // further than 2^31 - 1 bytes.
    auto skip = [&](int64_t from, int64_t bytes) -> int32_t {
        if (from + bytes > fileBytes || bytes > INT32_MAX) return io_.Raise(Err::BadFormat);
        if (bytes == 0) return 0;
        return Step(owner, ZelMethod::Jump, static_cast<int32_t>(bytes));
    };
    // The rest of the format chunk, and its pad byte when its size is odd.
    const int64_t formatRead = kFormatStart + format.fieldBytes;
    const int64_t rest = format.chunkBytes - format.fieldBytes + (format.chunkBytes & 1);
    if (int32_t r = skip(formatRead, rest); r != 0) return r;
    int64_t chunk = formatRead + rest;
    int64_t dataStart = 0;
    double value = 0.0;
    for (;;) {
        // The file ends before a data chunk.
        if (chunk + kChunkHeader > fileBytes) return io_.Raise(Err::BadFormat);
        if (int32_t r = ReadField(owner, 4, value); r != 0) return r;
        const int32_t id = static_cast<int32_t>(static_cast<int64_t>(value));
        if (int32_t r = ReadField(owner, 4, value); r != 0) return r;
        const int64_t bytes = Unsigned32(value);
        dataStart = chunk + kChunkHeader;
        if (id == kData) {
            dataBytes = bytes;
            break;
        }
        // "fact", "LIST", "cue ", "JUNK" and any other chunk are passed over,
        // with the pad byte of an odd size.
        const int64_t padded = bytes + (bytes & 1);
        if (int32_t r = skip(dataStart, padded); r != 0) return r;
        chunk = dataStart + padded;
    }
    // Only the samples the file holds are imported: a data size past the end
    // of the file (writers that stream leave 0xFFFFFFFF) is cut to it.
    dataBytes = std::min(dataBytes, fileBytes - dataStart);
    return 0;
}

int32_t MoWav::Import(MoDLL& owner) {
    MoTavrelWks worksheet(worksheet_, io_);
    // Nothing is read for a worksheet that is not there.
    if (!worksheet.IsAttached()) return io_.Fail(Err::NoSuchData);
    ReadLittleEndian();

    Format format;
    if (int32_t r = ReadFormat(owner, format); r != 0) return r;
    // 8-bit samples are unsigned, wider ones signed, as the format defines.
    SetSetting(Setting::NBytes, format.sampleBytes);
    SetSetting(Setting::Signed, format.sampleBytes > 1 ? 1 : 0);
    int64_t dataBytes = 0;
    if (int32_t r = FindData(owner, format, dataBytes); r != 0) return r;
    // Only whole frames are imported.
    const int32_t channels = format.channels;
    const int64_t frameBytes = static_cast<int64_t>(format.sampleBytes) * channels;
    const int64_t samples = dataBytes / frameBytes * channels;
    if (samples > INT32_MAX) return io_.Raise(Err::BadFormat);

    // The samples go to the worksheet's data column, column 2; two channels
    // go straight to their own columns, "Left" and "Right", and the data
    // column is removed at the end.
    if (int32_t r = worksheet.EnsureColumns(channels == 2 ? 4 : 2); r != 0) return r;
    auto* aread = dynamic_cast<MoAIO*>(Method(owner, ZelMethod::ARead));
    if (aread == nullptr) return io_.Fail(Err::OutOfMemory);
    if (channels == 2) {
        worksheet.SetColumnName(3, "Left");
        worksheet.SetColumnName(4, "Right");
        aread->TargetColumns(worksheet.wksName(), 3, 2);
    } else {
        aread->TargetColumn(worksheet.wksName(), 2);
    }
    const DatasetName dataName = ColumnDataset("Data");
    double stored = 0.0;
    if (int32_t r = RunMethod(owner, ZelMethod::ARead, stored,
                              {std::string_view(dataName.data()), 1, static_cast<int32_t>(samples), format.type});
        r != 0) {
        return NestedFailure(r);
    }
    if (int32_t r = Step(owner, ZelMethod::Jump, static_cast<int32_t>(GetSetting(Setting::Skip))); r != 0) {
        return r;
    }
    // Only the samples the file held have a time.
    const int32_t read = stored > 0 ? static_cast<int32_t>(stored) : 0;
    {
        MoResultData times(worksheet.wksName(), Column{1});
        const double step = 1.0 / format.rate;
        const int32_t frames = read / channels;
        for (int32_t i = 0; i < frames; ++i) times.SetValue(i, i * step + step);
    }
    if (channels == 2) {
        worksheet.RemoveColumn(2);
        worksheet.SetRowCount(read / 2);
    }
    return 0;
}

}  // namespace zel
