#include "compare/CCompareNextDlg.h"

#include "view/CDialogTexts.h"

#include <QHBoxLayout>
#include <QPushButton>

CCompareNextDlg::CCompareNextDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(CDialogTexts::Label(T_DLG_COMPARING_ANOTHER, "他のKIVRANと比較中"));
    auto* layout = new QHBoxLayout(this);
    auto* next = new QPushButton(CDialogTexts::Label(T_DLG_NEXT, "次へ"), this);
    next->setObjectName("next");
    auto* nonStop = new QPushButton(CDialogTexts::Label(T_DLG_NON_STOP, "最後まで一気"), this);
    nonStop->setObjectName("nonStop");
    auto* cancel = new QPushButton(CDialogTexts::Label(T_CANCEL, "キャンセル"), this);
    cancel->setObjectName("cancel");
    // Return presses the focused button, Next when none has been chosen with Tab.
    for (QPushButton* button : {next, nonStop, cancel}) {
        layout->addWidget(button);
    }
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this, [this] { Finish(kNext); });
    connect(nonStop, &QPushButton::clicked, this, [this] { Finish(kNonStop); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    next->setFocus();
}

void CCompareNextDlg::Finish(int code) {
    result = code;
    accept();
}
