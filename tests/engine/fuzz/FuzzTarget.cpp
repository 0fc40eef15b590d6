// libFuzzer entry: build with clang and -fsanitize=fuzzer,address,undefined (the fuzz_engine target of
// tests/scripts/CMakeLists.txt, configured with -DKIVRAN_FUZZ=ON), run with the corpus folder beside this
// file. Each input runs straight from the text and through the compiled forms of every statement; a
// difference in the error, its line or the variables is a finding (the target aborts).
#include "FuzzScript.h"
#include "engine/FastPaths.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FastPaths::SetMode(FastPaths::Mode::kText);
    const FuzzScript::Outcome text = FuzzScript::RunFor(data, size);
    FastPaths::SetMode(FastPaths::Mode::kCompiledEverywhere);
    const FuzzScript::Outcome compiled = FuzzScript::RunFor(data, size);
    if (text.error != compiled.error || text.line != compiled.line || text.lineText != compiled.lineText ||
        text.variables != compiled.variables) {
        std::fprintf(stderr, "compiled and text paths differ: error %d/%d, line %lld/%lld\n", text.error,
                     compiled.error, static_cast<long long>(text.line),
                     static_cast<long long>(compiled.line));
        std::abort();
    }
    return 0;
}
