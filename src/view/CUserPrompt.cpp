#include "view/CUserPrompt.h"

#include "app/CTextTable.h"
#include "app/ClangDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

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
