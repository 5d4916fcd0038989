// The character engine of the text readers. ReadPieces reads the current
// file one character at a time and asks six decisions about each: whether it
// is kept in the piece in hand, whether it is a separator, whether it is
// refused, whether it completes the piece (which is then stored), and
// whether the reading is finished. Every text reader (TREAD, LREAD,
// READTOKEN, READROW, LINEROW, READARRAY, ASCII) is one set of answers.
//
// The reading takes the file's bytes straight from its read-ahead, so no
// character costs a system call. Its byte budget is the data from the
// position to the end of the file: the last byte is judged at the budget's
// end whether the reading started at offset 0 or later, so a last line or
// value without a line end is stored like any other.
//
// A reader may name byte values whose answers are fixed (kept or dropped,
// never completing or finishing anything): runs of them are taken in one
// step, with exactly the counts the decisions would have given.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "transfer/MoScribe.h"

namespace zel {

// How a reader's decisions answer for a byte value, whatever the state of
// the reading.
enum class ByteClass : uint8_t {
    Ask,            // the decisions are asked for this byte
    Keep,           // kept; not a separator; completes and finishes nothing
    Drop,           // not kept; not a separator; completes and finishes nothing
    KeepSeparator,  // kept and a separator; completes and finishes nothing
};
using ByteClasses = std::array<ByteClass, 256>;

class MoASCIIPiece : public MoPiecewise {
public:
    ZEL_CLASS_NAME(MoASCIIPiece)
    using MoPiecewise::MoPiecewise;

    // The common preparation, NLINEMODE and LISTSEP checked, the reading's
    // state reset.
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;

    // The decisions. ReadPieces asks them for every character in this
    // order: KeepChar, IsSeparator, CheckChar, IsPieceComplete (then
    // StorePiece when it answers true), IsFinished; each sees the counts as
    // the steps before it left them.
    virtual bool IsSeparator(uint8_t ch);
    // The piece is the text collected since the last store.
    virtual int32_t StorePiece(const std::string& piece, uint32_t separators);
    virtual bool KeepChar(uint8_t ch);
    virtual int32_t CheckChar(uint8_t ch);
    virtual bool IsFinished(uint8_t ch, uint32_t separators);
    virtual bool IsPieceComplete(uint8_t ch, uint32_t keptInPiece);

    // The line end of NLINEMODE: 0 a line feed after a carriage return, 1 a
    // line feed, 2 a carriage return; judged with the character read before
    // ch in this reading.
    bool IsLineEnd(uint8_t ch) {
        switch (lineMode_) {
            case 0: return previous_ == '\r' && ch == '\n';
            case 1: return ch == '\n';
            case 2: return ch == '\r';
            default: return BadLineMode();
        }
    }

    // Counts of the last reading.
    uint64_t bytesRead() const { return bytesRead_; }
    uint32_t keptTotal() const { return keptTotal_; }
    uint32_t separators() const { return separators_; }

    // Test seam: with false, every byte is judged by the decisions one at a
    // time, so that the runs can be compared with them.
    static void UseByteRuns(bool on);

protected:
    // Reads pieces from the file until a decision ends the reading; 0 or an
    // error id (ERROR set). The bytes taken are consumed, also on an error.
    int32_t ReadPieces(MyCFile& file);

    // The reading may take no more: the file gave out, or the last character
    // taken was the last one of the data.
    bool DataSpent() const { return atEnd_ != 0 || bytesRead_ >= budget_; }
    bool IsListSeparator(uint8_t ch) const { return ch == listSep_; }
    // The character ends a field: the list separator or a line end.
    bool EndsField(uint8_t ch) { return IsListSeparator(ch) || IsLineEnd(ch); }
    int32_t lineMode() const { return lineMode_; }

    // The classes of the byte values for this reading, null when every byte
    // is to be asked. Valid from ParseArguments to the end of ReadPieces.
    virtual const ByteClasses* PlainBytes() { return nullptr; }
    // Classes from plain(byte) for every byte value, except that the
    // line-end byte of the mode asks, and the list separator asks unless
    // separatorRuns says that a separator completes and finishes nothing in
    // this reader (it is then a kept separator where plain keeps it).
    template <class Plain>
    void BuildClasses(ByteClasses& classes, Plain plain, bool separatorRuns) const {
        for (int b = 0; b < 256; ++b) classes[static_cast<size_t>(b)] = plain(static_cast<uint8_t>(b));
        classes[lineMode_ == 2 ? '\r' : '\n'] = ByteClass::Ask;
        ByteClass& separator = classes[listSep_];
        separator = separatorRuns && separator == ByteClass::Keep ? ByteClass::KeepSeparator : ByteClass::Ask;
    }
    // The classes of a reader that keeps them from call to call: built with
    // BuildClasses again only when NLINEMODE, LISTSEP or the reader's own
    // variant (a setting its plain answers depend on) differ from the last
    // build's.
    template <class Plain>
    const ByteClasses* KeptClasses(Plain plain, bool separatorRuns, int32_t variant = 0) {
        if (const int32_t key = lineMode_ | (listSep_ << 8) | (variant << 16); key != classesKey_) {
            BuildClasses(classes_, plain, separatorRuns);
            classesKey_ = key;
        }
        return &classes_;
    }

    // The characters of the piece in hand; an empty piece is a valid piece.
    std::string piece_;

private:
    class Source;

    bool BadLineMode();
    // Takes a run of bytes whose classes fix their answers; answers the
    // last byte taken through last, or false when none was taken.
    bool TakeRun(Source& source, const ByteClasses& classes, uint32_t& keptInPiece, uint8_t& last);

    // The bytes the reading may take (the data after the position), known
    // once the last one has been read; until then as large as can be.
    uint64_t budget_ = 0;
    uint64_t bytesRead_ = 0;
    uint32_t keptTotal_ = 0;
    uint32_t separators_ = 0;
    uint8_t previous_ = 0;
    int32_t lineMode_ = 0;
    uint8_t listSep_ = ',';
    ByteClasses classes_{};
    int32_t classesKey_ = -1;  // no classes built yet
};

}  // namespace zel
