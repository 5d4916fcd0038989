// Random sequences of requests: whatever a host sends, the module answers
// with a defined result and never touches memory it does not own (the test
// build runs under the address and undefined-behaviour sanitizers).
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/ZelFixture.h"
#include "zel/zel.h"

namespace zeltest {
namespace {

class RobustnessTest : public ZelFixture {
protected:
    std::string Piece(std::mt19937& rng) {
        static const std::vector<std::string> kPieces = {
            "",      "0",     "1",      "-1",     "2",        "3",         "4",     "8",
            "10",    "99999", "100000", "-2147483648",        "2147483647", "4294967296",
            "1e300", "nan",   "abc",    "\"",     "\"a,b\"",  ",",         ",,",    "  ",
            "d",     "w",     "BYTE",   "-LO3|4", "DOUBLE|",  "SHORT|-LONG2|4|DOUBLE", "BCD",
            "m",     "p",     "open",   "\t",     std::string(300, 'x'),     std::string(2000, ','),
            "(",     ")",     "\xE9",   "A",      "z"};
        return rng() % 7 == 0 ? SomeFile(rng) : kPieces[rng() % kPieces.size()];
    }

    // One of the files f0 to f3 of the scratch folder.
    std::string SomeFile(std::mt19937& rng) { return scratch_.PathOf("f" + std::to_string(rng() % 4)); }

    std::string Arguments(std::mt19937& rng) {
        std::string text;
        const int items = static_cast<int>(rng() % 5);
        for (int i = 0; i < items; ++i) text += (i > 0 ? "," : "") + Piece(rng);
        return text;
    }
};

// Runs the test inside the scratch folder: names without a folder that the
// random texts make up land there.
struct InFolder {
    explicit InFolder(const std::filesystem::path& folder) { std::filesystem::current_path(folder); }
    ~InFolder() { std::filesystem::current_path(previous); }
    const std::filesystem::path previous = std::filesystem::current_path();
};

TEST_F(RobustnessTest, RandomRequestsGetDefinedAnswers) {
    InFolder inside(scratch_.path());
    std::vector<std::string> methods;
    for (const zel::MemberEntry* row = zel().OwnMethods().rows; row->name != nullptr; ++row) {
        // RESET and CLOSEALL are part of the mix; files are made only inside
        // the scratch folder, the current folder of the test.
        methods.emplace_back(row->name);
    }
    methods.insert(methods.end(), {"LISTERR", "LASTERRID", "NOSUCH"});
    std::vector<std::string> properties;
    for (const zel::MemberEntry* row = zel().OwnProperties().rows; row->name != nullptr; ++row) {
        properties.emplace_back(row->name);
    }
    properties.insert(properties.end(), {"MSG", "nbytes12"});
    host().CreateDataset("d");
    host().CreateWorksheet("w", 2);

    std::mt19937 rng(20261206);
    int succeeded = 0;
    const std::array<int32_t, 9> codes = {ZEL_REQ_SET_NUMBER, ZEL_REQ_GET_NUMBER, ZEL_REQ_SET_STRING,
                                          ZEL_REQ_GET_STRING, ZEL_REQ_GET_COUNT,  ZEL_REQ_SET_COUNT,
                                          ZEL_REQ_STATUS,     21,                 ZEL_REQ_CALL};
    scratch_.Make("f0", std::string(300, '\x41'));
    for (int step = 0; step < 6000; ++step) {
        if (step % 40 == 0) host().Call("OPEN", SomeFile(rng) + ',' + std::to_string(rng() % 3));
        const int32_t probe = rng() % 9 == 0 ? ZEL_PROBE_FLAG : 0;
        const int32_t code = (rng() % 2 == 0 ? ZEL_REQ_CALL : codes[rng() % codes.size()]) | probe;
        int32_t r;
        if ((code & 0x7FFF) == ZEL_REQ_CALL) {
            const std::string& method = methods[rng() % methods.size()];
            r = host().Call(method, Arguments(rng)).code;
            succeeded += r == 1 ? 1 : 0;
        } else if ((code & 0x7FFF) == ZEL_REQ_SET_STRING || (code & 0x7FFF) == ZEL_REQ_GET_STRING) {
            std::string name = properties[rng() % properties.size()];
            std::vector<char> buffer(ZEL_STRING_BUFFER, '\0');
            std::string text = Piece(rng);
            std::copy(text.begin(), text.begin() + std::min<size_t>(text.size(), 1023), buffer.begin());
            const char* owner = rng() % 5 == 0 ? "OPEN" : nullptr;
            r = host().Raw(owner, name.data(), buffer.data(), code);
            EXPECT_EQ(buffer.back(), '\0');
        } else {
            std::string name = properties[rng() % properties.size()];
            double value = static_cast<double>(static_cast<int32_t>(rng() % 200)) - 50;
            if (rng() % 10 == 0) value = 1e30;
            const char* owner = rng() % 5 == 0 ? "OPEN" : nullptr;
            r = host().Raw(owner, name.data(), &value, code);
        }
        ASSERT_TRUE(r == 0 || r == 1 || r == 2) << "step " << step << " answered " << r;
        int32_t word = 0;
        ASSERT_EQ(host().Status(word), 1);
        ASSERT_TRUE(word >= -1 && word <= 2) << word;
    }
    // Enough calls got through their argument checks to exercise the methods.
    EXPECT_GT(succeeded, 250) << succeeded;
    // The object is still whole: a reset brings back every default.
    EXPECT_EQ(Call("CLOSEALL").code == 1 || Error() == 23, true);
    EXPECT_EQ(Call("RESET").code, 1);
    EXPECT_EQ(Number("NBYTES"), 1);
    EXPECT_EQ(Number("LISTSEP"), 44);
}

}  // namespace
}  // namespace zeltest
