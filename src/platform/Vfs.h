// The narrow layer under the file class: the operating-system calls it
// needs, behind an interface so that another layer can be put in place (a
// failing one in the tests). This system's layer is the one part of the
// module that differs by platform: VfsPosix.cpp or VfsWin32.cpp.
//
// Every operation answers a cause (FileCause::None for success) instead of
// throwing; the file class turns causes into exceptions.
//
// Sharing: an open states what other opens of the same file may do while it
// is open. An open that the sharing of another open forbids, or that would
// forbid an access another open already has, fails with SharingViolation,
// and so does removing a file that is open. Windows enforces this itself;
// the POSIX layer enforces it between the opens of this process.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/FileException.h"

namespace zel::platform {

enum class Access : uint8_t { Read, Write, ReadWrite };

// What other opens may do while this one is open.
enum class Share : uint8_t {
    Exclusive,  // nothing
    DenyWrite,  // read only
    DenyRead,   // write only
    DenyNone,   // read and write
};

// The identity of a file on disk: equal for two handles on the same file.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct FileStatus {
    uint64_t size = 0;
    bool isDirectory = false;
};

// Each open file has a file pointer that the layer owns: reads and writes
// happen at it and move it past the bytes they moved, Seek sets it and Tell
// reports it, as lseek and SetFilePointerEx do.
class Vfs {
public:
    virtual ~Vfs() = default;

    // Opens path with the pointer at 0, granting others share; with create
    // the file is created, or emptied if it exists (unless the sharing
    // refuses the open: then it is left as it is). Without create a missing
    // file gives FileNotFound, a missing folder BadPath, a directory
    // AccessDenied. fd is the system's handle of the file, 0 or above.
    virtual FileCause Open(const std::string& path, Access access, Share share, bool create,
                           int32_t& fd) = 0;
    // Releases fd, even when the close reports a failure.
    virtual FileCause Close(int32_t fd) = 0;
    // Reads up to count bytes at the pointer; fewer only at the end of the
    // file. A failed read leaves the pointer where it was.
    virtual FileCause Read(int32_t fd, void* buffer, uint32_t count, uint32_t& got) = 0;
    // Writes count bytes at the pointer. A failed write leaves the pointer
    // where it was, though part of the bytes may have changed.
    virtual FileCause Write(int32_t fd, const void* buffer, uint32_t count) = 0;
    // Sets the pointer; a position past the end is allowed.
    virtual FileCause Seek(int32_t fd, uint64_t position) = 0;
    virtual FileCause Tell(int32_t fd, uint64_t& position) = 0;
    virtual FileCause Size(int32_t fd, uint64_t& size) = 0;
    virtual FileCause Identify(int32_t fd, FileIdentity& identity) = 0;
    // Status by name: false when no entry of that name exists.
    virtual bool Stat(const std::string& path, FileStatus& status) = 0;
    // Removes a file; a directory gives AccessDenied, an open file
    // SharingViolation.
    virtual FileCause Remove(const std::string& path) = 0;
    // The absolute form of a path in this system's spelling (no links
    // resolved).
    virtual std::string FullPath(const std::string& path) = 0;
};

// The real file system of this machine.
Vfs& SystemVfs();

// The last part of a path, after its last separator, by this system's rules
// ('/'; on Windows also '\' and the ':' of a drive).
std::string_view FileNameOf(std::string_view path);

// The cause of an error code of this system's calls (errno; on Windows the
// code of GetLastError). Called only after a failure, so that even code 0
// answers a failure cause.
FileCause CauseFromSystemError(int64_t code);

// The layer the file class uses now; SetVfs(nullptr) restores the real one.
Vfs& CurrentVfs();
void SetVfs(Vfs* vfs);

}  // namespace zel::platform
