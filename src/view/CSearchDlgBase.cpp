#include "view/CSearchDlgBase.h"

#include "data/ValueParse.h"
#include "platform/CodePage932.h"
#include "settings/CTextTable.h"
#include "view/CUserPrompt.h"
#include "view/ISearchHost.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The input types the dialogs offer: HEX to Text, without Bit.
constexpr int kOfferedTypes = kInputText + 1;

const TextId kTypeLabels[kOfferedTypes] = {T_IN_HEX,  T_IN_CHAR,  T_IN_UCHAR, T_IN_SHORT,  T_IN_USHORT,
                                           T_IN_LONG, T_IN_ULONG, T_IN_FLOAT, T_IN_DOUBLE, T_IN_TEXT};

} // namespace

CSearchDlgBase::CSearchDlgBase(ISearchHost& host, QWidget* parent) : QDialog(parent), host_(host) {
    setModal(true);
    host_.ShowDialogCursorMark(true);
    markShown_ = true;
}

CSearchDlgBase::~CSearchDlgBase() {
    RemoveCursorMark();
}

void CSearchDlgBase::done(int result) {
    RemoveCursorMark();
    QDialog::done(result);
}

void CSearchDlgBase::RemoveCursorMark() {
    if (markShown_) {
        markShown_ = false;
        host_.ShowDialogCursorMark(false);
    }
}

QString CSearchDlgBase::Label(TextId id, const char* japanese) const {
    return QString::fromStdString(host_.Language() == 1 ? CTextTable::English(id) : std::string(japanese));
}

int CSearchDlgBase::SelectedInputType() const {
    int row = typeList_ != nullptr ? typeList_->currentRow() : -1;
    return row >= 0 && row < kOfferedTypes ? row : kInputHex;
}

void CSearchDlgBase::SelectInputType(int inputType) {
    if (typeList_ != nullptr) {
        typeList_->setCurrentRow(inputType >= 0 && inputType < kOfferedTypes ? inputType : kInputHex);
    }
}

QGroupBox* CSearchDlgBase::CreateTypeGroup() {
    auto* group = new QGroupBox(Label(T_DLG_DATA_TYPE, "データ形式"), this);
    typeList_ = new QListWidget(group);
    typeList_->setObjectName("typeList");
    int language = host_.Language();
    for (int type = 0; type < kOfferedTypes; ++type) {
        std::string text = CTextTable::Text(kTypeLabels[type], language);
        if (type == kInputText) {
            TextId charSetName = host_.CharSet() == 1 ? T_CHARSET_UNICODE : T_CHARSET_SJIS;
            text += "  [" + CTextTable::Text(charSetName, language) + "]";
        }
        typeList_->addItem(QString::fromStdString(text));
    }
    typeList_->setCurrentRow(kInputHex);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(typeList_);
    return group;
}

QPushButton* CSearchDlgBase::CreateButton(const char* objectName, TextId id, const char* japanese) {
    auto* button = new QPushButton(Label(id, japanese), this);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

bool CSearchDlgBase::SystemText(QWidget* field, const QString& text, std::string& bytes) {
    if (CodePage932::FromUtf16Exact(text.toStdU16String(), bytes)) {
        return true;
    }
    ShowParseError(kParseIllegalCharacter, field);
    return false;
}

void CSearchDlgBase::ShowParseError(int code, QWidget* field) {
    host_.Prompt().Message(this, QString::fromStdString(ParseErrorText(code, host_.Language())));
    if (field != nullptr) {
        field->setFocus();
    }
}
