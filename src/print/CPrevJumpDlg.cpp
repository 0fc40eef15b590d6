#include "print/CPrevJumpDlg.h"

#include "data/ValueParse.h"
#include "view/CDialogTexts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The page number field takes at most this many pages.
constexpr int64_t kLargestPageNumber = 99999999;

QPushButton* NewButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

CPrevJumpDlg::CPrevJumpDlg(int64_t pages, int64_t currentPageNumber, JumpFunction jumpTo, QWidget* parent)
    : QDialog(parent), pageCount(std::max<int64_t>(pages, 1)), jump(std::move(jumpTo)) {
    setWindowTitle(CDialogTexts::Label(T_DLG_PAGE_JUMP, "プレビュー　ページジャンプ"));
    auto* layout = new QVBoxLayout(this);

    auto* ends = new QHBoxLayout;
    topPage = NewButton(CDialogTexts::Label(T_DLG_TOP_PAGE, "先頭ページ"), "topPage", this);
    lastPage = NewButton(CDialogTexts::Label(T_DLG_LAST_PAGE, "最終ページ"), "lastPage", this);
    ends->addWidget(topPage);
    ends->addWidget(lastPage);
    layout->addLayout(ends);

    auto* pageGroup = new QGroupBox(CDialogTexts::Label(T_DLG_SPECIFIED_PAGE, "指定ページ"), this);
    auto* pageRow = new QHBoxLayout(pageGroup);
    pageField = new QSpinBox(pageGroup);
    pageField->setObjectName("pageField");
    const int last = static_cast<int>(std::min(pageCount, kLargestPageNumber));
    pageField->setRange(1, last);
    pageField->setValue(static_cast<int>(std::clamp<int64_t>(currentPageNumber, 1, last)));
    pageJump = NewButton(CDialogTexts::Label(T_DLG_JUMP, "ジャンプ"), "pageJump", pageGroup);
    pageRow->addWidget(pageField, 1);
    pageRow->addWidget(pageJump);
    layout->addWidget(pageGroup);

    auto* addressGroup = new QGroupBox(CDialogTexts::Label(T_DLG_ADDRESS_HEX, "アドレス(16進)"), this);
    auto* addressRow = new QHBoxLayout(addressGroup);
    addressField = new QLineEdit("0", addressGroup);
    addressField->setObjectName("addressField");
    addressJump = NewButton(CDialogTexts::Label(T_DLG_JUMP, "ジャンプ"), "addressJump", addressGroup);
    addressRow->addWidget(addressField, 1);
    addressRow->addWidget(addressJump);
    layout->addWidget(addressGroup);

    closeButton = NewButton(CDialogTexts::Label(T_DLG_CLOSE, "閉じる"), "closeButton", this);
    layout->addWidget(closeButton, 0, Qt::AlignRight);

    connect(topPage, &QPushButton::clicked, this, [this] { jump(kJumpToPage, 0); });
    connect(lastPage, &QPushButton::clicked, this, [this] { jump(kJumpToPage, pageCount - 1); });
    connect(pageJump, &QPushButton::clicked, this, [this] {
        pageField->interpretText();
        jump(kJumpToPage, static_cast<int64_t>(pageField->value()) - 1);
    });
    connect(addressJump, &QPushButton::clicked, this, &CPrevJumpDlg::JumpToAddress);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void CPrevJumpDlg::JumpToAddress() {
    unsigned char bytes[4] = {};
    size_t count = 0;
    if (ParseHexText(addressField->text().toStdString(), sizeof bytes, bytes, count) != kParseOk ||
        count == 0) {
        return;
    }
    const uint64_t offset = static_cast<uint64_t>(bytes[0]) | (static_cast<uint64_t>(bytes[1]) << 8) |
                            (static_cast<uint64_t>(bytes[2]) << 16) | (static_cast<uint64_t>(bytes[3]) << 24);
    jump(kJumpToOffset, static_cast<int64_t>(offset));
}
