// A file layer that keeps its files in memory: the harnesses put their
// input there, and whatever a fuzzed call opens, writes or removes never
// reaches the disk. Sizes and counts are capped, so that no input can make
// the layer grow without bound.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/Vfs.h"

namespace zelfuzz {

class MemVfs final : public zel::platform::Vfs {
public:
    static constexpr uint64_t kMaxFileSize = uint64_t{1} << 22;
    static constexpr std::size_t kMaxFiles = 32;
    static constexpr std::size_t kMaxOpen = 64;

    // Puts a file in place (replacing one of that name).
    void Put(const std::string& path, std::string bytes);
    // Drops every file and every armed failure; the open handles must be
    // closed first.
    void Clear();

    // The operations that can be made to fail, as a disk would.
    enum class Op : uint8_t { Read, Seek, Tell, Size, Write };
    // The call of op after `after` further calls fails with a hardware
    // error, and so does every later call of it.
    void Fail(Op op, int after) {
        failOp_ = op;
        failAfter_ = after;
        failing_ = true;
    }
    void Disarm() { failing_ = false; }
    std::size_t OpenCount() const { return open_.size(); }

    zel::platform::FileCause Open(const std::string& path, zel::platform::Access access,
                                  zel::platform::Share share, bool create, int32_t& fd) override;
    zel::platform::FileCause Close(int32_t fd) override;
    zel::platform::FileCause Read(int32_t fd, void* buffer, uint32_t count, uint32_t& got) override;
    zel::platform::FileCause Write(int32_t fd, const void* buffer, uint32_t count) override;
    zel::platform::FileCause Seek(int32_t fd, uint64_t position) override;
    zel::platform::FileCause Tell(int32_t fd, uint64_t& position) override;
    zel::platform::FileCause Size(int32_t fd, uint64_t& size) override;
    zel::platform::FileCause Identify(int32_t fd, zel::platform::FileIdentity& identity) override;
    bool Stat(const std::string& path, zel::platform::FileStatus& status) override;
    zel::platform::FileCause Remove(const std::string& path) override;
    std::string FullPath(const std::string& path) override;

private:
    struct Node {
        std::string bytes;
        uint64_t inode = 0;
    };
    struct Handle {
        std::shared_ptr<Node> node;
        uint64_t position = 0;
        bool read = false;
        bool write = false;
    };
    Handle* Find(int32_t fd);
    // Whether this call of op fails.
    bool Strikes(Op op);

    std::map<std::string, std::shared_ptr<Node>> files_;
    std::map<int32_t, Handle> open_;
    int32_t nextFd_ = 3;
    uint64_t nextInode_ = 1;
    bool failing_ = false;
    Op failOp_ = Op::Read;
    int failAfter_ = 0;
};

}  // namespace zelfuzz
