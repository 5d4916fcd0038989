// A fresh ZEL object for every test, reached through an entry point that
// behaves as MODLL does, by the stand-in host; and a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Host.h"
#include "frame/MethodList.h"
#include "module/Zel.h"
#include "support/FailingAllocator.h"
#include "support/FailingVfs.h"

namespace zeltest {

// A folder under the system temp folder, removed with its contents.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string PathOf(const std::string& name) const { return (path_ / name).string(); }
    // Writes bytes to a file of the folder and answers its path.
    std::string Make(const std::string& name, const std::string& bytes) const;
    static std::string Contents(const std::string& path);

private:
    std::filesystem::path path_;
};

// Every spelling of every method, in the order of the method list: what
// SYNTAX and the listing show.
inline std::vector<std::string> MethodSpellings() {
    std::vector<std::string> spellings;
#define ZEL_TEST_SPELLINGS(e, n, cls, field, make, syntax, ...) \
    for (const char* name : {__VA_ARGS__}) spellings.emplace_back(name);
    ZEL_METHODS(ZEL_TEST_SPELLINGS)
#undef ZEL_TEST_SPELLINGS
    return spellings;
}

class ZelFixture : public ::testing::Test {
protected:
    ZelFixture();
    ~ZelFixture() override;

    zel::ZEL& zel() { return *zel_; }
    tavrel::Host& host() { return *host_; }

    tavrel::CallResult Call(const std::string& method, const std::string& args = "");
    double Number(const char* name, const char* owner = nullptr);
    int32_t SetNumber(const char* name, double value, const char* owner = nullptr);
    std::string Text(const char* name, const char* owner = nullptr);
    int32_t SetText(const char* name, const std::string& text, const char* owner = nullptr);
    int32_t Error() { return zel_->io().Error().value(); }
    int32_t SysErr() { return zel_->io().SysErr().value(); }
    void UseNewActions(bool on) { SetNumber("NEWACTIONS", on ? 1 : 0); }
    // The lines printed since the last call, and clears them.
    std::vector<std::string> TakeLines();

    // Opens a file of the scratch folder and answers its handle.
    int32_t OpenFile(const std::string& name, int mode = 0);

    // Puts a failing file layer in place for the rest of the test. Files
    // opened from then on go through it, so it is put in place before them;
    // it outlives the files of the ZEL object.
    FailingVfs& UseFailingVfs();
    // Puts a failing allocator in place for the rest of the test.
    FailingAllocator& UseFailingAllocator();
    // Puts a callback between the module and the host for the rest of the
    // test; it forwards what it does not answer itself to
    // tavrel::Host::Callback.
    void InterposeCallback(ZelHostCallback callback) { interposed_ = callback; }
    // A fresh ZEL object and a fresh host, as at the start of a test.
    void Restart();

    ScratchDir scratch_;

private:
    static int32_t ZEL_CDECL Entry(uint32_t hostHandle, const char* ownerName, char* memberName,
                                   void* value, ZelHostCallback callback, int32_t requestCode);
    static zel::ZEL* current_;
    static ZelHostCallback interposed_;

    // Declared before the ZEL object, so that they outlive its files.
    FailingVfs failingVfs_;
    std::optional<ScopedVfs> vfsScope_;
    FailingAllocator failingAllocator_;
    std::optional<ScopedAllocator> allocatorScope_;
    std::unique_ptr<zel::ZEL> zel_;
    std::unique_ptr<tavrel::Host> host_;
};

}  // namespace zeltest
