// Methods written as programs over ZEL's own methods: the importers and
// WKSBLOCK position the current file, read header fields and whole columns
// by calling SETPOS, JUMP, READ, AREAD and READTOKEN of the same object.
// MoHighLev saves the script's settings before such a method runs and puts
// them back afterwards, marks the nested calls so that they take their
// arguments as set instead of parsing text, and runs a method by number
// with given arguments.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <variant>

#include "files/MoZELIO.h"
#include "frame/MethodList.h"
#include "props/MoNumeric.h"
#include "props/MoString.h"

namespace zel {


// The settings a high-level method saves; all but ERROR and SYSERR are put
// back when it ends.
enum class Setting : uint8_t {
    NewActions, Error, SysErr, HFile, NBytes, ByteOrder, Signed, Skip, NLineMode, ListSep, kCount
};

class MoHighLev : public MoZELIO {
public:
    ZEL_CLASS_NAME(MoHighLev)
    using MoZELIO::MoZELIO;

    // The common preparation, then the settings saved and the nested calls
    // marked. A failing preparation marks nothing.
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    // The settings put back, the mark taken away; no refresh of the host.
    void AfterExecute(MoDLL& owner) override;

protected:
    // An argument of a nested call.
    using Arg = std::variant<int32_t, double, std::string_view>;

    // Runs method n of owner with these arguments stored in its first
    // argument objects and marked given; every other argument is not given
    // (its value stays): its argument step without text, Execute and
    // AfterExecute. Answers the
    // first non-zero code of the first two; result receives the method's.
    int32_t RunMethod(MoDLL& owner, ZelMethod n, double& result, std::initializer_list<Arg> args = {});
    // The same when the result is not wanted.
    int32_t RunMethod(MoDLL& owner, ZelMethod n, std::initializer_list<Arg> args = {});
    // The method object of number n.
    static MoMethod* Method(MoDLL& owner, ZelMethod n);

    // What an importer answers for a nested call that failed with code:
    // code + 512 in the current numbering, ERROR 4 and 4 in the legacy one.
    int32_t NestedFailure(int32_t code);

    void SetSetting(Setting setting, double value);
    double GetSetting(Setting setting);

    // Shown while a format program runs; the previous cursor comes back
    // with RestoreCursor.
    void ShowWaitCursor();
    void RestoreCursor();
    void Repaint(uint32_t window = 0);

private:
    MoInt& SettingMember(Setting setting);
    void Restore();

    std::array<double, static_cast<size_t>(Setting::kCount)> saved_{};
    bool saving_ = false;
};

// The common base of the four importers: a worksheet name and the optional
// hFile.
class MoImportIO : public MoHighLev {
public:
    ZEL_CLASS_NAME(MoImportIO)
    explicit MoImportIO(IoContext& io);
    int8_t GetHFileArgIndex() const override { return 1; }
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    // The common steps of every import: the window repainted, the wait
    // cursor shown while the format's program runs, then put back.
    int32_t Execute(double* result, MoDLL& owner) override;

protected:
    // The format's program.
    virtual int32_t Import(MoDLL& owner) = 0;
    // The window repainted before the import (0: the main window).
    virtual uint32_t RepaintWindow() const { return 0; }

    // The name a script reaches a column's dataset by, "<worksheet>_<column>",
    // in a buffer of the host's 40 bytes: cut to fit. The importers reach the
    // columns by number, whatever the length of that name.
    static constexpr size_t kDatasetNameSize = 40;
    using DatasetName = std::array<char, kDatasetNameSize>;
    DatasetName ColumnDataset(std::string_view column) const;
    // The most columns a file may make the worksheet hold: one per byte of
    // the file, and never more than a worksheet has. A header's column index
    // is untrusted.
    int32_t ColumnLimit(MoDLL& owner, int64_t& limit);
    // For the formats that define their fields as little-endian (WAV,
    // MATHEMATICA), whatever byte order the script left: the fields are read
    // with BYTEORDER 0 (restored afterwards).
    void ReadLittleEndian() { SetSetting(Setting::ByteOrder, 0); }
    static constexpr int64_t kMaxColumns = 32767;

    MoWksName& worksheet_;
};

}  // namespace zel
