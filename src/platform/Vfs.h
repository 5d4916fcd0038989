// The narrow layer under the file class: the operating-system calls it
// needs, behind an interface so that another layer can be put in place (a
// failing one in the tests, another system's calls in a port).
//
// Every operation answers a cause (FileCause::None for success) instead of
// throwing; the file class turns causes into exceptions.
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileException.h"

namespace zel::platform {

enum class Access : uint8_t { Read, Write, ReadWrite };

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

    // Opens path with the pointer at 0; with create the file is created, or
    // emptied if it exists. Without create a missing file gives
    // FileNotFound, a missing folder BadPath, a directory AccessDenied.
    virtual FileCause Open(const std::string& path, Access access, bool create, int32_t& fd) = 0;
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
    virtual bool Stat(const std::string& path, FileStatus& status, FileIdentity& identity) = 0;
    virtual FileCause Remove(const std::string& path) = 0;
    // The absolute form of a path (no links resolved).
    virtual std::string FullPath(const std::string& path) = 0;
};

// The real file system of this machine.
Vfs& PosixVfs();

// The layer the file class uses now; SetVfs(nullptr) restores the real one.
Vfs& CurrentVfs();
void SetVfs(Vfs* vfs);

}  // namespace zel::platform
