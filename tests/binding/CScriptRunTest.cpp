#include "BindingHarness.h"
#include "TempFolder.h"

#include "binding/CScriptRun.h"
#include "engine/EngineErrors.h"
#include "engine/VariableDump.h"
#include "platform/CodePage932.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The main window's side of a run: its data, its variable manager and a host.
struct RunFixture {
    CDataStore store;
    CKvrVMan vman;
    FakeScriptHost host;
    TempFolder folder;

    explicit RunFixture(const std::vector<unsigned char>& data = {}) {
        if (!data.empty()) {
            store.InsertData(0, data.data(), data.size(), 0, 0);
        }
        vman.SetOwner(&store);
    }

    ScriptRunResult Run(const std::string& name, const std::string& text, CScriptRun::Kind kind,
                        int language = 1) {
        return CScriptRun::Run(vman, host, folder.Write(name, text), kind, language);
    }

    std::vector<unsigned char> Data() const {
        std::vector<unsigned char> bytes(store.GetDataSize());
        if (!bytes.empty()) {
            store.ReadData(0, bytes.data(), bytes.size());
        }
        return bytes;
    }
};

TEST(CScriptRun, IncludeDirOfIsTheTextBeforeTheLastSlash) {
    EXPECT_EQ(CScriptRun::IncludeDirOf("/a/b/c.mac"), "/a/b");
    EXPECT_EQ(CScriptRun::IncludeDirOf("b/c.mac"), "b");
    EXPECT_EQ(CScriptRun::IncludeDirOf("c.mac"), ".");
    EXPECT_EQ(CScriptRun::IncludeDirOf("/c.mac"), "/");
}

TEST(CScriptRun, IncludesAreFoundBesideTheScript) {
    RunFixture f;
    f.folder.Write("sub/defs.h", "int fromInclude = 7;\n");
    ScriptRunResult r =
        f.Run("sub/main.mac", "#include \"defs.h\"\nMessageBox(tostr(fromInclude));\n", CScriptRun::kMacro);
    EXPECT_TRUE(r.readable);
    EXPECT_EQ(r.error, 0) << r.message;
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0].text, "7");
}

TEST(CScriptRun, ASymbolFileStartsFromAnEmptyTable) {
    RunFixture f(std::vector<unsigned char>(32));
    ASSERT_EQ(
        f.Run("one.sym", "#bigendian\nstruct S { char a; };\n$char a; $char b;", CScriptRun::kSymbolFile)
            .error,
        0);
    ASSERT_EQ(f.vman.SymbolCount(), 2u);
    ScriptRunResult r = f.Run("two.sym", "struct S { short s; };\n$S x;", CScriptRun::kSymbolFile);
    EXPECT_EQ(r.error, 0) << r.message;
    ASSERT_EQ(f.vman.SymbolCount(), 1u);
    EXPECT_EQ(f.vman.SymbolAt(0).name, "x");
    EXPECT_EQ(f.vman.GetNextOffset(), 2u);
    EXPECT_EQ(f.vman.IsBigEndian(), 0);
    EXPECT_EQ(r.littleEndian, 1);
}

TEST(CScriptRun, AMacroKeepsTheSymbolsAndToleratesRedefinitions) {
    RunFixture f(std::vector<unsigned char>(32));
    ASSERT_EQ(f.Run("s.sym", "#bigendian\ntypedef char BYTE;\nstruct S { char a; };\n$S s; $BYTE b;",
                    CScriptRun::kSymbolFile)
                  .error,
              0);
    ScriptRunResult r = f.Run("m.mac",
                              "typedef char BYTE;\nstruct S { char a; };\n"
                              "MessageBox(tostr(GetCurrentOffset()));",
                              CScriptRun::kMacro);
    EXPECT_EQ(r.error, 0) << r.message;
    EXPECT_EQ(f.vman.SymbolCount(), 2u);
    EXPECT_EQ(f.vman.IsBigEndian(), 1);
    EXPECT_EQ(r.littleEndian, 0);
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0].text, "2");

    // The same redefinitions in a symbol file are errors.
    ScriptRunResult again =
        f.Run("t.sym", "struct S { char a; };\nstruct S { char a; };", CScriptRun::kSymbolFile);
    EXPECT_EQ(again.error, 18);
}

TEST(CScriptRun, OrdinaryVariablesLiveForOneRun) {
    RunFixture f(std::vector<unsigned char>(8));
    std::vector<std::string> seen;
    ScriptRunResult r = CScriptRun::Run(f.vman, f.host, f.folder.Write("v.sym", "int v = 3; $char c;"),
                                        CScriptRun::kSymbolFile, 1,
                                        [&seen](const CKvrVMan& v) { seen = VariableDump::Lines(v); });
    ASSERT_EQ(r.error, 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"v = 3"}));
    EXPECT_EQ(f.vman.VariableCount(), 0u);
    EXPECT_EQ(f.vman.SymbolCount(), 1u);

    ScriptRunResult m = f.Run("m.mac", "int w;\nw = v;", CScriptRun::kMacro);
    EXPECT_EQ(m.error, 5);
    EXPECT_EQ(f.vman.VariableCount(), 0u);
}

TEST(CScriptRun, TheRunIsKnownToTheHostWhileItLasts) {
    RunFixture f;
    f.Run("a.mac", "MessageBox(\"x\");", CScriptRun::kMacro);
    EXPECT_EQ(f.host.runningLog, (std::vector<bool>{true, false}));
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_TRUE(f.host.messages[0].duringRun);
    EXPECT_EQ(f.host.running, nullptr);
}

TEST(CScriptRun, LoopsAreLimitedToAThousand) {
    RunFixture f;
    EXPECT_EQ(f.Run("ok.mac", "int i = 0; while (i < 1000) i = i + 1;", CScriptRun::kMacro).error, 0);
    EXPECT_EQ(f.Run("over.mac", "int i = 0; while (i < 1001) i = i + 1;", CScriptRun::kMacro).error, 22);
}

TEST(CScriptRun, UnreadableAndEmptyScripts) {
    RunFixture f;
    ScriptRunResult missing =
        CScriptRun::Run(f.vman, f.host, f.folder.Path() + "/none.mac", CScriptRun::kMacro, 1);
    EXPECT_FALSE(missing.readable);
    EXPECT_TRUE(missing.message.empty());
    ScriptRunResult folder = CScriptRun::Run(f.vman, f.host, f.folder.Path(), CScriptRun::kMacro, 1);
    EXPECT_FALSE(folder.readable);

    ScriptRunResult empty = f.Run("empty.mac", "", CScriptRun::kMacro);
    EXPECT_TRUE(empty.readable);
    EXPECT_EQ(empty.error, 0);
    EXPECT_TRUE(empty.message.empty());
    EXPECT_TRUE(f.host.messages.empty());
}

TEST(CScriptRun, TheErrorReportNamesFileLineAndText) {
    RunFixture f;
    const std::string path = f.folder.Write("crlf.mac", "int a;\r\nint b;\r\n  nothing(1);\r\nint c;\r\n");
    ScriptRunResult r = CScriptRun::Run(f.vman, f.host, path, CScriptRun::kMacro, 1);
    EXPECT_TRUE(r.readable);
    EXPECT_EQ(r.error, 1);
    EXPECT_EQ(r.line, 3);
    EXPECT_EQ(r.lineText, "  nothing(1);");
    EXPECT_EQ(r.message, "Macro Error\nFile:" + path + "\nLine3   nothing(1);\nUnknown function");

    ScriptRunResult ja = CScriptRun::Run(f.vman, f.host, path, CScriptRun::kMacro, 0);
    EXPECT_EQ(ja.message, "Macro Error\nFile:" + path + "\nLine3   nothing(1);\n" + EngineErrors::Text(1, 0));
}

TEST(CScriptRun, DataErrorsAreReportedInTheRunsLanguage) {
    RunFixture f({1, 2});
    ScriptRunResult en = f.Run("r.mac", "GetDword(0);", CScriptRun::kMacro, 1);
    EXPECT_EQ(en.error, 23);
    EXPECT_NE(en.message.find("\ncannot read file"), std::string::npos) << en.message;
    ScriptRunResult ja = f.Run("r.mac", "GetDword(0);", CScriptRun::kMacro, 0);
    EXPECT_NE(ja.message.find(CodePage932::FromUtf8("ファイルのデータを読めません。")), std::string::npos);
    ScriptRunResult language = f.Run("l.mac", "MessageBox(tostr(GetLanguage()));", CScriptRun::kMacro, 0);
    ASSERT_EQ(language.error, 0);
    EXPECT_EQ(f.host.messages.back().text, "0");
}

TEST(CScriptRun, Utf8ScriptsReachTheEngineAsCodePage932) {
    RunFixture f;
    ScriptRunResult r = f.Run("u.mac",
                              "\xEF\xBB\xBF"
                              "string s = \"日本\";\nMessageBox(s);",
                              CScriptRun::kMacro);
    ASSERT_EQ(r.error, 0) << r.message;
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0].text, CodePage932::FromUtf8("日本"));
}

TEST(CScriptRun, AnAbortedRunReportsNothing) {
    RunFixture f(std::vector<unsigned char>(100));
    f.host.abortAtPercent = 5;
    ScriptRunResult r = f.Run("long.sym", "int i = 0; while (i < 50) { $char c; i = i + 1; }\nnothing();",
                              CScriptRun::kSymbolFile);
    EXPECT_TRUE(r.aborted);
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(f.vman.SymbolCount(), 5u);
    EXPECT_EQ(f.host.progress.back(), 5);
}

TEST(CScriptRun, ChangesOfAFailedMacroStayAndUndoOneByOne) {
    RunFixture f({1, 2, 3, 4});
    ScriptRunResult r =
        f.Run("c.mac", "Delete(0, 1);\nWrite(0, 'A');\nWrite(1, 'B');\nnothing();", CScriptRun::kMacro);
    EXPECT_EQ(r.error, 1);
    EXPECT_EQ(r.line, 4);
    EXPECT_EQ(f.Data(), (std::vector<unsigned char>{'A', 'B', 4}));
    uint64_t last = 0;
    ASSERT_TRUE(f.store.Undo(last));
    EXPECT_EQ(f.Data(), (std::vector<unsigned char>{'A', 3, 4}));
    ASSERT_TRUE(f.store.Undo(last));
    EXPECT_EQ(f.Data(), (std::vector<unsigned char>{2, 3, 4}));
    ASSERT_TRUE(f.store.Undo(last));
    EXPECT_EQ(f.Data(), (std::vector<unsigned char>{1, 2, 3, 4}));
    EXPECT_FALSE(f.store.CanUndo());
}

TEST(CScriptRun, InternalMessagesReachTheHostAsAMessageBox) {
    RunFixture f;
    ScriptRunResult r = f.Run("e.mac", "struct S { int a; };\nS s;\ns;\n", CScriptRun::kMacro);
    ASSERT_EQ(r.error, 0);
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0].text, "Missing type in CalcVariable");
    EXPECT_EQ(f.host.messages[0].style, 0u);
}

} // namespace
