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
#include <string>
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
    // AfterExecute. Answers the first non-zero code of the first two; result
    // receives the method's.
    int32_t RunMethod(MoDLL& owner, ZelMethod n, double& result, std::initializer_list<Arg> args = {});
    // The method object of number n.
    static MoMethod* Method(MoDLL& owner, ZelMethod n);

    // What an importer answers for a nested call that failed with code:
    // code + kNestedOffset in the current numbering, kLegacyNestedFailure in
    // ERROR and as the answer in the legacy one.
    int32_t NestedFailure(int32_t code);

    // A format's program: its fields and steps, each a nested method run
    // with given arguments and answering the value it read. The first
    // failure is held; every later step does nothing and answers 0, so the
    // importer looks at the failure only where its format decides something
    // (and before anything that is not a step).
    class Program {
    public:
        // How a failing step's code is held.
        enum class Held : uint8_t {
            Nested,  // as an importer answers a nested failure
            AsIs,    // unchanged: the format answers it, or handles the end
        };

        Program(MoHighLev& importer, MoDLL& owner) : importer_(importer), owner_(owner) {}

        explicit operator bool() const { return failure_ == 0; }
        // The code the importer answers: 0 while no step failed.
        int32_t failure() const { return failure_; }
        MoDLL& owner() const { return owner_; }

        double Read(int32_t width, Held held = Held::Nested) { return Run(ZelMethod::Read, {width}, held); }
        int64_t ReadInt(int32_t width, Held held = Held::Nested) { return static_cast<int64_t>(Read(width, held)); }
        void SetPos(int32_t pos) { Run(ZelMethod::SetPos, {pos}); }
        void Jump(int32_t bytes, Held held = Held::Nested) { Run(ZelMethod::Jump, {bytes}, held); }
        double GetPos() { return Run(ZelMethod::GetPos, {}); }
        double Size() { return Run(ZelMethod::Size, {}); }
        // The text from the current position up to a 0 byte: READTOKEN with
        // no list separator into the string variable, answered.
        std::string ReadToken(char variable);
        // AREAD of n values of type into dataset from its row first on;
        // answers the values stored.
        double ARead(std::string_view dataset, int32_t first, int32_t n, int32_t type) {
            return Run(ZelMethod::ARead, {dataset, first, n, type});
        }

        // The file has its format's layout here; one without it fails with
        // BAD FORMAT (in both numberings).
        void Expect(bool layout);
        // A step of the importer's own failed with code: held unless a
        // failure is held already.
        void Hold(int32_t code, Held held = Held::Nested);
        // Whether the failure held is the end of the file met by a step held
        // as is; such a failure is handled: ERROR cleared, nothing held.
        bool AtEnd();

    private:
        // Method n with these arguments, unless a failure is held; answers its
        // result, 0 when it failed or did not run.
        double Run(ZelMethod n, std::initializer_list<Arg> args, Held held = Held::Nested);

        MoHighLev& importer_;
        MoDLL& owner_;
        int32_t failure_ = 0;
    };
    using Held = Program::Held;

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
    // the file (its SIZE), and never more than a worksheet has. A header's
    // column index is untrusted.
    static int64_t ColumnLimit(Program& program);
    // For the formats that define their fields as little-endian (WAV,
    // MATHEMATICA), whatever byte order the script left: the fields are read
    // with BYTEORDER 0 (restored afterwards).
    void ReadLittleEndian() { SetSetting(Setting::ByteOrder, 0); }
    static constexpr int64_t kMaxColumns = 32767;

    MoString& worksheet_;
};

}  // namespace zel
