#include "support/MemVfs.h"

#include <algorithm>
#include <cstring>

namespace zelfuzz {

using zel::platform::Access;
using zel::platform::FileCause;

void MemVfs::Put(const std::string& path, std::string bytes) {
    auto node = std::make_shared<Node>();
    node->bytes = std::move(bytes);
    node->inode = nextInode_++;
    files_[FullPath(path)] = std::move(node);
}

void MemVfs::Clear() {
    files_.clear();
    open_.clear();
    nextFd_ = 3;
    failing_ = false;
}

bool MemVfs::Strikes(Op op) {
    if (!failing_ || op != failOp_) return false;
    if (failAfter_ > 0) {
        --failAfter_;
        return false;
    }
    return true;
}

std::string MemVfs::FullPath(const std::string& path) {
    if (!path.empty() && path.front() == '/') return path;
    return "/mem/" + path;
}

MemVfs::Handle* MemVfs::Find(int32_t fd) {
    const auto it = open_.find(fd);
    return it == open_.end() ? nullptr : &it->second;
}

FileCause MemVfs::Open(const std::string& path, Access access, zel::platform::Share /*share*/,
                       bool create, int32_t& fd) {
    if (path.empty() || path.back() == '/') return FileCause::AccessDenied;
    if (open_.size() >= kMaxOpen) return FileCause::TooManyOpenFiles;
    auto it = files_.find(path);
    if (it == files_.end()) {
        if (!create) return FileCause::FileNotFound;
        if (files_.size() >= kMaxFiles) return FileCause::DirectoryFull;
        auto node = std::make_shared<Node>();
        node->inode = nextInode_++;
        it = files_.emplace(path, std::move(node)).first;
    } else if (create) {
        it->second->bytes.clear();
    }
    Handle handle;
    handle.node = it->second;
    handle.read = access != Access::Write;
    handle.write = access != Access::Read;
    fd = nextFd_++;
    open_.emplace(fd, std::move(handle));
    return FileCause::None;
}

FileCause MemVfs::Close(int32_t fd) {
    return open_.erase(fd) == 1 ? FileCause::None : FileCause::InvalidFile;
}

FileCause MemVfs::Read(int32_t fd, void* buffer, uint32_t count, uint32_t& got) {
    got = 0;
    Handle* h = Find(fd);
    if (h == nullptr) return FileCause::InvalidFile;
    if (!h->read) return FileCause::AccessDenied;
    if (Strikes(Op::Read)) return FileCause::HardIO;
    const std::string& bytes = h->node->bytes;
    if (h->position >= bytes.size()) return FileCause::None;
    const uint64_t left = bytes.size() - h->position;
    got = static_cast<uint32_t>(std::min<uint64_t>(left, count));
    std::memcpy(buffer, bytes.data() + h->position, got);
    h->position += got;
    return FileCause::None;
}

FileCause MemVfs::Write(int32_t fd, const void* buffer, uint32_t count) {
    Handle* h = Find(fd);
    if (h == nullptr) return FileCause::InvalidFile;
    if (!h->write) return FileCause::AccessDenied;
    if (Strikes(Op::Write)) return FileCause::HardIO;
    if (h->position > kMaxFileSize || count > kMaxFileSize - h->position) return FileCause::DiskFull;
    std::string& bytes = h->node->bytes;
    const uint64_t end = h->position + count;
    if (end > bytes.size()) bytes.resize(end, '\0');
    if (count > 0) std::memcpy(bytes.data() + h->position, buffer, count);
    h->position = end;
    return FileCause::None;
}

FileCause MemVfs::Seek(int32_t fd, uint64_t position) {
    Handle* h = Find(fd);
    if (h == nullptr) return FileCause::InvalidFile;
    if (Strikes(Op::Seek)) return FileCause::BadSeek;
    h->position = position;
    return FileCause::None;
}

FileCause MemVfs::Tell(int32_t fd, uint64_t& position) {
    Handle* h = Find(fd);
    if (h == nullptr) return FileCause::InvalidFile;
    if (Strikes(Op::Tell)) return FileCause::HardIO;
    position = h->position;
    return FileCause::None;
}

FileCause MemVfs::Size(int32_t fd, uint64_t& size) {
    Handle* h = Find(fd);
    if (h == nullptr) return FileCause::InvalidFile;
    if (Strikes(Op::Size)) return FileCause::HardIO;
    size = h->node->bytes.size();
    return FileCause::None;
}

FileCause MemVfs::Identify(int32_t fd, zel::platform::FileIdentity& identity) {
    Handle* h = Find(fd);
    if (h == nullptr) return FileCause::InvalidFile;
    identity.device = 1;
    identity.inode = h->node->inode;
    return FileCause::None;
}

bool MemVfs::Stat(const std::string& path, zel::platform::FileStatus& status) {
    const auto it = files_.find(path);
    if (it == files_.end()) return false;
    status.size = it->second->bytes.size();
    status.isDirectory = false;
    return true;
}

FileCause MemVfs::Remove(const std::string& path) {
    const auto it = files_.find(path);
    if (it == files_.end()) return FileCause::FileNotFound;
    for (const auto& [fd, handle] : open_) {
        if (handle.node == it->second) return FileCause::SharingViolation;
    }
    files_.erase(it);
    return FileCause::None;
}

}  // namespace zelfuzz
