#include "transfer/MoScribe.h"

#include <algorithm>
#include <cstdint>

#include "files/MyCFile.h"

namespace zel {

using platform::FileCause;
using platform::FileException;

namespace {

// The code a chunk answers when its buffer could not be had even after
// halving as deep as the budget allows.
constexpr int32_t kOutOfMemory = ErrorInfo(Err::OutOfMemory).current;

}  // namespace

int32_t MoPiecewise::ReadBytes(MyCFile& file, uint8_t* buffer, uint32_t count) {
    uint32_t got = 0;
    try {
        got = file.Read(buffer, count);
    } catch (const FileException& e) {
        return ReadFailure(e);
    }
    if (got < count) {
        atEnd_ = 1;
        return io_.Report(Err::EndOfFile);
    }
    return 0;
}

int32_t MoPiecewise::ReadFailure(const FileException& e) {
    if (e.cause() == FileCause::EndOfFile) {
        atEnd_ = 1;
        return io_.Report(Err::EndOfFile, e);
    }
    return io_.Report(Err::PieceReadFailed, e);
}

TransferResult MoBulk::BulkTransfer(MyCFile& file, uint32_t itemSize, uint32_t count,
                                    uint32_t splitBudget, bool reading) {
    file_ = &file;
    itemSize_ = itemSize;
    count_ = count;
    splitBudget_ = splitBudget;
    reading_ = reading;
    items_ = 0;
    fileFailed_ = false;
    readCap_ = UINT64_MAX;

    // A transfer that fits the staging size moves as one chunk; a larger one
    // in pieces through one buffer, so that its memory does not grow with
    // the file. A piece whose buffer cannot be had halves as a chunk does.
    const uint32_t pieceItems = itemSize == 0 ? count : std::max<uint32_t>(1, kStagingBytes / itemSize);
    int32_t r = 0;
    if (count <= pieceItems) {
        r = TransferChunk(count, 0);
    } else {
        uint64_t stagingBytes = static_cast<uint64_t>(pieceItems) * itemSize;
        if (reading_) stagingBytes = std::min(stagingBytes, ReadCap());
        platform::Block staging =
            platform::AllocateBlock(platform::CurrentAllocator(), static_cast<size_t>(stagingBytes), !reading_);
        stagingCap_ = stagingBytes;
        r = TransferPieces(pieceItems, staging);
    }

    TransferResult result;
    result.items = items_;
    if (r == kOutOfMemory) {
        result.end = TransferEnd::OutOfMemory;
    } else if (fileFailed_) {
        result.end = TransferEnd::FileFailed;
        result.code = r;
    }
    return result;
}

int32_t MoBulk::TransferPieces(uint32_t pieceItems, platform::Block& staging) {
    for (uint32_t start = 0; start < count_;) {
        const uint32_t n = std::min(pieceItems, count_ - start);
        if (staging) {
            readCap_ = stagingCap_;
            if (int32_t r = MoveChunk(n, start, staging.get()); r != 0) return r;
        } else {
            if (int32_t r = TransferChunk(n, start); r != 0) return r;
            ++splitBudget_;
        }
        start += n;
    }
    return 0;
}

int32_t MoBulk::StoreChunk(uint32_t, uint32_t count, uint8_t*, uint32_t& stored) {
    stored = count;
    return 0;
}

int32_t MoBulk::FillChunk(uint32_t, uint32_t, uint8_t*) { return 0; }

uint64_t MoBulk::ChunkBytes(uint32_t count, uint32_t start) {
    const uint64_t whole = static_cast<uint64_t>(itemSize_) * count;
    if (start + count < count_) return whole;
    const uint64_t skip = GetSkipBytes();
    return whole > skip ? whole - skip : 0;
}

int32_t MoBulk::TransferChunk(uint32_t count, uint32_t start) {
    if (splitBudget_ == 0) return kOutOfMemory;
    --splitBudget_;

    uint64_t bytes = static_cast<uint64_t>(itemSize_) * count;
    readCap_ = UINT64_MAX;
    if (reading_ && ChunkBytes(count, start) > 0) {
        // A size taken from a script or a file is untrusted: never a buffer
        // beyond what the file can fill.
        readCap_ = ReadCap();
        if (bytes > readCap_) bytes = readCap_;
    }
    platform::Block buffer;
    if (bytes <= SIZE_MAX) {
        buffer = platform::AllocateBlock(platform::CurrentAllocator(), static_cast<size_t>(bytes),
                                         !reading_);
    }
    if (!buffer) {
        // Not enough memory for the whole chunk: two halves, as deep as the
        // budget allows.
        const uint32_t half = count / 2;
        if (half > 0) {
            if (int32_t r = TransferChunk(half, start); r != 0) return r;
            ++splitBudget_;
        }
        if (int32_t r = TransferChunk(count - half, start + half); r != 0) return r;
        ++splitBudget_;
        return 0;
    }
    return MoveChunk(count, start, buffer.get());
}

uint64_t MoBulk::ReadCap() const {
    try {
        const uint64_t length = file_->GetLength();
        const uint64_t position = file_->GetPosition();
        return (length > position ? length - position : 0) + 1;
    } catch (const FileException&) {
        return UINT64_MAX;
    }
}

int32_t MoBulk::MoveChunk(uint32_t count, uint32_t start, uint8_t* buffer) {
    return reading_ ? ReadChunk(count, start, buffer) : WriteChunk(count, start, buffer);
}

int32_t MoBulk::ReadChunk(uint32_t count, uint32_t start, uint8_t* buffer) {
    const uint64_t bytes = std::min(ChunkBytes(count, start), readCap_);
    readCap_ = UINT64_MAX;
    uint32_t got = 0;
    try {
        got = bytes > 0 ? file_->Read(buffer, static_cast<uint32_t>(bytes)) : 0;
    } catch (const FileException& e) {
        if (e.cause() == FileCause::EndOfFile) return io_.Report(Err::BlockReadEnd);
        fileFailed_ = true;
        return io_.Report(Err::BlockReadFailed);
    }
    if (got == 0) return io_.Report(Err::EndOfFile);
    uint32_t stored = 0;
    if (got < bytes) {
        // The file ended inside the chunk: only the items read whole are
        // handed on.
        const uint64_t whole = (static_cast<uint64_t>(got) + GetSkipBytes()) / itemSize_;
        const uint32_t complete = static_cast<uint32_t>(whole < count ? whole : count);
        if (complete > 0) {
            const int32_t r = StoreChunk(start, complete, buffer, stored);
            items_ += stored;
            if (r != 0) return r;
        }
        return io_.Report(Err::EndOfFile);
    }
    const int32_t r = StoreChunk(start, count, buffer, stored);
    items_ += stored;
    return r;
}

int32_t MoBulk::WriteChunk(uint32_t count, uint32_t start, uint8_t* buffer) {
    if (int32_t r = FillChunk(start, count, buffer); r != 0) return r;
    const uint64_t bytes = ChunkBytes(count, start);
    try {
        if (bytes > 0) file_->Write(buffer, static_cast<uint32_t>(bytes));
    } catch (const FileException&) {
        fileFailed_ = true;
        return io_.Report(Err::BlockWriteFailed);
    }
    items_ += count;
    return 0;
}

}  // namespace zel
