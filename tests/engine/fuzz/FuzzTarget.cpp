// libFuzzer entry: build with clang and -fsanitize=fuzzer,address,undefined (the fuzz_engine target of
// tests/scripts/CMakeLists.txt, configured with -DKIVRAN_FUZZ=ON), run with the corpus folder beside this
// file.
#include "FuzzScript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzScript::Run(data, size);
    return 0;
}
