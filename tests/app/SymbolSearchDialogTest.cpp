#include "data/CSymbolHistory.h"
#include "view/CSymSrcDlg.h"
#include "view/ISymbolSearchHost.h"

#include "TestApplication.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The window as the dialog sees it: it records each request.
class FakeSymbolHost : public ISymbolSearchHost {
public:
    struct Find {
        int direction;
        std::string text;
        int flags;
    };

    int Language() const override { return language; }
    bool FindSymbol(int direction, const std::string& text, int flags) override {
        finds.push_back({direction, text, flags});
        return found;
    }
    void JumpTop() override { ++jumpTops; }
    void JumpEnd() override { ++jumpEnds; }
    void ShowDialogCursorMark(bool shown) override { marks.push_back(shown); }

    int language = 1;
    bool found = true;
    std::vector<Find> finds;
    int jumpTops = 0;
    int jumpEnds = 0;
    std::vector<bool> marks;
};

class SymbolSearchDialogTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }

    static void Show(QDialog& dialog) {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    static QPushButton* Button(QDialog& dialog, const char* name) {
        auto* button = dialog.findChild<QPushButton*>(name);
        EXPECT_NE(button, nullptr) << name;
        return button;
    }
    static void Click(QDialog& dialog, const char* name) {
        QTest::mouseClick(Button(dialog, name), Qt::LeftButton);
    }
    // Replaces the combo box text the way a user does: select all, then type.
    static void Type(CSymSrcDlg& dialog, const QString& text) {
        QLineEdit* edit = dialog.NameCombo()->lineEdit();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        for (QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClicks(edit, QString(c));
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(edit, &commit);
            }
        }
    }
    static QStringList Items(CSymSrcDlg& dialog) {
        QStringList items;
        for (int i = 0; i < dialog.NameCombo()->count(); ++i) {
            items << dialog.NameCombo()->itemText(i);
        }
        return items;
    }

    FakeSymbolHost host;
    CSymbolHistory history;
};

TEST_F(SymbolSearchDialogTest, TextsInBothLanguages) {
    struct Case {
        int language;
        std::vector<const char*> texts; // title, group, Forward, Backward, Jump Top, Jump End, Cancel, checks
    };
    const Case cases[] = {
        {1,
         {"Search Symbol", "Symbol Name", "Forward", "Backward", "Jump Top", "Jump End", "Cancel", "Caps",
          "Allow part match"}},
        {0,
         {"シンボル検索", "検索シンボル", "後方検索", "前方検索", "先頭ジャンプ", "末尾ジャンプ",
          "キャンセル", "大文字小文字を区別する", "途中からの一致を許す"}},
    };
    for (const Case& c : cases) {
        host.language = c.language;
        CSymSrcDlg dialog(host, history, 0);
        auto text = [&c](size_t i) { return QString::fromUtf8(c.texts[i]); };
        EXPECT_EQ(dialog.windowTitle(), text(0));
        auto* group = dialog.findChild<QGroupBox*>();
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->title(), text(1));
        EXPECT_EQ(Button(dialog, "forwardButton")->text(), text(2));
        EXPECT_EQ(Button(dialog, "backwardButton")->text(), text(3));
        EXPECT_EQ(Button(dialog, "jumpTopButton")->text(), text(4));
        EXPECT_EQ(Button(dialog, "jumpEndButton")->text(), text(5));
        EXPECT_EQ(Button(dialog, "cancelButton")->text(), text(6));
        EXPECT_EQ(Button(dialog, "okButton")->text(), "OK");
        EXPECT_EQ(dialog.CapsCheck()->text(), text(7));
        EXPECT_EQ(dialog.PartMatchCheck()->text(), text(8));
    }
}

TEST_F(SymbolSearchDialogTest, ForwardAndBackwardSendTheDirectionTextAndCheckBoxFlags) {
    CSymSrcDlg dialog(host, history, 0);
    Show(dialog);
    Type(dialog, "hdr");
    Click(dialog, "forwardButton");
    Click(dialog, "backwardButton");

    // The check boxes toggled with the space bar.
    dialog.CapsCheck()->setFocus();
    QTest::keyClick(dialog.CapsCheck(), Qt::Key_Space);
    Click(dialog, "forwardButton");
    dialog.PartMatchCheck()->setFocus();
    QTest::keyClick(dialog.PartMatchCheck(), Qt::Key_Space);
    Click(dialog, "backwardButton");
    dialog.CapsCheck()->setFocus();
    QTest::keyClick(dialog.CapsCheck(), Qt::Key_Space);
    Click(dialog, "forwardButton");

    const int expected[][2] = {{1, 0}, {-1, 0}, {1, 1}, {-1, 3}, {1, 2}};
    ASSERT_EQ(host.finds.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(host.finds[i].direction, expected[i][0]) << i;
        EXPECT_EQ(host.finds[i].flags, expected[i][1]) << i;
        EXPECT_EQ(host.finds[i].text, "hdr") << i;
    }
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
    EXPECT_EQ(history.Entries(), std::vector<std::string>{"hdr"}) << "the same text is kept once";
}

TEST_F(SymbolSearchDialogTest, CheckBoxesStartFromOptionBitsAndGoBackToThemOnClose) {
    struct Case {
        int optionFlags;
        bool caps;
        bool partMatch;
        int searchFlags;
    };
    const Case cases[] = {{0x0, false, false, 0},
                          {0x4, true, false, 1},
                          {0x8, false, true, 2},
                          {0x3F, true, true, 3},
                          {0x33, false, false, 0}};
    for (const Case& c : cases) {
        CSymSrcDlg dialog(host, history, c.optionFlags);
        EXPECT_EQ(dialog.CapsCheck()->isChecked(), c.caps) << c.optionFlags;
        EXPECT_EQ(dialog.PartMatchCheck()->isChecked(), c.partMatch) << c.optionFlags;
        EXPECT_EQ(dialog.SearchFlags(), c.searchFlags) << c.optionFlags;
        EXPECT_EQ(CSymSrcDlg::SearchFlagsOfOptions(c.optionFlags), c.searchFlags) << c.optionFlags;
        EXPECT_EQ(dialog.OptionFlags(c.optionFlags), c.optionFlags) << "unchanged boxes change nothing";
    }

    // Cancel (Esc) keeps what the boxes show when the dialog closes; the other bits stay.
    CSymSrcDlg dialog(host, history, 0x4 | 0x3);
    Show(dialog);
    dialog.CapsCheck()->setFocus();
    QTest::keyClick(dialog.CapsCheck(), Qt::Key_Space);
    dialog.PartMatchCheck()->setFocus();
    QTest::keyClick(dialog.PartMatchCheck(), Qt::Key_Space);
    QTest::keyClick(dialog.PartMatchCheck(), Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.OptionFlags(0x4 | 0x3), 0x8 | 0x3);
    EXPECT_TRUE(host.finds.empty()) << "Cancel searches nothing";
}

TEST_F(SymbolSearchDialogTest, HistoryIsOfferedMostRecentFirstAndEachSearchMovesItsTextToTheFront) {
    history.Remember("data");
    history.Remember("hdr");
    CSymSrcDlg dialog(host, history, 0);
    Show(dialog);
    EXPECT_EQ(Items(dialog), (QStringList{"hdr", "data"}));
    EXPECT_EQ(dialog.NameCombo()->currentText(), "hdr") << "the first entry is selected";

    QTest::keyClick(dialog.NameCombo(), Qt::Key_Down);
    EXPECT_EQ(dialog.NameCombo()->currentText(), "data");
    Click(dialog, "forwardButton");
    ASSERT_EQ(host.finds.size(), 1u);
    EXPECT_EQ(host.finds[0].text, "data");
    EXPECT_EQ(history.Entries(), (std::vector<std::string>{"data", "hdr"}));
    EXPECT_EQ(Items(dialog), (QStringList{"data", "hdr"}));
    EXPECT_EQ(dialog.NameCombo()->currentIndex(), 0);

    // Exact comparison: a text that differs in case is another entry, searched as typed.
    Type(dialog, "HDR");
    Click(dialog, "backwardButton");
    ASSERT_EQ(host.finds.size(), 2u);
    EXPECT_EQ(host.finds[1].text, "HDR");
    EXPECT_EQ(host.finds[1].direction, -1);
    EXPECT_EQ(history.Entries(), (std::vector<std::string>{"HDR", "data", "hdr"}));
    EXPECT_EQ(Items(dialog), (QStringList{"HDR", "data", "hdr"}));
    EXPECT_EQ(dialog.NameCombo()->currentText(), "HDR");

    // A text not found is remembered all the same.
    host.found = false;
    Type(dialog, QString::fromUtf8("名前"));
    Click(dialog, "forwardButton");
    ASSERT_EQ(host.finds.size(), 3u);
    EXPECT_EQ(host.finds[2].text, "\x96\xBC\x91\x4F");
    EXPECT_EQ(history.First(), "\x96\xBC\x91\x4F");
    EXPECT_EQ(Items(dialog).front(), QString::fromUtf8("名前"));
}

TEST_F(SymbolSearchDialogTest, EnterIsOkAndSearchesExactlyWhatWasTyped) {
    history.Remember("hdr2");
    history.Remember("hdr");
    CSymSrcDlg dialog(host, history, 0);
    Show(dialog);
    // Neither completed from "hdr2" nor folded onto "hdr".
    Type(dialog, "hd");
    EXPECT_EQ(dialog.NameCombo()->currentText(), "hd");
    Button(dialog, "backwardButton")->setFocus();
    QTest::keyClick(Button(dialog, "backwardButton"), Qt::Key_Return);
    ASSERT_EQ(host.finds.size(), 1u);
    EXPECT_EQ(host.finds[0].text, "hd");
    EXPECT_EQ(host.finds[0].direction, 1) << "Enter is OK, whichever button has the focus";
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());

    CSymSrcDlg second(host, history, 0);
    Show(second);
    Type(second, "HDR");
    QTest::keyClick(second.NameCombo()->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(host.finds.size(), 2u);
    EXPECT_EQ(host.finds[1].text, "HDR");
    EXPECT_EQ(second.result(), QDialog::Accepted);
    EXPECT_EQ(history.Entries(), (std::vector<std::string>{"HDR", "hd", "hdr", "hdr2"}));
}

TEST_F(SymbolSearchDialogTest, EmptyTextSearchesNothingAndOkStillCloses) {
    CSymSrcDlg dialog(host, history, 0);
    Show(dialog);
    EXPECT_EQ(dialog.NameCombo()->currentText(), "");
    Click(dialog, "forwardButton");
    Click(dialog, "backwardButton");
    EXPECT_TRUE(host.finds.empty());
    EXPECT_TRUE(dialog.isVisible());
    Click(dialog, "okButton");
    EXPECT_TRUE(host.finds.empty());
    EXPECT_TRUE(history.IsEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(SymbolSearchDialogTest, JumpsKeepTheDialogOpenAndTheCursorMarkLastsWhileItIsOpen) {
    {
        CSymSrcDlg dialog(host, history, 0);
        EXPECT_EQ(host.marks, std::vector<bool>{true});
        Show(dialog);
        Click(dialog, "jumpTopButton");
        Click(dialog, "jumpEndButton");
        Click(dialog, "jumpEndButton");
        EXPECT_EQ(host.jumpTops, 1);
        EXPECT_EQ(host.jumpEnds, 2);
        EXPECT_TRUE(dialog.isVisible());
        Click(dialog, "cancelButton");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(host.marks, (std::vector<bool>{true, false}));
    }
    EXPECT_EQ(host.marks, (std::vector<bool>{true, false})) << "the mark is removed once";
}

} // namespace
