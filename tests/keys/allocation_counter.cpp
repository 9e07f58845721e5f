// Replaces the global allocation functions of the test program with counting ones. Kept in a
// translation unit of its own so that the compiler never pairs an inlined operator new with
// the free() below.
#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> gAllocations{0};
}  // namespace

namespace qf::keys::test {

long AllocationCount() {
    return gAllocations.load();
}

}  // namespace qf::keys::test

void* operator new(std::size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
