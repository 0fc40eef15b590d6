// What the compiled forms of statements and expressions must keep: they never outlive a run or mistake a new
// text for an old one at the same address, they read through a registry's own operations when it overrides
// them, and they notice declarations made while the script runs.
#include "EngineHarness.h"
#include "engine/FastPaths.h"
#include "engine/VariableDump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CompiledForms, AreFreedWhenTheNextRunStarts) {
    EngineHarness h;
    ASSERT_EQ(h.Run("int n = 0;\nwhile (n < 10) { n = n + 1; }\n").error, 0);
    EXPECT_GT(h.calc.Compiled().SequenceCount(), 0u);
    EXPECT_GT(h.calc.Compiled().KeptBytes(), 0u);
    // Statements at the top level run once and are not compiled: after this run nothing is kept.
    ASSERT_EQ(h.Run("int m = 1;\nm = m + 1;\n").error, 0);
    EXPECT_EQ(h.calc.Compiled().SequenceCount(), 0u);
    EXPECT_EQ(h.calc.Compiled().KeptBytes(), 0u);
}

TEST(CompiledForms, ANewTextAtTheAddressOfTheLastOneIsReadAnew) {
    EngineHarness h;
    h.text.reserve(256);
    const char* buffer = h.text.data();
    ASSERT_EQ(h.Run("int a = 0;\nwhile (a < 3) { a = a + 1; }\n").error, 0);
    ASSERT_EQ(h.Eval("a").intValue, 3);
    h.variables.ClearVariables();
    // The same length at the same place, different statements.
    ASSERT_EQ(h.Run("int a = 0;\nwhile (a < 5) { a = a + 2; }\n").error, 0);
    ASSERT_EQ(h.text.data(), buffer);
    EXPECT_EQ(h.Eval("a").intValue, 6);
}

// A registry that counts the reads of its path operations and so may not be bypassed.
class CountingVariables : public CVariableManager {
public:
    int64_t ReadVariable(const std::string& path, void* buffer, int64_t bufferSize) override {
        ++reads;
        return CVariableManager::ReadVariable(path, buffer, bufferSize);
    }
    int reads = 0;
};

TEST(CompiledForms, ARegistryThatOverridesItsReadsIsReadThroughThemEveryTime) {
    CountingVariables variables;
    CCalcManager calc;
    CFlowManager flow;
    calc.SetVariableManager(&variables);
    calc.SetFlowManager(&flow);
    flow.SetCalcManager(&calc);
    flow.SetVariableManager(&variables);
    EXPECT_FALSE(variables.DirectAccess());
    EXPECT_TRUE(CVariableManager().DirectAccess());
    const std::string script =
        "int x = 7;\nint sum = 0;\nint k = 0;\nwhile (k < 10) { sum = sum + x; k++; }\n";
    ExecContext ctx(script.data(), 0, static_cast<int64_t>(script.size()) - 1);
    ASSERT_EQ(flow.RunStatements(ctx, -1, nullptr), 0);
    // Each turn reads k for the test, sum and x for the sum, and k for "k++".
    EXPECT_GE(variables.reads, 40);
    EXPECT_EQ(VariableDump::Lines(variables), (std::vector<std::string>{"x = 7", "sum = 70", "k = 10"}));
}

TEST(CompiledForms, BlockVariablesOfEachTurnAreNewAndShadowingIsNoticed) {
    EngineHarness h;
    ASSERT_EQ(h.Run("int v = 100;\nint sum = 0;\nint k = 0;\n"
                    "while (k < 4) {\n"
                    "    if (k % 2 == 1) { int v = k; sum = sum + v; }\n"
                    "    sum = sum + v;\n"
                    "    k++;\n"
                    "}\n")
                  .error,
              0);
    // Turns 1 and 3 add their own v (1 and 3) before the outer one is visible again.
    EXPECT_EQ(h.Eval("sum").intValue, 404);
}

TEST(CompiledForms, ErrorsInsideFunctionsReportTheLineInTheBodyOnEveryCall) {
    for (FastPaths::Mode mode : {FastPaths::Mode::kText, FastPaths::Mode::kCompiled}) {
        FastPaths::SetMode(mode);
        EngineHarness h;
        ExecContext ctx = h.Run("int f(int n);\nint k = 0;\nint r = 0;\n"
                                "while (k < 5) { r = r + f(k); k++; }\nreturn;\n"
                                "int f(int n) {\n    return 10 / (3 - n);\n}\n");
        FastPaths::SetMode(FastPaths::Mode::kCompiled);
        EXPECT_EQ(ctx.error, 3);
        EXPECT_EQ(ctx.line, 7);
        EXPECT_EQ(ctx.lineText, "    return 10 / (3 - n);");
        // Turns 0 to 2 ran: 3 + 5 + 10.
        EXPECT_EQ(h.Eval("r").intValue, 18);
        EXPECT_EQ(h.Eval("k").intValue, 3);
    }
}

} // namespace
