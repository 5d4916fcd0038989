// HFILE: the handle number of the current file and the file it selects.
// Only numbers 0..99999 of a listed open file are accepted.
#pragma once

#include "files/FileRefList.h"
#include "props/MoLimited.h"

namespace zel {

class MoHFILE : public MoLimited {
public:
    ZEL_CLASS_NAME(MoHFILE)
    static constexpr uint32_t kMaxHandle = 99999;

    MoHFILE(ErrorState& errors, FileRefList& files);

    void SetToNone() override;
    // Range test, then lookup; a found file becomes the selected one.
    int32_t CheckValue(int32_t value) override;
    void SelectFile(MyCFile* file);
    // Puts back a number this property held before, without a check and
    // without touching ERROR: the open file of that number, if any, becomes
    // the selected one.
    void Restore(int32_t value);
    // No file selected; with NEWACTIONS non-zero also no number.
    void ReleaseCurrentFile();
    // The common hFile step of the file methods: selects the given file, or
    // re-checks the current one when no hFile argument was given.
    int32_t Resolve(int32_t number, bool given);

    MyCFile* file() const { return file_; }
    // A file is being destroyed: stop pointing at it.
    void Forget(const MyCFile* file) {
        if (file_ == file) file_ = nullptr;
    }

private:
    FileRefList& files_;
    MyCFile* file_ = nullptr;
};

}  // namespace zel
