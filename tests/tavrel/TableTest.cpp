// Tables and CSV files of datasets and worksheets.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "HostTesting.h"
#include "support/System.h"

namespace tavrel::testing {
namespace {

namespace fs = std::filesystem;

class CsvFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = zeltest::MakeScratchFolder("tavrel_csv_");
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Read(const fs::path& path) const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    fs::path dir;
    Host host{NoModule};
    std::string error;
};

class CsvFieldQuoting : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(CsvFieldQuoting, QuotesOnlyWhenNeeded) { EXPECT_EQ(CsvField(GetParam().first), GetParam().second); }

INSTANTIATE_TEST_SUITE_P(Texts, CsvFieldQuoting,
                         ::testing::Values(std::pair{"plain", "plain"}, std::pair{"", ""},
                                           std::pair{"with space", "with space"}, std::pair{"a,b", "\"a,b\""},
                                           std::pair{"say \"hi\"", "\"say \"\"hi\"\"\""},
                                           std::pair{"two\nlines", "\"two\nlines\""},
                                           std::pair{"cr\rhere", "\"cr\rhere\""}));

TEST_F(CsvFiles, WorksheetRowsHoldShortestNumbersQuotedTextsAndEmptyCells) {
    Worksheet& sheet = host.CreateWorksheet("Sheet", 2);
    ASSERT_TRUE(sheet.renameColumn(2, "Note, text"));
    ASSERT_TRUE(sheet.setFormat(2, kFormatText));
    Dataset& numbers = sheet.column(1)->dataset();
    Dataset& texts = sheet.column(2)->dataset();
    ASSERT_TRUE(numbers.resize(3));
    ASSERT_TRUE(numbers.set(0, 0.1));
    ASSERT_TRUE(numbers.set(2, -2e-7));
    ASSERT_TRUE(numbers.set(4, 9.0));  // beyond the extent: not part of the column yet
    ASSERT_TRUE(texts.resize(2));
    ASSERT_TRUE(texts.setText(0, "say \"hi\""));
    ASSERT_TRUE(texts.setText(1, "line\nbreak"));
    ASSERT_TRUE(SaveCsv(sheet, (dir / "s.csv").string(), error)) << error;
    EXPECT_EQ(Read(dir / "s.csv"), "A,\"Note, text\"\r\n0.1,\"say \"\"hi\"\"\"\r\n,\"line\nbreak\"\r\n-2e-07,\r\n");
    EXPECT_EQ(Format(sheet), "   A       Note, text\n1  0.1     say \"hi\"\n2          line\nbreak\n3  -2e-07\n");
}

TEST_F(CsvFiles, SaveReplacesAnEarlierFileAndFailuresLeaveNothingBehind) {
    const fs::path target = dir / "out.csv";
    std::ofstream(target) << "old contents that are longer than the new ones\n";
    Dataset& data = host.CreateDataset("x");
    ASSERT_TRUE(data.resize(1));
    ASSERT_TRUE(data.set(0, 12345678901.5));
    ASSERT_TRUE(SaveCsv(data, target.string(), error)) << error;
    EXPECT_EQ(Read(target), "x\r\n12345678901.5\r\n");

    // The target is a folder: the rename fails after the data was written.
    const fs::path blocked = dir / "blocked.csv";
    fs::create_directory(blocked);
    EXPECT_FALSE(SaveCsv(data, blocked.string(), error));
    EXPECT_NE(error.find("blocked.csv"), std::string::npos) << error;
    EXPECT_EQ(Entries(), 2u);  // out.csv and the folder: no temporary file left

    error.clear();
    EXPECT_FALSE(SaveCsv(data, (dir / "missing" / "x.csv").string(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Entries(), 2u);
}

}  // namespace
}  // namespace tavrel::testing
