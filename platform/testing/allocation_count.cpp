#include "platform/testing/allocation_count.h"

#include <atomic>
#include <cstdlib>

// AddressSanitizer owns malloc itself: memory taken from libc behind its back would be freed
// through it.
#if defined(__SANITIZE_ADDRESS__)
#define ALLOCATIONS_COUNTED 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ALLOCATIONS_COUNTED 0
#endif
#endif
#ifndef ALLOCATIONS_COUNTED
#define ALLOCATIONS_COUNTED 1
#endif

namespace {
std::atomic<long> g_allocations{0};
}

#if ALLOCATIONS_COUNTED
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);

extern "C" void* malloc(std::size_t size) {
    ++g_allocations;
    return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t count, std::size_t size) {
    ++g_allocations;
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* pointer, std::size_t size) {
    ++g_allocations;
    return __libc_realloc(pointer, size);
}
#endif

namespace platform::doubles {

bool allocationsCounted() {
    return ALLOCATIONS_COUNTED != 0;
}

long allocationCount() {
    return g_allocations;
}

} // namespace platform::doubles
