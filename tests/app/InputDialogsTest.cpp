#include "FakePrompt.h"

#include "data/CEditCommands.h"
#include "data/ValueParse.h"
#include "settings/CTextTable.h"
#include "view/CInputDlg2.h"
#include "view/CJumpDlg.h"

#include "TestApplication.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

class InputDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        savedLanguage = CTextTable::Language();
        CTextTable::SetLanguage(1);
    }
    void TearDown() override { CTextTable::SetLanguage(savedLanguage); }

    static void Show(QDialog& dialog) {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    // ASCII arrives as key presses, other characters as the input method's committed text.
    static void TypeText(QLineEdit* field, const QString& text) {
        for (QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClicks(field, QString(c));
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(field, &commit);
            }
        }
    }
    // Replaces the text of a field the way a user does: select all, type, press Enter.
    static void TypeAndEnter(QLineEdit* field, const QString& text) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        TypeText(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }

    WriteTarget Target(bool insert, int inputType, const std::string& text = "00") {
        WriteTarget target;
        target.unitStart = 0x1A;
        target.insert = insert;
        target.inputType = inputType;
        target.initialText = text;
        return target;
    }

    int savedLanguage = 0;
    FakePrompt prompt;
};

TEST_F(InputDialogsTest, DataInputDialogShowsModeOffsetAndTypes) {
    CInputDlg2 overwrite(Target(false, kInputUnsignedShort, "1234"), 0, 1, 0, prompt);
    EXPECT_EQ(overwrite.windowTitle(), "Data Input");
    EXPECT_EQ(overwrite.ModeLabel()->text(), "Overwite");
    EXPECT_EQ(overwrite.OffsetLabel()->text(), "1A");
    ASSERT_EQ(overwrite.TypeList()->count(), 11);
    EXPECT_EQ(overwrite.TypeList()->itemText(0), "HEX");
    EXPECT_EQ(overwrite.TypeList()->itemText(9), "Text  [ASCII]");
    EXPECT_EQ(overwrite.TypeList()->itemText(10), "Bit");
    EXPECT_EQ(overwrite.TypeList()->currentIndex(), kInputUnsignedShort);
    EXPECT_FALSE(overwrite.TypeList()->isEnabled());
    EXPECT_EQ(overwrite.ValueField()->text(), "1234");

    CInputDlg2 insert(Target(true, kInputText), 1, 1, 1, prompt);
    EXPECT_EQ(insert.ModeLabel()->text(), "Insert");
    EXPECT_EQ(insert.OffsetLabel()->text(), "26");
    EXPECT_EQ(insert.TypeList()->itemText(9), "Text  [Unicode]");
    EXPECT_TRUE(insert.TypeList()->isEnabled());

    CTextTable::SetLanguage(0);
    CInputDlg2 japanese(Target(true, kInputHex), 0, 1, 0, prompt);
    EXPECT_EQ(japanese.windowTitle(), QString::fromUtf8("データ入力"));
    EXPECT_EQ(japanese.ModeLabel()->text(), QString::fromUtf8("挿入"));
    EXPECT_EQ(japanese.TypeList()->itemText(9), QString::fromUtf8("テキスト  [Shift-JIS]"));
}

TEST_F(InputDialogsTest, DataInputDialogParsesTheTypedValue) {
    struct Case {
        int inputType;
        int littleEndian;
        int charSet;
        QString typed;
        Bytes expected;
    };
    const Case cases[] = {
        {kInputHex, 1, 0, "1234", {0x34, 0x12}},
        {kInputHex, 0, 0, "1234", {0x12, 0x34}},
        {kInputShort, 1, 0, "-2", {0xFE, 0xFF}},
        {kInputText, 1, 0, "AB", {'A', 'B'}},
        {kInputText, 1, 1, QString::fromUtf8("あ"), {0x42, 0x30}},
        {kInputText, 1, 0, QString::fromUtf8("あ"), {0x82, 0xA0}},
    };
    for (const Case& c : cases) {
        CInputDlg2 dialog(Target(false, c.inputType), 0, c.littleEndian, c.charSet, prompt);
        Show(dialog);
        TypeAndEnter(dialog.ValueField(), c.typed);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.typed.toStdString();
        EXPECT_EQ(dialog.Bytes(), c.expected) << c.typed.toStdString();
        EXPECT_EQ(dialog.InputType(), c.inputType);
    }
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(InputDialogsTest, DataInputDialogStaysOpenOnAParseError) {
    CInputDlg2 dialog(Target(true, kInputHex), 0, 1, 0, prompt);
    Show(dialog);
    dialog.TypeList()->setFocus();
    QTest::keyClick(dialog.TypeList(), Qt::Key_Down);
    QTest::keyClick(dialog.TypeList(), Qt::Key_Down);
    ASSERT_EQ(dialog.InputType(), kInputUnsignedChar);
    TypeAndEnter(dialog.ValueField(), "256");
    ASSERT_EQ(prompt.messages, QStringList{"Over range"});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    TypeAndEnter(dialog.ValueField(), "255");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Bytes(), Bytes{0xFF});
}

TEST_F(InputDialogsTest, JumpDialogTextsInBothRadixes) {
    CJumpDlg hex(0x1A, 0x1000, 0, prompt);
    EXPECT_EQ(hex.windowTitle(), "Jump Address");
    EXPECT_FALSE(hex.findChildren<QLabel*>().isEmpty());
    EXPECT_EQ(hex.AddressField()->text(), "000000000000001A");
    EXPECT_EQ(hex.OffsetField()->text(), "0000");
    CJumpDlg decimal(26, 1000, 1, prompt);
    EXPECT_EQ(decimal.AddressField()->text(), "  26");
    EXPECT_EQ(decimal.OffsetField()->text(), "0");
    QStringList labels;
    for (QLabel* label : decimal.findChildren<QLabel*>()) {
        labels << label->text();
    }
    EXPECT_TRUE(labels.contains("Specify Address"));
    EXPECT_TRUE(labels.contains("+"));

    CTextTable::SetLanguage(0);
    CJumpDlg japanese(0, 10, 0, prompt);
    EXPECT_EQ(japanese.windowTitle(), QString::fromUtf8("アドレス指定"));
}

TEST_F(InputDialogsTest, JumpDialogTargets) {
    struct Case {
        int decimalAddress;
        uint64_t dataSize;
        QString address;
        QString offset;
        uint64_t target;
    };
    const Case cases[] = {
        {0, 0x1000, "100", "20", 0x120},
        {1, 0x1000, "100", "20", 120},
        {0, 0x200, "1FF", "0", 0x1FF},
        {0, 0x200, "100", "200", 0x1FF},
    };
    for (const Case& c : cases) {
        CJumpDlg dialog(0, c.dataSize, c.decimalAddress, prompt);
        Show(dialog);
        dialog.OffsetField()->setFocus();
        QTest::keyClick(dialog.OffsetField(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(dialog.OffsetField(), c.offset);
        TypeAndEnter(dialog.AddressField(), c.address);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.address.toStdString();
        EXPECT_EQ(dialog.Target(), c.target) << c.address.toStdString();
    }
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(InputDialogsTest, JumpDialogKeepsTheBadFieldOpen) {
    CJumpDlg dialog(0, 0x1000, 0, prompt);
    Show(dialog);
    TypeAndEnter(dialog.AddressField(), "1G");
    ASSERT_EQ(prompt.messages, QStringList{"Find illegal charactor"});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.AddressField()->hasFocus());
    QTest::keyClick(dialog.AddressField(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(dialog.AddressField(), "100");
    TypeAndEnter(dialog.OffsetField(), "-1");
    EXPECT_EQ(prompt.messages.size(), 2);
    EXPECT_TRUE(dialog.OffsetField()->hasFocus());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
