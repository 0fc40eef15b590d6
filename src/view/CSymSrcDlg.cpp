#include "view/CSymSrcDlg.h"

#include "data/CSymbolHistory.h"
#include "platform/CodePage932.h"
#include "settings/CTextTable.h"
#include "view/ISymbolSearchHost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

CSymSrcDlg::CSymSrcDlg(ISymbolSearchHost& host, CSymbolHistory& history, int optionFlags, QWidget* parent)
    : QDialog(parent), host_(host), history_(history) {
    setModal(true);
    setWindowTitle(Label(T_DLG_SEARCH_SYMBOL, "シンボル検索"));

    auto* nameGroup = new QGroupBox(Label(T_DLG_SYMBOL_NAME, "検索シンボル"), this);
    combo_ = new QComboBox(nameGroup);
    combo_->setObjectName("symbolName");
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    // An editable combo box completes typed text from its list and, on Enter, replaces it by a list entry
    // that differs only in case; both would search another name than the one typed.
    combo_->setCompleter(nullptr);
    combo_->setDuplicatesEnabled(true);
    combo_->setMinimumContentsLength(24);
    auto* nameLayout = new QVBoxLayout(nameGroup);
    nameLayout->addWidget(combo_);

    caps_ = new QCheckBox(Label(T_DLG_CAPS, "大文字小文字を区別する"), this);
    caps_->setObjectName("capsCheck");
    caps_->setChecked((optionFlags & kCapsOption) != 0);
    partMatch_ = new QCheckBox(Label(T_DLG_ALLOW_PART_MATCH, "途中からの一致を許す"), this);
    partMatch_->setObjectName("partMatchCheck");
    partMatch_->setChecked((optionFlags & kPartMatchOption) != 0);

    QPushButton* forward = CreateButton("forwardButton", T_DLG_FORWARD, "後方検索");
    QPushButton* backward = CreateButton("backwardButton", T_DLG_BACKWARD, "前方検索");
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    QPushButton* jumpTop = CreateButton("jumpTopButton", T_DLG_JUMP_TOP, "先頭ジャンプ");
    QPushButton* jumpEnd = CreateButton("jumpEndButton", T_DLG_JUMP_END, "末尾ジャンプ");
    QPushButton* cancel = CreateButton("cancelButton", T_CANCEL, "キャンセル");

    auto* layout = new QGridLayout(this);
    layout->addWidget(nameGroup, 0, 0, 2, 1);
    layout->addWidget(caps_, 2, 0);
    layout->addWidget(partMatch_, 3, 0);
    int row = 0;
    for (QPushButton* button : {forward, backward, ok, jumpTop, jumpEnd, cancel}) {
        layout->addWidget(button, row++, 1);
    }
    layout->setRowStretch(row, 1);

    FillHistory();
    if (combo_->count() > 0) {
        combo_->setCurrentIndex(0);
    }
    combo_->setFocus();
    combo_->lineEdit()->selectAll();

    connect(forward, &QPushButton::clicked, this, [this]() { Search(1); });
    connect(backward, &QPushButton::clicked, this, [this]() { Search(-1); });
    connect(ok, &QPushButton::clicked, this, &CSymSrcDlg::accept);
    connect(jumpTop, &QPushButton::clicked, this, [this]() { host_.JumpTop(); });
    connect(jumpEnd, &QPushButton::clicked, this, [this]() { host_.JumpEnd(); });
    connect(cancel, &QPushButton::clicked, this, &CSymSrcDlg::reject);

    // The cursor stays visible while the dialog has the focus.
    host_.ShowDialogCursorMark(true);
    markShown_ = true;
}

CSymSrcDlg::~CSymSrcDlg() {
    RemoveCursorMark();
}

QString CSymSrcDlg::Label(TextId id, const char* japanese) const {
    return QString::fromStdString(host_.Language() == 1 ? CTextTable::English(id) : std::string(japanese));
}

QPushButton* CSymSrcDlg::CreateButton(const char* objectName, TextId id, const char* japanese) {
    auto* button = new QPushButton(Label(id, japanese), this);
    button->setObjectName(objectName);
    // Enter always means OK, whichever button has the focus.
    button->setAutoDefault(false);
    return button;
}

int CSymSrcDlg::SearchFlags() const {
    return (caps_->isChecked() ? kCaseSensitiveFlag : 0) | (partMatch_->isChecked() ? kPartialFlag : 0);
}

int CSymSrcDlg::OptionFlags(int optionFlags) const {
    optionFlags &= ~(kCapsOption | kPartMatchOption);
    return optionFlags | (caps_->isChecked() ? kCapsOption : 0) |
           (partMatch_->isChecked() ? kPartMatchOption : 0);
}

int CSymSrcDlg::SearchFlagsOfOptions(int optionFlags) {
    return ((optionFlags & kCapsOption) != 0 ? kCaseSensitiveFlag : 0) |
           ((optionFlags & kPartMatchOption) != 0 ? kPartialFlag : 0);
}

void CSymSrcDlg::FillHistory() {
    QSignalBlocker blocker(combo_);
    combo_->clear();
    for (const std::string& entry : history_.Entries()) {
        combo_->addItem(QString::fromStdU16String(CodePage932::ToUtf16(entry)));
    }
}

void CSymSrcDlg::Search(int direction) {
    QString typed = combo_->currentText();
    if (typed.isEmpty()) {
        return;
    }
    // A character without a code page 932 form cannot occur in a symbol name: such a text finds nothing.
    std::string text;
    if (!CodePage932::FromUtf16Exact(typed.toStdU16String(), text)) {
        return;
    }
    host_.FindSymbol(direction, text, SearchFlags());
    history_.Remember(text);
    FillHistory();
    combo_->setCurrentIndex(0);
}

void CSymSrcDlg::accept() {
    Search(1);
    QDialog::accept();
}

void CSymSrcDlg::done(int result) {
    RemoveCursorMark();
    QDialog::done(result);
}

void CSymSrcDlg::RemoveCursorMark() {
    if (markShown_) {
        markShown_ = false;
        host_.ShowDialogCursorMark(false);
    }
}
