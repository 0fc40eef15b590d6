#include "EngineHarness.h"

#include "engine/CVariableManager.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StringBudget, StringTextsAndTheBlockShareTheMemoryLimit) {
    CVariableManager vm;
    vm.SetMemoryLimit(4096);
    ASSERT_EQ(vm.RegisterVariable("string", "s", 0, 0, -1), 1);
    ASSERT_EQ(vm.RegisterVariable("string", "t", 0, 0, -1), 1);
    ASSERT_EQ(vm.MemoryUsed(), 16);
    ASSERT_EQ(vm.SetString("s", std::string(3000, 'a')), 1);
    EXPECT_EQ(vm.StringBytes(), 3000);

    // The block cannot take what the strings hold.
    EXPECT_EQ(vm.RegisterVariable("char", "block", 2000, 0, -1), 0);
    EXPECT_EQ(vm.RegisterVariable("char", "small", 1000, 0, -1), 1);

    struct Store {
        const char* path;
        size_t length;
        int result;
        int64_t bytesAfter;
    };
    // 4096 - 1016 block bytes - 3000 leaves 80 for texts beyond s.
    const Store stores[] = {
        {"t", 81, 0, 3000},   // one byte too many
        {"t", 80, 1, 3080},   // exactly what is left
        {"s", 3001, 0, 3080}, // growing a text needs room for the difference
        {"s", 100, 1, 180},   // shrinking gives room back
        {"t", 2980, 1, 3080},
    };
    for (const Store& store : stores) {
        SCOPED_TRACE(std::string(store.path) + " of " + std::to_string(store.length));
        EXPECT_EQ(vm.SetString(store.path, std::string(store.length, 'b')), store.result);
        EXPECT_EQ(vm.StringBytes(), store.bytesAfter);
    }
    std::string text;
    ASSERT_TRUE(vm.ReadString("s", text));
    EXPECT_EQ(text.size(), 100u) << "a refused store keeps the old text";
}

TEST(StringBudget, StringsGoneWithTheirScopeGiveTheirBytesBack) {
    CVariableManager vm;
    vm.SetMemoryLimit(4096);
    vm.EnterScope();
    ASSERT_EQ(vm.RegisterVariable("string", "names", 4, 0, -1), 1);
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(vm.SetString("names[" + std::to_string(i) + "]", std::string(900, 'n')), 1) << i;
    }
    EXPECT_EQ(vm.RegisterVariable("char", "block", 1000, 0, -1), 0);
    vm.LeaveScope();
    EXPECT_EQ(vm.StringBytes(), 0);
    EXPECT_EQ(vm.RegisterVariable("char", "block", 4000, 0, -1), 1);
}

TEST(StringBudget, AScriptStoringMoreTextThanTheLimitStopsWithTheStoreError) {
    EngineHarness engine;
    engine.variables.SetMemoryLimit(64 * 1024);
    engine.flow.SetMaxLoop(100000);
    // Each element takes 4 KiB of text; the limit holds 15 of them besides the 4 KiB of s.
    const ExecContext ctx = engine.Run("string s = \"0123456789abcdef\";\n"
                                       "int n = 0;\n"
                                       "while (n < 8) { s = s + s; n++; }\n"
                                       "string a[100];\n"
                                       "int i = 0;\n"
                                       "while (i < 100) { a[i] = s; i++; }\n");
    EXPECT_EQ(ctx.error, 5) << "a refused store is the error of a variable that cannot be written";
    EXPECT_EQ(ctx.line, 6);
    int32_t i = 0;
    ASSERT_EQ(engine.variables.ReadVariable("i", &i, sizeof i), 4);
    EXPECT_EQ(i, 14);
    EXPECT_LE(engine.variables.StringBytes() + engine.variables.MemoryUsed(), 64 * 1024);
}

} // namespace
