#include "view/CUserPrompt.h"

#include "settings/CTextTable.h"
#include "view/CInputData.h"
#include "view/ClangDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

CUserPrompt::~CUserPrompt() = default;

namespace {

QMessageBox::StandardButton Show(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                                 QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, "KIVRAN", text, buttons, parent);
    if (CTextTable::Language() == 1) {
        if (QAbstractButton* cancel = box.button(QMessageBox::Cancel)) {
            cancel->setText(QString::fromStdString(CTextTable::Text(T_CANCEL)));
        }
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

// The buttons of a script message box with their numbers and the labels the system gives them.
struct ScriptButton {
    QMessageBox::StandardButton button;
    int number;
    const char* japanese;
    const char* english;
};

constexpr ScriptButton kOk{QMessageBox::Ok, 1, "OK", "OK"};
constexpr ScriptButton kCancel{QMessageBox::Cancel, 2, nullptr, nullptr};
constexpr ScriptButton kAbort{QMessageBox::Abort, 3, "中止(&A)", "&Abort"};
constexpr ScriptButton kRetry{QMessageBox::Retry, 4, "再試行(&R)", "&Retry"};
constexpr ScriptButton kIgnore{QMessageBox::Ignore, 5, "無視(&I)", "&Ignore"};
constexpr ScriptButton kYes{QMessageBox::Yes, 6, "はい(&Y)", "&Yes"};
constexpr ScriptButton kNo{QMessageBox::No, 7, "いいえ(&N)", "&No"};

std::vector<ScriptButton> ButtonSet(uint32_t style) {
    switch (style & 0x0F) {
    case 1:
        return {kOk, kCancel};
    case 2:
        return {kAbort, kRetry, kIgnore};
    case 3:
        return {kYes, kNo, kCancel};
    case 4:
        return {kYes, kNo};
    case 5:
        return {kRetry, kCancel};
    default:
        return {kOk};
    }
}

QMessageBox::Icon IconOf(uint32_t style) {
    switch (style & 0xF0) {
    case 0x10:
        return QMessageBox::Critical;
    case 0x20:
        return QMessageBox::Question;
    case 0x30:
        return QMessageBox::Warning;
    case 0x40:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

void CUserPrompt::Message(QWidget* parent, const QString& text) {
    Show(parent, text, QMessageBox::NoIcon, QMessageBox::Ok);
}

CUserPrompt::Answer CUserPrompt::AskYesNoCancel(QWidget* parent, const QString& text) {
    auto b =
        Show(parent, text, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return b == QMessageBox::Yes ? Yes : b == QMessageBox::No ? No : Cancel;
}

CUserPrompt::Answer CUserPrompt::AskYesNo(QWidget* parent, const QString& text) {
    auto b = Show(parent, text, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No);
    return b == QMessageBox::Yes ? Yes : No;
}

CUserPrompt::Answer CUserPrompt::AskOkCancel(QWidget* parent, const QString& text) {
    auto b = Show(parent, text, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel);
    return b == QMessageBox::Ok ? Ok : Cancel;
}

int CUserPrompt::ChooseLanguage(QWidget* parent, int current) {
    ClangDlg dialog(current, parent);
    dialog.exec();
    return dialog.SelectedLanguage();
}

QString CUserPrompt::OpenFileName(QWidget* parent, const QString& title, const QString& dir,
                                  const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, dir, filter);
}

QString CUserPrompt::SaveFileName(QWidget* parent, const QString& title, const QString& dir,
                                  const QString& filter) {
    return QFileDialog::getSaveFileName(parent, title, dir, filter);
}

void CUserPrompt::Beep() {
    QApplication::beep();
}

int CUserPrompt::MessageBox(QWidget* parent, const QString& text, const QString& caption, uint32_t style) {
    const std::vector<ScriptButton> buttons = ButtonSet(style);
    QMessageBox box(IconOf(style), caption, text, QMessageBox::NoButton, parent);
    // A script's text is shown as it is, never as markup.
    box.setTextFormat(Qt::PlainText);
    const int language = CTextTable::Language();
    for (const ScriptButton& b : buttons) {
        QPushButton* button = box.addButton(b.button);
        const char* label = language == 1 ? b.english : b.japanese;
        button->setText(label != nullptr ? QString::fromUtf8(label)
                                         : QString::fromStdString(CTextTable::Text(T_CANCEL, language)));
    }
    // Enter presses the first button, as on the system the scripts were written for.
    box.setDefaultButton(buttons.front().button);
    box.exec();
    const QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
    for (const ScriptButton& b : buttons) {
        if (b.button == clicked) {
            return b.number;
        }
    }
    // Closed without a button: Cancel where the set has one, otherwise its first button.
    for (const ScriptButton& b : buttons) {
        if (b.button == QMessageBox::Cancel) {
            return b.number;
        }
    }
    return buttons.front().number;
}

bool CUserPrompt::InputData(QWidget* parent, const QString& promptText, const QString& title, int valueType,
                            int language, std::string& text) {
    CInputData dialog(promptText, title, valueType, text, language, *this, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    text = dialog.Text();
    return true;
}
