// Binary files read as text by every text reader, with random settings: each
// call succeeds or fails cleanly, the position only moves forward and never
// past the end, and a variable that keeps every byte holds bytes of the file.
#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>

#include "TextTesting.h"

namespace zeltest {
namespace {

struct BadInputCase {
    const char* name;
    const char* method;
    const char* args;
    // A string variable A that receives bytes of the file as they are (up to
    // the first NUL, which ends a host text).
    bool variableHoldsFileBytes;
};

void PrintTo(const BadInputCase& c, std::ostream* os) { *os << c.name << ": " << c.method << "(" << c.args << ")"; }

class BinaryAsText : public TextFixture, public ::testing::WithParamInterface<BadInputCase> {};

TEST_P(BinaryAsText, EveryCallEndsCleanly) {
    const BadInputCase& c = GetParam();
    std::mt19937 rng(static_cast<unsigned>(std::string(c.name).size() * 7919));
    for (int round = 0; round < 6; ++round) {
        std::string bytes(200 + rng() % 3000, '\0');
        for (char& b : bytes) b = static_cast<char>(rng() & 0xFF);
        const bool newActions = round % 2 == 1;
        Call("CLOSEALL");
        host().CreateDataset("d");
        host().CreateWorksheet("w" + std::to_string(round), 2);
        Settings(false, static_cast<int>(rng() % 3), static_cast<int>(rng() % 256));
        OpenText(bytes, static_cast<int64_t>(rng() % 50));
        UseNewActions(newActions);
        SetNumber("STOPMODE", static_cast<double>(rng() % 16), "ASCII");
        SetNumber("NTOKENS", static_cast<double>(rng() % 5), "ASCII");
        SetNumber("NLINES", static_cast<double>(rng() % 5), "ASCII");
        SetText("STOPCHAR", std::string(1, static_cast<char>(1 + rng() % 255)), "ASCII");
        std::string args = c.args;
        if (const size_t w = args.find("w"); w != std::string::npos) args.insert(w + 1, std::to_string(round));
        double position = Position();
        for (int call = 0; call < 200; ++call) {
            host().SetVariable('A', "");
            const tavrel::CallResult r = Call(c.method, args);
            ASSERT_TRUE(r.code == 1 || r.code == 2) << call;
            const double now = Position();
            EXPECT_GE(now, position) << call;
            EXPECT_LE(now, static_cast<double>(bytes.size())) << call;
            if (c.variableHoldsFileBytes && r.code == 1) {
                // Past the end of the file the text holds blanks.
                const std::string text = Variable('A').substr(0, bytes.size() - static_cast<size_t>(position));
                EXPECT_NE(bytes.find(text, static_cast<size_t>(position)), std::string::npos) << call;
            }
            position = now;
            if (r.code != 1 || now >= static_cast<double>(bytes.size())) break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Readers, BinaryAsText,
    ::testing::Values(BadInputCase{"Lines", "TREAD", "A,2", false}, BadInputCase{"Line", "LREAD", "A", false},
                      BadInputCase{"Tokens", "READTOKEN", "A,3", false},
                      BadInputCase{"Characters", "CREAD", "A,40", true}, BadInputCase{"LineRow", "LINEROW", "w", false},
                      BadInputCase{"ValueRow", "READROW", "w,3", false},
                      BadInputCase{"Array", "READARRAY", "d,1,20", false},
                      BadInputCase{"Ascii", "ASCII", "A,w", false}),
    [](const ::testing::TestParamInfo<BadInputCase>& info) { return std::string(info.param.name); });

// READTOKEN with NEWACTIONS 1 keeps every byte: its text is the file's, from
// the position on, up to the first NUL.
TEST_F(TextFixture, TokensOfABinaryFileAreItsBytes) {
    std::mt19937 rng(42);
    std::string bytes(4000, '\0');
    for (char& b : bytes) b = static_cast<char>(1 + rng() % 255);
    OpenText(bytes);
    UseNewActions(true);
    for (double position = 0; position < static_cast<double>(bytes.size());) {
        ASSERT_EQ(Call("READTOKEN", "A,2").code, 1);
        const double now = Position();
        EXPECT_EQ(Variable('A'), bytes.substr(static_cast<size_t>(position), static_cast<size_t>(now - position)));
        position = now;
    }
}

}  // namespace
}  // namespace zeltest
