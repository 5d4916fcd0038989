// What the methods of ZEL read and set besides their own arguments: the
// error numbering (NEWACTIONS, ERROR, SYSERR), the open-file table with the
// current file (HFILE) and the settings of binary and text I/O. The ZEL
// object owns one; a method holds a reference to it, so a method can be
// built and tested with a context alone.
#pragma once

#include <cstdint>

#include "files/FileRefList.h"
#include "files/MoHFILE.h"
#include "frame/ErrorState.h"
#include "props/MoLimited.h"
#include "props/MoNumeric.h"

namespace zel {

class IoContext final : public ErrorState {
public:
    IoContext();
    // Closes every file that is still open.
    ~IoContext();
    IoContext(const IoContext&) = delete;
    IoContext& operator=(const IoContext&) = delete;

    bool NewActions() const override { return newActions_.value() != 0; }
    void SetError(int32_t number) override { error_.Store(number); }
    void SetSysErr(int32_t cause) override { syserr_.Store(cause); }

    // The script-visible properties.
    MoInt& NewActionsProperty() { return newActions_; }
    MoErrorInt& Error() { return error_; }
    MoErrorInt& SysErr() { return syserr_; }
    MoHFILE& HFile() { return hfile_; }
    MoInt& Skip() { return skip_; }
    MoDiscrete& NBytes() { return nbytes_; }
    MoBounded& ByteOrder() { return byteOrder_; }
    MoBounded& Signed() { return signed_; }
    MoBounded& NLineMode() { return nlineMode_; }
    MoBounded& ListSep() { return listSep_; }

    FileRefList& Files() { return files_; }
    // The file HFILE selects; null when none is selected.
    MyCFile* CurrentFile() const { return hfile_.file(); }

    // Widths of the scalar integer methods: 1 to 4.
    MoDiscrete& IntegerWidths() { return integerWidths_; }
    // The value kind of the array and row methods: 0 to 2.
    MoDiscrete& BinType() { return binType_; }

private:
    MoErrorInt error_;
    MoErrorInt syserr_;
    FileRefList files_;
    MoInt newActions_;
    MoHFILE hfile_{*this, files_};
    MoInt skip_;
    MoDiscrete integerWidths_{*this, {1, 2, 3, 4}};
    MoDiscrete binType_{*this, {0, 1, 2}};
    MoDiscrete nbytes_{*this, {1, 2, 3, 4, 8, 10}};
    MoBounded byteOrder_{*this, 0, 2};
    MoBounded signed_{*this, 0, 1};
    MoBounded nlineMode_{*this, 0, 2};
    MoBounded listSep_{*this, 0, 255, 44};
};

}  // namespace zel
