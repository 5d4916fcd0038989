// An allocator that runs out of memory on purpose: it refuses requests above
// a size, or one chosen request, and passes the others to the heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "platform/Allocator.h"

namespace zeltest {

class FailingAllocator final : public zel::platform::Allocator {
public:
    static constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

    // Refuses every request of more than bytes (kNoLimit: none).
    void RefuseAbove(std::size_t bytes) { limit_ = bytes; }
    // Refuses the request after `after` further requests, once.
    void RefuseRequest(int after) { refuseIn_ = after; }
    // Requests so far, refused ones included.
    int requests() const { return requests_; }
    int refusals() const { return refusals_; }
    // The largest request so far, refused or not.
    std::size_t largestRequest() const { return largest_; }

    uint8_t* Allocate(std::size_t bytes, bool zeroed) noexcept override;
    void Free(uint8_t* block, std::size_t bytes) noexcept override;

private:
    std::size_t limit_ = kNoLimit;
    std::size_t largest_ = 0;
    int refuseIn_ = -1;  // -1: no single refusal waits
    int requests_ = 0;
    int refusals_ = 0;
};

// Puts an allocator in place for its lifetime and then the one before it
// back.
class ScopedAllocator {
public:
    explicit ScopedAllocator(zel::platform::Allocator& allocator)
        : previous_(&zel::platform::CurrentAllocator()) {
        zel::platform::SetAllocator(&allocator);
    }
    ~ScopedAllocator() { zel::platform::SetAllocator(previous_); }
    ScopedAllocator(const ScopedAllocator&) = delete;
    ScopedAllocator& operator=(const ScopedAllocator&) = delete;

private:
    zel::platform::Allocator* previous_;
};

}  // namespace zeltest
