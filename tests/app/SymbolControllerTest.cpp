#include "FrameFixture.h"

#include "settings/CommandIds.h"
#include "view/CCmdRadioButton.h"
#include "view/CMenuBuilder.h"
#include "view/CMyDialogBar.h"
#include "view/CSymbolController.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

// The symbol and macro commands as a user meets them: symbol files found by the opened file's extension,
// Load and Reload Symbol, Execute Macro with its error report and undo, Esc during a long run, and the
// commands refused while a script runs.
class SymbolControllerTest : public FrameFixture {
protected:
    void WriteScript(const std::string& name, const std::string& text) {
        TestEnvironment::WriteFile(env.exeDir + "/" + name, text);
    }
    // Opens bytes under a file name of the program directory, as Open does.
    void OpenAs(const std::string& name, const Bytes& bytes) {
        const std::string path = env.exeDir + "/" + name;
        TestEnvironment::WriteFile(path, std::string(bytes.begin(), bytes.end()));
        ASSERT_TRUE(frame->OpenFile(QString::fromStdString(path), false));
        QApplication::processEvents();
    }
    bool SymbolButtonShown() { return !frame->SizeTypeBar()->SizeButton(4)->isHidden(); }
    int SizeIndex() { return frame->Layout().SizeIndex(); }
    CSymbolController& Scripts() { return frame->Scripts(); }
    bool Enabled(int command) {
        // The states are brought up to date when a menu opens.
        emit frame->Menus()->TopMenu(0)->aboutToShow();
        QAction* action = frame->Menus()->Action(command);
        return action && action->isEnabled();
    }
    Bytes Pattern(size_t size) {
        Bytes b(size);
        for (size_t i = 0; i < size; ++i) {
            b[i] = static_cast<unsigned char>(i);
        }
        return b;
    }
};

TEST_F(SymbolControllerTest, OpeningAFileRunsTheSymbolFileOfItsExtensionWhateverTheCase) {
    WriteScript("GIF.SYM", "$char Signature[6];\n$unsigned short Width;\n");
    OpenAs("photo.gif", {'G', 'I', 'F', '8', '9', 'a', 0x20, 0x01, 0, 0});
    EXPECT_EQ(frame->Symbols().SymbolCount(), 2u);
    EXPECT_TRUE(SymbolButtonShown());
    EXPECT_EQ(frame->SizeTypeBar()->SizeIndex(), 4);
    EXPECT_EQ(SizeIndex(), 4);
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join("|").toStdString();

    // A file without an extension keeps the symbols; one whose symbol file is missing clears them and the
    // view goes back to 1BYTE with the button hidden.
    OpenAs("README", {1, 2, 3});
    EXPECT_EQ(frame->Symbols().SymbolCount(), 2u);
    EXPECT_TRUE(SymbolButtonShown());
    OpenAs("data.nosuch", {1, 2, 3});
    EXPECT_EQ(frame->Symbols().SymbolCount(), 0u);
    EXPECT_FALSE(SymbolButtonShown());
    EXPECT_EQ(SizeIndex(), 0);
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(SymbolControllerTest, MacroDirectoryComesBeforeTheProgramDirectory) {
    const std::string macroDir = env.dir.path().toStdString() + "/macros";
    std::system(("mkdir -p '" + macroDir + "'").c_str());
    TestEnvironment::WriteFile(macroDir + "/bin.sym", "$char FromMacroDir;\n");
    WriteScript("BIN.SYM", "$char FromProgramDir;\n");
    frame->Settings().macroDir = macroDir;
    OpenAs("x.bin", {1, 2});
    ASSERT_EQ(frame->Symbols().SymbolCount(), 1u);
    EXPECT_EQ(frame->Symbols().SymbolAt(0).name, "FromMacroDir");

    // A MacroDir that is not a directory falls back to the program directory.
    frame->Settings().macroDir = macroDir + "/missing";
    OpenAs("y.bin", {1, 2});
    ASSERT_EQ(frame->Symbols().SymbolCount(), 1u);
    EXPECT_EQ(frame->Symbols().SymbolAt(0).name, "FromProgramDir");
}

TEST_F(SymbolControllerTest, AScriptErrorIsReportedOnceWithFileLineAndText) {
    WriteScript("ERR.SYM", "$char a;\r\n$short b;\r\nint x = 1 +;\r\n");
    OpenAs("f.err", Pattern(16));
    ASSERT_EQ(prompt.messages.size(), 1);
    const QStringList lines = prompt.messages.front().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "Macro Error");
    EXPECT_EQ(lines[1], QString::fromStdString("File:" + env.exeDir + "/ERR.SYM"));
    EXPECT_TRUE(lines[2].startsWith("Line3 int x = 1 +;")) << lines[2].toStdString();
    // The symbols declared before the error stay and are shown.
    EXPECT_EQ(frame->Symbols().SymbolCount(), 2u);
    EXPECT_EQ(SizeIndex(), 4);
}

TEST_F(SymbolControllerTest, ByteOrderOfTheViewFollowsEachSymbolFile) {
    WriteScript("BE.SYM", "#bigendian\n$unsigned short w;\n");
    WriteScript("LE.SYM", "$unsigned short w;\n");
    OpenAs("a.be", {0x12, 0x34});
    EXPECT_EQ(frame->LittleEndian(), 0);
    OpenAs("a.le", {0x12, 0x34});
    EXPECT_EQ(frame->LittleEndian(), 1);
}

TEST_F(SymbolControllerTest, LoadAndReloadSymbol) {
    WriteScript("other.sym", "$char One;\n$char Two;\n");
    WriteScript("DAT.SYM", "$char Only;\n");
    OpenAs("d.dat", Pattern(64));
    ASSERT_EQ(frame->Symbols().SymbolCount(), 1u);
    EXPECT_TRUE(Enabled(ID_RELOAD_SYMBOL));

    prompt.openName = QString::fromStdString(env.exeDir + "/other.sym");
    frame->OnCommand(ID_LOAD_SYMBOL);
    EXPECT_EQ(frame->Symbols().SymbolCount(), 2u);

    // Reload runs the extension's file again and scrolls back to the first row.
    View()->ScrollToRow(0, 3);
    frame->OnCommand(ID_RELOAD_SYMBOL);
    ASSERT_EQ(frame->Symbols().SymbolCount(), 1u);
    EXPECT_EQ(frame->Symbols().SymbolAt(0).name, "Only");
    EXPECT_EQ(View()->TopRow(0), 0u);

    OpenAs("noext", Pattern(4));
    EXPECT_FALSE(Enabled(ID_RELOAD_SYMBOL));
}

TEST_F(SymbolControllerTest, ExecuteMacroChangesTheDataOneUndoStepPerChange) {
    Open(Bytes{0x10, 0x20, 0x30, 0x40});
    WriteScript("edit.mac", "unsigned char b = 0xAA;\nWrite(0, b);\nDelete(3, 1);\nAdd(\"Z\");\n");
    prompt.openName = QString::fromStdString(env.exeDir + "/edit.mac");
    frame->OnCommand(ID_EXECUTE_MACRO);
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join("|").toStdString();
    EXPECT_EQ(Data(), (Bytes{0xAA, 0x20, 0x30, 'Z'}));
    frame->OnCommand(ID_UNDO);
    EXPECT_EQ(Data(), (Bytes{0xAA, 0x20, 0x30}));
    frame->OnCommand(ID_UNDO);
    EXPECT_EQ(Data(), (Bytes{0xAA, 0x20, 0x30, 0x40}));
    frame->OnCommand(ID_UNDO);
    EXPECT_EQ(Data(), (Bytes{0x10, 0x20, 0x30, 0x40}));
}

TEST_F(SymbolControllerTest, MacroErrorKeepsTheChangesMadeBeforeIt) {
    Open(Bytes{1, 2, 3});
    WriteScript("bad.mac", "unsigned char b = 9;\nWrite(1, b);\nint v = GetByte(100);\n");
    prompt.openName = QString::fromStdString(env.exeDir + "/bad.mac");
    frame->OnCommand(ID_EXECUTE_MACRO);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages.front().startsWith("Macro Error\n"));
    EXPECT_TRUE(prompt.messages.front().endsWith("cannot read file"))
        << prompt.messages.front().toStdString();
    EXPECT_EQ(Data(), (Bytes{1, 9, 3}));
}

TEST_F(SymbolControllerTest, EscStopsALongSymbolRunWithoutAMessage) {
    WriteScript("LONG.SYM", "#maxloop 100000\nint i = 0;\nwhile (i < 1000) {\n    $char c;\n    i++;\n}\n");
    // The Esc press waits in the event queue; the run lets it through at its first progress step.
    QApplication::postEvent(View(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b"));
    OpenAs("big.long", Pattern(1000));
    const size_t declared = frame->Symbols().SymbolCount();
    EXPECT_GT(declared, 0u);
    EXPECT_LT(declared, 1000u);
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join("|").toStdString();
    // What was declared before the abort is shown.
    EXPECT_EQ(SizeIndex(), 4);
    EXPECT_FALSE(Scripts().IsBusy());
}

TEST_F(SymbolControllerTest, NoCommandRunsWhileAScriptWaitsForTheUser) {
    Open(Bytes{1, 2, 3});
    WriteScript("ask.mac", "MessageBox(\"hello\");\nunsigned char b = 7;\nWrite(0, b);\n");
    WriteScript("other.mac", "unsigned char b = 8;\nWrite(1, b);\n");
    bool closed = true;
    prompt.duringQuestion = [&] {
        EXPECT_TRUE(Scripts().IsBusy());
        // Another macro, a new buffer and closing the window are all refused mid-run.
        prompt.openName = QString::fromStdString(env.exeDir + "/other.mac");
        frame->OnCommand(ID_EXECUTE_MACRO);
        frame->OnCommand(ID_FILE_NEW);
        closed = frame->close();
    };
    prompt.openName = QString::fromStdString(env.exeDir + "/ask.mac");
    frame->OnCommand(ID_EXECUTE_MACRO);
    prompt.duringQuestion = nullptr;
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "hello");
    EXPECT_FALSE(closed);
    EXPECT_EQ(Data(), (Bytes{7, 2, 3}));
}

TEST_F(SymbolControllerTest, SymbolSearchRepeatCommandsUseTheHistory) {
    WriteScript("S.SYM", "$char hdr[4];\n$char data[8];\n$char hdr2[4];\n");
    OpenAs("s.s", Pattern(32));
    EXPECT_FALSE(Enabled(ID_SYMBOL_SEARCH_FORWARD));
    Scripts().SearchHistory().Remember("hdr");
    EXPECT_TRUE(Enabled(ID_SYMBOL_SEARCH_FORWARD));
    Pane().cursor = 5;
    frame->OnCommand(ID_SYMBOL_SEARCH_FORWARD);
    EXPECT_EQ(Cursor(), 12u);
    frame->OnCommand(ID_SYMBOL_SEARCH_BACKWARD);
    EXPECT_EQ(Cursor(), 0u);
}

} // namespace
