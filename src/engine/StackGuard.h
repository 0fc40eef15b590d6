#pragma once

#include <cstddef>

// Tells whether the calling thread's stack is close to its end, so that the recursive parts of the engine can
// stop a hostile script with an engine error instead of overflowing. The engine's fixed nesting limits
// normally stop first; this is the safety net for builds with larger frames (sanitizers) and for small thread
// stacks.
namespace StackGuard {

// Bytes that must stay free below the current frame.
constexpr size_t kReserve = 256 * 1024;

bool NearLimit();

} // namespace StackGuard
