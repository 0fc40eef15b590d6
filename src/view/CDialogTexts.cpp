#include "view/CDialogTexts.h"

#include "settings/CTextTable.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

QString CDialogTexts::Label(TextId id, const char* builtInJapanese) {
    if (CTextTable::Language() == 1) {
        return QString::fromStdString(CTextTable::Text(id, 1));
    }
    return QString::fromUtf8(builtInJapanese);
}

void CDialogTexts::AddOkCancel(QDialog& dialog, QBoxLayout& layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText(Label(T_CANCEL, "キャンセル"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout.addWidget(buttons);
}
