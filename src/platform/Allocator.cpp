#include "platform/Allocator.h"

#include <new>

namespace zel::platform {
namespace {

class HeapAllocatorImpl final : public Allocator {
public:
    uint8_t* Allocate(std::size_t bytes, bool zeroed) noexcept override {
        return zeroed ? new (std::nothrow) uint8_t[bytes]() : new (std::nothrow) uint8_t[bytes];
    }
    void Free(uint8_t* block, std::size_t) noexcept override { delete[] block; }
};

Allocator* g_current = nullptr;

}  // namespace

Allocator& HeapAllocator() {
    static HeapAllocatorImpl heap;
    return heap;
}

Allocator& CurrentAllocator() { return g_current != nullptr ? *g_current : HeapAllocator(); }

void SetAllocator(Allocator* allocator) { g_current = allocator; }

Block AllocateBlock(Allocator& allocator, std::size_t bytes, bool zeroed) {
    return Block(allocator.Allocate(bytes, zeroed), BlockReturn(allocator, bytes));
}

}  // namespace zel::platform
