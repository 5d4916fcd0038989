// Imports and WKSBLOCK refused before any byte is read: a worksheet that does
// not exist, no current file, rows or columns before the first, in both
// numberings.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "Worksheet.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

struct RefusalCase {
    const char* name;
    const char* method;
    const char* args;
    bool openFile;  // a current file at 0; otherwise none
    int legacyError;
    int currentError;
};

void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }

class ImportRefusals : public ZelFixture, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ImportRefusals, NothingIsRead) {
    const RefusalCase& c = GetParam();
    const tavrel::Worksheet& w = host().CreateWorksheet("w", 1);
    if (c.openFile) {
        scratch_.Make("in.dat", "1 2 3\n{1,2}\n");
        OpenFile("in.dat");
    }
    for (bool newActions : {false, true}) {
        SCOPED_TRACE(newActions ? "current numbering" : "legacy numbering");
        UseNewActions(newActions);
        EXPECT_EQ(Call(c.method, c.args).code, 2);
        EXPECT_EQ(Error(), newActions ? c.currentError : c.legacyError);
        EXPECT_EQ(Number("NEWACTIONS"), newActions ? 1 : 0);
        EXPECT_EQ(w.columnCount(), 1);
        EXPECT_EQ(w.column(1)->dataset().size(), 0u);
        if (c.openFile) {
            EXPECT_EQ(Call("GETPOS").value, 0);
        }
    }
    // The argument step of other methods is back after a refused call.
    if (c.openFile) {
        EXPECT_EQ(Call("SETPOS", "3").code, 1);
        EXPECT_EQ(Call("GETPOS").value, 3);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, ImportRefusals,
    ::testing::Values(
        // SIGMAWIN answers in the current numbering from its start.
        RefusalCase{"WavNoWorksheet", "WAV", "nosuch", true, 6, 20},
        RefusalCase{"SigmaWinNoWorksheet", "SIGMAWIN", "nosuch", true, 20, 20},
        RefusalCase{"SigmaDosNoWorksheet", "SIGMADOS", "nosuch", true, 6, 20},
        RefusalCase{"MathematicaNoWorksheet", "MATHEMATICA", "nosuch", true, 39, 39},
        RefusalCase{"WksBlockNoWorksheet", "WKSBLOCK", "nosuch,1,1,1,1", true, 6, 20},
        RefusalCase{"WavNoWorksheetName", "WAV", "", true, 1024, 10},
        RefusalCase{"WksBlockNoWorksheetName", "WKSBLOCK", ",1,1,1,1", true, 1024, 10},
        // WKSBLOCK's nested GETPOS finds no current file: its 13, or the
        // legacy 4 of a failed nested call.
        RefusalCase{"WksBlockNoCurrentFile", "WKSBLOCK", "w,1,1,1,1", false, 4, 13},
        RefusalCase{"WksBlockRowBeforeTheFirst", "WKSBLOCK", "w,1,1,0,1", true, 3, 12},
        RefusalCase{"WksBlockColumnBeforeTheFirst", "WKSBLOCK", "w,0,1,1,1", true, 3, 12}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeltest
