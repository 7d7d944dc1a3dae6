// Memory service: plain allocation that may fail and then yields none.
// Tests can make allocations fail to exercise the out-of-memory paths.
#pragma once

#include <cstddef>

namespace plat {

// Returns a new block of n bytes, or nullptr when memory is exhausted (or a
// test asked for failure). A request of 0 bytes returns a valid block.
void* Allocate(std::size_t n);
// Releases a block from Allocate; nullptr is ignored.
void Free(void* block);

namespace testing {
// After `successes` more successful allocations, every allocation fails until
// ResetAllocationFailure. A negative value turns failure injection off.
void FailAllocationsAfter(long successes);
void ResetAllocationFailure();
// Number of allocations refused since the last reset.
long RefusedAllocations();
}  // namespace testing

}  // namespace plat
