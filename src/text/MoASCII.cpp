#include "text/MoASCII.h"

#include "host/HostServices.h"
#include "text/TextNumber.h"

namespace zel {
namespace {

constexpr int32_t kStopAtChar = 1;
constexpr int32_t kStopAtString = 2;
constexpr int32_t kStopAtTokens = 4;
constexpr int32_t kStopAtLines = 8;

constexpr bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

const MemberEntry MoASCII::kSubMembers[] = {
    {"INCLUDE", &MemberAt<&MoASCII::include_>},
    {"EXCLUDE", &MemberAt<&MoASCII::exclude_>},
    {"READMODE", &MemberAt<&MoASCII::readMode_>},
    {"STOPCHAR", &MemberAt<&MoASCII::stopChar_>},
    {"STOPSTRING", &MemberAt<&MoASCII::stopString_>},
    {"NTOKENS", &MemberAt<&MoASCII::tokens_>},
    {"TOKENS", &MemberAt<&MoASCII::tokens_>},
    {"NLINES", &MemberAt<&MoASCII::lines_>},
    {"LINES", &MemberAt<&MoASCII::lines_>},
    {"STOPMODE", &MemberAt<&MoASCII::stopMode_>},
    {nullptr, nullptr},
};

MoASCII::MoASCII(IoContext& io)
    : MoASCIIPiece(io),
      letterArg_(AddArgument<MoString>()),
      worksheetArg_(AddArgument<MoString>(StringRole::WorksheetName)),
      readMode_(io, 0, 1) {
    AddArgument<MoInt>();
}

void MoASCII::ResetState() {
    include_.SetText("");
    exclude_.SetText("");
    readMode_.CheckedSet(0.0);
    stopChar_.SetText("");
    stopString_.SetText("");
    tokens_.Store(1);
    lines_.Store(1);
    stopMode_.Store(0);
}

void MoASCII::FillSet(CharSet& set, const MoString& text) {
    set.fill(false);
    for (const char c : text.text()) {
        if (c != '\0') set[static_cast<uint8_t>(c)] = true;
    }
}

int32_t MoASCII::ParseArguments(std::string& argText, MoDLL& owner) {
    sheet_.reset();
    if (int32_t r = MoASCIIPiece::ParseArguments(argText, owner); r != 0) return r;
    letter_ = letterArg_.given() && !letterArg_.text().empty() ? letterArg_.text().front() : 0;
    // The variable could not take the text: nothing is read for it.
    if (letter_ != 0 && !IsLetter(letter_)) return io_.Report(Err::HostRefused);
    if (tokens_.value() < 0 || lines_.value() < 0) return io_.Report(Err::NegativeCount);
    if (worksheetArg_.given()) {
        sheet_.emplace(worksheetArg_, io_);
        if (!sheet_->IsAttached()) {
            sheet_.reset();
            return io_.Report(Err::NoSuchData);
        }
    }
    column_ = 0;
    stopFlag_ = 0;
    lineCount_ = 0;
    varText_.clear();
    mode_ = stopMode_.value();
    // READMODE 0 admits all but EXCLUDE, 1 only INCLUDE; any other value a
    // legacy store let in admits nothing.
    if (readMode_.value() == 0) {
        FillSet(admitted_, exclude_);
        for (bool& admitted : admitted_) admitted = !admitted;
    } else if (readMode_.value() == 1) {
        FillSet(admitted_, include_);
    } else {
        admitted_.fill(false);
    }
    FillSet(stopChars_, stopChar_);
    return 0;
}

int32_t MoASCII::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (int32_t r = ReadPieces(*io_.CurrentFile()); r != 0) return r;
    if (letter_ != 0 && !host::SetStringVariable(letter_, varText_)) return io_.Report(Err::HostRefused);
    *result = keptTotal();
    return 0;
}

void MoASCII::AfterExecute(MoDLL&) { sheet_.reset(); }

bool MoASCII::KeepChar(uint8_t ch) {
    bool decision = false;
    if (letter_ != 0) {
        decision = admitted_[ch];
        if (decision) varText_.push_back(static_cast<char>(ch));
    }
    if (!sheet_) return decision;
    // With a worksheet the piece keeps the characters of numbers.
    return !IsListSeparator(ch) && IsNumberChar(ch);
}

bool MoASCII::IsFinished(uint8_t ch, uint32_t separators) {
    if (DataSpent()) return true;
    if ((mode_ & kStopAtChar) != 0 && stopChars_[ch]) return true;
    if ((mode_ & kStopAtTokens) != 0 && separators >= static_cast<uint32_t>(tokens_.value())) return true;
    if ((mode_ & kStopAtLines) == 0) return stopFlag_ != 0;
    // Asked twice for every character: each line end counts twice.
    if (IsLineEnd(ch)) ++lineCount_;
    return lineCount_ > static_cast<uint32_t>(lines_.value());
}

bool MoASCII::IsPieceComplete(uint8_t ch, uint32_t keptInPiece) {
    if (IsFinished(ch, separators())) return true;
    return EndsField(ch) && keptInPiece > 0;
}

int32_t MoASCII::StorePiece(const std::string& piece, uint32_t) {
    if ((mode_ & kStopAtString) != 0 && piece == stopString_.text()) stopFlag_ = 1;
    if (!sheet_ || piece.empty()) return 0;
    ++column_;
    if (int32_t r = sheet_->EnsureColumns(column_); r != 0) return r;
    // A number whatever the column's format.
    if (sheet_->SetNumber(column_, NumberOfText(piece)) != 0) return io_.Report(Err::HostRefused);
    return 0;
}

}  // namespace zel
