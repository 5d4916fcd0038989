// Shared by the binary tests: byte builders, and one call through MODLL on a
// scratch file, set up and checked from a row of a table.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Dataset.h"
#include "Worksheet.h"
#include "import/ImportTesting.h"
#include "support/Printing.h"
#include "support/ZelFixture.h"

namespace zeltest {

using Column = std::vector<double>;
using Settings = std::vector<std::pair<const char*, double>>;

inline std::string Bytes(std::initializer_list<unsigned> bytes) { return std::string(bytes.begin(), bytes.end()); }

inline std::string Single(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return LeBytes(bits, 4);
}

// count values start, start + step, ...
inline Column Series(int count, double start, double step) {
    Column values;
    for (int i = 0; i < count; ++i) values.push_back(start + i * step);
    return values;
}

// Integers of width bytes, each followed by gap bytes 'g'.
inline std::string Spaced(const Column& values, int width, int gap) {
    std::string s;
    for (double v : values) s += LeBytes(static_cast<uint64_t>(static_cast<int64_t>(v)), width) + std::string(gap, 'g');
    return s;
}

// data.bin holds `file` and is open with `mode`; dataset d holds `d` and the
// columns of worksheet w hold `w`, from row 0. The `before` calls run first,
// unchecked; then the file operation `failOp` fails once with `fail`,
// allocations above `memory` bytes (or the `refuseRequest`th) are refused,
// and `method` is called.
struct CallCase {
    std::string name = {};
    std::string file = {};
    int mode = 2;
    bool newActions = false;
    Settings settings = {};
    Column d = {};
    std::vector<Column> w = {Column{}};
    std::vector<std::pair<const char*, const char*>> before = {};
    zel::platform::FileCause fail = zel::platform::FileCause::None;
    VfsOp failOp = VfsOp::Read;
    size_t memory = FailingAllocator::kNoLimit;
    int refuseRequest = -1;
    const char* method = "";
    std::string args = {};
    // What the call answers and leaves; unset, or -1: not checked.
    int code = 1;
    std::optional<double> value = {};
    int32_t error = 0;
    int32_t sysErr = -1;
    int requests = -1;                 // allocations asked for
    size_t largestRequest = 0;         // bytes, the most one allocation may ask for
    double pos = -1;
    std::optional<std::string> written = {};         // data.bin afterwards (unset: as before)
    std::optional<Column> dAfter = {};               // dataset d afterwards (unset: as before)
    std::optional<std::vector<Column>> wAfter = {};  // the columns of w afterwards (unset: as before)
    std::vector<std::string> commands = {};          // sent to the host
    std::optional<std::vector<std::string>> lines = {};  // printed
};

inline void PrintTo(const CallCase& c, std::ostream* out) {
    *out << c.name << ": " << c.method << "(" << c.args << ")";
}
inline std::string CaseName(const ::testing::TestParamInfo<CallCase>& info) { return info.param.name; }

// A call refused before any byte moves: it leaves data.bin, d, w and the
// position 2 as they were.
inline CallCase Refused(const char* name, bool newActions, const char* method, const char* args, int32_t error,
                        Settings settings = {}) {
    return {.name = name, .file = "0123456789", .newActions = newActions, .settings = std::move(settings),
            .d = {1, 2, 3}, .before = {{"SETPOS", "2"}}, .method = method, .args = args, .code = 2, .error = error,
            .pos = 2};
}

// The numbers of a dataset from row 0 to its upper bound.
inline Column Numbers(const tavrel::Dataset& d) {
    Column values;
    for (int32_t i = 0; i < d.upper(); ++i) values.push_back(d.number(static_cast<size_t>(i)).value_or(-777));
    return values;
}

inline void Fill(tavrel::Dataset& d, const Column& values) {
    for (size_t i = 0; i < values.size(); ++i) d.set(i, values[i]);
    d.resize(static_cast<int32_t>(values.size()));
}

// Its one runner, in ScalarIOTest.cpp, serves the tables of every file here.
class BinaryCall : public ZelFixture, public ::testing::WithParamInterface<CallCase> {
protected:
    void Check(const CallCase& c) {
        FailingVfs* layer = c.fail != zel::platform::FileCause::None ? &UseFailingVfs() : nullptr;
        scratch_.Make("data.bin", c.file);
        OpenFile("data.bin", c.mode);
        tavrel::Dataset& d = host().CreateDataset("d");
        Fill(d, c.d);
        tavrel::Worksheet& w = host().CreateWorksheet("w", static_cast<int>(c.w.size()));
        for (size_t k = 0; k < c.w.size(); ++k) Fill(w.column(static_cast<int>(k) + 1)->dataset(), c.w[k]);
        UseNewActions(c.newActions);
        for (const auto& [name, value] : c.settings) SetNumber(name, value);
        for (const auto& [method, args] : c.before) Call(method, args);
        if (layer != nullptr) layer->Fail(c.failOp, c.fail);
        FailingAllocator& memory = UseFailingAllocator();
        memory.RefuseAbove(c.memory);
        memory.RefuseRequest(c.refuseRequest);
        TakeLines();
        const tavrel::CallResult r = Call(c.method, c.args);
        if (c.requests >= 0) { EXPECT_EQ(memory.requests(), c.requests); }
        if (c.largestRequest > 0) { EXPECT_LE(memory.largestRequest(), c.largestRequest); }
        EXPECT_EQ(r.code, c.code);
        if (c.value) { EXPECT_EQ(r.value, *c.value); }
        EXPECT_EQ(Error(), c.error);
        if (c.sysErr >= 0) { EXPECT_EQ(SysErr(), c.sysErr); }
        if (c.lines) { EXPECT_EQ(TakeLines(), *c.lines); }
        if (c.pos >= 0) { EXPECT_EQ(Call("GETPOS").value, c.pos); }
        EXPECT_EQ(Numbers(d), c.dAfter.value_or(c.d));
        std::vector<Column> columns;
        for (int k = 1; k <= w.columnCount(); ++k) columns.push_back(Numbers(w.column(k)->dataset()));
        EXPECT_EQ(columns, c.wAfter.value_or(c.w));
        EXPECT_EQ(host().commands(), c.commands);
        EXPECT_EQ(host().FindDataset("nosuch"), nullptr);
        EXPECT_EQ(host().FindWorksheet("nosuch"), nullptr);
        Call("CLOSEALL");
        // Compared from the first byte that differs.
        const std::string after = ScratchDir::Contents(scratch_.PathOf("data.bin"));
        const std::string expected = c.written.value_or(c.file);
        const auto at = static_cast<size_t>(
            std::mismatch(after.begin(), after.end(), expected.begin(), expected.end()).first - after.begin());
        EXPECT_EQ(HexBytes(after.substr(at, 16)), HexBytes(expected.substr(at, 16))) << "data.bin from byte " << at;
    }
};

}  // namespace zeltest
