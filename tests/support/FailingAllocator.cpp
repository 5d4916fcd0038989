#include "support/FailingAllocator.h"

namespace zeltest {

uint8_t* FailingAllocator::Allocate(std::size_t bytes, bool zeroed) noexcept {
    ++requests_;
    if (bytes > largest_) largest_ = bytes;
    const bool chosen = refuseIn_ == 0;
    if (refuseIn_ >= 0) --refuseIn_;
    if (chosen || bytes > limit_) {
        ++refusals_;
        return nullptr;
    }
    return zel::platform::HeapAllocator().Allocate(bytes, zeroed);
}

void FailingAllocator::Free(uint8_t* block, std::size_t bytes) noexcept {
    zel::platform::HeapAllocator().Free(block, bytes);
}

}  // namespace zeltest
