#include "view/CJumpDlg.h"

#include "data/CNavigator.h"
#include "data/ValueParse.h"
#include "settings/CTextTable.h"
#include "view/CDialogTexts.h"
#include "view/CUserPrompt.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CJumpDlg::CJumpDlg(uint64_t cursor, uint64_t dataSize, int decimalAddress, CUserPrompt& prompt,
                   QWidget* parent)
    : QDialog(parent), prompt(prompt), dataSize(dataSize), decimalAddress(decimalAddress) {
    setWindowTitle(CDialogTexts::Label(T_DLG_JUMP_ADDRESS, "アドレス指定"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(CDialogTexts::Label(T_DLG_SPECIFY_ADDRESS, "アドレスを入力します。"), this));

    auto* fields = new QHBoxLayout;
    addressField = new QLineEdit(
        QString::fromStdString(CNavigator::InitialAddressText(cursor, dataSize, decimalAddress)), this);
    offsetField = new QLineEdit(QString::fromStdString(CNavigator::InitialOffsetText(decimalAddress)), this);
    fields->addWidget(addressField, 3);
    fields->addWidget(new QLabel("+", this));
    fields->addWidget(offsetField, 1);
    layout->addLayout(fields);

    CDialogTexts::AddOkCancel(*this, *layout);

    addressField->setFocus();
    addressField->selectAll();
}

bool CJumpDlg::ParseField(QLineEdit* field, uint64_t& value) {
    int result = CNavigator::ParseJumpField(field->text().toStdString(), decimalAddress, value);
    if (result == kParseOk) {
        return true;
    }
    prompt.Message(this, QString::fromStdString(ParseErrorText(result, CTextTable::Language())));
    field->setFocus();
    field->selectAll();
    return false;
}

void CJumpDlg::accept() {
    uint64_t address = 0;
    uint64_t offset = 0;
    if (!ParseField(addressField, address) || !ParseField(offsetField, offset)) {
        return;
    }
    // A sum beyond 2^64 - 1 stays at the end of the data instead of wrapping to its start.
    const uint64_t sum = offset > UINT64_MAX - address ? UINT64_MAX : address + offset;
    target = CNavigator::ClampJumpTarget(sum, dataSize);
    QDialog::accept();
}
