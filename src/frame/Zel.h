// ZEL: the one script object the module exports. It owns every property and
// method of the file-I/O language, the open-file table and the two member
// tables that map script names to them.
#pragma once

#include <array>

#include "binary/MoBinIO.h"
#include "binary/MoIntIO.h"
#include "binary/MoReadRowBin.h"
#include "binary/MoRecord.h"
#include "binary/TypeConverter.h"
#include "files/FileRefList.h"
#include "files/MoDOS.h"
#include "files/MoHFILE.h"
#include "files/MoOpen.h"
#include "files/MoSwitchMode.h"
#include "files/MoTracking.h"
#include "frame/ErrorState.h"
#include "frame/MoDLL.h"
#include "frame/MoHelpIO.h"
#include "frame/MoUnavailable.h"
#include "frame/SyntaxTexts.h"
#include "props/MoLimited.h"
#include "props/MoNumeric.h"

namespace zel {

class ZEL final : public MoDLL, public ErrorState {
public:
    ZEL_CLASS_NAME(ZEL)
    static constexpr size_t kPropertyRows = 20;
    static constexpr size_t kMethodRows = 81;

    ZEL();
    ~ZEL() override;

    // The error numbering.
    bool NewActions() const override { return newActions_.value() != 0; }
    void SetError(int32_t number) override { error_.Store(number); }
    void SetSysErr(int32_t cause) override { syserr_.Store(cause); }

    // Own tables first, then the base tables.
    int32_t AccessProperty(const char* name, uint16_t flags, void* value) override;
    void ListAllMembers() override;
    int32_t ListMembersOfPath(const char* path) override;
    int32_t CallMethod(const char* name, char* argText, double* result) override;
    int32_t AccessSubMember(const char* ownerName, const char* name, void* value,
                            uint16_t flags) override;
    // Every member back to its default; open files stay open.
    void ResetAll() override;

    MoErrorInt& Error() { return error_; }
    MoErrorInt& SysErr() { return syserr_; }
    MoInt& NewActionsProperty() { return newActions_; }
    MoHFILE& HFile() { return hfile_; }
    MoInt& Skip() { return skip_; }
    MoDiscrete& NBytes() { return nbytes_; }
    MoBounded& ByteOrder() { return byteOrder_; }
    MoBounded& Signed() { return signed_; }
    MoBounded& NLineMode() { return nlineMode_; }
    MoBounded& ListSep() { return listSep_; }
    FileRefList& Files() { return files_; }
    MoOpen& Open() { return open_; }
    TypeConverter& Converter() { return converter_; }
    // Widths of the scalar integer methods: 1 to 4.
    MoDiscrete& IntegerWidths() { return integerWidths_; }
    // The value kind of the array and row methods: 0 to 2.
    MoDiscrete& BinType() { return binType_; }

    const MemberEntry* OwnProperties() const { return ownProperties_.data(); }
    const MemberEntry* OwnMethods() const { return ownMethods_.data(); }

protected:
    void OnMethodFault(bool outOfMemory) override;

private:
    void FillTables();

    // Construction order: RESET, the error properties, the file table,
    // NEWACTIONS, HFILE, SKIP, the methods, then the settings.
    MoReset reset_{*this};
    MoErrorInt error_;
    MoErrorInt syserr_;
    FileRefList files_;
    MoInt newActions_;
    MoHFILE hfile_{*this, files_};
    MoInt skip_;

    // Shared by the binary methods; not members of the tables.
    TypeConverter converter_{*this};
    MoDiscrete integerWidths_{*this, {1, 2, 3, 4}};
    MoDiscrete binType_{*this, {0, 1, 2}};

    MoListSep listSepMethod_{*this};
    MoOpen open_{*this};
    MoClose close_{*this};
    MoCloseAll closeAll_{*this};
    MoExists exists_{*this};
    MoRemove remove_{*this};
    MoSize size_{*this};
    MoGetPos getPos_{*this};
    MoSetPos setPos_{*this};
    MoRewind rewind_{*this};
    MoToEnd toEnd_{*this};
    MoJump jump_{*this};
    MoJumpChunk jumpChunk_{*this};
    MoSwitchMode switchMode_{*this};
    MoRead read_{*this};
    MoWrite write_{*this};
    MoFRead fread_{*this};
    MoFWrite fwrite_{*this};
    MoDRead dread_{*this};
    MoDWrite dwrite_{*this};
    MoLDRead ldread_{*this};
    MoLDWrite ldwrite_{*this};
    MoARead aread_{*this};
    MoAWrite awrite_{*this};
    MoReadRowBin readRowBin_{*this};
    MoReadRecord readRecord_{*this};
    MoWriteRecord writeRecord_{*this};
    MoUnavailable readRow_{*this, "MoReadRow", "READROW", syntax::kReadRow, 3};
    MoUnavailable lineRow_{*this, "MoLineRow", "LINEROW", syntax::kLineRow, 2};
    MoUnavailable tread_{*this, "MoTRead", "TREAD", syntax::kTRead, 3};
    MoUnavailable lread_{*this, "MoLRead", "LREAD", syntax::kLRead, 2};
    MoUnavailable readToken_{*this, "MoReadToken", "READTOKEN", syntax::kReadToken, 3};
    MoUnavailable readArray_{*this, "MoReadArray", "READARRAY", syntax::kReadArray, 4};
    MoUnavailable ascii_{*this, "MoASCII", "ASCII", syntax::kAscii, 3};
    MoUnavailable cread_{*this, "MoCRead", "CREAD", syntax::kCRead, 3};
    MoUnavailable twrite_{*this, "MoTWrite", "TWRITE", syntax::kTWrite, 2};
    MoUnavailable lwrite_{*this, "MoLWrite", "LWRITE", syntax::kLWrite, 2};
    MoUnavailable sigmaWin_{*this, "MoSigmaWin", "SIGMAWIN", syntax::kImport, 2};
    MoUnavailable sigmaDos_{*this, "MoSigmaDos", "SIGMADOS", syntax::kImport, 2};
    MoUnavailable wav_{*this, "MoWav", "WAV", syntax::kImport, 2};
    MoUnavailable mathematica_{*this, "MoMathematica", "MATHEMATICA", syntax::kImport, 2};
    MoUnavailable wksBlock_{*this, "MoWksBlock", "WKSBLOCK", syntax::kWksBlock, 5};
    MoSyntax syntax_{*this};
    MoAltSpell altSpell_{*this};
    MoListAll listAll_{*this};

    MoDiscrete nbytes_{*this, {1, 2, 3, 4, 8, 10}};
    MoBounded byteOrder_{*this, 0, 2};
    MoBounded signed_{*this, 0, 1};
    MoBounded nlineMode_{*this, 0, 2};
    MoBounded listSep_{*this, 0, 255, 44};

    std::array<MemberEntry, kPropertyRows + 1> ownProperties_{};
    std::array<MemberEntry, kMethodRows + 1> ownMethods_{};
};

}  // namespace zel
