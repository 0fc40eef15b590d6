#include "view/ClangDlg.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

ClangDlg::ClangDlg(int current, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Language");
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QString::fromUtf8("Select language(言語選択)"), this);
    auto* groupLayout = new QVBoxLayout(group);
    japanese = new QRadioButton(QString::fromUtf8("Japanese(日本語)"), group);
    english = new QRadioButton(QString::fromUtf8("English(英語)"), group);
    groupLayout->addWidget(japanese);
    groupLayout->addWidget(english);
    layout->addWidget(group);
    layout->addWidget(new QLabel("You can change language in Option Dialog later", this));
    layout->addWidget(
        new QLabel(QString::fromUtf8("オプションダイアログで後から言語切り替えができます。"), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    (current == 1 ? english : japanese)->setChecked(true);
}

int ClangDlg::SelectedLanguage() const {
    return english->isChecked() ? 1 : 0;
}
