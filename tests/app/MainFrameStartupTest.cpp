#include "FakePrompt.h"
#include "TestApplication.h"
#include "TestEnvironment.h"

#include "app/CKIVRANApp.h"
#include "settings/CTextTable.h"
#include "settings/CommandIds.h"
#include "settings/KivranSettings.h"
#include "view/CCmdRadioButton.h"
#include "view/CColorStsBar.h"
#include "view/CDataView.h"
#include "view/CMainFrame.h"
#include "view/CMenuBuilder.h"
#include "view/CMyDialogBar.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

QApplication* EnsureApp() {
    return EnsureApplication();
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApp(); }

    CMainFrame* Start(const std::string& ini, const QStringList& args = {}) {
        env.WriteIni(ini);
        app = std::make_unique<CKIVRANApp>();
        prompt = new FakePrompt;
        ownedPrompt.reset(prompt);
        EXPECT_TRUE(app->InitInstance(args, prompt));
        return app->MainFrame();
    }

    void Stop() {
        app->MainFrame()->close();
        app->ExitInstance();
    }

    QString ItemText(int command) { return app->MainFrame()->Menus()->Action(command)->text(); }

    TestEnvironment env;
    std::unique_ptr<CKIVRANApp> app;
    std::unique_ptr<FakePrompt> ownedPrompt;
    FakePrompt* prompt = nullptr;
};

const char* kStarted = "[Option]\nOption1=2\nLanguage=1\n";

TEST_F(StartupTest, FirstStartAsksTheLanguageThenShowsTheMessageAndRemembersIt) {
    CMainFrame* frame = Start("");
    EXPECT_EQ(prompt->languageAskedWith, 0);
    ASSERT_EQ(prompt->messages.size(), 1);
    EXPECT_EQ(prompt->messages[0], "Drag & drop GIF or JPG file.\nYou will see miracle.");
    EXPECT_EQ(frame->Settings().optionFlags & 2, 2);
    EXPECT_EQ(frame->menuBar()->actions()[0]->text(), "&File");
    Stop();
    const std::string ini = env.ReadIni();
    EXPECT_NE(ini.find("Option1=2"), std::string::npos);
    EXPECT_NE(ini.find("Language=1"), std::string::npos);
}

TEST_F(StartupTest, ChoosingJapaneseShowsTheJapaneseMessage) {
    env.WriteIni("");
    app = std::make_unique<CKIVRANApp>();
    prompt = new FakePrompt;
    ownedPrompt.reset(prompt);
    prompt->chosenLanguage = 0;
    ASSERT_TRUE(app->InitInstance({}, prompt));
    ASSERT_EQ(prompt->messages.size(), 1);
    EXPECT_TRUE(prompt->messages[0].startsWith(QString::fromUtf8("初めて使う人は")));
    EXPECT_EQ(app->MainFrame()->menuBar()->actions()[0]->text(), QString::fromUtf8("ファイル(&F)"));
    Stop();
}

TEST_F(StartupTest, MenusCarryTableLabelsAndKeyNamesInBothLanguages) {
    CMainFrame* frame = Start(kStarted);
    EXPECT_TRUE(prompt->messages.isEmpty());
    const QStringList english = {"&File", "&Edit", "&Jump/Search", "&View", "&Option", "&Macro", "&Help"};
    QList<QAction*> tops = frame->menuBar()->actions();
    ASSERT_EQ(tops.size(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(tops[i]->text(), english[i]);
    }
    EXPECT_EQ(ItemText(ID_COPY), "&Copy\tCtrl+Ins,Ctrl+C");
    EXPECT_EQ(ItemText(ID_FILE_NEW), "&New");
    EXPECT_EQ(ItemText(ID_HELP), "&Help\tF1");
    EXPECT_EQ(ItemText(ID_JUMP_TO), "&Jump to\tCtrl+J");
    EXPECT_EQ(ItemText(ID_CHARSET_SJIS), "ASCII");
    EXPECT_EQ(frame->Menus()->SubMenu(0)->title(), "&Offset Jump");
    EXPECT_EQ(frame->Menus()->SubMenu(1)->title(), "Byte Order");

    // Every command of the seven menus has an item.
    for (int command : {ID_FILE_NEW,
                        ID_FILE_OPEN,
                        ID_FILE_SAVE,
                        ID_FILE_SAVE_AS,
                        ID_RELOAD_SYMBOL,
                        ID_LOAD_SYMBOL,
                        ID_FILE_PRINT,
                        ID_FILE_PRINT_PREVIEW,
                        ID_FILE_PRINT_SETUP,
                        ID_APP_EXIT,
                        ID_WRITE,
                        ID_CUT,
                        ID_PASTE,
                        ID_UNDO,
                        ID_REDO,
                        ID_SELECT_ALL,
                        ID_JUMP_TOP,
                        ID_JUMP_END,
                        ID_MARK_TOGGLE,
                        ID_MARK_NEXT,
                        ID_MARK_PREV,
                        ID_MARK_REMOVE_ALL,
                        ID_SEARCH,
                        ID_SEARCH_BACKWARD,
                        ID_SEARCH_FORWARD,
                        ID_REPLACE,
                        ID_SYMBOL_SEARCH,
                        ID_SYMBOL_SEARCH_BACKWARD,
                        ID_SYMBOL_SEARCH_FORWARD,
                        ID_OFFSET_1BYTE_ABS,
                        ID_OFFSET_4BYTE_REL,
                        ID_COMPARE,
                        ID_COMPARE_RESET,
                        ID_COMPARE_NEXT,
                        ID_LITTLE_ENDIAN,
                        ID_BIG_ENDIAN,
                        ID_ADDRESS_HEX,
                        ID_ADDRESS_DEC,
                        ID_CHARSET_UNICODE,
                        ID_VIEW_TOOLBAR,
                        ID_VIEW_NUMERICBAR,
                        ID_VIEW_STATUSBAR,
                        ID_VIEW_2_WINDOW,
                        ID_VIEW_CHANGE_WINDOW,
                        ID_OPTION,
                        ID_FAST_INPUT,
                        ID_EXECUTE_MACRO,
                        ID_MACRO_HELP,
                        ID_APP_ABOUT}) {
        ASSERT_NE(frame->Menus()->Action(command), nullptr) << command;
        EXPECT_FALSE(frame->Menus()->Action(command)->text().isEmpty()) << command;
    }

    CTextTable::SetLanguage(0);
    frame->ApplyLanguage();
    EXPECT_EQ(frame->menuBar()->actions()[5]->text(), QString::fromUtf8("マクロ（&M)"));
    EXPECT_EQ(ItemText(ID_COPY), QString::fromUtf8("コピー(&C)\tCtrl+Ins,Ctrl+C"));
    EXPECT_EQ(ItemText(ID_UNDO), QString::fromUtf8("アンドゥ(&U)\tCtrl+Z"));
    EXPECT_EQ(ItemText(ID_CHARSET_SJIS), "Shift-JIS");
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneCharSet), "Shift-JIS");
    Stop();
}

TEST_F(StartupTest, BarsScrollBarsAndToolTipsAreCreated) {
    CMainFrame* frame = Start(kStarted);
    EXPECT_EQ(frame->windowTitle(), "KIVRAN");
    ASSERT_EQ(frame->StatusBarPanes()->PaneCount(), 8);
    ASSERT_EQ(frame->NumericBar()->PaneCount(), 6);
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneSource), "FILE");
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneSize), "0 bytes");
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneAddress), "0x00000000");
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneCharSet), "ASCII");
    EXPECT_EQ(frame->SizeTypeBar()->SizeIndex(), 0);
    EXPECT_EQ(frame->SizeTypeBar()->TypeIndex(), 1);
    EXPECT_FALSE(frame->SizeTypeBar()->SizeButton(4)->isVisible());
    EXPECT_NE(frame->VScroll(0), nullptr);
    EXPECT_NE(frame->VScroll(1), nullptr);
    EXPECT_NE(frame->HScroll(), nullptr);

    QList<QAction*> tools = frame->ToolBar()->actions();
    QStringList tips;
    for (QAction* a : tools) {
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().isNull());
            tips << a->toolTip();
        }
    }
    EXPECT_EQ(tips.size(), 19);
    EXPECT_EQ(tips.first(), "&Open");
    EXPECT_EQ(tips.last(), "&Prev Mark");

    // The empty data area is painted in the Data background colour.
    frame->resize(800, 600);
    QImage image = frame->DataView()->grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2), QColor(0x00, 0x00, 0xA0));
    Stop();
}

TEST_F(StartupTest, ViewMenuTogglesHideAndShowTheBars) {
    CMainFrame* frame = Start(kStarted);
    EXPECT_TRUE(frame->Menus()->Action(ID_VIEW_NUMERICBAR)->isChecked());
    frame->OnCommand(ID_VIEW_NUMERICBAR);
    EXPECT_TRUE(frame->NumericBar()->isHidden());
    EXPECT_FALSE(frame->Menus()->Action(ID_VIEW_NUMERICBAR)->isChecked());
    frame->OnCommand(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(frame->ToolBar()->isHidden());
    frame->OnCommand(ID_VIEW_NUMERICBAR);
    EXPECT_FALSE(frame->NumericBar()->isHidden());
    Stop();
}

TEST_F(StartupTest, StoredLanguageSevenStartsJapaneseAndIsSavedAsZero) {
    CMainFrame* frame = Start("[Option]\nOption1=2\nLanguage=7\n");
    EXPECT_EQ(CTextTable::Language(), 0);
    EXPECT_EQ(frame->menuBar()->actions()[0]->text(), QString::fromUtf8("ファイル(&F)"));
    Stop();
    EXPECT_NE(env.ReadIni().find("Language=0"), std::string::npos);
}

TEST_F(StartupTest, InvalidStoredRectangleIsIgnored) {
    CMainFrame* frame = Start("[Option]\nOption1=2\n[Window]\nLeft=100\nTop=100\nRight=50\nBottom=300\n");
    EXPECT_NE(frame->geometry().left(), 100);
    EXPECT_GT(frame->width(), 50);
    Stop();
}

TEST_F(StartupTest, StoredRectangleIsRestoredAndWrittenBack) {
    CMainFrame* frame = Start("[Option]\nOption1=2\n[Window]\nLeft=40\nTop=30\nRight=740\nBottom=530\n");
    EXPECT_EQ(frame->geometry(), QRect(40, 30, 700, 500));
    frame->setGeometry(50, 60, 640, 480);
    Stop();
    const std::string ini = env.ReadIni();
    EXPECT_NE(ini.find("Left=50"), std::string::npos);
    EXPECT_NE(ini.find("Top=60"), std::string::npos);
    EXPECT_NE(ini.find("Right=690"), std::string::npos);
    EXPECT_NE(ini.find("Bottom=540"), std::string::npos);
    EXPECT_NE(ini.find("Style=0"), std::string::npos);
}

TEST_F(StartupTest, MaximizedStateIsRestoredWithTheLastNormalRectangle) {
    CMainFrame* frame =
        Start("[Option]\nOption1=2\n[Window]\nLeft=40\nTop=30\nRight=740\nBottom=530\nStyle=16777216\n");
    EXPECT_TRUE(frame->isMaximized());
    Stop();
    const std::string ini = env.ReadIni();
    EXPECT_NE(ini.find("Style=16777216"), std::string::npos);
    EXPECT_NE(ini.find("Left=40"), std::string::npos);
    EXPECT_NE(ini.find("Right=740"), std::string::npos);
}

TEST_F(StartupTest, CommandLineFileIsOpenedAndTitledByActivation) {
    const std::string path = env.exeDir + "/data file.bin";
    TestEnvironment::WriteFile(path, std::string(100, 'x'));
    CMainFrame* frame = Start(kStarted, {"--some-option", QString::fromStdString(path)});
    EXPECT_EQ(frame->Store().GetDataSize(), 100u);
    EXPECT_EQ(frame->TitleText(true), QString::fromStdString("KIVRAN - " + path));
    EXPECT_EQ(frame->TitleText(false), "KIVRAN - data file.bin");
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneSize), "100 bytes");
    frame->Store().SetModified(1);
    EXPECT_TRUE(frame->windowTitle().endsWith(" *"));
    frame->Store().SetModified(0);
    Stop();
    EXPECT_NE(env.ReadIni().find("MRU[0]=" + path), std::string::npos);
}

TEST_F(StartupTest, CancelOnCloseKeepsTheWindowAndItsData) {
    CMainFrame* frame = Start(kStarted);
    frame->Store().SetModified(1);
    const QString title = frame->windowTitle();
    prompt->yesNoCancelAnswer = CUserPrompt::Cancel;
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(prompt->questions, QStringList{"Save changes ?"});
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), title);
    EXPECT_TRUE(frame->Store().IsModified());
    prompt->yesNoCancelAnswer = CUserPrompt::No;
    EXPECT_TRUE(frame->close());
    app->ExitInstance();
}

TEST_F(StartupTest, AcceleratorKeysReachTheirCommands) {
    CMainFrame* frame = Start(kStarted);
    frame->activateWindow();
    QApplication::setActiveWindow(frame);
    ASSERT_NE(frame->Accelerators(), nullptr);
    EXPECT_FALSE(frame->NumericBar()->isHidden());
    // Bind Ctrl+E to the numeric bar toggle through a fresh key table.
    frame->Settings().keyTable.push_back({0x09, 'E', ID_VIEW_NUMERICBAR});
    frame->BuildAccelerators();
    QTest::keyClick(frame->DataView(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(frame->NumericBar()->isHidden());
    Stop();
}

TEST_F(StartupTest, EmptyKeyTableBuildsNoAccelerators) {
    CMainFrame* frame = Start("[Option]\nOption1=2\n[Accel]\nNumber=0\n");
    EXPECT_EQ(frame->Accelerators(), nullptr);
    EXPECT_EQ(frame->Menus()->Action(ID_COPY)->text(), QString::fromUtf8("コピー(&C)"));
    Stop();
}

TEST(CommandLine, FileIsTheFirstArgumentThatIsNoOption) {
    EXPECT_EQ(CKIVRANApp::FileArgument({}), "");
    EXPECT_EQ(CKIVRANApp::FileArgument({"--lang", "a.bin"}), "a.bin");
    EXPECT_EQ(CKIVRANApp::FileArgument({"/x/my file.bin", "more"}), "/x/my file.bin");
    EXPECT_EQ(CKIVRANApp::FileArgument({"--", "-dash.bin"}), "-dash.bin");
}

} // namespace

namespace {

TEST_F(StartupTest, DroppedFilesOpenTheFirstHereAndStartOthersInNewProcesses) {
    // A stand-in for the executable records how it was started.
    const std::string log = env.exeDir + "/started.log";
    TestEnvironment::WriteFile(env.exeDir + "/kivran", "#!/bin/sh\necho \"$PWD|$*\" >> '" + log + "'\n");
    std::system(("chmod +x '" + env.exeDir + "/kivran'").c_str());
    const std::string a = env.exeDir + "/a.bin", b = env.exeDir + "/b c.bin", c = env.exeDir + "/c.bin";
    for (const std::string& p : {a, b, c}) {
        TestEnvironment::WriteFile(p, "1234");
    }
    CMainFrame* frame = Start(kStarted);
    frame->DropFiles({QString::fromStdString(a), QString::fromStdString(b), QString::fromStdString(c)});
    EXPECT_EQ(frame->Store().FilePath(), a);
    QTRY_VERIFY_WITH_TIMEOUT(QString::fromStdString(TestEnvironment::ReadFile(log)).count('\n') == 2, 10000);
    const QString started = QString::fromStdString(TestEnvironment::ReadFile(log));
    EXPECT_TRUE(started.contains(QString::fromStdString(env.exeDir + "|" + b))) << started.toStdString();
    EXPECT_TRUE(started.contains(QString::fromStdString(env.exeDir + "|" + c))) << started.toStdString();
    Stop();
}

TEST(DisplayFont, MissingWindowsFaceFallsBackToFixedPitchWithJapaneseGlyphs) {
    EnsureApp();
    LogFont d = KivranSettings::DefaultDisplayFont();
    QFont font = CMainFrame::FontFromDescription(d);
    QFontInfo info(font);
    // Every single-byte character has the same advance (CJK faces report "dual" spacing, so the advances are
    // what shows a fixed-pitch face).
    QFontMetrics fm(font);
    for (const char* c : {"W", "i", ".", "m", "0", "A"}) {
        EXPECT_EQ(fm.horizontalAdvance(c), fm.horizontalAdvance("0"))
            << c << " " << info.family().toStdString();
    }
    EXPECT_TRUE(fm.inFontUcs4(0x3042)) << info.family().toStdString(); // HIRAGANA A
    EXPECT_EQ(font.pixelSize(), 16);
}

} // namespace
