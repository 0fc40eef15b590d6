#include "FakePrompt.h"

#include "data/CDataStore.h"
#include "data/CDataStoreListener.h"
#include "data/ValueParse.h"
#include "settings/CTextTable.h"
#include "view/CRepDlg.h"
#include "view/CSearchController.h"
#include "view/CSrcDlg.h"
#include "view/ISearchHost.h"

#include "TestApplication.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
constexpr uint64_t kNoMark = 0xFFFFFFFF;

// Counts what the window would be told, so that a test sees whether changes reached it.
class CountingListener : public CDataStoreListener {
public:
    void OnBytesChanged(uint64_t, uint64_t) override { ++changes; }
    void OnSizeChanged(uint64_t) override { ++changes; }
    int changes = 0;
};

// The window as the dialogs see it, over a real data store.
class FakeSearchHost : public ISearchHost {
public:
    FakeSearchHost() { store.SetListener(&listener); }

    CDataStore& Store() override { return store; }
    CDataStoreListener* StoreListener() override { return &listener; }
    CUserPrompt& Prompt() override { return prompt; }
    QWidget* DialogWindow() override { return nullptr; }
    int LittleEndian() const override { return littleEndian; }
    int CharSet() const override { return charSet; }
    int SizeIndex() const override { return sizeIndex; }
    int TypeIndex() const override { return typeIndex; }
    int Language() const override { return language; }
    void MoveCursorTo(uint64_t offset) override {
        Cursor() = offset;
        if (mark != kNoMark) {
            mark = offset;
        }
    }
    void ShowDialogCursorMark(bool shown) override { mark = shown ? Cursor() : kNoMark; }
    void JumpTop() override { MoveCursorTo(0); }
    void JumpEnd() override { MoveCursorTo(store.GetDataSize()); }
    void RefreshAfterReplace() override { ++refreshes; }
    void DeferRepaints(bool value) override {
        deferred = value;
        deferCalls.push_back(value);
    }

    uint64_t& Cursor() { return store.Pane(store.CurrentPane()).cursor; }
    void Load(const Bytes& bytes) {
        store.NewBuffer();
        ASSERT_EQ(store.InsertData(0, bytes.data(), bytes.size(), 0, 0), 1);
    }
    Bytes Contents() const {
        Bytes bytes(store.GetDataSize());
        store.ReadData(0, bytes.data(), bytes.size());
        return bytes;
    }

    CDataStore store;
    CountingListener listener;
    FakePrompt prompt;
    int littleEndian = 1;
    int charSet = 0;
    int sizeIndex = 0;
    int typeIndex = 1; // HEX
    int language = 1;
    uint64_t mark = kNoMark;
    int refreshes = 0;
    bool deferred = false;
    std::vector<bool> deferCalls;
};

template <typename T> T* Child(QWidget* dialog, const char* name) {
    T* child = dialog->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

void Click(QWidget* dialog, const char* button) {
    QTest::mouseClick(Child<QPushButton>(dialog, button), Qt::LeftButton);
}

void ChooseTypeWithKeys(QWidget* dialog, int inputType) {
    QListWidget* list = Child<QListWidget>(dialog, "typeList");
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < inputType; ++i) {
        QTest::keyClick(list, Qt::Key_Down);
    }
    ASSERT_EQ(list->currentRow(), inputType);
}

class SearchDialogTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
    FakeSearchHost host;
    CSearchHistory history;
};

TEST_F(SearchDialogTest, SearchFollowsTheCursorBothWaysWithoutWrappingAndOkClosesAfterSearching) {
    host.Load({0x00, 0x34, 0x12, 0x00, 0x34, 0x12, 0x00, 0x34, 0x12});
    CSrcDlg dialog(host, history);
    dialog.show();
    EXPECT_EQ(host.mark, 0u) << "the cursor is marked while the dialog is open";
    QTest::keyClicks(dialog.SearchCombo()->lineEdit(), "1234");
    Click(&dialog, "forwardButton");
    EXPECT_EQ(host.Cursor(), 1u);
    Click(&dialog, "forwardButton");
    Click(&dialog, "forwardButton");
    EXPECT_EQ(host.Cursor(), 7u);
    Click(&dialog, "forwardButton");
    EXPECT_EQ(host.Cursor(), 7u) << "no wrap-around";
    Click(&dialog, "backwardButton");
    EXPECT_EQ(host.Cursor(), 4u);
    EXPECT_EQ(host.mark, 4u);
    ASSERT_EQ(history.Entries().size(), 1u);
    EXPECT_EQ(history.Entries()[0].text, "1234");
    EXPECT_EQ(history.Entries()[0].inputType, kInputHex);

    QTest::keyClick(dialog.SearchCombo()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(host.Cursor(), 7u) << "OK searches forward";
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(host.mark, kNoMark);
    EXPECT_TRUE(host.prompt.messages.isEmpty());
}

TEST_F(SearchDialogTest, HistoryIsOfferedMostRecentFirstAndPickingAnEntryPicksItsType) {
    host.Load({0x41, 0x00, 0x07, 0x00, 0x41, 0x00});
    host.charSet = 1;
    history.Remember("7", kInputShort);
    history.Remember("A", kInputText);
    CSrcDlg dialog(host, history);
    dialog.show();
    EXPECT_EQ(dialog.SearchCombo()->currentText(), "A");
    EXPECT_EQ(dialog.SelectedInputType(), kInputText) << "the first entry's type, not the display's";
    Click(&dialog, "forwardButton");
    EXPECT_EQ(host.Cursor(), 4u) << "A as the UTF-16 unit 41 00";

    QTest::keyClick(dialog.SearchCombo(), Qt::Key_Down);
    EXPECT_EQ(dialog.SearchCombo()->currentText(), "7");
    EXPECT_EQ(dialog.SelectedInputType(), kInputShort);
    Click(&dialog, "backwardButton");
    EXPECT_EQ(host.Cursor(), 2u);
    ASSERT_EQ(history.Entries().size(), 2u);
    EXPECT_EQ(history.Entries()[0].text, "7") << "the picked entry moved to the front";
    EXPECT_EQ(history.Entries()[0].inputType, kInputShort);
}

TEST_F(SearchDialogTest, ParseErrorsWarnAndKeepTheDialogOpenWhileOkAlwaysCloses) {
    host.Load({1, 2, 3});
    CSrcDlg dialog(host, history);
    dialog.show();
    QTest::keyClicks(dialog.SearchCombo()->lineEdit(), QString(33, '1'));
    Click(&dialog, "forwardButton");
    ASSERT_EQ(host.prompt.messages.size(), 1);
    EXPECT_EQ(host.prompt.messages[0], "Too many charactor");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(history.IsEmpty());

    dialog.SearchCombo()->setEditText(
        QString::fromUtf8("\xE2\x82\xAC")); // the euro sign: no code page 932 form
    ChooseTypeWithKeys(&dialog, kInputText);
    Click(&dialog, "forwardButton");
    ASSERT_EQ(host.prompt.messages.size(), 2);
    EXPECT_EQ(host.prompt.messages[1], "Find illegal charactor");

    Click(&dialog, "okButton");
    EXPECT_EQ(host.prompt.messages.size(), 3);
    EXPECT_FALSE(dialog.isVisible()) << "OK closes after the message";
    EXPECT_EQ(host.Cursor(), 0u);
}

struct LabelCase {
    int language;
    int charSet;
    const char* title;
    const char* backward;
    const char* cancel;
    const char* textType;
};

TEST_F(SearchDialogTest, LabelsComeFromTheTableInEnglishAndAreBuiltInInJapanese) {
    host.Load({1});
    const LabelCase cases[] = {
        {1, 0, "Search", "Backward", "Cancel", "Text  [ASCII]"},
        {1, 1, "Search", "Backward", "Cancel", "Text  [Unicode]"},
        {0, 0, "検索", "前方検索", "キャンセル", "テキスト  [Shift-JIS]"},
    };
    for (const LabelCase& c : cases) {
        host.language = c.language;
        host.charSet = c.charSet;
        CSrcDlg dialog(host, history);
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(Child<QPushButton>(&dialog, "backwardButton")->text(), QString::fromUtf8(c.backward));
        EXPECT_EQ(Child<QPushButton>(&dialog, "cancelButton")->text(), QString::fromUtf8(c.cancel));
        EXPECT_EQ(Child<QListWidget>(&dialog, "typeList")->item(kInputText)->text(),
                  QString::fromUtf8(c.textType));
    }
}

TEST_F(SearchDialogTest, JumpButtonsMoveTheCursorToTheEnds) {
    host.Load({1, 2, 3, 4});
    host.Cursor() = 2;
    CSrcDlg dialog(host, history);
    dialog.show();
    Click(&dialog, "jumpEndButton");
    EXPECT_EQ(host.Cursor(), 4u);
    EXPECT_EQ(host.mark, 4u);
    Click(&dialog, "jumpTopButton");
    EXPECT_EQ(host.Cursor(), 0u);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(host.mark, kNoMark);
}

TEST_F(SearchDialogTest, ForwardAndBackwardSearchRepeatTheFirstHistoryEntry) {
    host.Load({0x12, 0x00, 0x12, 0x00, 0x12});
    CSearchController controller;
    EXPECT_FALSE(controller.CanRepeatSearch(host));
    EXPECT_FALSE(controller.OnForwardSearch(host));
    controller.History().Remember("12", kInputHex);
    EXPECT_TRUE(controller.CanRepeatSearch(host));
    EXPECT_TRUE(controller.OnForwardSearch(host));
    EXPECT_EQ(host.Cursor(), 2u);
    EXPECT_TRUE(controller.OnForwardSearch(host));
    EXPECT_EQ(host.Cursor(), 4u);
    EXPECT_FALSE(controller.OnForwardSearch(host));
    EXPECT_TRUE(controller.OnBackwardSearch(host));
    EXPECT_EQ(host.Cursor(), 2u);
    controller.History().Remember("300", kInputUnsignedChar);
    EXPECT_FALSE(controller.OnBackwardSearch(host)) << "an entry that does not parse is ignored";
    EXPECT_EQ(host.Cursor(), 2u);
    EXPECT_TRUE(host.prompt.messages.isEmpty());

    host.store.NewBuffer();
    EXPECT_FALSE(controller.CanSearch(host));
    EXPECT_FALSE(controller.CanReplace(host));
}

TEST_F(SearchDialogTest, ReplaceNextWalksThroughTheDataAndBeepsAtTheEnd) {
    host.Load({0, 0, 0});
    CRepDlg dialog(host);
    dialog.show();
    EXPECT_EQ(host.mark, 0u);
    EXPECT_FALSE(Child<QPushButton>(&dialog, "partRepButton")->isEnabled()) << "no selection when opened";
    EXPECT_EQ(dialog.SelectedInputType(), kInputHex);
    QTest::keyClicks(dialog.SearchField(), "00");
    QTest::keyClicks(dialog.ReplaceField(), "FF00"); // little-endian: the bytes 00 FF
    for (int press = 0; press < 3; ++press) {
        Click(&dialog, "forwardButton");
    }
    EXPECT_EQ(host.Contents(), (Bytes{0, 0xFF, 0, 0xFF, 0, 0xFF}));
    EXPECT_EQ(host.Cursor(), 4u);
    EXPECT_EQ(host.prompt.beeps, 0);
    Click(&dialog, "forwardButton");
    EXPECT_EQ(host.prompt.beeps, 1);

    dialog.ReplaceField()->clear();
    QTest::keyClicks(dialog.SearchField(), "FF"); // now "00FF": the bytes FF 00
    Click(&dialog, "backwardButton");
    EXPECT_EQ(host.Contents(), (Bytes{0, 0xFF, 0, 0xFF})) << "an empty replace text deletes";
    uint64_t lastOffset = 0;
    ASSERT_TRUE(host.store.Undo(lastOffset));
    EXPECT_EQ(host.Contents(), (Bytes{0, 0xFF, 0, 0xFF, 0, 0xFF}));
}

TEST_F(SearchDialogTest, ReplaceReportsTheLargerParseError) {
    host.Load({1, 2});
    CRepDlg dialog(host);
    dialog.show();
    ChooseTypeWithKeys(&dialog, kInputUnsignedChar);
    QTest::keyClicks(dialog.SearchField(), "1x");
    QTest::keyClicks(dialog.ReplaceField(), "256");
    Click(&dialog, "forwardButton");
    ASSERT_EQ(host.prompt.messages.size(), 1);
    EXPECT_EQ(host.prompt.messages[0], "Over range");
    EXPECT_EQ(host.Contents(), (Bytes{1, 2}));
}

TEST_F(SearchDialogTest, ReplaceAllBlocksTheDialogUntilFinishedAndIsOneUndoStep) {
    host.Load({0, 0, 0});
    CRepDlg dialog(host);
    dialog.show();
    QTest::keyClicks(dialog.SearchField(), "00");
    QTest::keyClicks(dialog.ReplaceField(), "FF00");
    Click(&dialog, "allButton");
    // The end is reported through the event loop, so the dialog is still replacing here.
    ASSERT_TRUE(dialog.IsReplacing());
    EXPECT_TRUE(host.deferred);
    QPushButton* cancel = Child<QPushButton>(&dialog, "cancelButton");
    EXPECT_EQ(cancel->text(), "STOP");
    EXPECT_TRUE(cancel->isEnabled());
    for (const char* name : {"allButton", "forwardButton", "backwardButton", "okButton", "jumpTopButton"}) {
        EXPECT_FALSE(Child<QPushButton>(&dialog, name)->isEnabled()) << name;
    }
    EXPECT_FALSE(dialog.SearchField()->isEnabled());

    QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsReplacing(), 10000);
    EXPECT_FALSE(host.deferred);
    EXPECT_EQ(host.deferCalls, (std::vector<bool>{true, false}));
    EXPECT_GT(host.listener.changes, 0) << "the window hears of the changes at the end";
    ASSERT_EQ(host.prompt.messages.size(), 1);
    EXPECT_EQ(host.prompt.messages[0], "Replaced : 3");
    EXPECT_EQ(cancel->text(), "Cancel");
    EXPECT_EQ(dialog.windowTitle(), "Replace");
    EXPECT_TRUE(Child<QPushButton>(&dialog, "allButton")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(&dialog, "partRepButton")->isEnabled());
    EXPECT_EQ(host.Contents(), (Bytes{0, 0xFF, 0, 0xFF, 0, 0xFF}));
    uint64_t lastOffset = 0;
    ASSERT_TRUE(host.store.Undo(lastOffset));
    EXPECT_EQ(host.Contents(), (Bytes{0, 0, 0}));
}

TEST_F(SearchDialogTest, PartRepReplacesInTheSelectionAndKeepsItCoveringTheResult) {
    host.Load(Bytes(10, 0xAA));
    PaneSelection& pane = host.store.Pane(0);
    pane.selAnchor = 2;
    pane.selEnd = 6;
    CRepDlg dialog(host);
    dialog.show();
    ASSERT_TRUE(Child<QPushButton>(&dialog, "partRepButton")->isEnabled());
    QTest::keyClicks(dialog.SearchField(), "AA");
    QTest::keyClicks(dialog.ReplaceField(), "BBBB");
    Click(&dialog, "partRepButton");
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsReplacing(), 10000);
    Bytes expected(14, 0xAA);
    std::fill(expected.begin() + 2, expected.begin() + 10, 0xBB);
    EXPECT_EQ(host.Contents(), expected);
    EXPECT_EQ(pane.selAnchor, 2u);
    EXPECT_EQ(pane.selEnd, 10u);
    EXPECT_EQ(host.prompt.messages.value(0), "Replaced : 4");
    EXPECT_TRUE(Child<QPushButton>(&dialog, "partRepButton")->isEnabled());
}

TEST_F(SearchDialogTest, StopKeepsTheReplacementsMadeSoFarAndTheDialogOpen) {
    constexpr size_t kSize = 100000;
    host.Load(Bytes(kSize, 0x00));
    host.store.SetUndoLimit(100000000);
    CRepDlg dialog(host);
    dialog.show();
    QSignalSpy titles(&dialog, &QWidget::windowTitleChanged);
    QTest::keyClicks(dialog.SearchField(), "00");
    QTest::keyClicks(dialog.ReplaceField(), "0201"); // each occurrence grows: the tail moves every time
    Click(&dialog, "allButton");
    ASSERT_TRUE(dialog.IsReplacing());
    // The first progress report comes after the first replacement.
    QTRY_VERIFY_WITH_TIMEOUT(!titles.isEmpty(), 10000);
    QTest::keyClick(&dialog, Qt::Key_Escape); // Esc is the STOP button while replacing
    EXPECT_TRUE(dialog.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsReplacing(), 30000);
    EXPECT_TRUE(dialog.isVisible());

    ASSERT_EQ(host.prompt.messages.size(), 1);
    QString message = host.prompt.messages[0];
    ASSERT_TRUE(message.startsWith("Replaced : "));
    size_t count = message.mid(11).toULongLong();
    EXPECT_GT(count, 0u);
    EXPECT_LT(count, kSize);
    Bytes data = host.Contents();
    ASSERT_EQ(data.size(), kSize + count);
    for (size_t i = 0; i < data.size(); ++i) {
        unsigned char expected = i < 2 * count ? (i % 2 == 0 ? 0x01 : 0x02) : 0x00;
        ASSERT_EQ(data[i], expected) << i;
    }
    for (const QList<QVariant>& title : titles) {
        QString text = title.value(0).toString();
        EXPECT_TRUE(text == "Replace" || QRegularExpression("^Replace - \\d{1,3}%$").match(text).hasMatch())
            << text.toStdString();
    }
    uint64_t lastOffset = 0;
    ASSERT_TRUE(host.store.Undo(lastOffset));
    EXPECT_EQ(host.Contents(), Bytes(kSize, 0x00));
}

TEST_F(SearchDialogTest, ProgressShowsInTheTitle) {
    host.Load(Bytes(20000, 0x00));
    CRepDlg dialog(host);
    dialog.show();
    QSignalSpy titles(&dialog, &QWidget::windowTitleChanged);
    QTest::keyClicks(dialog.SearchField(), "00");
    QTest::keyClicks(dialog.ReplaceField(), "01");
    Click(&dialog, "allButton");
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsReplacing(), 10000);
    QStringList seen;
    for (const QList<QVariant>& title : titles) {
        seen << title.value(0).toString();
    }
    EXPECT_TRUE(seen.contains("Replace - 100%")) << seen.join(", ").toStdString();
    EXPECT_EQ(seen.last(), "Replace");
    EXPECT_EQ(host.prompt.messages.value(0), "Replaced : 20000");
}

} // namespace

namespace {

// The search box takes the text as typed: no completion from a longer entry, no folding onto an entry that
// differs only in case, whether the search is started by a button or by Return.
struct TypedSearchCase {
    const char* remembered;
    int inputType;
    const char* typed;
    Bytes data;
    uint64_t expectedCursor;
};

TEST_F(SearchDialogTest, TheComboSearchesExactlyWhatWasTyped) {
    const TypedSearchCase cases[] = {
        // 5634 is the bytes 34 56 (at 1 and 5); 563412 is 12 34 56 (at 4).
        {"563412", kInputHex, "5634", {0x00, 0x34, 0x56, 0x00, 0x12, 0x34, 0x56}, 1},
        {"Hi", kInputText, "h", {'x', 'H', 'i', 'h'}, 3},
    };
    for (const TypedSearchCase& c : cases) {
        for (bool byReturn : {false, true}) {
            SCOPED_TRACE(std::string(c.typed) + (byReturn ? " by Return" : " by Forward"));
            host.Load(c.data);
            host.Cursor() = 0;
            CSearchHistory remembered;
            remembered.Remember(c.remembered, c.inputType);
            CSrcDlg dialog(host, remembered);
            dialog.show();
            ASSERT_EQ(dialog.SearchCombo()->currentText(), c.remembered);
            QLineEdit* edit = dialog.SearchCombo()->lineEdit();
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(edit, c.typed);
            EXPECT_EQ(dialog.SearchCombo()->currentText(), c.typed);
            if (byReturn) {
                QTest::keyClick(edit, Qt::Key_Return);
                EXPECT_FALSE(dialog.isVisible()) << "Return is OK";
            } else {
                Click(&dialog, "forwardButton");
            }
            EXPECT_EQ(host.Cursor(), c.expectedCursor);
            ASSERT_EQ(remembered.Entries().size(), 2u);
            EXPECT_EQ(remembered.Entries()[0].text, c.typed);
            EXPECT_EQ(remembered.Entries()[1].text, c.remembered) << "kept beside, not replaced";
        }
    }
}

// The box opens with the last search; the first Return already searches and closes.
TEST_F(SearchDialogTest, ReturnInABoxOpenedWithTheLastSearchActsAtOnce) {
    host.Load({0x00, 0x12, 0x34, 0x00, 0x12, 0x34});
    history.Remember("3412", kInputHex);
    CSrcDlg dialog(host, history);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    ASSERT_EQ(dialog.SearchCombo()->currentText(), "3412");
    QWidget* focus = QApplication::focusWidget();
    ASSERT_TRUE(focus == dialog.SearchCombo() || focus == dialog.SearchCombo()->lineEdit())
        << "the box has the focus";
    QTest::keyClick(focus, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible()) << "the first Return is OK";
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(host.Cursor(), 1u);
}

// A library's memory cannot change its size: Replace All with another length is refused with the message
// Insert and Delete get there, and reports no replacements; the same length replaces them all.
TEST_F(SearchDialogTest, ReplaceAllOfAnotherLengthIsRefusedInLibraryMode) {
    const std::string library = std::string(KIVRAN_LIB_DIR) + "/libkvrdll.so";
    ASSERT_EQ(::access(library.c_str(), R_OK), 0) << library << " missing: build the kvrdll target";
    DataSourceSettings settings;
    settings.dllFileName = library;
    settings.dllMemorySize = 16;
    host.store.SetSettings(settings);
    ASSERT_TRUE(host.store.AttachSource(CDataStore::kModeDll).success);
    const Bytes fives(16, 0x05);
    ASSERT_EQ(host.store.WriteData(0, fives.data(), fives.size(), 1, 0), 16u);

    CRepDlg dialog(host);
    dialog.show();
    QTest::keyClicks(dialog.SearchField(), "05");
    for (const char* replacement : {"", "0605"}) {
        SCOPED_TRACE(replacement);
        dialog.ReplaceField()->setText(replacement);
        host.prompt.messages.clear();
        Click(&dialog, "allButton");
        EXPECT_FALSE(dialog.IsReplacing());
        ASSERT_EQ(host.prompt.messages.size(), 1);
        EXPECT_EQ(host.prompt.messages[0], "cannot write");
        EXPECT_EQ(host.Contents(), fives);
        EXPECT_TRUE(Child<QPushButton>(&dialog, "allButton")->isEnabled());
    }
    dialog.ReplaceField()->setText("06");
    host.prompt.messages.clear();
    Click(&dialog, "allButton");
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsReplacing(), 10000);
    EXPECT_EQ(host.prompt.messages.value(0), "Replaced : 16");
    EXPECT_EQ(host.Contents(), Bytes(16, 0x06));
}

} // namespace
