#include "import/MoSigmaPlot.h"

#include <array>
#include <string>

#include "binary/MoBinIO.h"
#include "data/MoData.h"
#include "data/MoTavrelWks.h"
#include "frame/MoDLL.h"
#include "host/HostServices.h"

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

int32_t MoSigmaPlot::ReadField(MoDLL& owner, int32_t width, int64_t& value) {
    double number = 0.0;
    const int32_t r = RunMethod(owner, ZelMethod::Read, number, {width});
    value = r == 0 ? static_cast<int64_t>(number) : 0;
    return r;
}

int32_t MoSigmaPlot::ReadColumn(MoDLL& owner, int32_t column, int32_t n, double& stored) {
    auto* aread = dynamic_cast<MoAIO*>(Method(owner, ZelMethod::ARead));
    if (aread == nullptr) return io_.Fail(Err::OutOfMemory);
    std::array<char, ZEL_TEXT_BUFFER> columnName{};
    MoTavrelWks worksheet(worksheet_, io_);
    worksheet.ColumnName(column, TextOut(columnName));
    const DatasetName name = ColumnDataset(columnName.data());
    aread->TargetColumn(worksheet_, column);
    return RunMethod(owner, ZelMethod::ARead, stored, {std::string_view(name.data()), 1, n, 1});
}

int32_t MoSigmaWin::ReadText(MoDLL& owner, int32_t pos, std::string& text) {
    if (int32_t r = RunMethod(owner, ZelMethod::SetPos, {pos}); r != 0) return NestedFailure(r);
    SetSetting(Setting::ListSep, 0);
    if (int32_t r = RunMethod(owner, ZelMethod::ReadToken, {std::string_view("Z"), 1}); r != 0) {
        return NestedFailure(r);
    }
    std::array<char, ZEL_TEXT_BUFFER> buffer{};
    host::GetStringVariable(kTokenVariable, buffer.data());
    buffer.back() = '\0';
    text = buffer.data();
    return 0;
}

int32_t MoSigmaWin::Import(MoDLL& owner) {
    // From here on failures are in the current numbering, the refusal of a
    // missing worksheet included.
    SetSetting(Setting::NewActions, 1);
    MoTavrelWks worksheet(worksheet_, io_);
    // Nothing is read for a worksheet that is not there.
    if (!worksheet.IsAttached()) return io_.Fail(Err::NoSuchData);
    int64_t maxColumns = 0;
    if (int32_t r = ColumnLimit(owner, maxColumns); r != 0) return r;

    std::string text;
    if (int32_t r = ReadText(owner, 16, text); r != 0) return r;
    int64_t base = 0;
    if (text != kMarkerText) {
        if (int32_t r = ReadText(owner, 32, text); r != 0) return r;
        const int32_t basePosition = text == kMarkerText ? 50 : 80;
        if (int32_t r = RunMethod(owner, ZelMethod::SetPos, {basePosition}); r != 0) return NestedFailure(r);
        if (int32_t r = ReadField(owner, 4, base); r != 0) return NestedFailure(r);
    }
    if (int32_t r = RunMethod(owner, ZelMethod::SetPos, {static_cast<int32_t>(base + 44)}); r != 0) {
        return NestedFailure(r);
    }
    int64_t last = 0;
    if (int32_t r = ReadField(owner, 2, last); r != 0) return NestedFailure(r);
    if (last >= maxColumns) return io_.Raise(Err::BadFormat);
    if (int32_t r = worksheet.EnsureColumns(static_cast<int32_t>(last + 1)); r != 0) return r;
    int64_t unused = 0;
    if (int32_t r = ReadField(owner, 2, unused); r != 0) return NestedFailure(r);

    // Column records.
    for (bool more = last >= 0; more;) {
        int64_t kind = 0;
        if (int32_t r = ReadField(owner, 1, kind); r != 0) {
            if (r != ErrorInfo(Err::EndOfFile).current) return r;
            io_.ClearError();
            break;
        }
        if (kind != kColumnRecord) break;
        if (int32_t r = RunMethod(owner, ZelMethod::Jump, {19}); r != 0) return NestedFailure(r);
        int64_t c = 0;
        if (int32_t r = ReadField(owner, 4, c); r != 0) return NestedFailure(r);
        if (c < 0 || c >= maxColumns) return io_.Raise(Err::BadFormat);
        if (int32_t r = RunMethod(owner, ZelMethod::Jump, {4}); r != 0) return NestedFailure(r);
        int64_t size = 0;
        if (int32_t r = ReadField(owner, 4, size); r != 0) return NestedFailure(r);
        const int32_t cells = static_cast<int32_t>(static_cast<uint32_t>(size) >> 4);
        double position = 0.0;
        if (int32_t r = RunMethod(owner, ZelMethod::GetPos, position); r != 0) return NestedFailure(r);

        SetSetting(Setting::NBytes, 10);
        SetSetting(Setting::Skip, 6);
        SetSetting(Setting::ByteOrder, 0);
        double stored = 0.0;
        if (int32_t r = ReadColumn(owner, static_cast<int32_t>(c + 1), cells, stored); r != 0) {
            return NestedFailure(r);
        }
        // The tags: a cell whose tag is not 17 holds no number. Only the cells
        // the file held are walked.
        if (int32_t r = RunMethod(owner, ZelMethod::SetPos, {static_cast<int32_t>(position)}); r != 0) {
            return NestedFailure(r);
        }
        MoResultData data(worksheet_, Column{static_cast<int32_t>(c + 1)});
        const int32_t walked = static_cast<int32_t>(stored);
        for (int32_t k = 0; k < walked; ++k) {
            int64_t tag = 0;
            int32_t r = RunMethod(owner, ZelMethod::Jump, {15});
            if (r == 0) r = ReadField(owner, 1, tag);
            if (r == ErrorInfo(Err::EndOfFile).current) {
                data.SetValue(k, kMissingValue);
                io_.ClearError();
                continue;
            }
            if (r != 0) return r;
            if (tag != kNumberTag) data.SetValue(k, kMissingValue);
            double ignored = 0.0;
            RunMethod(owner, ZelMethod::GetPos, ignored);
        }
        more = c < last;
    }

    // Name records.
    double position = 0.0;
    if (int32_t r = RunMethod(owner, ZelMethod::GetPos, position); r != 0) return NestedFailure(r);
    double size = 0.0;
    if (int32_t r = RunMethod(owner, ZelMethod::Size, size); r != 0) return NestedFailure(r);
    int64_t pos = static_cast<int64_t>(position);
    if (pos >= static_cast<int64_t>(size) || last < 0) return 0;
    for (int64_t k = 0; k <= last; ++k) {
        int64_t kind = 0;
        const int32_t r = ReadField(owner, 1, kind);
        if (r == 0 && kind == kNameRecord) {
            if (int32_t j = RunMethod(owner, ZelMethod::Jump, {23}); j != 0) return NestedFailure(j);
            SetSetting(Setting::ListSep, 0);
            if (int32_t t = RunMethod(owner, ZelMethod::ReadToken, {std::string_view("Z"), 1}); t != 0) {
                return NestedFailure(t);
            }
            std::array<char, ZEL_TEXT_BUFFER> label{};
            host::GetStringVariable(kTokenVariable, label.data());
            label.back() = '\0';
            if (int32_t s = RunMethod(owner, ZelMethod::SetPos, {static_cast<int32_t>(pos + 48)}); s != 0) {
                return NestedFailure(s);
            }
            int64_t c = 0;
            if (int32_t s = ReadField(owner, 2, c); s != 0) return NestedFailure(s);
            worksheet.SetColumnLabel(static_cast<int32_t>(c + 1), label.data());
            pos += kNameRecordSize;
            if (pos < static_cast<int64_t>(size)) {
                if (int32_t s = RunMethod(owner, ZelMethod::SetPos, {static_cast<int32_t>(pos)}); s != 0) {
                    return NestedFailure(s);
                }
            } else {
                k = last;
            }
        } else {
            k = last;
            if (r == ErrorInfo(Err::EndOfFile).current) {
                io_.ClearError();
            } else if (r != 0) {
                return r;
            }
        }
    }
    return 0;
}

int32_t MoSigmaDos::FindMarker(MoDLL& owner) {
    for (;;) {
        int64_t byte = 0;
        if (int32_t r = ReadField(owner, 1, byte); r != 0) return r;
        if (byte == kEndOfText) return 0;
    }
}

int32_t MoSigmaDos::Import(MoDLL& owner) {
    MoTavrelWks worksheet(worksheet_, io_);
    // Nothing is read for a worksheet that is not there.
    if (!worksheet.IsAttached()) return io_.Fail(Err::NoSuchData);
    int64_t maxColumns = 0;
    if (int32_t r = ColumnLimit(owner, maxColumns); r != 0) return r;

    double p = 0.0;
    do {
        if (int32_t r = FindMarker(owner); r != 0) return r;
        if (int32_t r = RunMethod(owner, ZelMethod::GetPos, p); r != 0) return NestedFailure(r);
    } while (p - 1 == 0);
    if (int32_t r = RunMethod(owner, ZelMethod::SetPos, {static_cast<int32_t>(p + 6)}); r != 0) {
        return NestedFailure(r);
    }
    int64_t q = 0;
    if (int32_t r = ReadField(owner, 4, q); r != 0) return NestedFailure(r);
    if (int32_t r = RunMethod(owner, ZelMethod::SetPos, {static_cast<int32_t>(q)}); r != 0) return NestedFailure(r);
    if (int32_t r = FindMarker(owner); r != 0) return r;
    double marker = 0.0;
    if (int32_t r = RunMethod(owner, ZelMethod::GetPos, marker); r != 0) return NestedFailure(r);
    int64_t blockPos = static_cast<int64_t>(marker) - 1 + 129;
    if (int32_t r = RunMethod(owner, ZelMethod::SetPos, {static_cast<int32_t>(blockPos)}); r != 0) {
        return NestedFailure(r);
    }

    int64_t length = 0;
    if (int32_t r = ReadField(owner, 4, length); r != 0) return NestedFailure(r);
    while (length != 0) {
        // A block always moves the reading forward; a negative length would
        // walk back and never end.
        if (length < 0 || blockPos + length + 6 > INT32_MAX) return io_.Raise(Err::BadFormat);
        int64_t c = 0;
        if (int32_t r = ReadField(owner, 4, c); r != 0) return NestedFailure(r);
        if (c < 0 || c >= maxColumns) return io_.Raise(Err::BadFormat);
        int64_t unused = 0;
        if (int32_t r = ReadField(owner, 4, unused); r != 0) return NestedFailure(r);
        if (int32_t r = worksheet.EnsureColumns(static_cast<int32_t>(c + 1)); r != 0) return r;
        if (int32_t r = RunMethod(owner, ZelMethod::Jump, {6}); r != 0) return NestedFailure(r);
        int64_t n = 0;
        if (int32_t r = ReadField(owner, 2, n); r != 0) return NestedFailure(r);
        SetSetting(Setting::NBytes, 8);
        double stored = 0.0;
        if (int32_t r = ReadColumn(owner, static_cast<int32_t>(c + 1), static_cast<int32_t>(n), stored);
            r != 0) {
            return NestedFailure(r);
        }
        if (int32_t r = RunMethod(owner, ZelMethod::Jump, {static_cast<int32_t>(GetSetting(Setting::Skip))});
            r != 0) {
            return NestedFailure(r);
        }
        blockPos += length + 6;
        if (int32_t r = RunMethod(owner, ZelMethod::SetPos, {static_cast<int32_t>(blockPos)}); r != 0) {
            return NestedFailure(r);
        }
        if (int32_t r = ReadField(owner, 4, length); r != 0) return NestedFailure(r);
    }
    return 0;
}

}  // namespace zel
