#include "support/ZelFixture.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "frame/ErrorRing.h"
#include "host/HostServices.h"
#include "support/System.h"

namespace zeltest {

ScratchDir::ScratchDir() : path_(MakeScratchFolder("zel-test-")) {}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ScratchDir::Make(const std::string& name, const std::string& bytes) const {
    const std::string path = PathOf(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string ScratchDir::Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

zel::ZEL* ZelFixture::current_ = nullptr;
ZelHostCallback ZelFixture::interposed_ = nullptr;

int32_t ZelFixture::Entry(uint32_t hostHandle, const char* ownerName, char* memberName,
                          void* value, ZelHostCallback callback, int32_t requestCode) {
    zel::host::Bind(hostHandle, interposed_ != nullptr ? interposed_ : callback);
    return current_->Dispatch(ownerName, memberName, value, requestCode);
}

ZelFixture::ZelFixture() { Restart(); }

void ZelFixture::Restart() {
    host_.reset();
    zel_.reset();
    zel::Errors().Clear();
    zel_ = std::make_unique<zel::ZEL>();
    current_ = zel_.get();
    host_ = std::make_unique<tavrel::Host>(&Entry);
}

ZelFixture::~ZelFixture() {
    interposed_ = nullptr;
    zel_.reset();
    current_ = nullptr;
    host_.reset();
    zel::host::Bind(0, nullptr);
}

tavrel::CallResult ZelFixture::Call(const std::string& method, const std::string& args) {
    host_->ClearLines();
    return host_->Call(method, args);
}

double ZelFixture::Number(const char* name, const char* owner) {
    double value = 0.0;
    EXPECT_EQ(host_->GetNumber(owner, name, value), 1) << name;
    return value;
}

int32_t ZelFixture::SetNumber(const char* name, double value, const char* owner) {
    return host_->SetNumber(owner, name, value);
}

std::string ZelFixture::Text(const char* name, const char* owner) {
    std::string text;
    EXPECT_EQ(host_->GetString(owner, name, text), 1) << name;
    return text;
}

int32_t ZelFixture::SetText(const char* name, const std::string& text, const char* owner) {
    return host_->SetString(owner, name, text);
}

std::vector<std::string> ZelFixture::TakeLines() {
    std::vector<std::string> lines = host_->lines();
    host_->ClearLines();
    return lines;
}

int32_t ZelFixture::OpenFile(const std::string& name, int mode) {
    tavrel::CallResult r = Call("OPEN", scratch_.PathOf(name) + "," + std::to_string(mode));
    EXPECT_EQ(r.code, 1) << "OPEN " << name;
    return static_cast<int32_t>(r.value);
}

FailingVfs& ZelFixture::UseFailingVfs() {
    if (!vfsScope_) vfsScope_.emplace(failingVfs_);
    return failingVfs_;
}

FailingAllocator& ZelFixture::UseFailingAllocator() {
    if (!allocatorScope_) allocatorScope_.emplace(failingAllocator_);
    return failingAllocator_;
}

}  // namespace zeltest
