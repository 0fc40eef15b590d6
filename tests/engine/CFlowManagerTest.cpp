#include "EngineHarness.h"
#include "engine/EngineErrors.h"
#include "engine/ScriptFile.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Exposes the protected text primitives.
class TextFlow : public CFlowManager {
public:
    using CFlowManager::FindMatching;
    using CFlowManager::FindText;
    using CFlowManager::FindToken;
    using CFlowManager::FindTokenOutsideBraces;
    using CFlowManager::SkipBlanks;
};

ExecContext Over(const std::string& s) {
    return ExecContext(s.data(), 0, static_cast<int64_t>(s.size()) - 1);
}

TEST(CFlowManagerText, SkipBlanksSkipsCommentsToo) {
    TextFlow f;
    std::string s = "  // c\n /* d */ x";
    EXPECT_EQ(f.SkipBlanks(Over(s), 0), 16);
    std::string open = "  /* never closed";
    EXPECT_EQ(f.SkipBlanks(Over(open), 0), static_cast<int64_t>(open.size()));
}

TEST(CFlowManagerText, FindTextIncludesTheLastByteOfTheRange) {
    TextFlow f;
    std::string s = "a;b;";
    EXPECT_EQ(f.FindText(Over(s), ";", 0, 1), 1);
    EXPECT_EQ(f.FindText(Over(s), ";", 2, 3), 3);
    EXPECT_EQ(f.FindText(Over(s), ";", 2, 2), -1);
}

TEST(CFlowManagerText, FindTokenSkipsLiteralsCommentsAndTrailBytes) {
    TextFlow f;
    std::string s = "\";\" ';' /*;*/ //;\n \x83;x;";
    EXPECT_EQ(f.FindToken(Over(s), ";", 0, static_cast<int64_t>(s.size()) - 1), 22);
    std::string unclosed = "\"abc;";
    EXPECT_EQ(f.FindToken(Over(unclosed), ";", 0, 4), -1);
}

TEST(CFlowManagerText, FindMatchingCountsNestedPairs) {
    TextFlow f;
    std::string s = "(a(b)\")\"c)d";
    EXPECT_EQ(f.FindMatching(Over(s), '(', 0, static_cast<int64_t>(s.size()) - 1), 9);
    std::string none = "{ { }";
    EXPECT_EQ(f.FindMatching(Over(none), '{', 0, 4), -1);
}

TEST(CFlowManagerText, FindTokenOutsideBracesSkipsGroups) {
    TextFlow f;
    std::string s = "{ case } case";
    EXPECT_EQ(f.FindTokenOutsideBraces(Over(s), "case", 0, static_cast<int64_t>(s.size()) - 1), 9);
}

TEST(CFlowManagerText, CompactExpressionKeepsStrings) {
    std::string s = "a + /* c */ b // d\n + \"x y\" + ' '";
    std::string c = CFlowManager::CompactExpression(s.data(), static_cast<int64_t>(s.size()));
    EXPECT_EQ(c[0], '\0');
    EXPECT_EQ(c.substr(1), "a+b+\"x y\"+''");
}

TEST(CFlowManagerText, LineOfPosition) {
    std::string s = "one\r\ntwo\r\nthree";
    std::string line;
    EXPECT_EQ(CFlowManager::LineOfPosition(s.data(), 6, static_cast<int64_t>(s.size()) - 1, line), 2);
    EXPECT_EQ(line, "two");
    // A position on a line end belongs to the line it ends.
    EXPECT_EQ(CFlowManager::LineOfPosition(s.data(), 9, static_cast<int64_t>(s.size()) - 1, line), 2);
    EXPECT_EQ(line, "two");
    EXPECT_EQ(CFlowManager::LineOfPosition(s.data(), 100, static_cast<int64_t>(s.size()) - 1, line), 3);
    EXPECT_EQ(line, "three");
    EXPECT_EQ(CFlowManager::LineOfPosition(s.data(), 0, -1, line), 1);
}

TEST(CFlowManager, TypedefAndStructRedefinitionsNeedTolerance) {
    EngineHarness h;
    ExecContext ctx = h.Run("typedef unsigned char BYTE;\ntypedef unsigned char BYTE;\n");
    EXPECT_EQ(ctx.error, 13);
    EXPECT_EQ(ctx.line, 2);
    EngineHarness s;
    EXPECT_EQ(s.Run("struct S { int a; };\nstruct S { int a; };").error, 18);
    EngineHarness t;
    EXPECT_EQ(t.flow.SetTolerance(3), 0);
    EXPECT_EQ(
        t.Run("typedef int I; typedef int I; struct S { int a; }; struct S { char b; char c; }; S v;").error,
        0);
    EXPECT_EQ(t.variables.TypeSize("S"), 4);
    EXPECT_EQ(t.flow.SetTolerance(0), 3);
}

TEST(CFlowManager, LoopLimits) {
    {
        EngineHarness h;
        h.flow.SetMaxLoop(1000);
        ExecContext ctx = h.Run("int n = 0; while (1) { n++; }");
        EXPECT_EQ(ctx.error, 22);
        EXPECT_EQ(h.Eval("n").intValue, 1002);
    }
    {
        EngineHarness h;
        h.flow.SetMaxLoop(0);
        ExecContext ctx = h.Run("int n = 0; while (1) { n++; }");
        EXPECT_EQ(ctx.error, 0);
        EXPECT_EQ(h.Eval("n").intValue, 2);
    }
    {
        EngineHarness h;
        ExecContext ctx = h.Run("int n = 0; while (n < 5000) { n++; }");
        EXPECT_EQ(ctx.error, 0);
        EXPECT_EQ(h.Eval("n").intValue, 5000);
    }
    {
        EngineHarness h;
        h.flow.SetMaxLoop(10);
        EXPECT_EQ(h.Run("int n; for (n = 0; n < 10; n++) { }").error, 0);
        EngineHarness g;
        g.flow.SetMaxLoop(10);
        EXPECT_EQ(g.Run("int n; for (n = 0; n < 11; n++) { }").error, 22);
    }
}

class CountingFlow : public CFlowManager {
public:
    int checks = 0;
    int IsAborted() override {
        ++checks;
        return checks > 5 ? 1 : CFlowManager::IsAborted();
    }
};

TEST(CFlowManager, AbortStopsBeforeTheNextStatement) {
    CVariableManager vm;
    CCalcManager calc;
    CountingFlow flow;
    calc.SetVariableManager(&vm);
    calc.SetFlowManager(&flow);
    flow.SetCalcManager(&calc);
    flow.SetVariableManager(&vm);
    std::string script = "int a; a = 1; a = 2; a = 3; a = 4; a = 5; a = 6; a = 7;";
    ExecContext ctx = Over(script);
    EXPECT_EQ(flow.RunStatements(ctx, -1, nullptr), 0);
    int32_t a = 0;
    vm.ReadVariable("a", &a, 4);
    EXPECT_EQ(a, 4);
    CFlowManager plain;
    EXPECT_EQ(plain.IsAborted(), 0);
    plain.Abort();
    EXPECT_EQ(plain.IsAborted(), 1);
}

TEST(CFlowManager, SwitchTables) {
    CFlowManager f;
    EXPECT_EQ(f.NewSwitchTable(77), 1);
    EXPECT_EQ(f.NewSwitchTable(77), 0);
    EXPECT_EQ(f.FindSwitchTable(77), 0);
    EXPECT_EQ(f.FindSwitchTable(78), -1);
    EXPECT_EQ(f.GetSwitchEnd(77), -1);
    EXPECT_EQ(f.GetSwitchDefault(77), -1);
    f.SetSwitchEnd(77, 100);
    f.SetSwitchDefault(77, 50);
    f.AddSwitchCase(77, 1, 10);
    f.AddSwitchCase(77, 1, 20);
    f.AddSwitchCase(77, 2, 30);
    f.SetSwitchSelector(77, "x;");
    EXPECT_EQ(f.GetSwitchEnd(77), 100);
    EXPECT_EQ(f.GetSwitchDefault(77), 50);
    EXPECT_EQ(f.FindSwitchCase(77, 1), 10);
    EXPECT_EQ(f.FindSwitchCase(77, 2), 30);
    EXPECT_EQ(f.FindSwitchCase(77, 3), -1);
    EXPECT_EQ(f.GetSwitchSelector(77), "x;");
    EXPECT_EQ(f.NewSwitchTable(5), 1);
    EXPECT_EQ(f.FindSwitchTable(5), 1);
}

TEST(CFlowManager, CaseLabelsAreEvaluatedOnlyOnce) {
    EngineHarness h;
    std::string script = "int k = 0; int hits = 0; int label = 1;\n"
                         "while (k < 3) { switch (k) { case label: hits++; break; } label = 2; k++; }";
    EXPECT_EQ(h.Run(script).error, 0);
    EXPECT_EQ(h.Eval("hits").intValue, 1);
}

TEST(CFlowManager, RunLeavesDepthAndScopeAsFound) {
    EngineHarness h;
    std::string script =
        "int f(int a);\nint r = 0;\nif (1) { int b = 2; while (b > 0) { b--; r = r + f(b); } }\nreturn;\n"
        "int f(int a) { int c = a * 2; return c; }";
    EXPECT_EQ(h.Run(script).error, 0);
    EXPECT_EQ(h.flow.RunDepth(), 0);
    EXPECT_EQ(h.variables.ScopeLevel(), 0);
    EXPECT_EQ(h.variables.FrameBase(), 0);
    EXPECT_EQ(h.variables.VariableCount(), 1u);
    EXPECT_EQ(h.Eval("r").intValue, 2);
}

TEST(CFlowManager, ErrorInsideAFunctionReportsTheBodyLine) {
    EngineHarness h;
    ExecContext ctx = h.Run("int f(int a);\nint r = f(1);\nreturn;\nint f(int a) {\n  return a / 0;\n}");
    EXPECT_EQ(ctx.error, 3);
    EXPECT_EQ(ctx.line, 5);
    EXPECT_EQ(ctx.lineText, "  return a / 0;");
}

TEST(CFlowManager, BreakAndReturnAtTheTopLevelEndTheRun) {
    EngineHarness h;
    EXPECT_EQ(h.Run("int x = 1; break; x = 2;").error, 0);
    EXPECT_EQ(h.Eval("x").intValue, 1);
    EngineHarness r;
    EXPECT_EQ(r.Run("}").error, 0);
}

class IncludeTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kivran-include-XXXXXX";
        dir = mkdtemp(pattern);
    }
    void TearDown() override {
        for (const std::string& f : files) {
            std::remove(f.c_str());
        }
        rmdir(dir.c_str());
    }
    void Write(const std::string& name, const std::string& text) {
        std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        files.push_back(path);
    }
    std::string dir;
    std::vector<std::string> files;
};

TEST_F(IncludeTest, OncePerRunUntilReset) {
    Write("a.h", "n = n + 1;");
    EngineHarness h;
    h.flow.SetIncludeDir(dir);
    EXPECT_EQ(h.Run("int n = 0; #include \"a.h\"\n#include \"a.h\"\n").error, 0);
    EXPECT_EQ(h.Eval("n").intValue, 1);
    h.flow.ResetIncludes();
    std::string again = "#include \"a.h\"\n";
    ExecContext ctx = Over(again);
    EXPECT_EQ(h.flow.RunStatements(ctx, -1, nullptr), 0);
    EXPECT_EQ(h.Eval("n").intValue, 2);
}

TEST_F(IncludeTest, Utf8FilesAreReadAsCodePage932) {
    Write("u.mac", "string s = \"\xE3\x81\x82\";");
    std::string text;
    ASSERT_TRUE(ScriptFile::Load(dir + "/u.mac", text));
    EXPECT_EQ(text, "string s = \"\x82\xA0\";");
    Write("s.mac", "string s = \"\x82\xA0\";");
    ASSERT_TRUE(ScriptFile::Load(dir + "/s.mac", text));
    EXPECT_EQ(text, "string s = \"\x82\xA0\";");
    EXPECT_FALSE(ScriptFile::Load(dir, text));
    EXPECT_FALSE(ScriptFile::Load(dir + "/missing", text));
}

TEST(ScriptFile, ReportFormat) {
    EXPECT_EQ(ScriptFile::FormatReport("a.mac", 3, "x = 1 / 0;", "Devide by zero"),
              "Macro Error\nFile:a.mac\nLine3 x = 1 / 0;\nDevide by zero");
    EXPECT_EQ(ScriptFile::DirectoryOf("dir/sub/a.mac"), "dir/sub");
    EXPECT_EQ(ScriptFile::DirectoryOf("a.mac"), ".");
    EXPECT_EQ(ScriptFile::DirectoryOf("/a.mac"), "/");
}

TEST(EngineErrors, TextsInBothLanguages) {
    EXPECT_STREQ(EngineErrors::TextUtf8(0, 1), "Normal");
    EXPECT_STREQ(EngineErrors::TextUtf8(22, 1), "Reached maximun loop");
    EXPECT_STREQ(EngineErrors::TextUtf8(34, 1), "Unknown error");
    EXPECT_STREQ(EngineErrors::TextUtf8(-1, 0), "未定義のエラーです");
    EXPECT_STREQ(EngineErrors::TextUtf8(6, 0), "不正な変換\t文字＜－＞数値など");
    EXPECT_EQ(EngineErrors::Text(3, 0), "\x82\x4F\x82\xC5\x82\xCC\x8F\x9C\x8E\x5A");
    EXPECT_EQ(EngineErrors::Text(3, 1), "Devide by zero");
}

} // namespace
