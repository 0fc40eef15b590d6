#include "compare/CCompareOptDlg.h"

#include "view/CDialogTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

CCompareOptDlg::CCompareOptDlg(const QStringList& partnerTitles, QWidget* parent) : QDialog(parent) {
    setWindowTitle(CDialogTexts::Label(T_DLG_COMPARE_ANOTHER, "他のKIVRANと比較"));
    auto* layout = new QVBoxLayout(this);

    partners = new QListWidget(this);
    partners->setObjectName("partners");
    for (const QString& title : partnerTitles) {
        partners->addItem(title.left(kTitleLength));
    }
    if (partners->count() > 0) {
        partners->setCurrentRow(0);
    }
    layout->addWidget(partners);

    auto* group = new QGroupBox(CDialogTexts::Label(T_DLG_START_POSITION, "比較開始位置"), this);
    auto* groupLayout = new QVBoxLayout(group);
    fromTop = new QRadioButton(CDialogTexts::Label(T_DLG_FROM_TOP, "先頭から"), group);
    fromTop->setObjectName("fromTop");
    fromCursor = new QRadioButton(CDialogTexts::Label(T_DLG_FROM_CURSOR, "カーソル位置から"), group);
    fromCursor->setObjectName("fromCursor");
    fromTop->setChecked(true);
    groupLayout->addWidget(fromTop);
    groupLayout->addWidget(fromCursor);
    layout->addWidget(group);

    putColor = new QCheckBox(CDialogTexts::Label(T_DLG_PUT_COLOR, "不一致データに色をつける"), this);
    putColor->setObjectName("putColor");
    putColor->setChecked(true);
    layout->addWidget(putColor);

    CDialogTexts::AddOkCancel(*this, *layout);
    partners->setFocus();
}

int CCompareOptDlg::Partner() const {
    return partners->count() > 0 ? partners->currentRow() : -1;
}

int CCompareOptDlg::StartPosition() const {
    return fromCursor->isChecked() ? 1 : 0;
}

bool CCompareOptDlg::PutColor() const {
    return putColor->isChecked();
}
