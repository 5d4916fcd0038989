// Delimited text into new worksheets; worksheets and datasets saved as
// delimited text and shown as tables.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Table.h"
#include "Tavrel.h"
#include "support/Printing.h"
#include "support/ZelFixture.h"

namespace tavrel::testing {
namespace {

namespace fs = std::filesystem;

int32_t ZEL_CDECL NoModule(uint32_t, const char*, char*, void*, ZelHostCallback, int32_t) {
    return ZEL_RESULT_NOT_FOUND;
}

// A column as "name:kind:cell|cell|...": kind n (numeric) or t (text), an
// empty cell "_", numbers in their shortest text.
std::string Describe(const Column& column) {
    const Dataset& d = column.dataset();
    std::string out = column.name() + (column.format() == kFormatText ? ":t:" : ":n:");
    for (int32_t i = d.lower(); i < d.upper(); ++i) {
        if (i > d.lower()) out += '|';
        const auto index = static_cast<std::size_t>(i);
        switch (d.kind(index)) {
            case CellKind::Number: out += zeltest::NumberText(*d.number(index)); break;
            case CellKind::Text: out += d.text(index); break;
            case CellKind::Empty: out += '_'; break;
        }
    }
    return out;
}

// A numeric column of three rows (an empty cell between two numbers, a
// number past the extent) and a text column of two, named `textColumn`.
Worksheet& MakeSheet(Host& host, const std::string& textColumn) {
    Worksheet& sheet = host.CreateWorksheet("Sheet", 2);
    EXPECT_TRUE(sheet.renameColumn(2, textColumn));
    EXPECT_TRUE(sheet.setFormat(2, kFormatText));
    Dataset& numbers = sheet.column(1)->dataset();
    Dataset& texts = sheet.column(2)->dataset();
    EXPECT_TRUE(numbers.resize(3));
    EXPECT_TRUE(numbers.set(0, 0.1));
    EXPECT_TRUE(numbers.set(2, -2e-7));
    EXPECT_TRUE(numbers.set(4, 9.0));  // beyond the extent: not part of the column yet
    EXPECT_TRUE(texts.resize(2));
    EXPECT_TRUE(texts.setText(0, "say \"hi\", \tall"));
    EXPECT_TRUE(texts.setText(1, "line\nbreak"));
    return sheet;
}

class CsvFiles : public ::testing::Test {
protected:
    std::string Read(const fs::path& path) const { return zeltest::ScratchDir::Contents(path.string()); }

    zeltest::ScratchDir scratch;
    const fs::path& dir = scratch.path();
    Host host{NoModule};
    std::string error;
};

CsvOptions Separator(char c) { return CsvOptions{c, true, false}; }
const CsvOptions kNoHeader{0, false, false};

// ---- Loading -------------------------------------------------------------

struct LoadCase {
    const char* name;
    std::string bytes;
    CsvOptions options;
    std::vector<std::string> columns;  // as Describe gives them; none: refused
    const char* why = "";              // part of the refusal's message
};

class CsvLoad : public CsvFiles, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(CsvLoad, FillsANewWorksheetOrSaysWhyNamingTheFile) {
    const LoadCase& c = GetParam();
    const std::string path = scratch.Make("in.csv", c.bytes);
    ASSERT_EQ(LoadCsv(host, "w", path, c.options, error), !c.columns.empty()) << error;
    const Worksheet* sheet = host.FindWorksheet("w");
    if (c.columns.empty()) {
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
        EXPECT_EQ(sheet, nullptr);
        return;
    }
    std::vector<std::string> columns;
    for (int k = 1; k <= sheet->columnCount(); ++k) columns.push_back(Describe(*sheet->column(k)));
    EXPECT_EQ(columns, c.columns);
}

const std::vector<std::string> kRefused;

INSTANTIATE_TEST_SUITE_P(
    Files, CsvLoad,
    ::testing::Values(
        LoadCase{"LineFeeds", "a,b\n1,2\n3,4\n", {}, {"a:n:1|3", "b:n:2|4"}},
        LoadCase{"CrLfWithoutAFinalLineEnd", "a,b\r\n1,2\r\n3,4", {}, {"a:n:1|3", "b:n:2|4"}},
        LoadCase{"LoneCarriageReturns", "a,b\r1,2\r3,4\r", {}, {"a:n:1|3", "b:n:2|4"}},
        LoadCase{"QuotedSeparatorsQuotesAndLineEnds",
                 "name,n\n\"x, y\",1\n\"say \"\"hi\"\"\",2\n\"two\r\nlines\",3\n\"a\nb\",4\n\"\"\"\",5\n",
                 {},
                 {"name:t:x, y|say \"hi\"|two\r\nlines|a\nb|\"", "n:n:1|2|3|4|5"}},
        LoadCase{"TextAfterAClosingQuoteAndQuotesInsideAField", "a\n\"x\"y\nx\"y\n", {}, {"a:t:xy|x\"y"}},
        LoadCase{"EmptyFieldsAreEmptyCells", "a,b,c\n1,,x\n,2,\n\"\",3,\"\"\n", {},
                 {"a:n:1|_|_", "b:n:_|2|3", "c:t:x|_|_"}},
        LoadCase{"MissingValueSpellings", "a,b\nNA,x\n1,nan\nNULL,N/A\n-NaN,#N/A\n", {},
                 {"a:n:_|1|_|_", "b:t:x|_|_|_"}},
        LoadCase{"ByteOrderMark", "\xEF\xBB\xBFid,v\n1,2\n", {}, {"id:n:1", "v:n:2"}},
        LoadCase{"ShortRecordsLeaveTheirRowEmpty", "a,b,c\n1\n1,2\n", {}, {"a:n:1|1", "b:n:_|2", "c:n:_|_"}},
        LoadCase{"AnEmptyLineIsARowOfEmptyCells", "a\n1\n\n3\n", {}, {"a:n:1|_|3"}},
        LoadCase{"HeaderOnly", "a,b\n", {}, {"a:n:", "b:n:"}},
        LoadCase{"RepeatedNamesTakeSuffixes", "x,x,x.1,X,x\n1,2,3,4,5\n", {},
                 {"x:n:1", "x.2:n:2", "x.1:n:3", "X.3:n:4", "x.4:n:5"}},
        LoadCase{"EmptyNamesAreUnnamed", ",a,\n1,2,3\n", {}, {"Unnamed: 0:n:1", "a:n:2", "Unnamed: 2:n:3"}},
        LoadCase{"DefaultNamesWithoutAHeader", "1,2\n3,x\n", kNoHeader, {"A:n:1|3", "B:t:2|x"}},
        LoadCase{"SemicolonsDetected", "a;b\n1,5;2\n", {}, {"a:t:1,5", "b:n:2"}},
        LoadCase{"TabsDetected", "a\tb\n1\t2\n", {}, {"a:n:1", "b:n:2"}},
        LoadCase{"QuotedSeparatorsDoNotCountInDetection", "\"a,b,c\";d\n1;2\n", {}, {"a,b,c:n:1", "d:n:2"}},
        LoadCase{"GivenSeparator", "a,b;c\n1,2;3\n", Separator(';'), {"a,b:t:1,2", "c:n:3"}},
        LoadCase{"NumbersWithSignsExponentsBlanksAndInfinities",
                 "v\n1e5\n-2.5E-3\n+7\n .5 \n\t-0\ninf\n-Infinity\n+INF\n1e-400\n1.5e+300\n", {},
                 {"v:n:1e+05|-0.0025|7|0.5|-0|inf|-inf|inf|0|1.5e+300"}},
        LoadCase{"OneFieldThatIsNoNumberMakesAText", "a,b,c,d,e,f\n1,1,1,1,1,1\n1e400,+-1,0x10,NAN,1 2,1e\n", {},
                 {"a:t:1|1e400", "b:t:1|+-1", "c:t:1|0x10", "d:t:1|NAN", "e:t:1|1 2", "f:t:1|1e"}},
        LoadCase{"TextsKeepTheirBlanks", "a\n x \n", {}, {"a:t: x "}},
        LoadCase{"LongerRecord", "a,b\n1,2\n3,4,5\n", {}, kRefused, "line 3 has 3 fields, the header 2"},
        LoadCase{"LongerRecordAfterALineEndInQuotes", "a,b\n\"x\ny\",2\n3,4,5\n", {}, kRefused, "line 4 has 3"},
        LoadCase{"LongerRecordWithoutAHeader", "1\n2,3\n", kNoHeader, kRefused, "the first record 1"},
        LoadCase{"UnclosedQuote", "a\n1\n\"abc\n", {}, kRefused, "line 3 is not closed"},
        LoadCase{"EmptyFile", "", {}, kRefused, "empty"},
        LoadCase{"ByteOrderMarkAlone", "\xEF\xBB\xBF", {}, kRefused, "empty"},
        LoadCase{"NulBytes", std::string("a\n1\0\n", 5), {}, kRefused, "NUL"},
        LoadCase{"QuoteAsSeparator", "a\n1\n", Separator('"'), kRefused, "cannot separate"}),
    [](const auto& info) { return info.param.name; });

TEST_F(CsvFiles, LoadRefusesAMissingFileAndNamesThatAreTaken) {
    const std::string missing = (dir / "missing.csv").string();
    EXPECT_FALSE(LoadCsv(host, "w", missing, {}, error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_EQ(host.FindWorksheet("w"), nullptr);

    const std::string path = scratch.Make("in.csv", "a\n1\n");
    host.CreateWorksheet("Sheet", 1);
    host.CreateDataset("free");
    for (const char* taken : {"sheet", "FREE", "Sheet_A"}) {
        error.clear();
        EXPECT_FALSE(LoadCsv(host, taken, path, {}, error)) << taken;
        EXPECT_NE(error.find("exists already"), std::string::npos) << error;
    }
    EXPECT_EQ(host.FindWorksheet("Sheet")->columnCount(), 1);
}

// ---- Saving and showing --------------------------------------------------

struct SaveCase {
    const char* name;
    CsvOptions options;
    const char* bytes;
};

class CsvSave : public CsvFiles, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(CsvSave, WritesTheRowsOfTheExtent) {
    ASSERT_TRUE(SaveCsv(MakeSheet(host, "Note; text"), (dir / "s.csv").string(), GetParam().options, error)) << error;
    EXPECT_EQ(Read(dir / "s.csv"), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Options, CsvSave,
    ::testing::Values(
        SaveCase{"Defaults", {}, "A,Note; text\n0.1,\"say \"\"hi\"\", \tall\"\n,\"line\nbreak\"\n-2e-07,\n"},
        SaveCase{"CrLf", {0, true, true},
                 "A,Note; text\r\n0.1,\"say \"\"hi\"\", \tall\"\r\n,\"line\nbreak\"\r\n-2e-07,\r\n"},
        SaveCase{"Semicolons", Separator(';'),
                 "A;\"Note; text\"\n0.1;\"say \"\"hi\"\", \tall\"\n;\"line\nbreak\"\n-2e-07;\n"},
        SaveCase{"TabsWithoutAHeader", {'\t', false, false},
                 "0.1\t\"say \"\"hi\"\", \tall\"\n\t\"line\nbreak\"\n-2e-07\t\n"}),
    [](const auto& info) { return info.param.name; });

TEST(CsvField, QuotesALoneCarriageReturnAndOnlyTheGivenSeparator) {
    EXPECT_EQ(CsvField("cr\rhere"), "\"cr\rhere\"");
    EXPECT_EQ(CsvField("a\tb"), "a\tb");
    EXPECT_EQ(CsvField("a\tb", '\t'), "\"a\tb\"");
    EXPECT_EQ(CsvField(""), "");
}

TEST_F(CsvFiles, ASaveLoadsBackBitForBit) {
    constexpr int32_t kRows = 20000;
    Worksheet& sheet = host.CreateWorksheet("Out", 2);
    ASSERT_TRUE(sheet.setFormat(2, kFormatText) && sheet.setRowCount(kRows));
    Dataset& numbers = sheet.column(1)->dataset();
    Dataset& texts = sheet.column(2)->dataset();
    std::mt19937_64 rng(7);
    const char* const kTexts[] = {"plain", "a,b", "say \"hi\"", "cr\r\nlf", " blank ", "1e5"};
    for (std::size_t i = 0; i < kRows; ++i) {
        double value;  // any finite double, subnormals and both zeros included, but the missing value
        do {
            value = std::bit_cast<double>(rng());
        } while (!std::isfinite(value) || value == ZEL_MISSING_VALUE);
        ASSERT_TRUE(numbers.set(i, value));
        ASSERT_TRUE(i % 7 == 3 || texts.setText(i, kTexts[i % std::size(kTexts)]));
    }
    const std::string path = (dir / "round.csv").string();
    ASSERT_TRUE(SaveCsv(sheet, path, error)) << error;
    ASSERT_TRUE(LoadCsv(host, "In", path, {}, error)) << error;
    const Worksheet& back = *host.FindWorksheet("In");
    ASSERT_EQ(back.rows(), kRows);
    EXPECT_EQ(back.column(1)->name(), "A");
    EXPECT_EQ(back.column(2)->format(), kFormatText);
    for (std::size_t i = 0; i < kRows; ++i) {
        const std::optional<double> got = back.column(1)->dataset().number(i);
        ASSERT_TRUE(got.has_value()) << i;
        ASSERT_EQ(std::bit_cast<uint64_t>(*got), std::bit_cast<uint64_t>(*numbers.number(i)))
            << i << ": " << zeltest::NumberText(*got);
        ASSERT_EQ(back.column(2)->dataset().text(i), texts.text(i)) << i;
    }
}

// A dataset saves under its name, empty cells empty. A file it replaces
// keeps no temporary; a read-only file (even for root), a folder in the way
// and a missing folder are refused, and nothing is left behind.
TEST_F(CsvFiles, ADatasetReplacesAFileWholeOrIsRefusedLeavingNothing) {
    Dataset& data = host.CreateDataset("x, y");
    ASSERT_TRUE(data.resize(3));
    ASSERT_TRUE(data.set(0, 12345678901.5));
    ASSERT_TRUE(data.set(2, -0.0));
    scratch.Make("out.csv", "old contents that are longer than the new ones\n");
    ASSERT_TRUE(SaveCsv(data, (dir / "out.csv").string(), error)) << error;
    EXPECT_EQ(Read(dir / "out.csv"), "\"x, y\"\n12345678901.5\n\n-0\n");

    scratch.Make("kept.csv", "a file the user keeps\n");
    fs::permissions(dir / "kept.csv", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(SaveCsv(data, (dir / "kept.csv").string(), error));
    EXPECT_NE(error.find("kept.csv: the file is read-only"), std::string::npos) << error;
    fs::permissions(dir / "kept.csv", fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(Read(dir / "kept.csv"), "a file the user keeps\n");
    fs::create_directory(dir / "folder.csv");
    EXPECT_FALSE(SaveCsv(data, (dir / "folder.csv").string(), error));
    EXPECT_NE(error.find("folder.csv"), std::string::npos) << error;
    const std::string lost = (dir / "missing" / "x.csv").string();
    EXPECT_FALSE(SaveCsv(data, lost, error));
    EXPECT_EQ(error.rfind("cannot create " + lost + ": ", 0), 0u) << error;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);  // out, kept, folder
}

struct ShowCase {
    bool text;
    int32_t lower;
    int32_t upper;
    std::vector<const char*> cells;  // "" empty, "'..." a text, else a number
    const char* shown;
};

TEST(Table, NumericCellsWithoutANumberShowDashesInsideTheExtent) {
    const ShowCase cases[] = {{false, 0, 3, {"1", "", "2.5"}, "   d\n1  1\n2  --\n3  2.5\n"},
                              {false, 0, 2, {"-1.23456789e-300", "4"}, "   d\n1  --\n2  4\n"},
                              {true, 0, 3, {"'a", "", "3"}, "   d\n1  a\n2\n3  3\n"},
                              {false, 1, 3, {"1", "", "2"}, "   d\n1\n2  --\n3  2\n"}};
    for (const ShowCase& c : cases) {
        Host host{NoModule};
        Dataset& d = host.CreateDataset("d", c.text);
        for (std::size_t i = 0; i < c.cells.size(); ++i) {
            const std::string cell = c.cells[i];
            if (cell.empty()) continue;
            ASSERT_TRUE(cell[0] == '\'' ? d.setText(i, cell.substr(1)) : d.set(i, std::stod(cell))) << i;
        }
        ASSERT_TRUE(d.setExtent(c.lower, c.upper));
        EXPECT_EQ(Format(d), c.shown);
    }
    // Columns padded to their widest cell; an empty text cell and one past
    // the extent are blank.
    Host host{NoModule};
    Worksheet& sheet = MakeSheet(host, "Note, text");
    ASSERT_TRUE(sheet.column(2)->dataset().clear(1));
    EXPECT_EQ(Format(sheet), "   A       Note, text\n1  0.1     say \"hi\", \tall\n2  --\n3  -2e-07\n");
    EXPECT_EQ(Format(sheet, 1), "   A    Note, text\n1  0.1  say \"hi\", \tall\n");
}

}  // namespace
}  // namespace tavrel::testing
