#include "FrameFixture.h"

#include "app/CKIVRANApp.h"
#include "options/COptionController.h"
#include "options/COptionPage1.h"
#include "options/COptionPage2.h"
#include "options/COptionPage3.h"
#include "options/COptionPage4.h"
#include "options/COptionSample.h"
#include "options/COptionSheet.h"
#include "options/COptionSpinBox.h"
#include "settings/CTextTable.h"
#include "settings/CommandIds.h"
#include "view/CColoredValueDlg.h"
#include "view/CMenuBuilder.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <functional>
#include <unistd.h>

namespace {

using Drive = std::function<void(COptionSheet&)>;

// Opens the option sheet through its command, shown and active, and lets the test work it from the
// keyboard; the drive ends the sheet (Return, Esc) or leaves it open for the test to look at.
int RunOptions(CMainFrame& frame, const Drive& drive, const Drive& whileOpen = nullptr) {
    int result = -1;
    frame.Options().SetSheetRunner([&](COptionSheet& sheet) {
        sheet.show();
        QApplication::setActiveWindow(&sheet);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&sheet));
        drive(sheet);
        if (sheet.isVisible() && whileOpen) {
            whileOpen(sheet);
        }
        if (sheet.isVisible()) {
            sheet.reject();
        }
        result = sheet.result();
        return result;
    });
    frame.OnCommand(ID_OPTION);
    QApplication::processEvents();
    return result;
}

void Press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(target, key, mods);
}

// Focus and keys go where the user's would: to the widget with the focus.
void PressOnFocus(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, key, mods);
}

QString MenuText(CMainFrame& frame, int command) {
    return frame.Menus()->Action(command)->text();
}

class OptionSheetTest : public FrameFixture {};

TEST_F(OptionSheetTest, CtrlOAssignedToSaveOnTheKeycodePageSavesAtOnce) {
    Open({0x10, 0x20, 0x30});
    const int result = RunOptions(*frame, [](COptionSheet& sheet) {
        // Ctrl+Tab from tab to tab, whatever has the focus, to the fourth page.
        for (int i = 0; i < 3; ++i) {
            PressOnFocus(Qt::Key_Tab, Qt::ControlModifier);
        }
        ASSERT_EQ(sheet.Tabs()->currentWidget(), sheet.Keycode());
        COptionPage4* page = sheet.Keycode();
        // The focus is on "Alt(&A)"; the next box is "Ctrl(&C)".
        PressOnFocus(Qt::Key_Tab);
        PressOnFocus(Qt::Key_Space);
        ASSERT_TRUE(page->ctrl->isChecked());
        ASSERT_EQ(page->keyList->count(), 70);
        page->keyList->setFocus();
        QTest::keyClicks(page->keyList, "O");
        ASSERT_EQ(page->keyList->selectedItems().size(), 1);
        ASSERT_EQ(page->keyList->selectedItems().front()->text(), "O");
        // The key's binding is shown: File, "&Open", and its keys.
        EXPECT_EQ(page->groupList->currentIndex(), 0);
        EXPECT_EQ(page->commandList->currentItem()->text(), "&Open");
        EXPECT_EQ(page->currentKeys->text(), "Ctrl+O");
        page->commandList->setFocus();
        Press(page->commandList, Qt::Key_Down);
        EXPECT_EQ(page->commandList->currentItem()->text(), "&Save");
        EXPECT_EQ(page->currentKeys->text(), "Ctrl+O,Ctrl+S");
        PressOnFocus(Qt::Key_Return);
    });
    ASSERT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(MenuText(*frame, ID_FILE_OPEN), "&Open");
    EXPECT_EQ(MenuText(*frame, ID_FILE_SAVE), "&Save\tCtrl+O,Ctrl+S");

    Type("FF");
    ASSERT_TRUE(frame->Store().IsModified());
    Key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_FALSE(frame->Store().IsModified()) << "Ctrl+O saved";
    EXPECT_EQ(TestEnvironment::ReadFile(env.exeDir + "/data.bin"), std::string("\xFF\x20\x30", 3));
}

TEST_F(OptionSheetTest, NotSpecifiedRemovesABindingAndACursorCommandTakesAKey) {
    Open(64);
    const int result = RunOptions(*frame, [](COptionSheet& sheet) {
        sheet.Tabs()->setCurrentWidget(sheet.Keycode());
        COptionPage4* page = sheet.Keycode();
        page->ctrl->click();
        page->keyList->setFocus();
        QTest::keyClicks(page->keyList, "J");
        ASSERT_EQ(page->commandList->currentItem()->text(), "&Jump to");
        page->groupList->setFocus();
        Press(page->groupList, Qt::Key_Home); // File
        ASSERT_EQ(page->commandList->count(), 11);
        page->commandList->setFocus();
        // Entering the list makes its first entry current; Space chooses it: "Not specified".
        Press(page->commandList, Qt::Key_Home);
        Press(page->commandList, Qt::Key_Space);
        EXPECT_EQ(page->currentKeys->text(), "");
        // Ctrl+E: the Cursor group, "Up".
        page->keyList->setCurrentItem(page->keyList->findItems("E", Qt::MatchExactly).value(0));
        EXPECT_EQ(page->commandList->currentItem()->text(), "Not specified");
        page->groupList->setFocus();
        page->groupList->setCurrentIndex(3);
        ASSERT_EQ(page->commandList->count(), 8);
        EXPECT_TRUE(page->commandList->selectedItems().isEmpty());
        page->commandList->setCurrentRow(2);
        EXPECT_EQ(page->currentKeys->text(), "Ctrl+E");
        PressOnFocus(Qt::Key_Return);
    });
    ASSERT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(frame->Accelerators()->CommandForKey(0x09, 'J'), 0);
    EXPECT_EQ(MenuText(*frame, ID_JUMP_TO), "&Jump to");
    frame->MoveCursorTo(40);
    Key(Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(Cursor(), 24u) << "Ctrl+E moves up one row of 16";
}

TEST_F(OptionSheetTest, OnlyAColourChangedRepaintsWithItAndLeavesTheMenusAlone) {
    Open(64);
    frame->Menus()->Action(ID_COPY)->setText("marker");
    const uint32_t kNewBack = 0x203040; // 0x00BBGGRR
    const int result = RunOptions(*frame, [&](COptionSheet& sheet) {
        sheet.View()->SetColorChooser([&](uint32_t, uint32_t& chosen) {
            chosen = kNewBack;
            return true;
        });
        sheet.Tabs()->setCurrentWidget(sheet.View());
        sheet.View()->backButtons[0]->click();
        EXPECT_EQ(sheet.View()->samples[0]->Background(), QColor(0x40, 0x30, 0x20));
        PressOnFocus(Qt::Key_Return);
    });
    ASSERT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(frame->Settings().bkColor[0], kNewBack);
    EXPECT_EQ(MenuText(*frame, ID_COPY), "marker") << "not relabelled";
    const QImage image = View()->grab().toImage();
    bool found = false;
    for (int y = 0; y < image.height() && !found; y += 2) {
        for (int x = 0; x < image.width() && !found; x += 2) {
            found = image.pixelColor(x, y) == QColor(0x40, 0x30, 0x20);
        }
    }
    EXPECT_TRUE(found) << "the data is drawn on the new background";

    // The language relabels at once.
    ASSERT_EQ(RunOptions(*frame,
                         [](COptionSheet& sheet) {
                             sheet.General()->japanese->click();
                             PressOnFocus(Qt::Key_Return);
                         }),
              QDialog::Accepted);
    EXPECT_EQ(MenuText(*frame, ID_COPY), QString::fromUtf8("コピー(&C)\tCtrl+Ins,Ctrl+C"));
    EXPECT_EQ(frame->Menus()->TopMenu(0)->title(), QString::fromUtf8("ファイル(&F)"));
    CTextTable::SetLanguage(1);
}

TEST_F(OptionSheetTest, ValuesOutOfRangeKeepTheSheetOpenOnTheirPage) {
    struct Case {
        int page;
        const char* field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {0, "maxUndoSize", "100", "Please enter an integer between 4096 and 4294967295."},
        {0, "maxUndoSize", "4096x", "Please enter an integer."},
        {1, "precision", "0", "Please enter an integer between 1 and 15."},
        {1, "precision", "16", "Please enter an integer between 1 and 15."},
        {2, "elapse", "-5", "Please enter an integer between 0 and 2147483647."},
    };
    for (const Case& c : cases) {
        prompt.messages.clear();
        const int result = RunOptions(
            *frame,
            [&](COptionSheet& sheet) {
                auto* field = sheet.findChild<QWidget*>(c.field);
                ASSERT_NE(field, nullptr) << c.field;
                sheet.Tabs()->setCurrentIndex(c.page);
                // The period belongs to the library and shared-memory modes.
                if (c.page == 2) {
                    sheet.Important()->dllMode->click();
                }
                if (auto* edit = qobject_cast<QLineEdit*>(field)) {
                    edit->setText(c.text);
                } else {
                    auto* spin = qobject_cast<QSpinBox*>(field);
                    spin->setFocus();
                    spin->selectAll();
                    QTest::keyClicks(spin, c.text);
                }
                sheet.Tabs()->setCurrentIndex(3);
                sheet.OkButton()->setFocus();
                PressOnFocus(Qt::Key_Return);
            },
            [&](COptionSheet& sheet) {
                EXPECT_EQ(sheet.Tabs()->currentIndex(), c.page) << c.field << " " << c.text;
                QWidget* focus = QApplication::focusWidget();
                auto* field = sheet.findChild<QWidget*>(c.field);
                EXPECT_TRUE(focus == field || (focus && field->isAncestorOf(focus))) << c.field;
            });
        EXPECT_EQ(result, QDialog::Rejected) << c.field << " " << c.text;
        ASSERT_EQ(prompt.messages.size(), 1) << c.field << " " << c.text;
        EXPECT_EQ(prompt.messages[0], c.message);
    }
    EXPECT_EQ(frame->Settings().maxUndoSize, 1000000);
    EXPECT_EQ(frame->Settings().floatPrecision, 3);

    // The lowest undo size is accepted; Esc discards what was entered.
    ASSERT_EQ(RunOptions(*frame,
                         [](COptionSheet& sheet) {
                             sheet.General()->maxUndoSize->setText("4096");
                             PressOnFocus(Qt::Key_Return);
                         }),
              QDialog::Accepted);
    EXPECT_EQ(frame->Settings().maxUndoSize, 4096);
    ASSERT_EQ(RunOptions(*frame,
                         [](COptionSheet& sheet) {
                             sheet.General()->maxUndoSize->setText("8192");
                             sheet.General()->messageOnDelete->click();
                             PressOnFocus(Qt::Key_Escape);
                         }),
              QDialog::Rejected);
    EXPECT_EQ(frame->Settings().maxUndoSize, 4096);
    EXPECT_EQ(frame->Settings().optionFlags & 1, 0);
}

TEST_F(OptionSheetTest, AModeChangeClearsMarksAndOkInDllModeReloadsTheLibrary) {
    const std::string library = std::string(KIVRAN_LIB_DIR) + "/libkvrdll.so";
    ASSERT_EQ(::access(library.c_str(), R_OK), 0) << library << " missing: build the kvrdll target";
    Open(64);
    frame->Store().AddMark(3);
    frame->Differences().Add(5);
    const int result = RunOptions(*frame, [&](COptionSheet& sheet) {
        COptionPage2* page = sheet.Important();
        sheet.Tabs()->setCurrentWidget(page);
        EXPECT_FALSE(page->dllGroup->isEnabled());
        page->dllMode->click();
        EXPECT_TRUE(page->dllGroup->isEnabled());
        EXPECT_FALSE(page->mmfGroup->isEnabled());
        page->dllFileName->setText(QString::fromStdString(library));
        page->dllMemorySize->setText("64");
        page->dllSymbolFile->clear();
        PressOnFocus(Qt::Key_Return);
    });
    ASSERT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(frame->Store().Mode(), CDataStore::kModeDll);
    EXPECT_TRUE(frame->Store().Library().IsLoaded());
    EXPECT_TRUE(frame->Store().Marks().empty());
    EXPECT_TRUE(frame->Differences().Empty());
    EXPECT_FALSE(frame->Store().HasDataBlock()) << "the file buffer is gone";
    EXPECT_EQ(frame->Store().GetDataSize(), 64u);

    // The library's memory starts as its offsets; a write stays until the library is loaded again.
    const unsigned char written = 0xAA;
    ASSERT_EQ(frame->Store().WriteData(7, &written, 1, 0, 0), 1u);
    frame->Differences().Add(9);
    ASSERT_EQ(RunOptions(*frame, [](COptionSheet&) { PressOnFocus(Qt::Key_Return); }), QDialog::Accepted);
    unsigned char byte = 0;
    ASSERT_EQ(frame->Store().ReadData(7, &byte, 1), 1u);
    EXPECT_EQ(byte, 7) << "OK loaded the library again although nothing changed";
    EXPECT_FALSE(frame->Differences().Empty()) << "the mode did not change";

    // Back to file mode: no refresh, the library let go.
    ASSERT_EQ(RunOptions(*frame,
                         [](COptionSheet& sheet) {
                             sheet.Important()->fileMode->click();
                             PressOnFocus(Qt::Key_Return);
                         }),
              QDialog::Accepted);
    EXPECT_EQ(frame->Store().Mode(), CDataStore::kModeFile);
    EXPECT_FALSE(frame->Store().Library().IsLoaded());
    EXPECT_TRUE(frame->Differences().Empty());
}

// Everything the pages hold survives OK and a restart of the program, here with the settings moved to the
// per-user typed store on the way.
TEST(OptionSettingsTest, WhatTheSheetChangedIsThereAfterARestart) {
    EnsureApplication();
    TestEnvironment env;
    FakePrompt prompt;
    env.WriteIni("[Option]\nOption1=2\nLanguage=1\n");
    ColorValueRecord strong;
    {
        CKIVRANApp app;
        ASSERT_TRUE(app.InitInstance({}, &prompt));
        CMainFrame& frame = *app.MainFrame();
        const int result = RunOptions(frame, [&](COptionSheet& sheet) {
            COptionPage3* general = sheet.General();
            general->messageOnDelete->click();
            general->maxFileSize->setText("123456");
            general->maxUndoSize->setText("8192");
            general->useRegistry->click();
            general->macroDir->setText("/tmp/macros");
            general->dynamicMark->click();
            COptionPage1* view = sheet.View();
            view->SetColorChooser([](uint32_t, uint32_t& chosen) {
                chosen = 0x112233;
                return true;
            });
            view->charButtons[5]->click();
            view->precision->setValue(7);
            view->SetValueDialog([](CColoredValueDlg& dialog) {
                dialog.Field(0)->setText("4*");
                dialog.Field(1)->setText("7F");
                dialog.accept();
                return dialog.result() == QDialog::Accepted;
            });
            view->addButton->click();
            EXPECT_EQ(view->strongList->count(), 1);
            EXPECT_EQ(view->strongSample->Text(), "4* 7F");
            COptionPage2* important = sheet.Important();
            important->readFuncName->setText("MYREAD");
            important->mmfMemorySize->setText("4096");
            important->elapse->setText("250");
            COptionPage4* keys = sheet.Keycode();
            keys->alt->click();
            keys->keyList->setCurrentRow(0); // Alt+F1
            keys->groupList->setCurrentIndex(7);
            keys->commandList->setCurrentRow(1); // "&Version"
            PressOnFocus(Qt::Key_Return);
        });
        ASSERT_EQ(result, QDialog::Accepted);
        ASSERT_EQ(frame.Settings().strongData.size(), 1u);
        strong = frame.Settings().strongData[0];
        frame.close();
        app.ExitInstance();
    }
    CKIVRANApp again;
    ASSERT_TRUE(again.InitInstance({}, &prompt));
    const KivranSettings& s = again.MainFrame()->Settings();
    EXPECT_EQ(CKIVRANApp::UseRegistry(), 1);
    EXPECT_EQ(s.optionFlags & 0x21, 0x21);
    EXPECT_EQ(s.maxFileSizeForMemory, 123456);
    EXPECT_EQ(s.maxUndoSize, 8192);
    EXPECT_EQ(s.macroDir, "/tmp/macros");
    EXPECT_EQ(s.textColor[5], 0x112233u);
    EXPECT_EQ(s.floatPrecision, 7);
    ASSERT_EQ(s.strongData.size(), 1u);
    EXPECT_EQ(s.strongData[0].value, strong.value);
    EXPECT_EQ(s.strongData[0].mask, 0xFFFFFFF0u) << "the low digit of byte 0 is open";
    EXPECT_EQ(s.strongData[0].size, 2);
    EXPECT_EQ(s.readFuncName, "MYREAD");
    EXPECT_EQ(s.mmfMemorySize, 4096);
    EXPECT_EQ(s.elapse, 250);
    EXPECT_EQ(s.keyTable.size(), 17u);
    EXPECT_EQ(CKeyTable(s.keyTable).CommandForKey(0x11, 0x70), ID_APP_ABOUT);
    EXPECT_EQ(again.MainFrame()->Menus()->Action(ID_APP_ABOUT)->text(), "&Version\tAlt+F1");
    again.MainFrame()->close();
    again.ExitInstance();
    CKIVRANApp::SetUseRegistry(0);
}

} // namespace
