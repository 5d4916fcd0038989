// The character engine: the order in which it asks its decisions, the byte
// budget at the end of the data, the runs of plain bytes against the
// decisions asked one byte at a time, and failures of the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <tuple>
#include <utility>
#include <ostream>
#include <string>
#include <vector>

#include "support/Printing.h"
#include "support/ZelFixture.h"
#include "transfer/MoASCIIPiece.h"

namespace zeltest {
namespace {

using zel::ByteClass;
using zel::ByteClasses;

std::string CharName(uint8_t ch) {
    switch (ch) {
        case 0: return "NUL";
        case '\n': return "LF";
        case '\r': return "CR";
        default: break;
    }
    if (ch >= 0x21 && ch < 0x7F) return std::string(1, static_cast<char>(ch));
    char hex[8];
    std::snprintf(hex, sizeof hex, "x%02X", ch);
    return hex;
}

// A reader with the engine's own decisions (and, when asked, a piece
// completed at every separator that follows a kept character), which notes
// every decision with the counts it sees: bytes read, kept, separators.
class Recorder final : public zel::MoASCIIPiece {
public:
    Recorder(zel::IoContext& io, bool completeAtSeparators)
        : MoASCIIPiece(io), completeAtSeparators_(completeAtSeparators) {}

    int32_t Read(zel::MyCFile& file) { return ReadPieces(file); }

    bool KeepChar(uint8_t ch) override { return Note('K', ch, MoASCIIPiece::KeepChar(ch)); }
    bool IsSeparator(uint8_t ch) override { return Note('S', ch, MoASCIIPiece::IsSeparator(ch)); }
    int32_t CheckChar(uint8_t ch) override {
        const int32_t r = ch == refuse ? 99 : 0;
        Note('C', ch, r != 0);
        return r;
    }
    bool IsPieceComplete(uint8_t ch, uint32_t keptInPiece) override {
        bool complete = IsFinished(ch, separators());
        log.pop_back();  // the inner question is not one of the engine's
        if (!complete && completeAtSeparators_) {
            complete = (IsListSeparator(ch) || IsLineEnd(ch)) && keptInPiece > 0;
        }
        return Note('P', ch, complete, " in piece " + std::to_string(keptInPiece));
    }
    bool IsFinished(uint8_t ch, uint32_t separators) override {
        return Note('F', ch, MoASCIIPiece::IsFinished(ch, separators));
    }
    int32_t StorePiece(const std::string& piece, uint32_t separators) override {
        pieces.push_back(piece);
        log.push_back("store " + Quoted(piece) + " at " + std::to_string(separators));
        return storeAnswer;
    }
    const ByteClasses* PlainBytes() override {
        // Without pieces completed at separators, a separator completes and
        // finishes nothing: it may be taken in a run.
        BuildClasses(classes_, [](uint8_t) { return ByteClass::Keep; }, !completeAtSeparators_);
        // A byte that CheckChar refuses must be asked about.
        if (refuse >= 0) classes_[static_cast<size_t>(refuse)] = ByteClass::Ask;
        return &classes_;
    }

    std::vector<std::string> log;
    std::vector<std::string> pieces;
    int32_t storeAnswer = 0;
    int refuse = -1;  // CheckChar refuses this byte with 99

private:
    bool Note(char what, uint8_t ch, bool answer, const std::string& extra = "") {
        log.push_back(std::string(1, what) + " " + CharName(ch) + " " + std::to_string(bytesRead()) +
                      "," + std::to_string(keptTotal()) + "," + std::to_string(separators()) + extra +
                      (answer ? " yes" : ""));
        return answer;
    }

    bool completeAtSeparators_;
    ByteClasses classes_{};
};

class EngineTest : public ZelFixture {
protected:
    // Opens a file with the bytes at the offset, and a recorder ready to read.
    Recorder& Prepare(const std::string& bytes, int64_t offset, bool completeAtSeparators = false,
                      int mode = 0) {
        scratch_.Make("text.txt", bytes);
        OpenFile("text.txt", mode);
        if (offset != 0) {
            EXPECT_EQ(Call("SETPOS", std::to_string(offset)).code, 1);
        }
        recorder_.emplace(zel().io(), completeAtSeparators);
        std::string none;
        EXPECT_EQ(recorder_->ParseArguments(none, zel()), 0);
        return *recorder_;
    }
    int32_t Read() { return recorder_->Read(*zel().io().CurrentFile()); }
    double Position() { return Call("GETPOS").value; }

    std::optional<Recorder> recorder_;
};

TEST_F(EngineTest, DecisionsComeInTheirOrderWithTheCountsOfTheStepsBefore) {
    Recorder& r = Prepare("a,b", 0);
    zel::MoASCIIPiece::UseByteRuns(false);
    EXPECT_EQ(Read(), 0);
    zel::MoASCIIPiece::UseByteRuns(true);
    const std::vector<std::string> expected = {
        "F NUL 0,0,0",
        "K a 1,0,0 yes", "S a 1,1,0", "C a 1,1,0", "P a 1,1,0 in piece 1", "F a 1,1,0",
        "K , 2,1,0 yes", "S , 2,2,0 yes", "C , 2,2,1", "P , 2,2,1 in piece 2", "F , 2,2,1",
        // The last byte of the data is a separator and ends the reading.
        "K b 3,2,1 yes", "S b 3,3,1 yes", "C b 3,3,2", "P b 3,3,2 in piece 3 yes",
        "store \"a,b\" at 2", "F b 3,3,2 yes",
    };
    EXPECT_EQ(r.log, expected);
    EXPECT_EQ(Position(), 3);
}

TEST_F(EngineTest, AStoredPieceIsEmptiedAndCountsGoOn) {
    Recorder& r = Prepare("ab,\r\nc", 0, true);
    EXPECT_EQ(Read(), 0);
    EXPECT_EQ(r.pieces, (std::vector<std::string>{"ab,", "\r\n", "c"}));
    EXPECT_EQ(r.separators(), 3u);
    EXPECT_EQ(r.keptTotal(), 6u);
}

TEST_F(EngineTest, ARefusedCharacterEndsTheReadingAfterIt) {
    Recorder& r = Prepare("abcdef", 0);
    r.refuse = 'c';
    EXPECT_EQ(Read(), 99);
    EXPECT_TRUE(r.pieces.empty());
    EXPECT_EQ(Position(), 3);
    EXPECT_EQ(r.log.back(), "C c 3,3,0 yes");
}

TEST_F(EngineTest, AStoreThatFailsEndsTheReadingAtItsCharacter) {
    Recorder& r = Prepare("ab,cd,ef", 0, true);
    r.storeAnswer = 20;
    EXPECT_EQ(Read(), 20);
    EXPECT_EQ(r.pieces, std::vector<std::string>{"ab,"});
    EXPECT_EQ(Position(), 3);
}

// One reading with the engine's decisions: what it stores, its counts, its
// answer and ERROR, and where the file stands after it.
struct EngineCase {
    const char* name;
    std::string bytes;
    int64_t offset;
    bool newActions;
    int lineMode;
    int listSep;
    bool completeAtSeparators;
    std::vector<std::string> pieces;
    int32_t code;
    int32_t error;
    uint64_t bytesRead;
    uint32_t separators;
    double position;
};

void PrintTo(const EngineCase& c, std::ostream* os) {
    *os << c.name << ": " << Quoted(c.bytes) << " from " << c.offset << ", NEWACTIONS " << c.newActions
        << ", NLINEMODE " << c.lineMode << ", LISTSEP " << c.listSep;
}

class EngineReadings : public EngineTest, public ::testing::WithParamInterface<EngineCase> {};

TEST_P(EngineReadings, StoreCountAndStop) {
    const EngineCase& c = GetParam();
    // Runs of plain bytes and the decisions asked byte by byte agree.
    for (bool runs : {true, false}) {
        SCOPED_TRACE(runs ? "byte runs" : "byte by byte");
        zel::MoASCIIPiece::UseByteRuns(runs);
        UseNewActions(c.newActions);
        SetNumber("NLINEMODE", c.lineMode);
        SetNumber("LISTSEP", c.listSep);
        Call("CLOSEALL");
        Recorder& r = Prepare(c.bytes, c.offset, c.completeAtSeparators);
        EXPECT_EQ(Read(), c.code);
        EXPECT_EQ(Error(), c.error);
        EXPECT_EQ(r.pieces, c.pieces);
        EXPECT_EQ(r.bytesRead(), c.bytesRead);
        EXPECT_EQ(r.separators(), c.separators);
        EXPECT_EQ(Position(), c.position);
    }
    zel::MoASCIIPiece::UseByteRuns(true);
}

const std::string kLong = std::string(200, 'x') + "," + std::string(300, 'y') + "\r\n" + std::string(50, 'z');

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineReadings,
    ::testing::Values(
        EngineCase{"WholeFileFromTheStart", "ab,c", 0, false, 0, 44, false, {"ab,c"}, 0, 0, 4, 2, 4},
        // A reading from a later offset ends at the last byte as well.
        EngineCase{"FromALaterOffset", "xab,c", 1, false, 0, 44, false, {"ab,c"}, 0, 0, 4, 2, 5},
        EngineCase{"FromALaterOffsetCurrent", "xab,c", 1, true, 0, 44, false, {"ab,c"}, 0, 0, 4, 2, 5},
        EngineCase{"PiecesAtSeparators", kLong, 0, false, 0, 44, true,
                   {std::string(200, 'x') + ",", std::string(300, 'y') + "\r\n", std::string(50, 'z')}, 0, 0,
                   553, 3, 553},
        EngineCase{"PiecesAtSeparatorsFromAnOffset", kLong, 150, false, 0, 44, true,
                   {std::string(50, 'x') + ",", std::string(300, 'y') + "\r\n", std::string(50, 'z')}, 0, 0,
                   403, 3, 553},
        // No data: an empty file, and a position at or past the end.
        EngineCase{"EmptyFileLegacy", "", 0, false, 0, 44, false, {}, 0, 0, 0, 0, 0},
        EngineCase{"EmptyFileCurrent", "", 0, true, 0, 44, false, {}, 33, 33, 0, 0, 0},
        EngineCase{"PastTheEndOfAnEmptyFile", "", 5, false, 0, 44, false, {}, 0, 0, 0, 0, 5},
        EngineCase{"AtTheEndLegacy", "abc", 3, false, 0, 44, false, {}, 33, 33, 0, 0, 3},
        EngineCase{"AtTheEndCurrent", "abc", 3, true, 0, 44, false, {}, 33, 33, 0, 0, 3},
        EngineCase{"PastTheEnd", "abc", 10, true, 0, 44, false, {}, 33, 33, 0, 0, 10},
        // Line ends: a line feed ends a line in mode 0 only after a carriage
        // return read in the same reading.
        EngineCase{"LineFeedFirst", "\nab", 0, false, 0, 44, true, {"\nab"}, 0, 0, 3, 1, 3},
        EngineCase{"CarriageReturnLineFeed", "\r\nab", 0, false, 0, 44, true, {"\r\n", "ab"}, 0, 0, 4, 2, 4},
        EngineCase{"LineFeedAfterTheOffset", "\r\nab", 1, false, 0, 44, true, {"\nab"}, 0, 0, 3, 1, 4},
        EngineCase{"LineFeedMode", "a\nb\rc", 0, false, 1, 44, true, {"a\n", "b\rc"}, 0, 0, 5, 2, 5},
        EngineCase{"CarriageReturnMode", "a\nb\rc", 0, false, 2, 44, true, {"a\nb\r", "c"}, 0, 0, 5, 2, 5},
        // Any byte value may be the separator.
        EngineCase{"Separator200", "a\xC8" "b,c", 0, false, 0, 200, true, {"a\xC8", "b,c"}, 0, 0, 5, 2, 5},
        EngineCase{"SeparatorNul", std::string("a\0b,c", 5), 0, false, 0, 0, true,
                   {std::string("a\0", 2), "b,c"}, 0, 0, 5, 2, 5},
        EngineCase{"SeparatorLineFeed", "a\nb", 0, false, 1, 10, true, {"a\n", "b"}, 0, 0, 3, 2, 3}),
    [](const ::testing::TestParamInfo<EngineCase>& info) { return std::string(info.param.name); });

TEST_F(EngineTest, TheSameReadingFindsTheDataSpentNextTime) {
    Recorder& first = Prepare("x12", 1);
    EXPECT_EQ(Read(), 0);
    EXPECT_EQ(first.pieces, std::vector<std::string>{"12"});
    for (bool newActions : {false, true}) {
        UseNewActions(newActions);
        std::string none;
        ASSERT_EQ(recorder_->ParseArguments(none, zel()), 0);
        EXPECT_EQ(Read(), 33);
        EXPECT_EQ(Error(), 33);
        EXPECT_EQ(Position(), 3);
    }
}

// A failure of the file counts where the byte it cost would have been read.
struct FailureCase {
    const char* name;
    FileCause cause;
    bool newActions;
    int32_t code;
    int32_t error;
    int32_t syserr;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class ReadFailures : public EngineTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ReadFailures, StopAtTheByteTheyCost) {
    const FailureCase& c = GetParam();
    FailingVfs& vfs = UseFailingVfs();
    UseNewActions(c.newActions);
    const size_t size = zel::platform::File::kReadBufferSize + 100;
    Recorder& r = Prepare(std::string(size, 'a'), 0);
    vfs.Fail(VfsOp::Read, c.cause, 1);
    EXPECT_EQ(Read(), c.code);
    EXPECT_EQ(Error(), c.error);
    EXPECT_EQ(SysErr(), c.syserr);
    EXPECT_TRUE(r.pieces.empty());
    EXPECT_EQ(r.bytesRead(), zel::platform::File::kReadBufferSize);
    EXPECT_EQ(r.atEnd(), c.cause == FileCause::EndOfFile);
    EXPECT_EQ(Position(), zel::platform::File::kReadBufferSize);
}

INSTANTIATE_TEST_SUITE_P(Causes, ReadFailures,
                         ::testing::Values(FailureCase{"HardwareCurrent", FileCause::HardIO, true, 28, 28, 10},
                                           FailureCase{"HardwareLegacy", FileCause::HardIO, false, 28, 28, 5},
                                           FailureCase{"EndOfFileCurrent", FileCause::EndOfFile, true, 33, 33, 14},
                                           FailureCase{"EndOfFileLegacy", FileCause::EndOfFile, false, 33, 33, 0}),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(EngineTest, TheLengthIsAskedOnlyWithoutBytesAndItsFailureFollowsTheNumbering) {
    FailingVfs& vfs = UseFailingVfs();
    Prepare("abc", 0);
    vfs.Fail(VfsOp::Size, FileCause::HardIO, 0, Strike::Always);
    EXPECT_EQ(Read(), 0);  // bytes at hand: the data itself is the budget
    for (auto [newActions, code, error] : {std::tuple{true, 25, 25}, std::tuple{false, 2, 1028}}) {
        UseNewActions(newActions);
        std::string none;
        ASSERT_EQ(recorder_->ParseArguments(none, zel()), 0);
        EXPECT_EQ(Read(), code);
        EXPECT_EQ(Error(), error);
    }
}

TEST_F(EngineTest, AFileOpenedForWritingOnly) {
    // With bytes in it: reading them is refused by the file layer.
    scratch_.Make("text.txt", "abc");
    for (auto [newActions, syserr] : {std::pair{true, 5}, std::pair{false, 13}}) {
        UseNewActions(newActions);
        Recorder& r = Prepare("abc", 0, false, 1);
        EXPECT_EQ(Read(), 28);
        EXPECT_EQ(Error(), 28);
        EXPECT_EQ(SysErr(), syserr);
        EXPECT_EQ(r.bytesRead(), 0u);
        Call("CLOSEALL");
    }
    // Empty: the reading ends before it reads, as for any empty file.
    UseNewActions(true);
    Prepare("", 0, false, 1);
    EXPECT_EQ(Read(), 33);
    UseNewActions(false);
    std::string none;
    ASSERT_EQ(recorder_->ParseArguments(none, zel()), 0);
    EXPECT_EQ(Read(), 0);
}

TEST_F(EngineTest, SettingsStoredUncheckedAreRefusedBeforeReading) {
    scratch_.Make("text.txt", "abc");
    OpenFile("text.txt");
    Recorder r(zel().io(), false);
    std::string none;
    for (auto [name, value] : {std::pair{"NLINEMODE", 3}, std::pair{"LISTSEP", 256}, std::pair{"LISTSEP", -1}}) {
        UseNewActions(false);
        SetNumber("NLINEMODE", 0);
        SetNumber("LISTSEP", 44);
        SetNumber(name, value);
        EXPECT_EQ(r.ParseArguments(none, zel()), 2) << name;
        EXPECT_EQ(Error(), 3) << name;
        UseNewActions(true);
        EXPECT_EQ(r.ParseArguments(none, zel()), 12) << name;
        EXPECT_EQ(Error(), 12) << name;
    }
    EXPECT_EQ(Position(), 0);
}

}  // namespace
}  // namespace zeltest
