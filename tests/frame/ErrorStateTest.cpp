// The failure step of the error state: which number lands in ERROR, what
// SYSERR receives and which code the step returns, in both numberings.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>

#include "frame/ErrorCatalogue.h"
#include "frame/ErrorState.h"
#include "platform/FileException.h"

namespace zeltest {
namespace {

using zel::Err;
using zel::platform::FileCause;
using zel::platform::FileException;

class RecordingState final : public zel::ErrorState {
public:
    explicit RecordingState(bool newActions) : newActions_(newActions) {}
    bool NewActions() const override { return newActions_; }
    void SetError(int32_t number) override { error = number; }
    void SetSysErr(int32_t cause) override { syserr = cause; }

    int32_t error = -7;
    int32_t syserr = -7;  // -7: never set

private:
    bool newActions_;
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

void PrintTo(const StepCase& c, std::ostream* os) { *os << c.name; }

class ErrorSteps : public ::testing::TestWithParam<StepCase> {};

TEST_P(ErrorSteps, StoreAndAnswer) {
    const StepCase& c = GetParam();
    RecordingState state(c.newActions);
    EXPECT_EQ(c.cause ? state.Report(c.id, FileException(*c.cause)) : state.Report(c.id), c.code);
    EXPECT_EQ(state.error, c.error);
    EXPECT_EQ(state.syserr, c.syserr);
}

constexpr auto kNone = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Catalogue, ErrorSteps,
    ::testing::Values(
        // A row numbered Legacy: the current number, or the legacy one and 2.
        StepCase{"RangeCurrent", Err::OutOfRange, true, kNone, 12, 12, -7},
        StepCase{"RangeLegacy", Err::OutOfRange, false, kNone, 2, 3, -7},
        StepCase{"TransferArgumentLegacy", Err::MissingTransferArgument, false, kNone, 2, 1024, -7},
        StepCase{"MissingArgumentLegacy", Err::MissingArgument, false, kNone, 2, 65, -7},
        // A row numbered Same: the current number in both numberings. The
        // same condition can have a row of each kind.
        StepCase{"MissingOffsetLegacy", Err::MissingOffset, false, kNone, 10, 10, -7},
        StepCase{"NegativeCountLegacy", Err::NegativeCount, false, kNone, 12, 12, -7},
        // SYSERR: the cause, or its legacy code.
        StepCase{"CloseCauseCurrent", Err::CloseFailed, true, FileCause::SharingViolation, 23, 23, 11},
        StepCase{"CloseCauseLegacy", Err::CloseFailed, false, FileCause::SharingViolation, 2, 1156, 36},
        // The cause, or 0 in the legacy numbering.
        StepCase{"OpenCauseCurrent", Err::OpenFailed, true, FileCause::AccessDenied, 22, 22, 5},
        StepCase{"OpenCauseLegacy", Err::OpenFailed, false, FileCause::AccessDenied, 2, 1153, 0},
        // A cause rule without an exception leaves SYSERR alone.
        StepCase{"LengthWithoutCause", Err::LengthFailed, true, kNone, 25, 25, -7},
        // Fixed SYSERR values.
        StepCase{"NotFoundCurrent", Err::NoSuchFile, true, kNone, 15, 15, 0},
        StepCase{"NotFoundLegacy", Err::NoSuchFile, false, kNone, 2, 1156, 2},
        StepCase{"NotOpenCurrent", Err::FileNotOpen, true, kNone, 14, 14, 0},
        StepCase{"NotOpenLegacy", Err::FileNotOpen, false, kNone, 2, 1156, 9},
        StepCase{"NoNameLegacy", Err::NoFileNameText, false, kNone, 2, 1153, 0},
        // The byte reader's end of file carries the cause in both numberings.
        StepCase{"EndOfFileLegacy", Err::EndOfFile, false, FileCause::EndOfFile, 33, 33, 0},
        StepCase{"PieceReadFailedLegacy", Err::PieceReadFailed, false, FileCause::HardIO, 28, 28, 5}),
    [](const ::testing::TestParamInfo<StepCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeltest
