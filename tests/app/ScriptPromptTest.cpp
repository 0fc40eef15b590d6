#include "FakePrompt.h"

#include "settings/CTextTable.h"
#include "view/CInputData.h"
#include "view/CUserPrompt.h"

#include "TestApplication.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The prompt dialog of scripts, the script message box and the real prompt's modal dialogs. Modal dialogs
// are answered from a zero-time timer, which fires inside the dialog's own event loop once it is shown.
class ScriptPromptTest : public ::testing::Test {
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
    static void Replace(QLineEdit* field, const QString& text) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
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
    // Runs action on the modal dialog that the next call opens.
    static void WhenModal(std::function<void(QWidget*)> action) {
        QTimer::singleShot(0, qApp, [action]() {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                ADD_FAILURE() << "no modal dialog is open";
                return;
            }
            action(modal);
        });
    }

    int savedLanguage = 0;
    FakePrompt prompt;
};

// Columns of a field's image, away from its frame, that are not the background colour.
std::vector<int> InkColumns(QLineEdit* field) {
    QImage image = field->grab().toImage();
    const QRgb base = field->palette().color(QPalette::Base).rgb();
    std::vector<int> columns;
    for (int x = 4; x < image.width() - 4; ++x) {
        for (int y = image.height() / 4; y < image.height() * 3 / 4; ++y) {
            if (image.pixel(x, y) != base) {
                columns.push_back(x);
                break;
            }
        }
    }
    return columns;
}

TEST_F(ScriptPromptTest, PromptShowsTitlePromptAndValueAlignedByType) {
    struct Case {
        int valueType;
        const char* text;
        int expectedType;
        bool right;
    };
    const Case cases[] = {
        {1, "-5", 1, true},     {2, "200", 2, true},        {3, "-300", 3, true},     {4, "60000", 4, true},
        {5, "-70000", 5, true}, {6, "4000000000", 6, true}, {7, "1.500000", 7, true}, {8, "2.5e+20", 8, true},
        {9, "abc", 9, false},   {0, "0", 5, true},          {42, "0", 5, true},
    };
    for (const Case& c : cases) {
        CInputData dialog("Enter the count", "Macro", c.valueType, c.text, 1, prompt);
        Show(dialog);
        EXPECT_EQ(dialog.windowTitle(), "Macro");
        EXPECT_EQ(dialog.PromptLabel()->text(), "Enter the count");
        EXPECT_EQ(dialog.PromptLabel()->textFormat(), Qt::PlainText);
        EXPECT_EQ(dialog.ValueType(), c.expectedType) << c.valueType;
        EXPECT_EQ(dialog.ValueField()->text(), c.text);
        EXPECT_EQ(dialog.ValueField()->alignment() & Qt::AlignHorizontal_Mask,
                  c.right ? Qt::AlignRight : Qt::AlignLeft)
            << c.valueType;
        EXPECT_TRUE(dialog.ValueField()->hasFocus());

        // The value is drawn at the side it is aligned to.
        dialog.ValueField()->deselect();
        std::vector<int> ink = InkColumns(dialog.ValueField());
        ASSERT_FALSE(ink.empty()) << c.valueType;
        const int middle = dialog.ValueField()->width() / 2;
        if (c.right) {
            EXPECT_GT(ink.front(), middle) << c.valueType;
        } else {
            EXPECT_LT(ink.back(), middle) << c.valueType;
        }
    }
}

TEST_F(ScriptPromptTest, PromptAcceptsAValueOfItsTypeAsCodePage932Text) {
    struct Case {
        int valueType;
        QString typed;
        std::string expected;
    };
    const Case cases[] = {
        {1, "-128", "-128"},
        {2, "255", "255"},
        {4, "65535", "65535"},
        {6, "4294967295", "4294967295"},
        {7, "1.25", "1.25"},
        {8, "-3e100", "-3e100"},
        {9, QString::fromUtf8("名前 x"), "\x96\xBC\x91\x4F x"},
        {9, "", ""},
    };
    for (const Case& c : cases) {
        CInputData dialog("p", "t", c.valueType, "0", 1, prompt);
        Show(dialog);
        Replace(dialog.ValueField(), c.typed);
        QTest::keyClick(dialog.ValueField(), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.typed.toStdString();
        EXPECT_EQ(dialog.Text(), c.expected) << c.typed.toStdString();
    }
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ScriptPromptTest, PromptReportsAnIllegalValueInTheRunsLanguageAndStaysOpen) {
    struct Case {
        int valueType;
        int language;
        QString typed;
        const char* message;
    };
    const Case cases[] = {
        {5, 1, "12a", "Find illegal charactor"},
        {2, 1, "256", "Find illegal charactor"},
        {1, 0, "x", "変な文字があります"},
        {7, 0, "1.2.3", "変な文字があります"},
        // A character that code page 932 cannot hold cannot be handed to the script.
        {9, 1, QString::fromUtf8("caf\xC3\xA9"), "Find illegal charactor"},
    };
    for (const Case& c : cases) {
        prompt.messages.clear();
        CInputData dialog("p", "t", c.valueType, "7", c.language, prompt);
        Show(dialog);
        Replace(dialog.ValueField(), c.typed);
        QTest::keyClick(dialog.ValueField(), Qt::Key_Return);
        ASSERT_EQ(prompt.messages, QStringList{QString::fromUtf8(c.message)}) << c.typed.toStdString();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_TRUE(dialog.ValueField()->hasFocus());
        EXPECT_EQ(dialog.Text(), "7") << "nothing is taken from a refused text";

        Replace(dialog.ValueField(), "9");
        QTest::keyClick(dialog.ValueField(), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.Text(), "9");
    }
}

TEST_F(ScriptPromptTest, PromptCancelKeepsTheValueAndIsLabelledInTheRunsLanguage) {
    for (int language : {0, 1}) {
        CInputData dialog("p", "t", 5, "12", language, prompt);
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(),
                  language == 1 ? QString("Cancel") : QString::fromUtf8("キャンセル"));
        EXPECT_EQ(buttons->button(QDialogButtonBox::Ok)->text(), "OK");
        Show(dialog);
        Replace(dialog.ValueField(), "99");
        QTest::keyClick(dialog.ValueField(), Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.Text(), "12");
    }
}

TEST_F(ScriptPromptTest, RealPromptOpensThePromptDialogAndHandsBackTheEnteredText) {
    CUserPrompt real;
    std::string text = "\x82\xA0"; // あ
    WhenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<CInputData*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("題"));
        EXPECT_EQ(dialog->ValueField()->text(), QString::fromUtf8("あ"));
        EXPECT_EQ(dialog->ValueType(), 9);
        dialog->ValueField()->setText("ok");
        QTest::keyClick(dialog->ValueField(), Qt::Key_Return);
    });
    ASSERT_TRUE(real.InputData(nullptr, "p", QString::fromUtf8("題"), 9, 1, text));
    EXPECT_EQ(text, "ok");

    WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_FALSE(real.InputData(nullptr, "p", "t", 5, 1, text));
    EXPECT_EQ(text, "ok") << "Cancel leaves the text alone";
}

struct BoxCase {
    uint32_t style;
    std::vector<const char*> english;
    std::vector<const char*> japanese;
    std::vector<int> numbers;
    QMessageBox::Icon icon;
};

TEST_F(ScriptPromptTest, MessageBoxShowsTheButtonSetAndIconAndReturnsTheButtonNumber) {
    const BoxCase cases[] = {
        {0x00, {"OK"}, {"OK"}, {1}, QMessageBox::NoIcon},
        {0x01, {"OK", "Cancel"}, {"OK", "キャンセル"}, {1, 2}, QMessageBox::NoIcon},
        {0x12,
         {"&Abort", "&Retry", "&Ignore"},
         {"中止(&A)", "再試行(&R)", "無視(&I)"},
         {3, 4, 5},
         QMessageBox::Critical},
        {0x23,
         {"&Yes", "&No", "Cancel"},
         {"はい(&Y)", "いいえ(&N)", "キャンセル"},
         {6, 7, 2},
         QMessageBox::Question},
        {0x34, {"&Yes", "&No"}, {"はい(&Y)", "いいえ(&N)"}, {6, 7}, QMessageBox::Warning},
        {0x45, {"&Retry", "Cancel"}, {"再試行(&R)", "キャンセル"}, {4, 2}, QMessageBox::Information},
        // Sets the scripts do not know show OK.
        {0x0E, {"OK"}, {"OK"}, {1}, QMessageBox::NoIcon},
    };
    CUserPrompt real;
    for (const BoxCase& c : cases) {
        for (int language : {1, 0}) {
            CTextTable::SetLanguage(language);
            const std::vector<const char*>& labels = language == 1 ? c.english : c.japanese;
            for (size_t pressed = 0; pressed < c.numbers.size(); ++pressed) {
                WhenModal([&c, &labels, pressed](QWidget* modal) {
                    auto* box = qobject_cast<QMessageBox*>(modal);
                    ASSERT_NE(box, nullptr);
                    EXPECT_EQ(box->windowTitle(), QString::fromUtf8("題名"));
                    EXPECT_EQ(box->text(), "<b>body</b>");
                    EXPECT_EQ(box->textFormat(), Qt::PlainText) << "script text is never markup";
                    EXPECT_EQ(box->icon(), c.icon) << c.style;
                    QList<QAbstractButton*> buttons = box->buttons();
                    ASSERT_EQ(buttons.size(), static_cast<int>(labels.size())) << c.style;
                    QAbstractButton* target = nullptr;
                    for (size_t i = 0; i < labels.size(); ++i) {
                        bool found = false;
                        for (QAbstractButton* b : buttons) {
                            if (b->text() == QString::fromUtf8(labels[i])) {
                                found = true;
                                if (i == pressed) {
                                    target = b;
                                }
                            }
                        }
                        EXPECT_TRUE(found) << c.style << " " << labels[i];
                    }
                    ASSERT_NE(target, nullptr);
                    target->click();
                });
                EXPECT_EQ(real.MessageBox(nullptr, "<b>body</b>", QString::fromUtf8("題名"), c.style),
                          c.numbers[pressed])
                    << "style " << c.style << " button " << pressed << " language " << language;
            }
        }
    }
}

TEST_F(ScriptPromptTest, MessageBoxEnterPressesTheFirstButton) {
    CUserPrompt real;
    for (uint32_t style : {1u, 3u, 4u, 5u}) {
        WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
        const int first = style == 1 ? 1 : style == 5 ? 4 : 6;
        EXPECT_EQ(real.MessageBox(nullptr, "x", "KIVRAN", style), first) << style;
    }
}

} // namespace
