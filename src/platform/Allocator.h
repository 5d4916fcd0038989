// Where the module takes its large, short-lived blocks of memory (the
// buffers of block transfers), behind an interface in the manner of the
// file layer, so that another allocator can be put in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zel::platform {

class Allocator {
public:
    virtual ~Allocator() = default;

    // A block of bytes, zero-filled when zeroed; null when the memory is not
    // there. Never throws.
    virtual uint8_t* Allocate(std::size_t bytes, bool zeroed) noexcept = 0;
    // Gives back a block that Allocate answered for the same number of bytes.
    virtual void Free(uint8_t* block, std::size_t bytes) noexcept = 0;
};

// The process heap.
Allocator& HeapAllocator();

// The allocator in use now; SetAllocator(nullptr) restores the heap.
Allocator& CurrentAllocator();
void SetAllocator(Allocator* allocator);

// Gives a block back to the allocator it came from.
class BlockReturn {
public:
    BlockReturn() = default;
    BlockReturn(Allocator& allocator, std::size_t bytes) : allocator_(&allocator), bytes_(bytes) {}
    void operator()(uint8_t* block) const noexcept {
        if (allocator_ != nullptr) allocator_->Free(block, bytes_);
    }

private:
    Allocator* allocator_ = nullptr;
    std::size_t bytes_ = 0;
};
using Block = std::unique_ptr<uint8_t[], BlockReturn>;

// A block of allocator, owned; empty when the memory is not there.
Block AllocateBlock(Allocator& allocator, std::size_t bytes, bool zeroed);

}  // namespace zel::platform
