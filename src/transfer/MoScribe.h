// The methods that move data between the current file and the host, and
// their two engines: MoPiecewise reads a few bytes at a time (ReadBytes),
// MoBulk moves one block through a buffer of the current allocator
// (BulkTransfer), halving the block when memory is short.
#pragma once

#include <cstdint>

#include "files/MoZELIO.h"
#include "platform/FileException.h"
#include "platform/Allocator.h"

namespace zel {

class MyCFile;

class MoScribe : public MoZELIO {
public:
    ZEL_CLASS_NAME(MoScribe)
    using MoZELIO::MoZELIO;
    // The optional hFile is always the last argument.
    int8_t GetHFileArgIndex() const override { return static_cast<int8_t>(argCount() - 1); }
};

class MoPiecewise : public MoScribe {
public:
    ZEL_CLASS_NAME(MoPiecewise)
    using MoScribe::MoScribe;

    // Reads exactly count bytes (1..255). Fewer bytes, or an end-of-file
    // exception, sets atEnd and reports Err::EndOfFile; any other file
    // exception reports Err::PieceReadFailed, with SYSERR. Answers the
    // number reported, or 0.
    int32_t ReadBytes(MyCFile& file, uint8_t* buffer, uint32_t count);

    bool atEnd() const { return atEnd_ != 0; }

protected:
    // A file exception met while reading: SYSERR receives its cause; the end
    // of the file sets atEnd and reports Err::EndOfFile, any other cause
    // Err::PieceReadFailed.
    int32_t ReadFailure(const platform::FileException& e);

    int32_t atEnd_ = 0;
};

// How a block transfer ended.
enum class TransferEnd : uint8_t {
    Complete,     // every chunk was tried; a short file or a bad value left ERROR set
    OutOfMemory,  // no buffer, even after halving as deep as the budget allows
    FileFailed,   // the file layer failed to read or write; ERROR and code say how
};

struct TransferResult {
    TransferEnd end = TransferEnd::Complete;
    int32_t code = 0;    // the failing chunk's code for FileFailed
    uint32_t items = 0;  // the items stored or written whole
};

class MoBulk : public MoScribe {
public:
    ZEL_CLASS_NAME(MoBulk)
    using MoScribe::MoScribe;

    // A transfer larger than this moves in pieces through one staging buffer
    // of about this size, reused from piece to piece.
    static constexpr uint32_t kStagingBytes = 512 * 1024;

    // Moves count items of itemSize bytes between file and host.
    TransferResult BulkTransfer(MyCFile& file, uint32_t itemSize, uint32_t count,
                                uint32_t splitBudget, bool reading);

    // Bytes left out after the last item of a transfer.
    virtual uint32_t GetSkipBytes() { return 0; }
    // Hands count items read into buffer (item index start of the transfer)
    // to the host; stored tells how many of them were stored whole.
    virtual int32_t StoreChunk(uint32_t start, uint32_t count, uint8_t* buffer, uint32_t& stored);
    // Fills buffer with count items (item index start) to be written.
    virtual int32_t FillChunk(uint32_t start, uint32_t count, uint8_t* buffer);

private:
    // The pieces of a large transfer through one reused staging buffer.
    int32_t TransferPieces(uint32_t pieceItems, platform::Block& staging);
    // One chunk in a buffer of its own, halved while memory is short.
    int32_t TransferChunk(uint32_t count, uint32_t start);
    int32_t MoveChunk(uint32_t count, uint32_t start, uint8_t* buffer);
    int32_t ReadChunk(uint32_t count, uint32_t start, uint8_t* buffer);
    int32_t WriteChunk(uint32_t count, uint32_t start, uint8_t* buffer);
    // Bytes of a chunk of count items from item start: the skip after the
    // last item of the whole transfer is left out; an empty chunk has none.
    uint64_t ChunkBytes(uint32_t count, uint32_t start);
    // The bytes a chunk read may ask for: one more than the file still
    // holds, so that a chunk the file cannot fill reads what is there and
    // meets the end as a full request would, without a buffer for bytes
    // that do not exist. No cap when the file's length cannot be taken.
    uint64_t ReadCap() const;

    MyCFile* file_ = nullptr;
    bool reading_ = true;
    uint32_t itemSize_ = 0;
    uint32_t count_ = 0;
    uint32_t splitBudget_ = 0;
    uint32_t items_ = 0;
    bool fileFailed_ = false;
    uint64_t readCap_ = UINT64_MAX;     // of the chunk being read
    uint64_t stagingCap_ = UINT64_MAX;  // of the staging buffer
};

}  // namespace zel
