#include "view/CSrcDlg.h"

#include "data/CDataStore.h"
#include "data/CSearchHistory.h"
#include "data/DataSearch.h"
#include "data/SearchPattern.h"
#include "platform/CodePage932.h"
#include "view/CSearchRunner.h"
#include "view/ISearchHost.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

CSrcDlg::CSrcDlg(ISearchHost& host, CSearchHistory& history, QWidget* parent)
    : CSearchDlgBase(host, parent), history_(history) {
    setWindowTitle(Label(T_DLG_SEARCH, "検索"));

    auto* dataGroup = new QGroupBox(Label(T_DLG_SEARCH_DATA, "検索データ"), this);
    combo_ = new QComboBox(dataGroup);
    combo_->setObjectName("searchText");
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    // An editable combo box completes typed text from its list (typing 5634 after 563412 would search
    // 563412), folds it onto an entry that differs only in case, and takes the first Return of a box opened
    // with the last search to accept that completion: the text typed is searched as it stands instead.
    combo_->setCompleter(nullptr);
    combo_->setDuplicatesEnabled(true);
    auto* dataLayout = new QVBoxLayout(dataGroup);
    dataLayout->addWidget(combo_);

    QGroupBox* typeGroup = CreateTypeGroup();
    QPushButton* backward = CreateButton("backwardButton", T_DLG_BACKWARD, "前方検索");
    QPushButton* forward = CreateButton("forwardButton", T_DLG_FORWARD, "後方検索");
    QPushButton* jumpTop = CreateButton("jumpTopButton", T_DLG_JUMP_TOP, "先頭ジャンプ");
    QPushButton* jumpEnd = CreateButton("jumpEndButton", T_DLG_JUMP_END, "末尾ジャンプ");
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    QPushButton* cancel = CreateButton("cancelButton", T_CANCEL, "キャンセル");

    auto* layout = new QGridLayout(this);
    layout->addWidget(dataGroup, 0, 0);
    layout->addWidget(typeGroup, 1, 0, 6, 1);
    int row = 0;
    for (QPushButton* button : {backward, forward, jumpTop, jumpEnd, ok, cancel}) {
        layout->addWidget(button, row++, 1);
    }

    SelectInputType(history_.InitialInputType(Host().SizeIndex(), Host().TypeIndex()));
    FillHistory();
    combo_->setFocus();

    connect(combo_, &QComboBox::editTextChanged, this, [this]() { edited_ = true; });
    connect(combo_, QOverload<int>::of(&QComboBox::activated), this, &CSrcDlg::PickHistoryEntry);
    connect(backward, &QPushButton::clicked, this, [this]() { Search(-1); });
    connect(forward, &QPushButton::clicked, this, [this]() { Search(1); });
    connect(jumpTop, &QPushButton::clicked, this, [this]() { Host().JumpTop(); });
    connect(jumpEnd, &QPushButton::clicked, this, [this]() { Host().JumpEnd(); });
    connect(ok, &QPushButton::clicked, this, &CSrcDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSrcDlg::reject);
}

void CSrcDlg::FillHistory() {
    QSignalBlocker blocker(combo_);
    QString current = combo_->currentText();
    combo_->clear();
    for (const SearchHistoryEntry& entry : history_.Entries()) {
        combo_->addItem(QString::fromStdU16String(CodePage932::ToUtf16(entry.text)));
    }
    combo_->setEditText(history_.IsEmpty() || !current.isEmpty() ? current : combo_->itemText(0));
}

void CSrcDlg::PickHistoryEntry(int index) {
    const auto& entries = history_.Entries();
    if (index >= 0 && index < static_cast<int>(entries.size())) {
        SelectInputType(entries[static_cast<size_t>(index)].inputType);
        edited_ = true;
    }
}

bool CSrcDlg::ParseText(SearchPattern& pattern, std::string& text) {
    QString typed = combo_->currentText();
    if (typed.isEmpty() || !SystemText(combo_, typed, text)) {
        return false;
    }
    int code =
        BuildSearchPattern(SelectedInputType(), text, Host().LittleEndian(), Host().CharSet(), pattern);
    if (code != 0) {
        ShowParseError(code, combo_);
        return false;
    }
    return true;
}

bool CSrcDlg::Search(int direction) {
    SearchPattern pattern;
    std::string text;
    if (!ParseText(pattern, text)) {
        return false;
    }
    if (edited_) {
        history_.Remember(text, SelectedInputType());
        FillHistory();
        edited_ = false;
    }
    CDataStore& store = Host().Store();
    uint64_t offset = 0;
    if (CSearchRunner::FindFromCursor(this, store, store.Pane(store.CurrentPane()).cursor, pattern, direction,
                                      offset)) {
        Host().MoveCursorTo(offset);
    }
    return true;
}

void CSrcDlg::accept() {
    Search(1);
    CSearchDlgBase::accept();
}
