#include "FrameFixture.h"

#include "settings/CKeyTable.h"
#include "settings/CTextTable.h"
#include "settings/CommandIds.h"
#include "view/CCmdRadioButton.h"
#include "view/CColorStsBar.h"
#include "view/CDataPainter.h"
#include "view/CDataView.h"
#include "view/CMainFrame.h"
#include "view/CMyDialogBar.h"

#include <QInputMethodEvent>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

// Typing and editing through real key events on the data area of a window.
class EditingKeysTest : public FrameFixture {};

TEST_F(EditingKeysTest, HexDigitsOverwriteAndEachDigitIsOneUndoStep) {
    Open({0xFF, 0xFF});
    Type("4");
    EXPECT_EQ(Data(), (Bytes{0x04, 0xFF}));
    EXPECT_EQ(Cursor(), 0u);
    Type("1");
    EXPECT_EQ(Data(), (Bytes{0x41, 0xFF}));
    EXPECT_EQ(Cursor(), 1u);
    EXPECT_TRUE(frame->windowTitle().endsWith(" *"));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Data(), (Bytes{0x04, 0xFF}));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Data(), (Bytes{0xFF, 0xFF}));
}

TEST_F(EditingKeysTest, InsertModeInsertsOneByteForTwoDigits) {
    Open({0, 1, 2, 3, 4, 5, 6});
    for (int i = 0; i < 5; ++i) {
        Key(Qt::Key_Right);
    }
    QTest::keyRelease(frame->DataView(), Qt::Key_Insert);
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneInsert), "INS");
    Type("D");
    EXPECT_EQ(Data(), (Bytes{0, 1, 2, 3, 4, 0x0D, 5, 6}));
    Type("2");
    EXPECT_EQ(Data(), (Bytes{0, 1, 2, 3, 4, 0xD2, 5, 6}));
    EXPECT_EQ(Cursor(), 6u);
}

TEST_F(EditingKeysTest, TypingAtTheEndAppendsEvenInOverwriteMode) {
    Open({1, 2});
    Key(Qt::Key_End);
    Type("ab");
    EXPECT_EQ(Data(), (Bytes{1, 2, 0xAB}));
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneSize), "3 bytes");
}

TEST_F(EditingKeysTest, BackspaceAtZeroDoesNothingAndDeleteAsksFirst) {
    Open({1, 2, 3, 4, 5});
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Data().size(), 5u);
    EXPECT_TRUE(prompt.questions.isEmpty());
    prompt.yesNoCancelAnswer = CUserPrompt::Cancel;
    Key(Qt::Key_Delete);
    EXPECT_EQ(prompt.questions, QStringList{"Really delete it ?"});
    EXPECT_EQ(Data().size(), 5u);
    prompt.yesNoCancelAnswer = CUserPrompt::Ok;
    Key(Qt::Key_Right);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Data(), (Bytes{2, 3, 4, 5}));
}

TEST_F(EditingKeysTest, DeleteIn2BytesRemovesAWholeUnitThenTheLastByte) {
    Open({1, 2, 3, 4, 5});
    frame->Settings().optionFlags |= 1; // no confirmation
    QTest::mousePress(frame->SizeTypeBar()->SizeButton(1), Qt::LeftButton);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Data(), (Bytes{3, 4, 5}));
    Key(Qt::Key_Right);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Data(), (Bytes{3, 4}));
}

TEST_F(EditingKeysTest, PasteOverASelectionNeedsTwoUndos) {
    Open({1, 2, 3, 10, 11, 12, 13, 14});
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(frame->CopyBlock().IsOpen());
    Key(Qt::Key_Escape);
    Key(Qt::Key_Home);
    for (int i = 0; i < 3; ++i) {
        Key(Qt::Key_Right);
    }
    for (int i = 0; i < 5; ++i) {
        Key(Qt::Key_Right, Qt::ShiftModifier);
    }
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Data(), (Bytes{1, 2, 3, 1, 2, 3}));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Data(), (Bytes{1, 2, 3}));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Data(), (Bytes{1, 2, 3, 10, 11, 12, 13, 14}));
}

TEST_F(EditingKeysTest, ViewOnlyDataIgnoresTypingAndTheInsertKey) {
    const std::string path = env.exeDir + "/big.bin";
    TestEnvironment::WriteFile(path, std::string(64, '\x11'));
    frame->Settings().maxFileSizeForMemory = 10;
    frame->Store().SetSettings([&] {
        DataSourceSettings s = frame->Store().Settings();
        s.maxFileSizeForMemory = 10;
        return s;
    }());
    frame->OpenFile(QString::fromStdString(path), false);
    ASSERT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneMemory), "DIRECT");
    prompt.messages.clear();
    Type("12");
    QTest::keyRelease(frame->DataView(), Qt::Key_Insert);
    EXPECT_EQ(Data()[0], 0x11);
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(frame->Settings().insertMode, 0);
}

TEST_F(EditingKeysTest, SelectAllSelectsEverythingAndKeepsTheCursor) {
    Open(Bytes(10, 7));
    Key(Qt::Key_Right);
    frame->OnCommand(ID_SELECT_ALL);
    const PaneSelection& s = frame->Store().Pane(0);
    EXPECT_EQ(std::min(s.selAnchor, s.selEnd), 0u);
    EXPECT_EQ(std::max(s.selAnchor, s.selEnd), 10u);
    EXPECT_EQ(Cursor(), 1u);
}

TEST_F(EditingKeysTest, TextTypingInUnicodeWritesUtf16) {
    Open(Bytes(4, 0));
    QTest::mousePress(frame->SizeTypeBar()->TypeButton(5), Qt::LeftButton); // TEXT
    frame->OnCommand(ID_CHARSET_UNICODE);
    Type("A");
    EXPECT_EQ(Data(), (Bytes{0x41, 0x00, 0, 0}));
    EXPECT_EQ(Cursor(), 2u);
}

TEST_F(EditingKeysTest, MarksFollowInsertionsAndAreVisited) {
    Open(Bytes(64, 0));
    for (int i = 0; i < 10; ++i) {
        Key(Qt::Key_Right);
    }
    frame->OnCommand(ID_MARK_TOGGLE);
    for (int i = 0; i < 10; ++i) {
        Key(Qt::Key_Right);
    }
    frame->OnCommand(ID_MARK_TOGGLE);
    EXPECT_EQ(frame->Store().Marks(), (std::vector<uint32_t>{10, 20}));
    Key(Qt::Key_Home, Qt::ControlModifier);
    frame->OnCommand(ID_MARK_NEXT);
    EXPECT_EQ(Cursor(), 10u);
    frame->OnCommand(ID_MARK_NEXT);
    EXPECT_EQ(Cursor(), 20u);
    frame->OnCommand(ID_MARK_PREV);
    EXPECT_EQ(Cursor(), 10u);
    frame->OnCommand(ID_MARK_REMOVE_ALL);
    EXPECT_TRUE(frame->Store().Marks().empty());
}

TEST_F(EditingKeysTest, OffsetJumpFailureBeeps) {
    Open({0x10, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    frame->OnCommand(ID_OFFSET_2BYTE_ABS);
    EXPECT_EQ(Cursor(), 0x10u);
    frame->OnCommand(ID_JUMP_TOP);
    frame->OnCommand(ID_BIG_ENDIAN);
    frame->OnCommand(ID_OFFSET_2BYTE_ABS); // 0x1000 is beyond the data
    EXPECT_EQ(Cursor(), 0u);
    EXPECT_EQ(prompt.beeps, 1);
}

} // namespace

namespace {

class EmptyDataTest : public FrameFixture {};

// Every key and command on an empty buffer and on a one-byte file leaves a consistent state.
TEST_F(EmptyDataTest, KeysAndCommandsOnEmptyAndTinyData) {
    frame->Settings().optionFlags |= 1;
    for (size_t size : {size_t(0), size_t(1)}) {
        Open(Bytes(size, 0x5A));
        for (Qt::Key key :
             {Qt::Key_End, Qt::Key_Right, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Up,
              Qt::Key_Left, Qt::Key_Home, Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Escape}) {
            Key(key);
            Key(key, Qt::ShiftModifier);
        }
        for (int command : {ID_JUMP_TOP, ID_JUMP_END, ID_MARK_TOGGLE, ID_MARK_NEXT, ID_MARK_PREV,
                            ID_SELECT_ALL, ID_OFFSET_4BYTE_ABS, ID_VIEW_2_WINDOW, ID_VIEW_CHANGE_WINDOW,
                            ID_VIEW_2_WINDOW, ID_UNDO, ID_REDO, ID_COPY, ID_SEARCH_FORWARD}) {
            frame->OnCommand(command);
        }
        EXPECT_LE(Cursor(), frame->Store().GetDataSize());
        EXPECT_LE(std::max(Pane().selAnchor, Pane().selEnd), frame->Store().GetDataSize());
    }
    // Typing into the empty buffer appends.
    frame->OnCommand(ID_FILE_NEW);
    Type("7f");
    EXPECT_EQ(Data(), (Bytes{0x7F}));
}

} // namespace

namespace {

class InputMethodTest : public FrameFixture {};

// Japanese text committed by the input method is written as code page 932 pairs in TEXT display.
TEST_F(InputMethodTest, CommittedTextIsWrittenAsDoubleBytePairs) {
    Open(Bytes(6, 0));
    QTest::mousePress(frame->SizeTypeBar()->TypeButton(5), Qt::LeftButton); // TEXT
    QInputMethodEvent event;
    event.setCommitString(QString::fromUtf8("あA"));
    QApplication::sendEvent(View(), &event);
    EXPECT_EQ(Data(), (Bytes{0x82, 0xA0, 0x41, 0, 0, 0}));
    EXPECT_EQ(Cursor(), 3u);
    // The input method places its window at the caret.
    const QRect caret = static_cast<QWidget*>(View())->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(caret, View()->CaretRect());
}

} // namespace

namespace {

class ToolBarStateTest : public FrameFixture {
protected:
    QAction* Tool(int command) {
        for (QAction* a : frame->ToolBar()->actions()) {
            if (a->data().toInt() == command) {
                return a;
            }
        }
        return nullptr;
    }
};

// The tool bar buttons are enabled exactly when their commands can run, without opening a menu first.
TEST_F(ToolBarStateTest, ButtonsFollowEditsAndUndo) {
    Open({1, 2});
    ASSERT_NE(Tool(ID_UNDO), nullptr);
    EXPECT_FALSE(Tool(ID_UNDO)->isEnabled());
    EXPECT_FALSE(Tool(ID_FILE_SAVE)->isEnabled());
    EXPECT_FALSE(Tool(ID_COPY)->isEnabled());
    Type("41");
    QApplication::processEvents();
    EXPECT_TRUE(Tool(ID_UNDO)->isEnabled());
    EXPECT_TRUE(Tool(ID_FILE_SAVE)->isEnabled());
    Key(Qt::Key_Right, Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_TRUE(Tool(ID_COPY)->isEnabled());
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_FALSE(Tool(ID_UNDO)->isEnabled());
}

} // namespace
