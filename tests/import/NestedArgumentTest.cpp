// The importers and WKSBLOCK run ZEL's own methods inside them. A script's
// earlier call of such a method with the handle of another open file must not
// send the nested call to that file: each importer reads the file it was
// given, and the other file stays where the script left it.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "import/ImportTesting.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

struct Importer {
    const char* method;
    std::string file;
    std::string args;  // after the worksheet name
    int columns;       // of the worksheet made for it
};

Importer MakeImporter(const std::string& method) {
    if (method == "WAV") return {"WAV", MakeWav({.channels = 2, .samples = {1, -1, 300, -300, 7, 8}}), "", 2};
    const std::vector<SigmaColumn> columns{SigmaColumn{0, {1.5, 2.5}, {}, "x"}, SigmaColumn{1, {-4}, {}, "y"}};
    if (method == "SIGMAWIN") return {"SIGMAWIN", MakeSigmaWin('B', 1, columns), "", 1};
    if (method == "SIGMADOS") return {"SIGMADOS", MakeSigmaDos(columns), "", 1};
    if (method == "MATHEMATICA") return {"MATHEMATICA", "{{1,2},{3,4,5}}", "", 1};
    return {"WKSBLOCK", "9 9 9\n8 8 8\n7 7 7\n", ",1,3,1,1", 3};
}

const std::string kOther = "0123456789,abcdefghij,klmnopqrst\r\nmore text 1 2 3\r\n";

// An import after the script's own call of one of the nested methods on the
// other file.
struct NestedCase {
    const char* method;
    std::string args;   // before the handle
    int otherPosition;  // of the other file after the call
    std::string importer{};
};

void PrintTo(const NestedCase& c, std::ostream* out) { *out << c.importer << " after " << c.method; }

class NestedArguments : public ZelFixture, public ::testing::WithParamInterface<NestedCase> {};

TEST_P(NestedArguments, TheImportReadsItsOwnFile) {
    const Importer importer = MakeImporter(GetParam().importer);
    const NestedCase& priming = GetParam();
    scratch_.Make("import.bin", importer.file);
    scratch_.Make("other.txt", kOther);
    host().CreateDataset("d");
    UseNewActions(true);

    // Alone: what the import gives when nothing came before it.
    const int32_t k = OpenFile("import.bin");
    const tavrel::Worksheet& alone = host().CreateWorksheet("alone", importer.columns);
    const tavrel::CallResult first = Call(importer.method, "alone" + importer.args);
    ASSERT_EQ(first.code, 1) << "ERROR " << Error();
    const int firstError = Error();
    const double end = Call("GETPOS").value;
    ASSERT_NE(ColumnsOf(alone), ColumnsOf(host().CreateWorksheet("empty", importer.columns)));

    // After the script's own call of a nested method on the other file.
    const int32_t o = OpenFile("other.txt");
    const tavrel::CallResult primed = Call(priming.method, priming.args + std::to_string(o));
    ASSERT_EQ(primed.code, 1) << priming.method << ": ERROR " << Error();
    ASSERT_EQ(Call("REWIND", std::to_string(k)).code, 1);
    const tavrel::Worksheet& after = host().CreateWorksheet("after", importer.columns);
    const tavrel::CallResult second = Call(importer.method, "after" + importer.args);
    EXPECT_EQ(second.code, first.code) << "ERROR " << Error();
    EXPECT_EQ(second.value, first.value);
    EXPECT_EQ(Error(), firstError);
    EXPECT_EQ(Number("HFILE"), k);
    EXPECT_EQ(Call("GETPOS").value, end);
    EXPECT_EQ(ColumnsOf(after), ColumnsOf(alone));
    EXPECT_EQ(Call("GETPOS", std::to_string(o)).value, priming.otherPosition);
}

std::vector<NestedCase> AllCases() {
    const std::vector<NestedCase> primings{
        {"SETPOS", "6,", 6},     {"GETPOS", "", 0},         {"READ", "1,", 1},        {"JUMP", "2,", 2},
        {"SIZE", "", 0},         {"READTOKEN", "Y,1,", 11}, {"AREAD", "d,1,3,0,", 3},
    };
    std::vector<NestedCase> cases;
    for (const char* importer : {"WAV", "SIGMAWIN", "SIGMADOS", "MATHEMATICA", "WKSBLOCK"}) {
        for (const NestedCase& c : primings) cases.push_back({c.method, c.args, c.otherPosition, importer});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryImporterAfterEveryNestedMethod, NestedArguments, ::testing::ValuesIn(AllCases()),
                         [](const auto& info) { return info.param.importer + "_" + info.param.method; });

}  // namespace
}  // namespace zeltest
