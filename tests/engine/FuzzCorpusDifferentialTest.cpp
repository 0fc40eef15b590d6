// Every input of the fuzz corpus runs through the compiled forms of statements and expressions and straight
// from the text; both runs must end with the same error, error line and variables.
#include "engine/FastPaths.h"
#include "fuzz/FuzzScript.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

std::string Join(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) {
        s += l + "\n";
    }
    return s;
}

TEST(FuzzCorpusDifferential, CompiledAndTextPathsAgree) {
    std::filesystem::path corpus = std::filesystem::path(KIVRAN_TEST_DATA_DIR) / "engine" / "fuzz" / "corpus";
    ASSERT_TRUE(std::filesystem::is_directory(corpus));
    int inputs = 0;
    int failing = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        FastPaths::SetMode(FastPaths::Mode::kText);
        FuzzScript::Outcome text = FuzzScript::RunFor(data, bytes.size());
        FastPaths::SetMode(FastPaths::Mode::kCompiledEverywhere);
        FuzzScript::Outcome compiled = FuzzScript::RunFor(data, bytes.size());
        FastPaths::SetMode(FastPaths::Mode::kCompiled);
        EXPECT_EQ(text.error, compiled.error) << entry.path();
        EXPECT_EQ(text.line, compiled.line) << entry.path();
        EXPECT_EQ(text.lineText, compiled.lineText) << entry.path();
        EXPECT_EQ(Join(text.variables), Join(compiled.variables)) << entry.path();
        failing += text.error != 0 ? 1 : 0;
        ++inputs;
    }
    EXPECT_GT(inputs, 10);
    EXPECT_GT(failing, 5);
}

} // namespace
