#include "engine/StackGuard.h"

#include <cstdint>
#include <pthread.h>

namespace StackGuard {

namespace {

// The lowest usable address of this thread's stack (stacks grow down on every platform we build for), or 0
// when it cannot be found.
uintptr_t StackLow() {
    thread_local uintptr_t low = 1;
    if (low == 1) {
        low = 0;
        pthread_attr_t attr;
        if (pthread_getattr_np(pthread_self(), &attr) == 0) {
            void* addr = nullptr;
            size_t size = 0;
            if (pthread_attr_getstack(&attr, &addr, &size) == 0) {
                low = reinterpret_cast<uintptr_t>(addr);
            }
            pthread_attr_destroy(&attr);
        }
    }
    return low;
}

} // namespace

uintptr_t ComputeFloor() {
    uintptr_t low = StackLow();
    return low == 0 ? 0 : low + kReserve;
}

bool NearLimit() {
    uintptr_t low = StackLow();
    if (low == 0) {
        return false;
    }
    // The frame address, not a local: sanitizers may move locals to the heap.
    uintptr_t current = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    return current < low + kReserve;
}

} // namespace StackGuard
