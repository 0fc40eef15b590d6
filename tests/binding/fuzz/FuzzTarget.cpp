// libFuzzer entry over the data functions: the fuzz_binding target of tests/scripts/CMakeLists.txt
// (configured with -DKIVRAN_FUZZ=ON and clang), run with the corpus folder beside this file.
#include "FuzzBinding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzBinding::Run(data, size);
    return 0;
}
