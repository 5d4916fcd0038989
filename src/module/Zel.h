// ZEL: the one script object the module exports. It owns every property and
// method of the file-I/O language, the context they share (error state,
// open files, settings), the binary encoder, and the member tables that map
// script names to them.
#pragma once

#include <array>

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
#include "frame/MethodList.h"
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
    MemberTable OwnMethods() override { return {kMethods.data(), this}; }
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

    using MethodTable = std::array<MemberEntry, methods::kSpellings + 1>;
    using NumberedMethods = std::array<MoMethod& (*)(ZEL&), methods::kNumbered>;
    // Both built from the method list when the module is compiled.
    static constexpr MethodTable MakeMethodTable();
    static constexpr NumberedMethods MakeNumberedMethods();

    static const MemberEntry kProperties[];
    // Every spelling of every method, in the order of the method list.
    static const MethodTable kMethods;
    // The methods in the numbering of programs over them (ZelMethod).
    static const NumberedMethods kNumberedMethods;
    static const MemberEntry kBaseProperties[];

    // Built first and destroyed last: the methods refer to it, and its
    // destruction closes the files that are still open.
    IoContext io_;
    TypeConverter converter_{io_};

    // The base properties every exported object carries.
    MoInt baseError_;
    MoInt warnMsg_;
    MoString msg_;

    // The methods, one member each, as the method list describes them.
#define ZEL_CONSTRUCT_NONE
#define ZEL_CONSTRUCT_IO {io_}
#define ZEL_CONSTRUCT_CODEC {io_, converter_}
#define ZEL_METHOD_MEMBER(e, n, cls, field, make, ...) cls field ZEL_CONSTRUCT_##make;
    ZEL_METHODS(ZEL_METHOD_MEMBER)
#undef ZEL_METHOD_MEMBER
#undef ZEL_CONSTRUCT_NONE
#undef ZEL_CONSTRUCT_IO
#undef ZEL_CONSTRUCT_CODEC
};

}  // namespace zel
