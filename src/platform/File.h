// The file class: a byte-stream file with access, sharing and create choices.
//
// Failures of Close, Read, Write, Seek, GetPosition, GetLength and Remove
// raise FileException with a cause; Open reports its cause through the
// exception record the caller passes. Handle numbers are the operating
// system's, unique among open files.
//
// Each open states what other opens may do meanwhile (Share); the layer
// enforces it as Windows does: an open that the sharing granted by another
// open forbids, or that would forbid an access another open already has,
// fails with SharingViolation, and so does removing a file that is open.
//
// Reads are buffered; writes go straight to the file. Every write through
// any File on the same file drops the overlapping read buffers, so two
// handles see each other's writes at once, and position and length are
// always exact.
//
// The layer (Vfs) owns the file pointer. A File reads ahead of its position
// into its buffer, so the layer's pointer stands past the bytes read ahead
// and not yet consumed; the position is the pointer minus those bytes, as a
// buffered stdio stream counts it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/FileException.h"
#include "platform/Vfs.h"

namespace zel::platform {

struct OpenFlags {
    Access access = Access::Read;
    Share share = Share::Exclusive;
    bool create = false;  // create, or empty an existing file
};

enum class SeekFrom : uint8_t { Begin = 0, Current = 1, End = 2 };

class File {
public:
    File();
    virtual ~File();  // closes an open file, ignoring failures
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens path. On failure answers false and fills error (when given) with
    // the cause; the object stays closed.
    bool Open(const std::string& path, OpenFlags flags, FileException* error);
    // Closes; the handle is released even when the close fails. Closing a
    // closed file does nothing.
    void Close();
    // Reads up to count bytes at the position; fewer at the end of the file.
    uint32_t Read(void* buffer, uint32_t count);
    // Reading without a copy: the bytes read ahead from the position on, the
    // buffer refilled from the file when none are left (empty at the end of
    // the file). The view holds until the next operation on this File; Skip
    // then moves the position over n of its bytes. Fails as Read does.
    std::span<const uint8_t> Peek();
    void Skip(uint32_t n) { cursor_ += std::min(n, Unread()); }
    void Write(const void* buffer, uint32_t count);
    // Moves the position; a position before the start fails with BadSeek.
    // A position past the end is allowed. Answers the new position. A
    // position inside the bytes read ahead is reached without the layer.
    uint64_t Seek(int64_t offset, SeekFrom from);
    // The layer's pointer less the bytes read ahead and not yet consumed.
    uint64_t GetPosition() const;
    uint64_t GetLength() const;

    // The absolute path stored by the last successful open.
    const std::string& GetFilePath() const { return path_; }
    // The handle number, -1 when closed.
    int32_t Handle() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }

    // Status by name: false when no entry exists.
    static bool GetStatus(const std::string& path, FileStatus& status);
    // Removes a file by name; fails with SharingViolation while it is open.
    static void Remove(const std::string& path);

    // Builds the layer's process-wide state now. An object that keeps files
    // open until it is destroyed at exit or unload calls this first, so the
    // state outlives it.
    static void Initialize();

    // Size of the read buffer.
    static constexpr uint32_t kReadBufferSize = 64 * 1024;

private:
    friend class OpenFileRegistry;
    // Another handle wrote over the bytes read ahead: they may no longer be
    // served, though the layer's pointer still stands past them.
    void DropReadBuffer() { bufferStale_ = bufferLength_ > 0; }
    // Releases the descriptor and the registry entry; answers the close's cause.
    FileCause Release();
    [[noreturn]] void Fail(FileCause cause) const;
    void CheckOpen() const;
    uint32_t Unread() const { return bufferLength_ - cursor_; }
    // The file offset of the first byte read ahead.
    uint64_t BufferStart() const { return pointer_ - bufferLength_; }
    // Empties the read-ahead; the layer's pointer stands at pointer.
    void ResetBuffer(uint64_t pointer);
    // Brings the layer's pointer back to the position, so that the layer
    // reads or writes there next, and empties the read-ahead.
    void ReturnToPosition();
    // Reads straight into out, at the position.
    uint32_t ReadDirect(uint8_t* out, uint32_t count);

    Vfs* vfs_ = nullptr;  // the layer that gave fd_; it also closes it
    int32_t fd_ = -1;
    OpenFlags flags_{};
    std::string path_;
    FileIdentity identity_{};
    // Where the layer's pointer stands: only this File moves it.
    uint64_t pointer_ = 0;
    // The read-ahead: the bufferLength_ bytes before pointer_, of which the
    // first cursor_ are consumed.
    std::vector<uint8_t> buffer_;
    uint32_t bufferLength_ = 0;
    uint32_t cursor_ = 0;
    bool bufferStale_ = false;
};

}  // namespace zel::platform
