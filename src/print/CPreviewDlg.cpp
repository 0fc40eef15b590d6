#include "print/CPreviewDlg.h"

#include "settings/CTextTable.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace {

struct ButtonText {
    TextId id;
    const char* japanese;
    const char* name;
};

const ButtonText kButtons[CPreviewDlg::kButtonCount] = {
    {T_DLG_PRINT, "印刷", "print"},
    {T_DLG_NEXT, "次ページ", "next"},
    {T_DLG_PREV, "前ページ", "prev"},
    {T_DLG_JUMP, "ジャンプ", "jump"},
    {T_PREVIEW_2_PAGES, "2ページ表示", "twoPages"},
    {T_DLG_ZOOM_IN, "拡大", "zoomIn"},
    {T_DLG_ZOOM_OUT, "縮小", "zoomOut"},
    {T_DLG_LAYOUT, "レイアウト", "layout"},
    {T_DLG_CLOSE, "閉じる", "close"},
};

} // namespace

QString CPreviewDlg::Label(TextId id, const char* builtInJapanese) const {
    // The texts stay in the language the window was opened in.
    return language == 1 ? QString::fromStdString(CTextTable::Text(id, 1))
                         : QString::fromUtf8(builtInJapanese);
}

CPreviewDlg::CPreviewDlg(QWidget* parent) : QWidget(parent), language(CTextTable::Language()) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    for (int i = 0; i < kButtonCount; ++i) {
        auto* button = new QPushButton(Label(kButtons[i].id, kButtons[i].japanese), this);
        button->setObjectName(kButtons[i].name);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        connect(button, &QPushButton::clicked, this, [this, i] { emit Clicked(i); });
        buttons[static_cast<size_t>(i)] = button;
        row->addWidget(button, 1);
    }
}

void CPreviewDlg::ShowTwoPages(bool twoPages) {
    buttons[kTwoPages]->setText(twoPages ? Label(T_PREVIEW_1_PAGE, "1ページ表示")
                                         : Label(T_PREVIEW_2_PAGES, "2ページ表示"));
}
