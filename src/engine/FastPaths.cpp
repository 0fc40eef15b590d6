#include "engine/FastPaths.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace FastPaths {

namespace {

// KIVRAN_SCRIPT_PATH=text or =everywhere chooses the mode a process starts with (for comparing the paths
// with whole programs); anything else keeps the default.
Mode InitialMode() {
    const char* chosen = std::getenv("KIVRAN_SCRIPT_PATH");
    if (chosen && std::strcmp(chosen, "text") == 0) {
        return Mode::kText;
    }
    if (chosen && std::strcmp(chosen, "everywhere") == 0) {
        return Mode::kCompiledEverywhere;
    }
    return Mode::kCompiled;
}

std::atomic<Mode>& Current() {
    static std::atomic<Mode> mode{InitialMode()};
    return mode;
}

} // namespace

Mode GetMode() {
    return Current().load(std::memory_order_relaxed);
}

void SetMode(Mode m) {
    Current().store(m, std::memory_order_relaxed);
}

} // namespace FastPaths
