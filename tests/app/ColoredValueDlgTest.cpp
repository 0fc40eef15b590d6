#include "FakePrompt.h"
#include "TestApplication.h"

#include "settings/CTextTable.h"
#include "view/CColoredValueDlg.h"
#include "view/CDataPainter.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kDataBk = 0xA00000;

ColorValueRecord Record(uint32_t value, uint32_t mask, int size, uint32_t text, uint32_t bk) {
    ColorValueRecord r;
    r.value = value;
    r.mask = mask;
    r.size = static_cast<uint8_t>(size);
    r.textColor = text;
    r.bkColor = bk;
    return r;
}

class ColoredValueDlgTest : public ::testing::Test {
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
    // Replaces a field's text as a user does and presses Return.
    static void Enter(CColoredValueDlg& dialog, const char* const texts[4]) {
        for (int i = 0; i < 4; ++i) {
            QLineEdit* field = dialog.Field(i);
            field->setFocus();
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(field, Qt::Key_Delete);
            QTest::keyClicks(field, texts[i]);
        }
        QTest::keyClick(dialog.Field(3), Qt::Key_Return);
    }
    static QColor SampleBackground(CColoredValueDlg& dialog) {
        const QImage image = dialog.Sample()->grab().toImage();
        return image.pixelColor(3, 3);
    }

    FakePrompt prompt;
    int savedLanguage = 0;
};

TEST_F(ColoredValueDlgTest, OpensWithTheRecordsBytesAndEnglishTexts) {
    CColoredValueDlg dialog(Record(0xFF032711, 0xFF0FF0FF, 3, 0xFFFFFF, 0x0000FF), kDataBk, &prompt);
    EXPECT_EQ(dialog.windowTitle(), "Add/Edit Strong Data");
    const char* expected[4] = {"11", "2*", "*3", ""};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dialog.Field(i)->text(), expected[i]) << i;
    }
    EXPECT_EQ(dialog.Sample()->text(), "11-2*-*3-FF");
    EXPECT_EQ(dialog.findChild<QPushButton*>("textColor")->text(), "Text");
    EXPECT_EQ(dialog.findChild<QPushButton*>("backgroundColor")->text(), "Background");
}

TEST_F(ColoredValueDlgTest, JapaneseKeepsTheBuiltInTexts) {
    CTextTable::SetLanguage(0);
    CColoredValueDlg dialog(ColorValueRecord(), kDataBk, &prompt);
    EXPECT_EQ(dialog.findChild<QPushButton*>("textColor")->text(), QString::fromUtf8("文字色"));
    EXPECT_EQ(dialog.findChild<QPushButton*>("backgroundColor")->text(), QString::fromUtf8("背景色"));
}

TEST_F(ColoredValueDlgTest, ABadFieldBeepsTakesTheFocusAndKeepsTheDialogOpen) {
    struct Case {
        const char* texts[4];
        int bad;
    };
    const Case cases[] = {
        {{"11", "G1", "", ""}, 1},
        {{"", "", "", "1."}, 3},
        {{"2*", "", "  ", ""}, 2},
    };
    for (const Case& c : cases) {
        CColoredValueDlg dialog(ColorValueRecord(), kDataBk, &prompt);
        Show(dialog);
        const int beeps = prompt.beeps;
        Enter(dialog, c.texts);
        EXPECT_EQ(prompt.beeps, beeps + 1) << c.bad;
        EXPECT_TRUE(dialog.isVisible()) << c.bad;
        EXPECT_EQ(dialog.result(), 0) << c.bad;
        EXPECT_TRUE(dialog.Field(c.bad)->hasFocus()) << c.bad;
        EXPECT_EQ(dialog.Field(c.bad)->selectedText(), c.texts[c.bad]) << c.bad;
    }
}

TEST_F(ColoredValueDlgTest, OkReadsTheFieldsUpToTheFirstEmptyOne) {
    CColoredValueDlg dialog(Record(0, 0, 0, 0x00FF00, 0x0000FF), kDataBk, &prompt);
    Show(dialog);
    const char* texts[4] = {"2*", "", "FF", ""};
    Enter(dialog, texts);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(prompt.beeps, 0);
    const ColorValueRecord& r = dialog.Record();
    EXPECT_EQ(r.size, 1);
    EXPECT_EQ(r.value, 0x20u);
    EXPECT_EQ(r.mask, 0xFFFFFFF0u);
    EXPECT_EQ(r.textColor, 0x00FF00u);
    EXPECT_EQ(r.bkColor, 0x0000FFu);
}

TEST_F(ColoredValueDlgTest, ClearingEveryFieldGivesSizeZero) {
    CColoredValueDlg dialog(Record(0x11, 0xFFFFFFFF, 1, 0, 0), kDataBk, &prompt);
    Show(dialog);
    const char* texts[4] = {"", "", "", ""};
    Enter(dialog, texts);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Record().size, 0);
}

TEST_F(ColoredValueDlgTest, TheSampleFollowsTheChosenColours) {
    CColoredValueDlg dialog(Record(0x11, 0xFFFFFFFF, 1, 0x000000, ColorValueRecord::kNoBackground), kDataBk,
                            &prompt);
    std::vector<uint32_t> startedAt;
    uint32_t answer = 0;
    dialog.SetColorChooser([&](uint32_t initial, uint32_t& chosen) {
        startedAt.push_back(initial);
        chosen = answer;
        return true;
    });
    Show(dialog);
    // Without a background of its own the sample shows the default one.
    EXPECT_EQ(SampleBackground(dialog), CDataPainter::Color(kDataBk));

    answer = 0x00FFFF;
    QTest::mouseClick(dialog.findChild<QPushButton*>("backgroundColor"), Qt::LeftButton);
    answer = 0x0000FF;
    QTest::mouseClick(dialog.findChild<QPushButton*>("textColor"), Qt::LeftButton);
    // The background chooser starts at black while there is none, the text chooser at the text colour.
    EXPECT_EQ(startedAt, (std::vector<uint32_t>{0x000000, 0x000000}));
    EXPECT_EQ(SampleBackground(dialog), CDataPainter::Color(0x00FFFF));
    EXPECT_EQ(dialog.Sample()->palette().color(QPalette::WindowText), CDataPainter::Color(0x0000FF));

    QTest::keyClick(dialog.Field(0), Qt::Key_Return);
    EXPECT_EQ(dialog.Record().bkColor, 0x00FFFFu);
    EXPECT_EQ(dialog.Record().textColor, 0x0000FFu);
}

TEST_F(ColoredValueDlgTest, AnAbandonedColourChoiceChangesNothing) {
    CColoredValueDlg dialog(Record(0x11, 0xFFFFFFFF, 1, 0x123456, 0x654321), kDataBk, &prompt);
    dialog.SetColorChooser([](uint32_t, uint32_t& chosen) {
        chosen = 0xFFFFFF;
        return false;
    });
    Show(dialog);
    QTest::mouseClick(dialog.findChild<QPushButton*>("textColor"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QPushButton*>("backgroundColor"), Qt::LeftButton);
    QTest::keyClick(dialog.Field(0), Qt::Key_Return);
    EXPECT_EQ(dialog.Record().textColor, 0x123456u);
    EXPECT_EQ(dialog.Record().bkColor, 0x654321u);
}

} // namespace
