// The failure step of the error state: which number lands in ERROR, what
// SYSERR receives and which code the step returns, in both numberings; and
// the limited properties that report through it.
#include <gtest/gtest.h>

#include <optional>

#include "frame/ErrorCatalogue.h"
#include "frame/ErrorState.h"
#include "platform/FileException.h"
#include "props/MoLimited.h"

namespace zeltest {
namespace {

using zel::Err;
using zel::platform::FileCause;
using zel::platform::FileException;

class RecordingState final : public zel::ErrorState {
public:
    bool NewActions() const override { return newActions; }
    void SetError(int32_t number) override { error = number; }
    void SetSysErr(int32_t cause) override { syserr = cause; }

    bool newActions = false;
    int32_t error = -7;
    int32_t syserr = -7;  // -7: never set
};

struct StepCase {
    const char* name;
    Err id;
    bool newActions;
    std::optional<FileCause> cause;  // the file exception handed to the step
    int32_t code;
    int32_t error;
    int32_t syserr;
};

// Each row: the step for an error in one numbering, handed a file
// exception or none; the code it answers, what ERROR and SYSERR receive.
TEST(ErrorSteps, StoreAndAnswer) {
    constexpr auto kNone = std::nullopt;
    const StepCase cases[] = {
        // A row numbered Legacy: the current number, or the legacy one and 2.
        {"RangeCurrent", Err::OutOfRange, true, kNone, 12, 12, -7},
        {"RangeLegacy", Err::OutOfRange, false, kNone, 2, 3, -7},
        // A row numbered Same: the current number in both numberings. The
        // same condition can have a row of each kind.
        {"MissingOffsetLegacy", Err::MissingOffset, false, kNone, 10, 10, -7},
        // SYSERR: the cause, or its legacy code.
        {"CloseCauseCurrent", Err::CloseFailed, true, FileCause::SharingViolation, 23, 23, 11},
        {"CloseCauseLegacy", Err::CloseFailed, false, FileCause::SharingViolation, 2, 1156, 36},
        // The cause, or 0 in the legacy numbering.
        {"OpenCauseCurrent", Err::OpenFailed, true, FileCause::AccessDenied, 22, 22, 5},
        {"OpenCauseLegacy", Err::OpenFailed, false, FileCause::AccessDenied, 2, 1153, 0},
        // A cause rule without an exception leaves SYSERR alone.
        {"LengthWithoutCause", Err::LengthFailed, true, kNone, 25, 25, -7},
        // Fixed SYSERR values: 0 in the current numbering (the file methods'
        // failure table shows those), a legacy code otherwise.
        {"NotFoundLegacy", Err::NoSuchFile, false, kNone, 2, 1156, 2},
        {"NotOpenLegacy", Err::FileNotOpen, false, kNone, 2, 1156, 9},
        // The byte reader's end of file carries the cause in both numberings.
        {"EndOfFileLegacy", Err::EndOfFile, false, FileCause::EndOfFile, 33, 33, 0},
        {"PieceReadFailedLegacy", Err::PieceReadFailed, false, FileCause::HardIO, 28, 28, 5},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingState state;
        state.newActions = c.newActions;
        EXPECT_EQ(c.cause ? state.Report(c.id, FileException(*c.cause)) : state.Report(c.id), c.code);
        EXPECT_EQ(state.error, c.error);
        EXPECT_EQ(state.syserr, c.syserr);
    }
}

// A checked store refuses in both numberings (legacy: 2 with ERROR 3); a
// plain store checks only in the current one. The reset of a limited
// property is a store of 0, refused when checked.
TEST(LimitedProperty, CheckedStoresAndResets) {
    RecordingState numbering;
    zel::MoBounded bounded(numbering, 0, 2);
    EXPECT_EQ(bounded.CheckedSet(5), 2);
    EXPECT_EQ(numbering.error, 3);
    EXPECT_EQ(bounded.value(), 0);
    numbering.newActions = true;
    EXPECT_EQ(bounded.CheckedSet(-1), 12);
    EXPECT_EQ(numbering.error, 12);
    EXPECT_EQ(bounded.CheckedSet(1.9), 0);
    EXPECT_EQ(bounded.value(), 1);

    zel::MoDiscrete widths(numbering, {1, 2, 3, 4, 8, 10});
    EXPECT_EQ(widths.value(), 1);
    widths.SetNumber(8);
    widths.Reset();
    EXPECT_EQ(widths.value(), 8);
    numbering.newActions = false;
    widths.Reset();
    EXPECT_EQ(widths.value(), 0);
    EXPECT_EQ(widths.CheckCurrent(), 2);
}

}  // namespace
}  // namespace zeltest
