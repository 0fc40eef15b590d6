#pragma once

#include <cstddef>
#include <cstdint>

// Tells whether the calling thread's stack is close to its end, so that the recursive parts of the engine can
// stop a hostile script with an engine error instead of overflowing. The engine's fixed nesting limits
// normally stop first; this is the safety net for builds with larger frames (sanitizers) and for small thread
// stacks.
namespace StackGuard {

// Bytes that must stay free below the current frame.
constexpr size_t kReserve = 256 * 1024;

bool NearLimit();

// The lowest frame address that is not near the limit on this thread (0 when the stack's bounds are not
// known): NearLimit() is the same as Frame() < Floor(), for code that checks often.
uintptr_t ComputeFloor();
inline uintptr_t Floor() {
    thread_local const uintptr_t floor = ComputeFloor();
    return floor;
}
inline uintptr_t Frame() {
    return reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
}

} // namespace StackGuard
