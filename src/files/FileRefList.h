// The open-file table: the open files in the order of opening, owned.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "files/MyCFile.h"
#include "frame/ErrorState.h"

namespace zel {

class FileRefList {
public:
    using Files = std::vector<std::unique_ptr<MyCFile>>;

    // The first open file whose handle number equals handle, or null.
    MyCFile* FindFile(int32_t handle) const;
    void Append(std::unique_ptr<MyCFile> file);
    // Destroys the file and takes it off the table.
    void Remove(MyCFile* file);
    // Closes and destroys every file. With NEWACTIONS non-zero a failing
    // close stops the walk (CloseFailed, SYSERR the cause) and answers it; the
    // files before it are gone, it and the ones after it stay listed.
    int32_t CloseAllFiles(ErrorState& errors);

    bool empty() const { return files_.empty(); }
    size_t size() const { return files_.size(); }
    const Files& files() const { return files_; }

    // Told about every file before it is destroyed.
    void SetRemovalListener(std::function<void(const MyCFile*)> listener) {
        onRemove_ = std::move(listener);
    }

private:
    void Forget(const MyCFile* file) {
        if (onRemove_) onRemove_(file);
    }

    Files files_;
    std::function<void(const MyCFile*)> onRemove_;
};

}  // namespace zel
