// Every importer over every truncation of one of its files: each import ends
// with success or a refusal, the settings and the cursor come back, and no
// cell holds a value the whole file would not have given.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "Dataset.h"
#include "Worksheet.h"
#include "import/ImportTesting.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

struct Sample {
    const char* name;
    const char* method;
    std::function<std::string()> make;
    std::string args;  // after the worksheet name
    int columns;       // of the worksheet before the import
    // Text formats: a cell's text (or a number's shortest text) must be
    // found in the file's bytes; binary formats: a value must be one the
    // whole file gives.
    bool text;
    // The format reads its fields in the script's BYTEORDER; its sample is
    // big-endian (BYTEORDER 2). The others read theirs whatever it is.
    bool scriptOrder = false;
};

void PrintTo(const Sample& s, std::ostream* out) { *out << s.name; }

std::string WavSample() {
    return MakeWav({.channels = 2, .rate = 4, .samples = {100, -100, 200, -200, 300, -300}, .fact = true});
}

// The extensible format, with the chunks today's tools write before the data.
std::string WavExtensibleSample() {
    return MakeWav({.channels = 2, .rate = 4, .bits = 24, .samples = {100, -100, 8388607, -8388608, 300, -300},
                    .fact = true, .formatTag = kWavExtensible,
                    .chunks = {{"LIST", "INFOISFT" + LeBytes(5, 4) + "sox 1"}, {"JUNK", "abc"}}});
}

std::string SigmaWinSample() {
    return MakeSigmaWin('C', 1, {{0, {1.5, 2.5, 3.5}, {true, false, true}, "first"}, {1, {-4, 8}, {}, "second"}}, 2);
}

std::string SigmaDosSample() { return MakeSigmaDos({{0, {11, 12, 13}, {}, ""}, {2, {21.25}, {}, ""}}, false, 2); }

// Every value a cell of the worksheet holds, numbers and texts.
void Collect(const tavrel::Worksheet& w, std::set<double>& numbers, std::vector<std::string>& texts) {
    for (int k = 1; k <= w.columnCount(); ++k) {
        const tavrel::Dataset& d = w.column(k)->dataset();
        for (size_t i = 0; i < d.size(); ++i) {
            if (std::optional<double> v = d.number(i)) {
                numbers.insert(*v);
            } else if (!d.text(i).empty()) {
                texts.push_back(d.text(i));
            }
        }
    }
}

std::string Shortest(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", v);
    return buffer;
}

class Truncations : public ZelFixture, public ::testing::WithParamInterface<Sample> {
protected:
    tavrel::CallResult Import(const std::string& bytes, const std::string& sheet) {
        Call("CLOSEALL");
        scratch_.Make("in.dat", bytes);
        host().CreateWorksheet(sheet, GetParam().columns);
        OpenFile("in.dat");
        return Call(GetParam().method, sheet + GetParam().args);
    }
};

TEST_P(Truncations, EndCleanlyWithTheFilesOwnValues) {
    const Sample& s = GetParam();
    const std::string whole = s.make();
    SetNumber("NBYTES", 4);
    SetNumber("BYTEORDER", 2);
    SetNumber("SIGNED", 0);
    SetNumber("NLINEMODE", 1);
    SetNumber("LISTSEP", 59);
    ASSERT_EQ(Import(whole, "whole").code, 1) << "ERROR " << Error();
    std::set<double> wholeNumbers;
    std::vector<std::string> wholeTexts;
    Collect(*host().FindWorksheet("whole"), wholeNumbers, wholeTexts);
    ASSERT_FALSE(wholeNumbers.empty() && wholeTexts.empty());

    for (size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        const bool newActions = length % 2 == 1;
        UseNewActions(newActions);
        const std::string sheet = "t" + std::to_string(length);
        const std::string bytes = whole.substr(0, length);
        const tavrel::CallResult r = Import(bytes, sheet);
        ASSERT_TRUE(r.code == 1 || r.code == 2);
        EXPECT_EQ(Number("NBYTES"), 4);
        EXPECT_EQ(Number("BYTEORDER"), 2);
        EXPECT_EQ(Number("SIGNED"), 0);
        EXPECT_EQ(Number("NLINEMODE"), 1);
        EXPECT_EQ(Number("LISTSEP"), 59);
        EXPECT_EQ(Number("NEWACTIONS"), newActions ? 1 : 0);
        EXPECT_FALSE(host().waitCursorShowing());

        std::set<double> numbers;
        std::vector<std::string> texts;
        const tavrel::Worksheet* w = host().FindWorksheet(sheet);
        ASSERT_NE(w, nullptr);
        Collect(*w, numbers, texts);
        for (double v : numbers) {
            if (s.text) {
                EXPECT_NE(bytes.find(Shortest(v)), std::string::npos) << v;
            } else {
                EXPECT_TRUE(wholeNumbers.count(v) == 1) << v;
            }
        }
        for (const std::string& t : texts) {
            if (s.text) {
                // Mathematica's "*^" exponent is stored as "E" (a lone "*"
                // at the end of a cut file as well).
                std::string exponent = t;
                std::string star = t;
                if (const size_t e = t.find('E'); e != std::string::npos) {
                    exponent.replace(e, 1, "*^");
                    star.replace(e, 1, "*");
                }
                EXPECT_TRUE(bytes.find(exponent) != std::string::npos || bytes.find(star) != std::string::npos)
                    << t;
            } else {
                EXPECT_NE(std::find(wholeTexts.begin(), wholeTexts.end(), t), wholeTexts.end()) << t;
            }
        }
    }
}

// A value that a legacy store let in and the current numbering refuses
// (BYTEORDER 3) comes back as it was, and the ERROR the import left stays.
// The formats read whatever byte order the script left end as they do with
// BYTEORDER 0; the SigmaPlot formats, which read in the script's byte order,
// have their first READ refuse it.
TEST_P(Truncations, LegacyStoredSettingsComeBackUnchecked) {
    const Sample& s = GetParam();
    const std::string whole = s.make();
    for (const std::string& bytes : {std::string(), whole.substr(0, whole.size() / 2), whole}) {
        SCOPED_TRACE("length " + std::to_string(bytes.size()));
        UseNewActions(true);
        SetNumber("BYTEORDER", s.scriptOrder ? 2 : 0);
        const tavrel::CallResult plain = Import(bytes, "p" + std::to_string(bytes.size()));
        const int32_t plainError = Error();

        UseNewActions(false);
        ASSERT_EQ(SetNumber("BYTEORDER", 3), 1);
        UseNewActions(true);
        const tavrel::CallResult r = Import(bytes, "b" + std::to_string(bytes.size()));
        if (s.scriptOrder) {
            EXPECT_EQ(r.code, 2);
            EXPECT_NE(Error(), 0);
        } else {
            EXPECT_EQ(r.code, plain.code);
            EXPECT_EQ(Error(), plainError);
        }
        EXPECT_EQ(Number("BYTEORDER"), 3);
        EXPECT_EQ(Number("NEWACTIONS"), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Importers, Truncations,
    ::testing::Values(Sample{"Wav", "WAV", WavSample, "", 2, false},
                      Sample{"WavExtensible", "WAV", WavExtensibleSample, "", 2, false},
                      Sample{"SigmaWin", "SIGMAWIN", SigmaWinSample, "", 2, false, true},
                      Sample{"SigmaDos", "SIGMADOS", SigmaDosSample, "", 3, false, true},
                      Sample{"Mathematica", "MATHEMATICA", [] { return std::string("{{12, -3.5}, {4.25*^2, 77}}"); },
                             "", 2, true},
                      Sample{"WksBlock", "WKSBLOCK", [] { return std::string("10 20 30\r\n40 50 60\r\n70 80 90"); },
                             ",1,3,1,0", 3, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeltest
