#include "transfer/MoASCIIPiece.h"

#include <limits>
#include <optional>
#include <span>

#include "files/MyCFile.h"

namespace zel {

using platform::FileException;

namespace {

bool g_byteRuns = true;

constexpr uint64_t kUnknownBudget = std::numeric_limits<uint64_t>::max();

}  // namespace

// The bytes of one reading, taken from the file's read-ahead. What the
// reading took is skipped over when it ends, also when it ends on an error
// or an exception. A failure of the file is held until the reading asks for
// the byte it stands for, as a reading one byte at a time would meet it.
class MoASCIIPiece::Source {
public:
    explicit Source(MyCFile& file) : file_(file) {}
    ~Source() { file_.Skip(Taken()); }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    // Looks at the file; false when no byte is at hand (its end, or a
    // failure that waits).
    bool Start() { return Refill() && !failure_; }

    // Bytes at hand after the next one.
    size_t Available() const { return static_cast<size_t>(end_ - next_); }
    const uint8_t* next() const { return next_; }
    void Advance(size_t n) { next_ += n; }

    // The next byte; false when there is none (see failure()).
    bool Next(uint8_t& ch, bool& last) {
        if (next_ == end_) return false;
        ch = *next_++;
        // The byte is the data's last when nothing follows it, which only
        // the file can tell once the read-ahead is spent.
        last = next_ == end_ && !Refill();
        return true;
    }

    const std::optional<FileException>& failure() const { return failure_; }

private:
    uint32_t Taken() const { return static_cast<uint32_t>(next_ - begin_); }

    // Skips what was taken and looks at the file again; true when a byte is
    // at hand or a failure waits for the reading.
    bool Refill() {
        file_.Skip(Taken());
        begin_ = next_ = end_ = nullptr;
        try {
            const std::span<const uint8_t> view = file_.Peek();
            begin_ = next_ = view.data();
            end_ = view.data() + view.size();
        } catch (const FileException& e) {
            failure_ = e;
            return true;
        }
        return next_ != end_;
    }

    MyCFile& file_;
    const uint8_t* begin_ = nullptr;
    const uint8_t* next_ = nullptr;
    const uint8_t* end_ = nullptr;
    std::optional<FileException> failure_;
};

void MoASCIIPiece::UseByteRuns(bool on) { g_byteRuns = on; }

int32_t MoASCIIPiece::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoPiecewise::ParseArguments(argText, owner); r != 0) return r;
    // Settings stored unchecked are caught before they are used.
    if (int32_t e = io_.NLineMode().CheckCurrent(); e != 0) return e;
    if (int32_t e = io_.ListSep().CheckCurrent(); e != 0) return e;
    lineMode_ = io_.NLineMode().value();
    listSep_ = static_cast<uint8_t>(io_.ListSep().value());
    atEnd_ = 0;
    budget_ = 0;
    bytesRead_ = 0;
    keptTotal_ = 0;
    separators_ = 0;
    previous_ = 0;
    piece_.clear();
    return 0;
}

bool MoASCIIPiece::BadLineMode() {
    io_.Report(Err::BadLineMode);
    return true;
}

bool MoASCIIPiece::IsSeparator(uint8_t ch) { return DataSpent() || IsListSeparator(ch) || IsLineEnd(ch); }

int32_t MoASCIIPiece::StorePiece(const std::string&, uint32_t) { return 0; }

bool MoASCIIPiece::KeepChar(uint8_t) { return true; }

int32_t MoASCIIPiece::CheckChar(uint8_t) { return 0; }

bool MoASCIIPiece::IsFinished(uint8_t, uint32_t) { return DataSpent(); }

bool MoASCIIPiece::IsPieceComplete(uint8_t ch, uint32_t) { return IsFinished(ch, separators_); }

int32_t MoASCIIPiece::ReadPieces(MyCFile& file) {
    Source source(file);
    if (source.Start()) {
        budget_ = kUnknownBudget;
    } else {
        // No byte at hand: the whole length decides, as for a reading from
        // offset 0, whether the file is empty (the budget is spent at once)
        // or the position stands at or past its end, or the file refuses to
        // be read (the first byte is missing).
        try {
            budget_ = file.GetLength();
        } catch (const FileException&) {
            return io_.Report(Err::TextLengthFailed);
        }
    }
    if (io_.NewActions() && DataSpent()) return io_.Report(Err::EndOfFile);

    uint8_t ch = 0;
    if (IsFinished(ch, separators_)) return 0;

    const ByteClasses* classes = g_byteRuns ? PlainBytes() : nullptr;
    uint32_t keptInPiece = 0;
    for (;;) {
        previous_ = ch;
        ch = 0;
        bool last = false;
        if (!source.Next(ch, last)) {
            if (source.failure()) return ReadFailure(*source.failure());
            atEnd_ = 1;
            return io_.Report(Err::EndOfFile);
        }
        ++bytesRead_;
        if (last) budget_ = bytesRead_;

        if (KeepChar(ch)) {
            piece_.push_back(static_cast<char>(ch));
            ++keptTotal_;
            ++keptInPiece;
        }
        if (IsSeparator(ch)) ++separators_;
        if (int32_t r = CheckChar(ch); r != 0) return r;
        if (IsPieceComplete(ch, keptInPiece)) {
            if (int32_t r = StorePiece(piece_, separators_); r != 0) return r;
            piece_.clear();
            keptInPiece = 0;
        }
        if (IsFinished(ch, separators_)) return 0;

        if (classes != nullptr) TakeRun(source, *classes, keptInPiece, ch);
    }
}

bool MoASCIIPiece::TakeRun(Source& source, const ByteClasses& classes, uint32_t& keptInPiece,
                           uint8_t& last) {
    // The last byte at hand is left to the decisions: only reading it tells
    // whether it is the last byte of the data.
    const size_t available = source.Available();
    if (available < 2) return false;
    const uint8_t* const begin = source.next();
    const uint8_t* const stop = begin + (available - 1);
    const uint8_t* p = begin;
    const uint8_t* kept = begin;  // start of the kept bytes not yet appended
    uint32_t keptCount = 0;
    uint32_t separatorCount = 0;
    for (; p < stop; ++p) {
        const ByteClass c = classes[*p];
        if (c == ByteClass::Keep) continue;
        if (c == ByteClass::KeepSeparator) {
            ++separatorCount;
            continue;
        }
        if (c == ByteClass::Ask) break;
        // Dropped: the kept bytes before it go into the piece.
        piece_.append(reinterpret_cast<const char*>(kept), static_cast<size_t>(p - kept));
        keptCount += static_cast<uint32_t>(p - kept);
        kept = p + 1;
    }
    if (p == begin) return false;
    piece_.append(reinterpret_cast<const char*>(kept), static_cast<size_t>(p > kept ? p - kept : 0));
    keptCount += static_cast<uint32_t>(p > kept ? p - kept : 0);
    const size_t taken = static_cast<size_t>(p - begin);
    source.Advance(taken);
    bytesRead_ += taken;
    keptTotal_ += keptCount;
    keptInPiece += keptCount;
    separators_ += separatorCount;
    last = p[-1];
    return true;
}

}  // namespace zel
