// ZEL: the one script object the module exports. It owns every property and
// method of the file-I/O language, the context they share (error state,
// open files, settings), the binary encoder, and the member tables that map
// script names to them.
#pragma once

#include "binary/MoBinIO.h"
#include "binary/MoIntIO.h"
#include "binary/MoReadRowBin.h"
#include "binary/MoRecord.h"
#include "binary/TypeConverter.h"
#include "files/IoContext.h"
#include "files/MoDOS.h"
#include "files/MoOpen.h"
#include "files/MoSwitchMode.h"
#include "files/MoTracking.h"
#include "frame/MoDLL.h"
#include "help/MoHelpIO.h"
#include "help/MoListSep.h"
#include "help/MoReset.h"
#include "import/MoHighLev.h"
#include "import/MoMathematica.h"
#include "import/MoSigmaPlot.h"
#include "import/MoWav.h"
#include "import/MoWksBlock.h"
#include "props/MoNumeric.h"
#include "props/MoString.h"
#include "text/MoASCII.h"
#include "text/MoASCIILT.h"
#include "text/MoASCIIRow.h"
#include "text/MoCRead.h"
#include "text/MoReadArray.h"
#include "text/MoTWrite.h"

namespace zel {

class ZEL final : public MoDLL {
public:
    ZEL_CLASS_NAME(ZEL)

    ZEL();

    MemberTable OwnProperties() override { return {kProperties, this}; }
    MemberTable OwnMethods() override { return {kMethods, this}; }
    MemberTable BaseProperties() override { return {kBaseProperties, this}; }
    // Every member back to its default; open files stay open.
    void ResetAll() override;
    MoMethod* MethodByNumber(int32_t n) override;
    // While an import runs, its nested methods take their arguments as the
    // importer stored them: a method the host calls in between (from a
    // window repaint, say) is refused rather than run on those arguments.
    int32_t RefuseCall() override;

    IoContext& io() { return io_; }
    MoOpen& Open() { return open_; }

protected:
    void OnMethodFault(bool outOfMemory) override;

private:
    // Row functions of the properties that live in the context and in OPEN.
    template <auto Getter>
    static MoScript& ContextMember(Mobj& owner) {
        return (static_cast<ZEL&>(owner).io_.*Getter)();
    }
    template <auto Getter>
    static MoScript& OpenMember(Mobj& owner) {
        return (static_cast<ZEL&>(owner).open_.*Getter)();
    }

    static const MemberEntry kProperties[];
    // The methods in the numbering of programs over them (ZelMethod).
    static MoMethod& (*const kNumberedMethods[])(ZEL& zel);
    static const MemberEntry kMethods[];
    static const MemberEntry kBaseProperties[];

    // Built first and destroyed last: the methods refer to it, and its
    // destruction closes the files that are still open.
    IoContext io_;
    TypeConverter converter_{io_};

    // The base properties every exported object carries.
    MoInt baseError_;
    MoInt warnMsg_;
    MoString msg_;

    MoReset reset_;
    MoListSep listSepMethod_{io_};
    MoOpen open_{io_};
    MoClose close_{io_};
    MoCloseAll closeAll_{io_};
    MoExists exists_{io_};
    MoRemove remove_{io_};
    MoSize size_{io_};
    MoGetPos getPos_{io_};
    MoSetPos setPos_{io_};
    MoRewind rewind_{io_};
    MoToEnd toEnd_{io_};
    MoJump jump_{io_};
    MoJumpChunk jumpChunk_{io_};
    MoSwitchMode switchMode_{io_};
    MoRead read_{io_, converter_};
    MoWrite write_{io_, converter_};
    MoFRead fread_{io_, converter_};
    MoFWrite fwrite_{io_, converter_};
    MoDRead dread_{io_, converter_};
    MoDWrite dwrite_{io_, converter_};
    MoLDRead ldread_{io_, converter_};
    MoLDWrite ldwrite_{io_, converter_};
    MoARead aread_{io_, converter_};
    MoAWrite awrite_{io_, converter_};
    MoReadRowBin readRowBin_{io_, converter_};
    MoReadRecord readRecord_{io_, converter_};
    MoWriteRecord writeRecord_{io_, converter_};
    MoReadRow readRow_{io_};
    MoLineRow lineRow_{io_};
    MoTRead tread_{io_};
    MoLRead lread_{io_};
    MoReadToken readToken_{io_};
    MoReadArray readArray_{io_};
    MoASCII ascii_{io_};
    MoCRead cread_{io_};
    MoTWrite twrite_{io_};
    MoLWrite lwrite_{io_};
    MoSigmaWin sigmaWin_{io_};
    MoSigmaDos sigmaDos_{io_};
    MoWav wav_{io_};
    MoMathematica mathematica_{io_};
    MoWksBlock wksBlock_{io_};
    MoSyntax syntax_{io_};
    MoAltSpell altSpell_{io_};
    MoListAll listAll_{io_};
};

}  // namespace zel
