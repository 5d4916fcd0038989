// What every harness shares: the input taken apart byte by byte, and one
// run of a fresh ZEL object behind the stand-in host, with its files in
// memory (MemVfs). Nothing outlives a run: the object closes its files,
// the host drops its worksheets, the layer drops its files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Host.h"
#include "support/MemVfs.h"

namespace zel {
class ZEL;
}

namespace zelfuzz {

// The input read from its front: settings first, the file's bytes last.
// Past the end every byte reads as 0 and every text as empty.
class ByteSource {
public:
    ByteSource(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint16_t Word() {
        const uint16_t low = Byte();
        return static_cast<uint16_t>(low | (Byte() << 8));
    }
    // A text of up to max bytes, its length in the byte before it.
    std::string Text(std::size_t max);
    // A text up to the next byte `end` (not included), at most max bytes.
    std::string Until(char end, std::size_t max);
    std::string Rest();
    std::size_t Left() const { return size_ - pos_; }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The settings every reader consults, taken from one byte source; a few
// values lie outside the checked ranges on purpose (legacy stores keep them).
struct Settings {
    int newActions = 1;
    int nBytes = 2;
    int byteOrder = 0;
    int isSigned = 1;
    int skip = 0;
    int listSep = ',';
    int lineMode = 0;

    // Three bytes.
    static Settings From(ByteSource& in);
};

class Run {
public:
    Run();
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    tavrel::Host& host() { return *host_; }
    zel::ZEL& zel() { return *zel_; }
    MemVfs& vfs();

    // The input as a file of the memory layer, opened (mode 0: read) and made
    // the current file; answers its handle (negative when OPEN failed).
    int32_t OpenInput(const std::string& bytes, int mode = 0);
    tavrel::CallResult Call(const std::string& method, const std::string& args);
    void Apply(const Settings& settings);
    int32_t SetNumber(const char* name, double value, const char* owner = nullptr);
    int32_t SetText(const char* name, const std::string& text, const char* owner = nullptr);
    double Number(const char* name);

    // Stops the process (a finding) when the settings an import must put
    // back differ from the ones it found.
    struct Snapshot {
        static constexpr int kCount = 8;
        static constexpr const char* kNames[kCount] = {"NEWACTIONS", "HFILE",  "NBYTES",    "BYTEORDER",
                                                       "SIGNED",     "SKIP",   "NLINEMODE", "LISTSEP"};
        double values[kCount] = {};
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot Take();

private:
    static int32_t ZEL_CDECL Entry(uint32_t hostHandle, const char* ownerName, char* memberName,
                                   void* value, ZelHostCallback callback, int32_t requestCode);
    static zel::ZEL* current_;

    std::unique_ptr<zel::ZEL> zel_;
    std::unique_ptr<tavrel::Host> host_;
};

// Whether ZEL_FUZZ_TRACE is set: the calls of a run are then printed, to
// see what an input does (run the harness with the input as its argument).
bool Tracing();

// Aborts with a message: a harness's own check failed.
[[noreturn]] void Finding(const char* what);

// The name of the input file in the memory layer.
inline constexpr const char* kInputName = "/mem/input.bin";

}  // namespace zelfuzz
