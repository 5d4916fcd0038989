#include "import/MoWav.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "binary/MoBinIO.h"
#include "data/CellBlocks.h"
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
int64_t Unsigned32(int64_t value) { return value & 0xFFFFFFFF; }

}  // namespace

uint32_t MoWav::RepaintWindow() const { return host::Handle(); }

void MoWav::ReadFormat(Program& p, Format& format) {
    auto field = [&p](int32_t bytes) { return static_cast<int32_t>(p.ReadInt(bytes)); };
    // The low byte of the tag is looked at first of all.
    p.SetPos(static_cast<int32_t>(kFormatStart));
    const int32_t low = field(1);
    p.Expect(low == kPcm || low == kFloat || low == (kExtensible & 0xFF));

    // "RIFF", its size (not used), "WAVE", "fmt " and the format's size.
    p.SetPos(0);
    p.Expect(field(4) == kRiff);
    p.Jump(4);
    p.Expect(field(4) == kWave);
    p.Expect(field(4) == kFmt);
    format.chunkBytes = Unsigned32(p.ReadInt(4));
    int32_t tag = field(2) & 0xFFFF;
    format.channels = field(2);
    format.rate = p.Read(4);
    p.Jump(6);
    const int32_t bits = field(2);
    // No channels or no rate describes no sound: the frame count and the
    // times would divide by zero.
    p.Expect(format.channels > 0 && format.rate > 0.0);
    p.Expect(format.chunkBytes >= kBasicFormat);

    format.fieldBytes = kBasicFormat;
    if (tag == kExtensible) {
        p.Expect(format.chunkBytes >= kExtensibleFormat);
        // The extension's size, valid bits and channel mask: the samples are
        // read at their container's width.
        p.Jump(8);
        tag = field(4);
        for (const uint32_t word : kGuidTail) p.Expect(static_cast<uint32_t>(Unsigned32(p.ReadInt(4))) == word);
        format.fieldBytes = kExtensibleFormat;
    }
    const bool integer = tag == kPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool real = tag == kFloat && (bits == 32 || bits == 64);
    // Compressed formats, and widths no codec reads.
    p.Expect(integer || real);
    format.type = real ? kRealType : kIntegerType;
    format.sampleBytes = bits / 8;
}

int64_t MoWav::FindData(Program& p, const Format& format) {
    const auto fileBytes = static_cast<int64_t>(p.Size());
    // Every chunk before the data must lie inside the file; a jump cannot go
    // further than 2^31 - 1 bytes.
    auto skip = [&](int64_t from, int64_t bytes) {
        p.Expect(from + bytes <= fileBytes && bytes <= INT32_MAX);
        if (bytes != 0) p.Jump(static_cast<int32_t>(bytes));
    };
    // The rest of the format chunk, and its pad byte when its size is odd.
    const int64_t formatRead = kFormatStart + format.fieldBytes;
    const int64_t rest = format.chunkBytes - format.fieldBytes + (format.chunkBytes & 1);
    skip(formatRead, rest);
    int64_t chunk = formatRead + rest;
    for (;;) {
        // The file ends before a data chunk.
        p.Expect(chunk + kChunkHeader <= fileBytes);
        const auto id = static_cast<int32_t>(p.ReadInt(4));
        const int64_t bytes = Unsigned32(p.ReadInt(4));
        if (!p) return 0;
        const int64_t dataStart = chunk + kChunkHeader;
        // Only the samples the file holds are imported: a data size past the
        // end of the file (writers that stream leave 0xFFFFFFFF) is cut to it.
        if (id == kData) return std::min(bytes, fileBytes - dataStart);
        // "fact", "LIST", "cue ", "JUNK" and any other chunk are passed over,
        // with the pad byte of an odd size.
        const int64_t padded = bytes + (bytes & 1);
        skip(dataStart, padded);
        chunk = dataStart + padded;
    }
}

int32_t MoWav::Import(MoDLL& owner) {
    MoTavrelWks worksheet(worksheet_, io_);
    // Nothing is read for a worksheet that is not there.
    if (!worksheet.IsAttached()) return io_.Report(Err::NoSuchData);
    ReadLittleEndian();

    Program p(*this, owner);
    Format format;
    ReadFormat(p, format);
    if (!p) return p.failure();
    // 8-bit samples are unsigned, wider ones signed, as the format defines.
    SetSetting(Setting::NBytes, format.sampleBytes);
    SetSetting(Setting::Signed, format.sampleBytes > 1 ? 1 : 0);
    const int64_t dataBytes = FindData(p, format);
    // Only whole frames are imported.
    const int32_t channels = format.channels;
    const int64_t frameBytes = static_cast<int64_t>(format.sampleBytes) * channels;
    const int64_t samples = dataBytes / frameBytes * channels;
    p.Expect(samples <= INT32_MAX);
    if (!p) return p.failure();

    // The samples go to the worksheet's data column, column 2; two channels
    // go straight to their own columns, "Left" and "Right", and the data
    // column is removed at the end.
    if (int32_t r = worksheet.EnsureColumns(channels == 2 ? 4 : 2); r != 0) return r;
    auto* aread = dynamic_cast<MoAIO*>(Method(owner, ZelMethod::ARead));
    if (aread == nullptr) return io_.Report(Err::OutOfMemory);
    if (channels == 2) {
        worksheet.SetColumnName(3, "Left");
        worksheet.SetColumnName(4, "Right");
        aread->TargetColumns(worksheet.wksName(), 3, 2);
    } else {
        aread->TargetColumn(worksheet.wksName(), 2);
    }
    const DatasetName dataName = ColumnDataset("Data");
    const double stored = p.ARead(dataName.data(), 1, static_cast<int32_t>(samples), format.type);
    p.Jump(static_cast<int32_t>(GetSetting(Setting::Skip)));
    if (!p) return p.failure();
    // Only the samples the file held have a time.
    const int32_t read = stored > 0 ? static_cast<int32_t>(stored) : 0;
    const int32_t frames = read / channels;
    {
        MoData times(worksheet.wksName(), Column{1}, DataRole::Result);
        CellBlocks cells(1, frames > 0 && host::ServesBlocks());
        const double step = 1.0 / format.rate;
        if (!cells.blocks()) {
            for (int32_t i = 0; i < frames; ++i) times.SetValue(i, i * step + step);
        }
        for (int32_t i = 0; cells.blocks() && i < frames;) {
            uint32_t room = 0;
            double* out = cells.Claim(0, times, i, room);
            const int32_t n = std::min(static_cast<int32_t>(room), frames - i);
            for (int32_t k = 0; k < n; ++k) out[k] = (i + k) * step + step;
            cells.Commit(0, static_cast<uint32_t>(n));
            i += n;
        }
    }
    if (channels == 2) {
        worksheet.RemoveColumn(2);
        worksheet.SetRowCount(read / 2);
    }
    return 0;
}

}  // namespace zel
