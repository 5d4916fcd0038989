// What the stand-in host asks of the operating system, the one part of it
// that differs by platform (SystemPosix.cpp, SystemWin32.cpp): loading a
// module, reserving address space for cells, replacing a file whole, and
// standard streams that keep line ends as written.
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

// Replaces the file target with data: written to a file beside it, flushed
// to the disk and renamed into place, so that target holds either its old or
// its new contents. On failure answers false with a message in error
// ("cannot create T: ...", "cannot write T: ...", "cannot replace T: ...").
bool ReplaceFileContents(const std::string& target, const std::string& data, std::string& error);

// Standard output and error take the bytes as they are written: no CR is
// put before an LF (as Windows' text streams would), so that a runner's
// output is the same on every system.
void WriteStandardOutputAsIs();

}  // namespace tavrel::system

#endif  // TAVREL_SYSTEM_H
