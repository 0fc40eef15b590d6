#include "view/CRepDlg.h"

#include "data/CDataStore.h"
#include "data/DataMessage.h"
#include "data/DataSearch.h"
#include "data/SearchPattern.h"
#include "settings/CTextTable.h"
#include "view/CUserPrompt.h"
#include "view/ISearchHost.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QGroupBox* FieldGroup(QWidget* parent, const QString& title, QLineEdit*& field, const char* objectName) {
    auto* group = new QGroupBox(title, parent);
    field = new QLineEdit(group);
    field->setObjectName(objectName);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(field);
    return group;
}

} // namespace

CRepDlg::CRepDlg(ISearchHost& host, QWidget* parent) : CSearchDlgBase(host, parent) {
    title_ = Label(T_DLG_REPLACE, "置換");
    setWindowTitle(title_);
    hadSelection_ = Host().Store().Pane(Host().Store().CurrentPane()).HasSelection();

    QGroupBox* searchGroup =
        FieldGroup(this, Label(T_DLG_SEARCH_DATA, "検索データ"), searchField_, "searchText");
    QGroupBox* replaceGroup =
        FieldGroup(this, Label(T_DLG_REPLACE_DATA, "置換データ"), replaceField_, "replaceText");
    QGroupBox* typeGroup = CreateTypeGroup();
    QPushButton* backward = CreateButton("backwardButton", T_DLG_BACKWARD, "前方置換");
    QPushButton* forward = CreateButton("forwardButton", T_DLG_FORWARD, "後方置換");
    QPushButton* all = CreateButton("allButton", T_DLG_ALL, "全置換");
    partRep_ = CreateButton("partRepButton", T_DLG_PART_REP, "選択範囲置換");
    QPushButton* jumpTop = CreateButton("jumpTopButton", T_DLG_JUMP_TOP, "先頭ジャンプ");
    QPushButton* jumpEnd = CreateButton("jumpEndButton", T_DLG_JUMP_END, "末尾ジャンプ");
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    cancel_ = CreateButton("cancelButton", T_CANCEL, "キャンセル");
    cancelText_ = cancel_->text();
    partRep_->setEnabled(hadSelection_);

    auto* layout = new QGridLayout(this);
    layout->addWidget(searchGroup, 0, 0, 2, 1);
    layout->addWidget(replaceGroup, 2, 0, 2, 1);
    layout->addWidget(typeGroup, 4, 0, 4, 1);
    int row = 0;
    for (QPushButton* button : {backward, forward, all, partRep_, jumpTop, jumpEnd, ok, cancel_}) {
        layout->addWidget(button, row++, 1);
    }
    controls_ = {searchField_, replaceField_, typeGroup, backward, forward,
                 all,          partRep_,      jumpTop,   jumpEnd,  ok};
    searchField_->setFocus();

    connect(backward, &QPushButton::clicked, this, [this]() { ReplaceNextOne(-1); });
    connect(forward, &QPushButton::clicked, this, [this]() { ReplaceNextOne(1); });
    connect(all, &QPushButton::clicked, this, [this]() { ReplaceAll(false); });
    connect(partRep_, &QPushButton::clicked, this, [this]() { ReplaceAll(true); });
    connect(jumpTop, &QPushButton::clicked, this, [this]() { Host().JumpTop(); });
    connect(jumpEnd, &QPushButton::clicked, this, [this]() { Host().JumpEnd(); });
    connect(ok, &QPushButton::clicked, this, &CRepDlg::accept);
    connect(cancel_, &QPushButton::clicked, this, &CRepDlg::reject);
}

CRepDlg::~CRepDlg() {
    if (runner_.IsRunning()) {
        runner_.RequestStop();
        EndWorker();
    }
}

void CRepDlg::reject() {
    if (runner_.IsRunning()) {
        runner_.RequestStop();
        return;
    }
    CSearchDlgBase::reject();
}

void CRepDlg::done(int result) {
    if (runner_.IsRunning()) {
        runner_.RequestStop();
        return;
    }
    CSearchDlgBase::done(result);
}

bool CRepDlg::ParseTexts(SearchPattern& pattern, SearchPattern& replacement) {
    if (searchField_->text().isEmpty()) {
        return false;
    }
    std::string searchText;
    std::string replaceText;
    if (!SystemText(searchField_, searchField_->text(), searchText) ||
        !SystemText(replaceField_, replaceField_->text(), replaceText)) {
        return false;
    }
    int code = BuildReplacePatterns(SelectedInputType(), searchText, replaceText, Host().LittleEndian(),
                                    Host().CharSet(), pattern, replacement);
    if (code != 0) {
        ShowParseError(code, searchField_);
        return false;
    }
    return true;
}

void CRepDlg::ReplaceNextOne(int direction) {
    SearchPattern pattern;
    SearchPattern replacement;
    if (!ParseTexts(pattern, replacement)) {
        return;
    }
    CDataStore& store = Host().Store();
    ReplaceOutcome outcome =
        ReplaceNext(store, store.Pane(store.CurrentPane()).cursor, pattern, replacement, direction);
    if (!outcome.found) {
        Host().Prompt().Beep();
        return;
    }
    Host().MoveCursorTo(outcome.offset);
    Host().RefreshAfterReplace();
}

void CRepDlg::ReplaceAll(bool selectionOnly) {
    ReplaceAllRequest request;
    if (runner_.IsRunning() || !ParseTexts(request.pattern, request.replacement)) {
        return;
    }
    CDataStore& store = Host().Store();
    request.rangeEnd = store.GetDataSize();
    if (selectionOnly) {
        const PaneSelection& pane = store.Pane(store.CurrentPane());
        if (!pane.HasSelection()) {
            return;
        }
        request.rangeStart = std::min(pane.selAnchor, pane.selEnd);
        request.rangeEnd = std::min(std::max(pane.selAnchor, pane.selEnd), request.rangeEnd);
    }
    if (!CReplaceAllRunner::CanReplaceAll(store, request)) {
        // A library or shared-memory source cannot grow or shrink: refused as its Insert and Delete are.
        Host().Prompt().Message(
            this, QString::fromStdString(DataMessageText(DataMessage::CannotWrite, Host().Language())));
        return;
    }
    SetReplacing(true);
    Host().DeferRepaints(true);
    if (!runner_.Start(store, request, this, Host().StoreListener())) {
        Host().DeferRepaints(false);
        SetReplacing(false);
    }
}

void CRepDlg::SetReplacing(bool replacing) {
    for (QWidget* control : controls_) {
        control->setEnabled(!replacing);
    }
    partRep_->setEnabled(!replacing && hadSelection_);
    cancel_->setText(replacing ? Label(T_STOP, "中断") : cancelText_);
    if (!replacing) {
        setWindowTitle(title_);
    }
}

void CRepDlg::OnReplaceProgress(int percent) {
    QMetaObject::invokeMethod(
        this, [this, percent]() { ShowProgress(percent); }, Qt::QueuedConnection);
}

void CRepDlg::OnReplaceFinished() {
    QMetaObject::invokeMethod(
        this, [this]() { FinishReplaceAll(); }, Qt::QueuedConnection);
}

void CRepDlg::ShowProgress(int percent) {
    if (runner_.IsRunning()) {
        setWindowTitle(QString("%1 - %2%").arg(title_).arg(percent));
    }
}

ReplaceAllResult CRepDlg::EndWorker() {
    ReplaceAllResult result = runner_.Finish();
    ApplyReplaceAllResult(Host().Store(), result);
    Host().DeferRepaints(false);
    Host().RefreshAfterReplace();
    return result;
}

void CRepDlg::FinishReplaceAll() {
    if (!runner_.IsRunning()) {
        return;
    }
    uint64_t count = EndWorker().count;
    SetReplacing(false);
    QString text = QString::fromStdString(CTextTable::Text(T_MSG_REPLACED, Host().Language()));
    Host().Prompt().Message(this, text + QString::number(count));
}
