#include "files/FileRefList.h"

#include <algorithm>

namespace zel {

MyCFile* FileRefList::FindFile(int32_t handle) const {
    for (const auto& file : files_) {
        if (file->IsOpen() && file->Handle() == handle) return file.get();
    }
    return nullptr;
}

void FileRefList::Append(std::unique_ptr<MyCFile> file) { files_.push_back(std::move(file)); }

void FileRefList::Remove(MyCFile* file) {
    auto it = std::find_if(files_.begin(), files_.end(),
                           [file](const std::unique_ptr<MyCFile>& f) { return f.get() == file; });
    if (it == files_.end()) return;
    Forget(file);
    files_.erase(it);
}

int32_t FileRefList::CloseAllFiles(ErrorState& errors) {
    size_t closed = 0;
    for (; closed < files_.size(); ++closed) {
        try {
            files_[closed]->Close();
        } catch (const platform::FileException& e) {
            if (errors.NewActions()) {
                const int32_t code = errors.Report(Err::CloseFailed, e);
                for (size_t i = 0; i < closed; ++i) Forget(files_[i].get());
                files_.erase(files_.begin(), files_.begin() + static_cast<std::ptrdiff_t>(closed));
                return code;
            }
        }
    }
    for (auto& file : files_) Forget(file.get());
    files_.clear();
    return 0;
}

}  // namespace zel
