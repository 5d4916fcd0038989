#include "import/MoSigmaPlot.h"

#include <array>
#include <string>

#include "binary/MoBinIO.h"
#include "data/MoData.h"
#include "data/MoTavrelWks.h"
#include "frame/MoDLL.h"

namespace zel {
namespace {

constexpr std::string_view kMarkerText = "JSDataWorksheet";
constexpr uint8_t kEndOfText = 26;
constexpr int32_t kColumnRecord = 1;
constexpr int32_t kNameRecord = 2;
constexpr int32_t kNumberTag = 17;
constexpr int32_t kNameRecordSize = 56;
// The string variable READTOKEN fills for the importers.
constexpr char kTokenVariable = 'Z';

}  // namespace

double MoSigmaPlot::ReadColumn(Program& p, int32_t column, int32_t n) {
    if (!p) return 0.0;
    auto* aread = dynamic_cast<MoAIO*>(Method(p.owner(), ZelMethod::ARead));
    if (aread == nullptr) {
        p.Hold(io_.Report(Err::OutOfMemory));
        return 0.0;
    }
    std::array<char, ZEL_TEXT_BUFFER> columnName{};
    MoTavrelWks worksheet(worksheet_, io_);
    worksheet.ColumnName(column, TextOut(columnName));
    const DatasetName name = ColumnDataset(columnName.data());
    aread->TargetColumn(worksheet_, column);
    return p.ARead(name.data(), 1, n, 1);
}

int32_t MoSigmaWin::Import(MoDLL& owner) {
    // From here on failures are in the current numbering, the refusal of a
    // missing worksheet included.
    SetSetting(Setting::NewActions, 1);
    MoTavrelWks worksheet(worksheet_, io_);
    // Nothing is read for a worksheet that is not there.
    if (!worksheet.IsAttached()) return io_.Report(Err::NoSuchData);
    Program p(*this, owner);
    const int64_t maxColumns = ColumnLimit(p);
    // The text at pos up to a 0 byte.
    auto textAt = [&p](int32_t pos) {
        p.SetPos(pos);
        return p.ReadToken(kTokenVariable);
    };

    // The header's base: 0 when the marker text is at 16; else read at 50
    // when the marker text is at 32, at 80 when it is not.
    int64_t base = 0;
    if (textAt(16) != kMarkerText) {
        p.SetPos(textAt(32) == kMarkerText ? 50 : 80);
        base = p.ReadInt(4);
    }
    p.SetPos(static_cast<int32_t>(base + 44));
    const int64_t last = p.ReadInt(2);
    p.Expect(last < maxColumns);
    if (!p) return p.failure();
    if (int32_t r = worksheet.EnsureColumns(static_cast<int32_t>(last + 1)); r != 0) return r;
    p.Read(2);  // not used

    // Column records, until the end of the file or another kind of record.
    for (bool more = last >= 0; more;) {
        const int64_t kind = p.ReadInt(1, Held::AsIs);
        if (p.AtEnd()) break;
        if (!p) return p.failure();
        if (kind != kColumnRecord) break;
        p.Jump(19);
        const int64_t c = p.ReadInt(4);
        p.Expect(c >= 0 && c < maxColumns);
        p.Jump(4);
        const auto cells = static_cast<int32_t>(static_cast<uint32_t>(p.ReadInt(4)) >> 4);
        const double position = p.GetPos();
        if (!p) return p.failure();

        SetSetting(Setting::NBytes, 10);
        SetSetting(Setting::Skip, 6);
        SetSetting(Setting::ByteOrder, 0);
        const double stored = ReadColumn(p, static_cast<int32_t>(c + 1), cells);
        // The tags: a cell whose tag is not 17 holds no number. Only the cells
        // the file held are walked; one past the end of the file holds none.
        p.SetPos(static_cast<int32_t>(position));
        if (!p) return p.failure();
        MoData data(worksheet_, Column{static_cast<int32_t>(c + 1)}, DataRole::Result);
        const auto walked = static_cast<int32_t>(stored);
        for (int32_t k = 0; k < walked; ++k) {
            p.Jump(15, Held::AsIs);
            const int64_t tag = p.ReadInt(1, Held::AsIs);
            if (p.AtEnd()) {
                data.SetValue(k, kMissingValue);
                continue;
            }
            if (!p) return p.failure();
            if (tag != kNumberTag) data.SetValue(k, kMissingValue);
            // The position is asked after each tag; a failure to answer is
            // not looked at.
            double ignored = 0.0;
            RunMethod(owner, ZelMethod::GetPos, ignored);
        }
        more = c < last;
    }

    // Name records, while they lie inside the file, until the end of the
    // file or another kind of record.
    const double position = p.GetPos();
    const double size = p.Size();
    if (!p) return p.failure();
    auto pos = static_cast<int64_t>(position);
    if (pos >= static_cast<int64_t>(size) || last < 0) return 0;
    for (int64_t k = 0; k <= last; ++k) {
        const int64_t kind = p.ReadInt(1, Held::AsIs);
        if (p.AtEnd() || !p || kind != kNameRecord) break;
        p.Jump(23);
        const std::string label = p.ReadToken(kTokenVariable);
        p.SetPos(static_cast<int32_t>(pos + 48));
        const int64_t c = p.ReadInt(2);
        if (!p) return p.failure();
        worksheet.SetColumnLabel(static_cast<int32_t>(c + 1), label.c_str());
        pos += kNameRecordSize;
        if (pos >= static_cast<int64_t>(size)) break;
        p.SetPos(static_cast<int32_t>(pos));
    }
    return p.failure();
}

void MoSigmaDos::FindMarker(Program& p) {
    int64_t byte = 0;
    do {
        byte = p.ReadInt(1, Held::AsIs);
    } while (p && byte != kEndOfText);
}

int32_t MoSigmaDos::Import(MoDLL& owner) {
    MoTavrelWks worksheet(worksheet_, io_);
    // Nothing is read for a worksheet that is not there.
    if (!worksheet.IsAttached()) return io_.Report(Err::NoSuchData);
    Program p(*this, owner);
    const int64_t maxColumns = ColumnLimit(p);

    // The first byte 26 that is not the file's first byte; 6 bytes past it,
    // where the next one is looked for; the blocks start 129 bytes past that.
    double marker = 0.0;
    do {
        FindMarker(p);
        marker = p.GetPos();
    } while (p && marker - 1 == 0);
    p.SetPos(static_cast<int32_t>(marker + 6));
    p.SetPos(static_cast<int32_t>(p.ReadInt(4)));
    FindMarker(p);
    int64_t blockPos = static_cast<int64_t>(p.GetPos()) - 1 + 129;
    p.SetPos(static_cast<int32_t>(blockPos));

    // The blocks, one a column, until a length of 0.
    int64_t length = p.ReadInt(4);
    while (p && length != 0) {
        // A block always moves the reading forward; a negative length would
        // walk back and never end.
        p.Expect(length >= 0 && blockPos + length + 6 <= INT32_MAX);
        const int64_t c = p.ReadInt(4);
        p.Expect(c >= 0 && c < maxColumns);
        p.Read(4);  // not used
        if (!p) return p.failure();
        if (int32_t r = worksheet.EnsureColumns(static_cast<int32_t>(c + 1)); r != 0) return r;
        p.Jump(6);
        const auto n = static_cast<int32_t>(p.ReadInt(2));
        if (!p) return p.failure();
        SetSetting(Setting::NBytes, 8);
        ReadColumn(p, static_cast<int32_t>(c + 1), n);
        p.Jump(static_cast<int32_t>(GetSetting(Setting::Skip)));
        blockPos += length + 6;
        p.SetPos(static_cast<int32_t>(blockPos));
        length = p.ReadInt(4);
    }
    return p.failure();
}

}  // namespace zel
