// ASCII (also READASCII): the configurable text reader. One call reads from
// the position to a stop condition that its sub-properties choose, and
// delivers what it read to a string variable (filtered by an include or an
// exclude set), as numbers to one row of a worksheet, or to both.
//
// Sub-properties: INCLUDE, EXCLUDE (character sets), READMODE (0 exclude,
// 1 include), STOPCHAR, STOPSTRING, NTOKENS (TOKENS), NLINES (LINES) and
// STOPMODE, whose bits stop the reading at a character of STOPCHAR (1), at a
// piece equal to STOPSTRING (2), after NTOKENS separators (4), or after
// lines (8; each line end counts twice, so the reading ends at line end
// NLINES div 2 + 1).
#pragma once

#include <array>
#include <optional>
#include <string>

#include "data/MoWksRow.h"
#include "props/MoLimited.h"
#include "props/MoNumeric.h"
#include "props/MoString.h"
#include "transfer/MoASCIIPiece.h"

namespace zel {

class MoASCII : public MoASCIIPiece {
public:
    ZEL_CLASS_NAME(MoASCII)
    explicit MoASCII(IoContext& io);

    // All arguments are optional. A letter outside A to Z and a worksheet
    // that is not there are refused before any byte moves (NoSuchData);
    // NTOKENS or NLINES below 0 with NegativeCount.
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    // Answers the characters kept for the piece.
    int32_t Execute(double* result, MoDLL& owner) override;
    // Lets the worksheet go; the host is not asked to update.
    void AfterExecute(MoDLL& owner) override;
    MemberTable GetSubMembers() override { return {kSubMembers, this}; }
    // The sub-properties after a reset: texts empty, READMODE 0, NTOKENS and
    // NLINES 1, STOPMODE 0.
    void ResetState() override;

    int32_t StorePiece(const std::string& piece, uint32_t separators) override;
    bool KeepChar(uint8_t ch) override;
    bool IsFinished(uint8_t ch, uint32_t separators) override;
    bool IsPieceComplete(uint8_t ch, uint32_t keptInPiece) override;

private:
    using CharSet = std::array<bool, 256>;
    // The characters of a text (its terminating NUL is none of them).
    static void FillSet(CharSet& set, const MoString& text);

    MoString& letterArg_;
    MoString& worksheetArg_;

    MoString include_{""};
    MoString exclude_{""};
    MoBounded readMode_;
    MoString stopChar_{""};
    MoString stopString_{""};
    MoInt tokens_;
    MoInt lines_;
    MoInt stopMode_;
    static const MemberEntry kSubMembers[];

    // Per call.
    char letter_ = 0;
    std::optional<MoWksRow> sheet_;
    int32_t column_ = 0;
    uint32_t lineCount_ = 0;
    int32_t stopFlag_ = 0;
    std::string varText_;
    int32_t mode_ = 0;  // STOPMODE as the call found it
    CharSet admitted_{};
    CharSet stopChars_{};
};

}  // namespace zel
