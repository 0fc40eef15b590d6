#include "BindingHarness.h"

#include "platform/CodePage932.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(size_t n) {
    std::vector<unsigned char> data(n);
    for (size_t i = 0; i < n; ++i) {
        data[i] = static_cast<unsigned char>(i);
    }
    return data;
}

TEST(CKvrFlowMan, ByteOrderDirectivesTakeEffectWhereTheyStand) {
    BindingHarness h({0x12, 0x34, 0x56, 0x78});
    ExecContext ctx = h.Run("int a = GetWord(1);\n"
                            "#bigendian\n"
                            "int b = GetWord(1);\n"
                            "#littleendian\n"
                            "int c = GetWord(1);\n"
                            "#bigendian\n");
    ASSERT_EQ(ctx.error, 0);
    EXPECT_EQ(h.Eval("a").intValue, 0x5634);
    EXPECT_EQ(h.Eval("b").intValue, 0x3456);
    EXPECT_EQ(h.Eval("c").intValue, 0x5634);
    EXPECT_EQ(h.vman.IsBigEndian(), 1);
}

TEST(CKvrFlowMan, DirectiveErrors) {
    struct {
        const char* script;
        int32_t error;
        int64_t line;
    } cases[] = {
        {"int x;\n#pragma once\n", 14, 2},
        {"#bigendianx\n", 14, 1},
        {"#BigEndian\n", 14, 1},
        {"# bigendian\n", 14, 1},
        {"#maxloop abc\n", 11, 1},
        {"int x;\n#maxloop", 11, 2},
        {"#maxloop 1/0\n", 11, 1},
        {"#maxloop \"x\"\n", 11, 1},
        {"#include \"no such file.h\"\n", 15, 1},
    };
    for (const auto& c : cases) {
        BindingHarness h;
        ExecContext ctx = h.Run(c.script);
        EXPECT_EQ(ctx.error, c.error) << c.script;
        EXPECT_EQ(ctx.line, c.line) << c.script;
    }
}

TEST(CKvrFlowMan, MaxLoopTakesAnExpressionToken) {
    struct {
        const char* script;
        int64_t maxLoop;
    } cases[] = {
        {"#maxloop 5000\n", 5000}, {"#maxloop 2*3\n", 6}, {"#maxloop   /* c */ 7\n", 7},
        {"#maxloop 0x10", 16},     {"#maxloop -1\n", -1}, {"#maxloop 12.9\n", 12},
    };
    for (const auto& c : cases) {
        BindingHarness h;
        ASSERT_EQ(h.Run(c.script).error, 0) << c.script;
        EXPECT_EQ(h.flow.GetMaxLoop(), c.maxLoop) << c.script;
    }
}

TEST(CKvrFlowMan, MaxLoopContinuesAfterTheToken) {
    BindingHarness h;
    ASSERT_EQ(h.Run("#maxloop 10 int x = 4;").error, 0);
    EXPECT_EQ(h.flow.GetMaxLoop(), 10);
    EXPECT_EQ(h.Eval("x").intValue, 4);
}

TEST(CKvrFlowMan, MaxLoopRaisesTheLoopLimit) {
    const std::string loop = "int i = 0;\nwhile (i < 2000) i = i + 1;\n";
    BindingHarness raised;
    ASSERT_EQ(raised.Run("#maxloop 5000\n" + loop).error, 0);
    EXPECT_EQ(raised.Eval("i").intValue, 2000);

    BindingHarness standard;
    ExecContext ctx = standard.Run(loop);
    EXPECT_EQ(ctx.error, 22);
}

TEST(CKvrFlowMan, DollarBindsTheDeclarationToTheData) {
    BindingHarness h(Bytes(16));
    ASSERT_EQ(h.Run("$char a; $ short b[3];\nint n = b[2];").error, 0);
    ASSERT_EQ(h.vman.SymbolCount(), 2u);
    EXPECT_EQ(h.vman.SymbolAt(0).name, "a");
    EXPECT_EQ(h.vman.SymbolAt(1).name, "b");
    EXPECT_EQ(h.vman.SymbolAt(1).offset, 1u);
    EXPECT_EQ(h.vman.GetNextOffset(), 7u);
    EXPECT_EQ(h.vman.GetBindNext(), 0);
    EXPECT_EQ(h.Eval("n").intValue, 0x0605);
    // Only the "$" declarations are symbols.
    EXPECT_EQ(h.vman.VariableCount(), 1u);
}

TEST(CKvrFlowMan, BindNextIsClearedAfterAFailedDeclaration) {
    for (const char* script : {"$char a[1/0];", "$nothing a;", "$char a = 1;"}) {
        BindingHarness h(Bytes(4));
        EXPECT_NE(h.Run(script).error, 0) << script;
        EXPECT_EQ(h.vman.GetBindNext(), 0) << script;
        ASSERT_EQ(h.Run("int later;").error, 0) << script;
        EXPECT_EQ(h.vman.VariableCount(), 1u) << script;
    }
}

TEST(CKvrFlowMan, OtherCharactersStayIllegal) {
    for (const char* script : {"@", "{ int x; }", "`"}) {
        BindingHarness h;
        EXPECT_EQ(h.Run(script).error, 19) << script;
    }
}

TEST(CKvrFlowMan, NamesMayHoldDoubleByteCharacters) {
    BindingHarness h(Bytes(4));
    // A blank before ";": the trail byte of 幅 lies in the lead-byte range, and a token is never taken for
    // the trail byte of a double-byte character.
    ASSERT_EQ(h.Run(CodePage932::FromUtf8("int 幅 = 3; $char 高さ[2]; int n = 高さ[1] + 幅 ;")).error, 0);
    ASSERT_EQ(h.vman.SymbolCount(), 1u);
    EXPECT_EQ(h.vman.SymbolAt(0).name, CodePage932::FromUtf8("高さ"));
    EXPECT_EQ(h.Eval("n").intValue, 4);
}

TEST(CKvrFlowMan, ProgressReportsEachNewPercentage) {
    BindingHarness h(std::vector<unsigned char>(1000));
    ExecContext ctx = h.Run("int i = 0; while (i < 250) { $char c; i = i + 1; }");
    ASSERT_EQ(ctx.error, 0);
    ASSERT_EQ(h.host.progress.size(), 25u);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(h.host.progress[static_cast<size_t>(i)], i + 1);
    }
    EXPECT_EQ(h.flow.LastPercent(), 25);
}

TEST(CKvrFlowMan, ProgressStopsAtAHundredAndNeedsData) {
    BindingHarness over(std::vector<unsigned char>(10));
    ASSERT_EQ(over.Run("$char a[5]; $char b[5]; $char c[1000000];").error, 0);
    EXPECT_EQ(over.host.progress, (std::vector<int>{50, 100}));

    BindingHarness empty;
    ASSERT_EQ(empty.Run("$char a[5]; $char b;").error, 0);
    EXPECT_TRUE(empty.host.progress.empty());
    EXPECT_EQ(empty.flow.LastPercent(), 0);
}

TEST(CKvrFlowMan, AbortStopsTheRunWithoutAnError) {
    BindingHarness h(std::vector<unsigned char>(1000));
    h.host.running = &h.flow;
    h.host.abortAtPercent = 10;
    ExecContext ctx = h.Run("int i = 0; while (i < 500) { $char c; i = i + 1; } int after = 1;");
    EXPECT_EQ(ctx.error, 0);
    EXPECT_TRUE(h.flow.IsAborted());
    EXPECT_EQ(h.vman.SymbolCount(), 100u);
    EXPECT_EQ(h.vman.FindVariable("after", -1), nullptr);
}

// A loop body runs through its compiled forms; a symbol it names is still read from the data on every turn,
// so changes the loop makes to the data are seen by the next turn.
TEST(CKvrFlowMan, CompiledLoopsReadSymbolsFromTheDataEveryTime) {
    BindingHarness h({1, 2, 3, 4});
    ASSERT_EQ(h.Run("$unsigned char first;\n$unsigned char second[2];\n"
                    "int sum = 0;\nint seen = 0;\nint k = 0;\n"
                    "while (k < 3) {\n"
                    "    sum = sum + first;\n"
                    "    seen = seen * 10 + second[1];\n"
                    "    unsigned char v = k + 10;\n"
                    "    Write(0, v);\n"
                    "    Write(2, v);\n"
                    "    k++;\n"
                    "}\n")
                  .error,
              0);
    // first: 1, then 10 and 11 as written; second[1] (offset 2): 3, then 10 and 11.
    EXPECT_EQ(h.Eval("sum").intValue, 22);
    EXPECT_EQ(h.Eval("seen").intValue, 3 * 100 + 10 * 10 + 11);
}

} // namespace
