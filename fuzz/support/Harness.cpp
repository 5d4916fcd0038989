#include "support/Harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "frame/ErrorRing.h"
#include "host/HostServices.h"
#include "module/Zel.h"
#include "platform/Vfs.h"

namespace zelfuzz {

std::string ByteSource::Text(std::size_t max) {
    const std::size_t n = std::min<std::size_t>({Byte(), max, Left()});
    std::string text(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return text;
}

std::string ByteSource::Until(char end, std::size_t max) {
    std::string text;
    while (pos_ < size_ && text.size() < max) {
        const char c = static_cast<char>(data_[pos_++]);
        if (c == end) break;
        text.push_back(c);
    }
    return text;
}

std::string ByteSource::Rest() {
    std::string text(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_);
    pos_ = size_;
    return text;
}

Settings Settings::From(ByteSource& in) {
    static constexpr int kWidths[8] = {1, 2, 3, 4, 8, 10, 2, 5};
    Settings s;
    const uint8_t a = in.Byte();
    const uint8_t b = in.Byte();
    s.newActions = (a & 1) != 0 ? 0 : 1;
    s.byteOrder = (a >> 1) & 3;        // 3: outside the range
    s.isSigned = (a >> 3) & 1;
    s.lineMode = (a >> 4) & 3;         // 3: outside the range
    s.skip = (a >> 6) & 3;
    s.nBytes = kWidths[b & 7];         // 5: no such width
    // Mostly the comma, else any byte.
    s.listSep = (b & 0x80) != 0 ? in.Byte() : ',';
    return s;
}

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "zel fuzz finding: %s\n", what);
    std::abort();
}

namespace {

MemVfs& Layer() {
    static MemVfs* layer = new MemVfs;  // lives as long as the process
    return *layer;
}

}  // namespace

zel::ZEL* Run::current_ = nullptr;

int32_t Run::Entry(uint32_t hostHandle, const char* ownerName, char* memberName, void* value,
                   ZelHostCallback callback, int32_t requestCode) {
    // No catch here: an exception that leaves Dispatch is a finding.
    zel::host::Bind(hostHandle, callback);
    return current_->Dispatch(ownerName, memberName, value, requestCode);
}

Run::Run() {
    Layer().Clear();
    zel::platform::SetVfs(&Layer());
    zel::Errors().Clear();
    zel_ = std::make_unique<zel::ZEL>();
    current_ = zel_.get();
    host_ = std::make_unique<tavrel::Host>(&Entry);
}

Run::~Run() {
    zel_.reset();
    current_ = nullptr;
    host_.reset();
    zel::host::Bind(0, nullptr);
    if (Layer().OpenCount() != 0) Finding("a file stayed open after the ZEL object was destroyed");
    Layer().Clear();
    zel::platform::SetVfs(nullptr);
}

MemVfs& Run::vfs() { return Layer(); }

int32_t Run::OpenInput(const std::string& bytes, int mode) {
    Layer().Put(kInputName, bytes);
    const tavrel::CallResult r = Call("OPEN", std::string(kInputName) + "," + std::to_string(mode));
    return r.code == ZEL_RESULT_DONE ? static_cast<int32_t>(r.value) : -1;
}

bool Tracing() {
    static const bool on = std::getenv("ZEL_FUZZ_TRACE") != nullptr;
    return on;
}

tavrel::CallResult Run::Call(const std::string& method, const std::string& args) {
    host_->ClearLines();
    const tavrel::CallResult r = host_->Call(method, args);
    if (Tracing()) {
        std::fprintf(stderr, "%s(%s) -> %d, %g, ERROR %g\n", method.c_str(), args.c_str(), r.code, r.value,
                     Number("ERROR"));
    }
    return r;
}

void Run::Apply(const Settings& s) {
    // The legacy numbering stores values unchecked: set it last when on.
    SetNumber("NEWACTIONS", 0);
    SetNumber("NBYTES", s.nBytes);
    SetNumber("BYTEORDER", s.byteOrder);
    SetNumber("SIGNED", s.isSigned);
    SetNumber("SKIP", s.skip);
    SetNumber("LISTSEP", s.listSep);
    SetNumber("NLINEMODE", s.lineMode);
    SetNumber("NEWACTIONS", s.newActions);
}

int32_t Run::SetNumber(const char* name, double value, const char* owner) {
    return host_->SetNumber(owner, name, value);
}

int32_t Run::SetText(const char* name, const std::string& text, const char* owner) {
    return host_->SetString(owner, name, text);
}

double Run::Number(const char* name) {
    double value = 0.0;
    host_->GetNumber(nullptr, name, value);
    return value;
}

Run::Snapshot Run::Take() {
    Snapshot s;
    for (int i = 0; i < Snapshot::kCount; ++i) s.values[i] = Number(Snapshot::kNames[i]);
    return s;
}

}  // namespace zelfuzz
