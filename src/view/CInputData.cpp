#include "view/CInputData.h"

#include "platform/CodePage932.h"
#include "settings/CTextTable.h"
#include "view/CUserPrompt.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString FromSystem(const std::string& text) {
    return QString::fromStdU16String(CodePage932::ToUtf16(text));
}

} // namespace

CInputData::CInputData(const QString& promptText, const QString& title, int valueType,
                       const std::string& text, int language, CUserPrompt& prompt, QWidget* parent)
    : QDialog(parent), prompt_(prompt), value_(valueType), language_(language == 1 ? 1 : 0), text_(text) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    promptLabel_ = new QLabel(promptText, this);
    promptLabel_->setObjectName("promptLabel");
    promptLabel_->setTextFormat(Qt::PlainText);
    layout->addWidget(promptLabel_);

    valueField_ = new QLineEdit(FromSystem(text), this);
    valueField_->setObjectName("valueField");
    valueField_->setAlignment((value_.IsNumeric() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    valueField_->setMinimumWidth(valueField_->fontMetrics().averageCharWidth() * 32);
    layout->addWidget(valueField_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Cancel)
        ->setText(QString::fromStdString(CTextTable::Text(T_CANCEL, language_)));
    connect(buttons, &QDialogButtonBox::accepted, this, &CInputData::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CInputData::reject);
    layout->addWidget(buttons);

    valueField_->setFocus();
    valueField_->selectAll();
}

void CInputData::accept() {
    std::string entered;
    if (!CodePage932::FromUtf16Exact(valueField_->text().toStdU16String(), entered) ||
        value_.Parse(entered) != 0) {
        prompt_.Message(this, QString::fromStdString(CInputValue::IllegalCharacterText(language_)));
        valueField_->setFocus();
        valueField_->selectAll();
        return;
    }
    text_ = entered;
    QDialog::accept();
}
