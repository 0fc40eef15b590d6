#include "view/CInputDlg2.h"

#include "data/ValueParse.h"
#include "platform/CodePage932.h"
#include "settings/CTextTable.h"
#include "view/CDialogTexts.h"
#include "view/CUserPrompt.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QString TableText(TextId id) {
    return QString::fromStdString(CTextTable::Text(id));
}

const TextId kInputTypeLabels[] = {T_IN_HEX,   T_IN_CHAR,  T_IN_UCHAR,  T_IN_SHORT, T_IN_USHORT, T_IN_LONG,
                                   T_IN_ULONG, T_IN_FLOAT, T_IN_DOUBLE, T_IN_TEXT,  T_IN_BIT};

} // namespace

CInputDlg2::CInputDlg2(const WriteTarget& target, int decimalAddress, int littleEndian, int charSet,
                       CUserPrompt& prompt, QWidget* parent)
    : QDialog(parent), prompt(prompt), littleEndian(littleEndian), charSet(charSet) {
    setWindowTitle(CDialogTexts::Label(T_DLG_DATA_INPUT, "データ入力"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    modeLabel = new QLabel(TableText(target.insert ? T_MODE_INSERT : T_MODE_OVERWRITE), this);
    form->addRow(CDialogTexts::Label(T_DLG_INPUT_MODE, "入力モード"), modeLabel);
    QString offset =
        decimalAddress ? QString::number(target.unitStart) : QString::number(target.unitStart, 16).toUpper();
    offsetLabel = new QLabel(offset, this);
    form->addRow(CDialogTexts::Label(T_DLG_OFFSET, "オフセット"), offsetLabel);
    layout->addLayout(form);

    typeList = new QComboBox(this);
    BuildTypeList(charSet, target.inputType);
    // Overwriting keeps the unit's own type; only an insertion may choose another.
    typeList->setEnabled(target.insert);
    layout->addWidget(typeList);

    valueField = new QLineEdit(QString::fromStdString(CodePage932::ToUtf8(target.initialText)), this);
    layout->addWidget(valueField);

    CDialogTexts::AddOkCancel(*this, *layout);

    valueField->setFocus();
    valueField->selectAll();
}

void CInputDlg2::BuildTypeList(int charSet, int selectedType) {
    for (TextId id : kInputTypeLabels) {
        QString label = TableText(id);
        if (id == T_IN_TEXT) {
            label += "  [" + TableText(charSet == 1 ? T_CHARSET_UNICODE : T_CHARSET_SJIS) + "]";
        }
        typeList->addItem(label);
    }
    bool known = selectedType >= 0 && selectedType < typeList->count();
    typeList->setCurrentIndex(known ? selectedType : kInputHex);
}

int CInputDlg2::InputType() const {
    return typeList->currentIndex();
}

void CInputDlg2::accept() {
    std::string text = CodePage932::FromUtf8(valueField->text().toStdString());
    unsigned char parsed[kCapacity] = {};
    size_t count = 0;
    int result = ParseValue(InputType(), text, count, kCapacity, parsed, littleEndian, charSet);
    if (result != kParseOk) {
        prompt.Message(this, QString::fromStdString(ParseErrorText(result, CTextTable::Language())));
        valueField->setFocus();
        valueField->selectAll();
        return;
    }
    bytes.assign(parsed, parsed + std::min(count, kCapacity));
    QDialog::accept();
}
