// What the stand-in host asks of the operating system, the one part of it
// that differs by platform (SystemPosix.cpp, SystemWin32.cpp): loading a
// module, reserving address space for cells, replacing a file by one written
// anew, and standard streams that keep line ends as written.
#ifndef TAVREL_SYSTEM_H
#define TAVREL_SYSTEM_H

#include <cstddef>
#include <string>

namespace tavrel::system {

// Loads the module at path; throws std::runtime_error with the loader's text
// (which names the module) when it cannot.
void* LoadModule(const std::string& path);
// The address of an exported name, or nullptr.
void* FindExport(void* module, const char* name);
void UnloadModule(void* module);

// Zero-filled address space of bytes that costs memory only where it is
// written; throws std::bad_alloc when there is none.
void* ReserveZeroed(std::size_t bytes);
void ReleaseReserved(void* region, std::size_t bytes);
// Gives back the memory of the whole pages within bytes from at on, which
// read as zero again; the address space stays.
void DropPages(void* at, std::size_t bytes);

// Writes a file anew and puts it in place of target: the bytes go to a
// temporary file beside target, which commit() flushes to the disk and
// renames over target, so that target holds either its old or its new
// contents. A target that exists but may not be written (the user may not
// write it, or it has no write permission at all: a read-only file) is
// refused before anything is written, and left as it is. A writer that is
// not committed removes its temporary file. Failures answer false with a
// message naming target: "cannot create T: ...", "cannot write T: ...",
// "cannot replace T: ...".
class FileReplacement {
public:
    FileReplacement() = default;
    ~FileReplacement();

    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool open(const std::string& target, std::string& error);
    bool write(const char* data, std::size_t size, std::string& error);
    bool commit(std::string& error);

private:
    // Closes and removes the temporary file, if there is one.
    void discard();

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
};

// Standard output and error take the bytes as they are written: no CR is
// put before an LF (as Windows' text streams would), so that a runner's
// output is the same on every system.
void WriteStandardOutputAsIs();

}  // namespace tavrel::system

#endif  // TAVREL_SYSTEM_H
