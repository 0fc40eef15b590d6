// Replays the seed corpus of the fuzz target over the data functions (and every crash the fuzzer found and
// that was fixed, kept there as a regression case) through the same harness, so that CI runs it with any
// compiler.
#include "fuzz/FuzzBinding.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

TEST(FuzzBindingCorpus, EveryInputRunsToAnEnd) {
    std::filesystem::path corpus =
        std::filesystem::path(KIVRAN_TEST_DATA_DIR) / "binding" / "fuzz" / "corpus";
    ASSERT_TRUE(std::filesystem::is_directory(corpus));
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        int32_t error = FuzzBinding::Run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        EXPECT_GE(error, 0) << entry.path();
        EXPECT_LE(error, 33) << entry.path();
        ++inputs;
    }
    EXPECT_GT(inputs, 10);
}

} // namespace
