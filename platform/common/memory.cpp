#include "platform/memory.h"

#include <cstdlib>

namespace plat {
namespace {
long g_successesLeft = -1;  // negative: no failure injection
long g_refused = 0;
}  // namespace

void* Allocate(std::size_t n) {
    if (g_successesLeft == 0) {
        ++g_refused;
        return nullptr;
    }
    if (g_successesLeft > 0) {
        --g_successesLeft;
    }
    return std::malloc(n == 0 ? 1 : n);
}

void Free(void* block) { std::free(block); }

namespace testing {
void FailAllocationsAfter(long successes) {
    g_successesLeft = successes < 0 ? -1 : successes;
    g_refused = 0;
}
void ResetAllocationFailure() {
    g_successesLeft = -1;
    g_refused = 0;
}
long RefusedAllocations() { return g_refused; }
}  // namespace testing

}  // namespace plat
