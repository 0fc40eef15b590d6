#include "view/CMainFrame.h"

#include "compare/CCompareController.h"
#include "data/ValueFormat.h"
#include "options/COptionController.h"
#include "platform/ExecutablePath.h"
#include "platform/InstanceMessages.h"
#include "settings/CTextTable.h"
#include "settings/CommandIds.h"
#include "view/CCmdRadioButton.h"
#include "view/CColorStsBar.h"
#include "view/CCommandLabels.h"
#include "view/CCursorMover.h"
#include "view/CDataArea.h"
#include "view/CDataView.h"
#include "view/CEditActions.h"
#include "view/CFileCommands.h"
#include "view/CKeyTranslator.h"
#include "view/CMenuBuilder.h"
#include "view/CMyDialogBar.h"
#include "view/CPrintController.h"
#include "view/CStatusPanes.h"
#include "view/CSymbolController.h"
#include "view/CToolIcons.h"
#include "view/CUserPrompt.h"
#include "view/CVersionDlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

QString Tr(TextId id) {
    return QString::fromStdString(CTextTable::Text(id));
}

// Tool bar buttons, left to right; 0 is a separator.
const int kToolButtons[] = {ID_FILE_OPEN,
                            ID_FILE_SAVE,
                            0,
                            ID_CUT,
                            ID_COPY,
                            ID_PASTE,
                            0,
                            ID_UNDO,
                            ID_REDO,
                            0,
                            ID_JUMP_TOP,
                            ID_JUMP_END,
                            ID_JUMP_TO,
                            0,
                            ID_SYMBOL_SEARCH,
                            ID_SYMBOL_SEARCH_FORWARD,
                            ID_SYMBOL_SEARCH_BACKWARD,
                            0,
                            ID_SEARCH,
                            ID_SEARCH_FORWARD,
                            ID_SEARCH_BACKWARD,
                            0,
                            ID_MARK_TOGGLE,
                            ID_MARK_NEXT,
                            ID_MARK_PREV};

// Faces tried, in order, when the stored face is not installed: fixed pitch with Japanese glyphs first.
const char* const kFallbackFaces[] = {"Noto Sans Mono CJK JP",
                                      "Noto Sans Mono CJK JP Regular",
                                      "Source Han Mono",
                                      "VL Gothic",
                                      "IPAGothic",
                                      "TakaoGothic",
                                      "DejaVu Sans Mono",
                                      "Liberation Mono"};

} // namespace

CMainFrame::CMainFrame(CUserPrompt* userPrompt) : prompt(userPrompt) {
    if (!prompt) {
        ownedPrompt = std::make_unique<CUserPrompt>();
        prompt = ownedPrompt.get();
    }
    store.SetListener(this);
    symbols.SetOwner(&store);
    layout.SetSymbols(&symbols);
    edit = std::make_unique<CEditActions>(*this);
    files = std::make_unique<CFileCommands>(*this);
    scripts = std::make_unique<CSymbolController>(*this);
    compare = std::make_unique<CCompareController>(*this);
    printing = std::make_unique<CPrintController>(*this);
    options = std::make_unique<COptionController>(*this);
    SetFloatFormat(floatWidth, settings.floatPrecision);
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    store.SetListener(nullptr);
}

bool CMainFrame::Create() {
    setWindowTitle("KIVRAN");
    menus = new CMenuBuilder(menuBar(), this);
    menus->Build();
    connect(menus, &CMenuBuilder::Command, this, &CMainFrame::OnCommand);
    // Whether another copy to compare with runs is found out when the menu holding Compare opens.
    connect(menus->TopMenu(2), &QMenu::aboutToShow, this, [this] { compare->FindPartners(); });
    for (int i = 0; i < 7; ++i) {
        connect(menus->TopMenu(i), &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    }
    CreateToolBar();
    CreateBars();
    CreateCentralArea();

    sizeTypeBar->CheckSize(0);
    sizeTypeBar->CheckType(1);
    OnSizeTypeCommand(ID_SIZE_1BYTE);

    SetDisplayFont(settings.displayFont);
    SetFloatFormat(floatWidth, settings.floatPrecision);
    ApplyDataSourceSettings();
    PrepareDataSource();
    ShowCharSetPane();
    UpdateRecentMenu();

    settings.language = settings.language == 1 ? 1 : 0;
    CTextTable::SetLanguage(settings.language);
    if (!(settings.optionFlags & KivranSettings::kFirstStartDone)) {
        FirstStart();
    }
    ApplyLanguage();
    RefreshStatus();

    setAcceptDrops(true);
    FollowDialogFocus();
    StartChannel();
    qApp->installEventFilter(this);
    created = true;
    UpdateTitle();
    if (store.NeedsRefresh()) {
        scripts->OnSourceAttached();
    }
    UpdateCommandStates();
    return true;
}

void CMainFrame::CreateToolBar() {
    toolBar = new QToolBar(this);
    toolBar->setObjectName("toolBar");
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(16, 15));
    toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (int command : kToolButtons) {
        if (command == 0) {
            toolBar->addSeparator();
            continue;
        }
        QAction* action = toolBar->addAction(CToolIcons::Icon(command), QString());
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    }
    addToolBar(Qt::TopToolBarArea, toolBar);
}

void CMainFrame::CreateBars() {
    statusPanes = new CColorStsBar(this);
    statusPanes->setObjectName("statusBar");
    statusPanes->SetPanes(
        {"FILE", "MEMORY", "NORMAL", "OVW", "999,999,999 bytes", "0xDDDDDDDD", "100%", "Shift-JIS"});
    numericBar = new CColorStsBar(this);
    numericBar->setObjectName("numericBar");
    numericBar->SetPanes({"S :  -32767", "US : 65536", "L :  2147483647", "UL :  4294967295",
                          "F : 1.000000000000000000", "D : -1.00000000000000000"});
    panes = std::make_unique<CStatusPanes>(*statusPanes, *numericBar);
    sizeTypeBar = new CMyDialogBar(this);
    sizeTypeBar->setObjectName("sizeTypeBar");
    connect(sizeTypeBar, &CMyDialogBar::Command, this, &CMainFrame::OnSizeTypeCommand);
}

void CMainFrame::CreateCentralArea() {
    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    // The scroll bars follow the split bar and leave the header row and the address column their strips,
    // so the data area places them itself.
    auto* area = new CDataArea(central);
    area->setObjectName("dataArea");
    vScroll[0] = new QScrollBar(Qt::Vertical, area);
    vScroll[1] = new QScrollBar(Qt::Vertical, area);
    hScroll = new QScrollBar(Qt::Horizontal, area);
    dataView = new CDataView(this, vScroll[0], vScroll[1], hScroll, area);
    dataView->setObjectName("dataView");
    vScroll[0]->setObjectName("vScroll0");
    vScroll[1]->setObjectName("vScroll1");
    hScroll->setObjectName("hScroll");
    vScroll[1]->hide();
    area->SetParts(dataView, vScroll[0], vScroll[1], hScroll);
    grid->addWidget(area, 0, 0);
    grid->addWidget(sizeTypeBar, 1, 0);
    grid->addWidget(numericBar, 2, 0);
    grid->addWidget(statusPanes, 3, 0);
    grid->setRowStretch(0, 1);
    setCentralWidget(central);
    dataView->setFocus();
}

void CMainFrame::ApplyDataSourceSettings() {
    DataSourceSettings s;
    s.dllFileName = settings.dllFileName;
    s.readFuncName = settings.readFuncName;
    s.writeFuncName = settings.writeFuncName;
    s.dllMemorySize = static_cast<uint64_t>(settings.dllMemorySize < 0 ? 0 : settings.dllMemorySize);
    s.mmfName = settings.mmfName;
    s.mutexName = settings.mutexName;
    s.mmfMemorySize = static_cast<uint64_t>(settings.mmfMemorySize < 0 ? 0 : settings.mmfMemorySize);
    s.maxFileSizeForMemory =
        static_cast<uint64_t>(settings.maxFileSizeForMemory < 0 ? 0 : settings.maxFileSizeForMemory);
    store.SetSettings(s);
    store.SetOptionFlags(settings.optionFlags);
    store.SetUndoLimit(static_cast<uint64_t>(settings.maxUndoSize < 0 ? 0 : settings.maxUndoSize));
    store.RecentFiles().SetEntries(settings.recentFiles);
}

void CMainFrame::PrepareDataSource() {
    switch (settings.mode) {
    case CDataStore::kModeDll:
    case CDataStore::kModeSharedMemory:
        if (settings.mode == CDataStore::kModeSharedMemory) {
            settings.insertMode = 0;
        }
        ShowOutcome(store.AttachSource(settings.mode));
        StartRefreshTimer();
        break;
    default:
        settings.mode = CDataStore::kModeFile;
        break;
    }
    ShowModePanes(store.AttachedSource(), store.AccessFlags(), settings.insertMode);
    ShowSizePane(static_cast<int64_t>(store.GetDataSize()));
}

void CMainFrame::StartRefreshTimer() {
    if (!refreshTimer) {
        refreshTimer = new QTimer(this);
        connect(refreshTimer, &QTimer::timeout, this, &CMainFrame::OnRefreshTimer);
    }
    refreshTimer->start(settings.elapse > 0 ? settings.elapse : 100);
}

void CMainFrame::OnRefreshTimer() {
    if (!store.NeedsRefresh()) {
        refreshTimer->stop();
        return;
    }
    dataView->RepaintAll();
    ShowAddressPane();
}

void CMainFrame::FirstStart() {
    int chosen = prompt->ChooseLanguage(this, settings.language);
    settings.language = chosen == 1 ? 1 : 0;
    CTextTable::SetLanguage(settings.language);
    prompt->Message(this, Tr(T_MSG_FIRST_START));
    settings.optionFlags |= KivranSettings::kFirstStartDone;
    store.SetOptionFlags(settings.optionFlags);
}

void CMainFrame::ApplyLanguage() {
    const CKeyTable keys(settings.keyTable);
    menus->Relabel(CTextTable::Language(), keys);
    sizeTypeBar->ApplyLanguage(CTextTable::Language());
    for (QAction* action : toolBar->actions()) {
        int label = CCommandLabels::LabelOf(action->data().toInt());
        if (label >= 0) {
            // The tip is the menu label exactly as stored, with its "&".
            action->setToolTip(QString::fromStdString(CTextTable::Text(static_cast<TextId>(label))));
            action->setStatusTip(action->toolTip());
        }
    }
    ShowCharSetPane();
}

void CMainFrame::BuildAccelerators() {
    accelerators.reset();
    if (!settings.keyTable.empty()) {
        accelerators = std::make_unique<CKeyTable>(settings.keyTable);
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // Keys going to any widget of this window (the data area or a bar) are checked against the key table
    // first; keys of dialogs and open menus are left alone.
    auto* target = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::KeyPress && accelerators && isEnabled() && target &&
        target->window() == this && !QApplication::activePopupWidget() &&
        !QApplication::activeModalWidget()) {
        const uint16_t command = CKeyTranslator::CommandFor(*accelerators, *static_cast<QKeyEvent*>(event));
        if (command != 0) {
            OnCommand(command);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::ApplyStoredPlacement() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    auto clamp = [](int v, int hi) { return v < 0 ? 0 : (v > hi ? hi : v); };
    int left = clamp(settings.windowLeft, area.width());
    int right = clamp(settings.windowRight, area.width());
    int top = clamp(settings.windowTop, area.height());
    int bottom = clamp(settings.windowBottom, area.height());
    if (top < bottom && left < right) {
        setGeometry(left, top, right - left, bottom - top);
    } else {
        resize(900, 600);
    }
}

void CMainFrame::RememberNormalRect() {
    if (!created || isMaximized() || isMinimized() || isFullScreen()) {
        return;
    }
    const QRect r = geometry();
    settings.windowLeft = r.left();
    settings.windowTop = r.top();
    settings.windowRight = r.left() + r.width();
    settings.windowBottom = r.top() + r.height();
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    RememberNormalRect();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    RememberNormalRect();
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        UpdateTitle();
    }
}

QString CMainFrame::TitleText(bool active) const {
    QString title = "KIVRAN";
    const QString path = QString::fromStdString(store.FilePath());
    if (!path.isEmpty()) {
        title += " - " + (active ? path : QFileInfo(path).fileName());
    }
    if (store.IsModified()) {
        title += " *";
    }
    return title;
}

void CMainFrame::UpdateTitle() {
    setWindowTitle(TitleText(isActiveWindow()));
}

void CMainFrame::PrepareDestroy() {
    settings.windowStyle = isMaximized() ? KivranSettings::kMaximizedStyle : 0;
    if (refreshTimer) {
        refreshTimer->stop();
    }
    printing->ClosePreview();
    accelerators.reset();
}

void CMainFrame::CollectSettings() {
    settings.mode = store.Mode();
    settings.recentFiles = store.RecentFiles().Entries();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // A running script still uses the data and the window.
    if (scripts->IsBusy() || !AskSaveChanges()) {
        event->ignore();
        return;
    }
    PrepareDestroy();
    event->accept();
}

bool CMainFrame::AskSaveChanges() {
    return files->AskSaveChanges();
}

bool CMainFrame::OpenFile(const QString& path, bool askSave) {
    return files->OpenFile(path, askSave);
}

void CMainFrame::StopRefreshTimer() {
    if (refreshTimer) {
        refreshTimer->stop();
    }
}

void CMainFrame::UpdateRecentMenu() {
    menus->SetRecentFiles(store.RecentFiles().Entries());
}

void CMainFrame::ShowOutcome(const DataOutcome& outcome) {
    files->ShowOutcome(outcome);
}

void CMainFrame::ShowVersion() {
    CVersionDlg dialog(this);
    dialog.exec();
}

void CMainFrame::ToggleBar(QWidget* bar, int command) {
    bar->setVisible(bar->isHidden());
    if (QAction* action = menus->Action(command)) {
        action->setChecked(!bar->isHidden());
    }
    dataView->RepaintAll();
}

void CMainFrame::OnCommand(int command) {
    if (scripts->IsBusy()) {
        return;
    }
    if (command >= ID_FILE_MRU_FIRST && command < ID_FILE_MRU_FIRST + 10) {
        files->OpenRecent(command - ID_FILE_MRU_FIRST);
        return;
    }
    const bool shift = QApplication::keyboardModifiers() & Qt::ShiftModifier;
    switch (command) {
    case ID_FILE_NEW:
        files->New();
        break;
    case ID_FILE_OPEN:
        files->Open();
        break;
    case ID_FILE_SAVE:
        files->Save();
        break;
    case ID_FILE_SAVE_AS:
        files->SaveAs();
        break;
    case ID_APP_EXIT:
        close();
        break;
    case ID_UNDO:
        UndoRedo(false);
        break;
    case ID_REDO:
        UndoRedo(true);
        break;
    case ID_VIEW_TOOLBAR:
        ToggleBar(toolBar, command);
        break;
    case ID_VIEW_NUMERICBAR:
        ToggleBar(numericBar, command);
        break;
    case ID_VIEW_STATUSBAR:
        ToggleBar(statusPanes, command);
        break;
    case ID_VIEW_2_WINDOW:
        dataView->ToggleSplit();
        UpdateFormatChecks();
        break;
    case ID_VIEW_CHANGE_WINDOW:
        dataView->ChangeWindow();
        break;
    case ID_LITTLE_ENDIAN:
        SetLittleEndian(1);
        break;
    case ID_BIG_ENDIAN:
        SetLittleEndian(0);
        break;
    case ID_ADDRESS_HEX:
        SetDecimalAddress(0);
        break;
    case ID_ADDRESS_DEC:
        SetDecimalAddress(1);
        break;
    case ID_CHARSET_SJIS:
        SetCharSet(0);
        break;
    case ID_CHARSET_UNICODE:
        SetCharSet(1);
        break;
    case ID_CURSOR_LEFT:
        dataView->CursorKey(CCursorMover::Left, shift);
        break;
    case ID_CURSOR_RIGHT:
        dataView->CursorKey(CCursorMover::Right, shift);
        break;
    case ID_CURSOR_UP:
        dataView->CursorKey(CCursorMover::Up, shift);
        break;
    case ID_CURSOR_DOWN:
        dataView->CursorKey(CCursorMover::Down, shift);
        break;
    case ID_CURSOR_LINE_HOME:
        dataView->CursorKey(CCursorMover::Home, shift);
        break;
    case ID_CURSOR_LINE_END:
        dataView->CursorKey(CCursorMover::End, shift);
        break;
    case ID_CURSOR_PAGE_UP:
        dataView->PageKey(false);
        break;
    case ID_CURSOR_PAGE_DOWN:
        dataView->PageKey(true);
        break;
    case ID_JUMP_TOP:
        JumpTop();
        break;
    case ID_JUMP_END:
        JumpEnd();
        break;
    case ID_JUMP_TO:
        edit->JumpTo();
        break;
    case ID_OFFSET_1BYTE_ABS:
        edit->OffsetJump(1, false);
        break;
    case ID_OFFSET_2BYTE_ABS:
        edit->OffsetJump(2, false);
        break;
    case ID_OFFSET_4BYTE_ABS:
        edit->OffsetJump(4, false);
        break;
    case ID_OFFSET_1BYTE_REL:
        edit->OffsetJump(1, true);
        break;
    case ID_OFFSET_2BYTE_REL:
        edit->OffsetJump(2, true);
        break;
    case ID_OFFSET_4BYTE_REL:
        edit->OffsetJump(4, true);
        break;
    case ID_MARK_TOGGLE:
        edit->ToggleMark();
        break;
    case ID_MARK_NEXT:
        edit->NextMark();
        break;
    case ID_MARK_PREV:
        edit->PrevMark();
        break;
    case ID_MARK_REMOVE_ALL:
        edit->RemoveAllMarks();
        break;
    case ID_WRITE:
        edit->Write();
        break;
    case ID_CUT:
        edit->Cut();
        break;
    case ID_COPY:
        edit->Copy();
        break;
    case ID_PASTE:
        edit->Paste();
        break;
    case ID_SELECT_ALL:
        edit->SelectAll();
        break;
    case ID_FAST_INPUT:
        settings.optionFlags ^= 0x10;
        store.SetOptionFlags(settings.optionFlags);
        UpdateFormatChecks();
        break;
    case ID_SEARCH:
        search.OnSearch(*this);
        break;
    case ID_SEARCH_FORWARD:
        search.OnForwardSearch(*this);
        break;
    case ID_SEARCH_BACKWARD:
        search.OnBackwardSearch(*this);
        break;
    case ID_REPLACE:
        search.OnReplace(*this);
        break;
    case ID_HELP:
        scripts->OnHelp();
        break;
    case ID_MACRO_HELP:
        scripts->OnMacroHelp();
        break;
    case ID_LOAD_SYMBOL:
        scripts->OnLoadSymbol();
        break;
    case ID_RELOAD_SYMBOL:
        scripts->OnReloadSymbol();
        break;
    case ID_EXECUTE_MACRO:
        scripts->OnExecuteMacro();
        break;
    case ID_SYMBOL_SEARCH:
        scripts->OnSymbolSearch();
        break;
    case ID_SYMBOL_SEARCH_FORWARD:
        scripts->OnSymbolForwardSearch();
        break;
    case ID_SYMBOL_SEARCH_BACKWARD:
        scripts->OnSymbolBackwardSearch();
        break;
    case ID_FILE_PRINT:
        printing->OnPrint();
        break;
    case ID_FILE_PRINT_PREVIEW:
        printing->OnPrintPreview();
        break;
    case ID_FILE_PRINT_SETUP:
        printing->OnPrinterSetup();
        break;
    case ID_COMPARE:
        compare->OnCompare();
        break;
    case ID_COMPARE_RESET:
        compare->OnResetDifferences();
        break;
    case ID_COMPARE_NEXT:
        compare->OnNextDifference();
        break;
    case ID_APP_ABOUT:
        ShowVersion();
        break;
    case ID_OPTION:
        options->OnOption();
        break;
    default:
        break;
    }
}

void CMainFrame::UndoRedo(bool redo) {
    uint64_t offset = 0;
    const bool done = redo ? store.Redo(offset) : store.Undo(offset);
    if (!done) {
        return;
    }
    pendingNibble = -1;
    const int pane = store.CurrentPane();
    PaneSelection& s = store.Pane(pane);
    s.selAnchor = s.selEnd = s.cursor;
    dataView->Relayout();
    dataView->MoveCursorTo(pane, std::min(offset, store.GetDataSize()));
    ShowSizePane(static_cast<int64_t>(store.GetDataSize()));
    ShowUndoPane();
}

void CMainFrame::SetLittleEndian(int value) {
    littleEndian = value;
    UpdateFormatChecks();
    dataView->RepaintAll();
    ShowNumericBar();
}

void CMainFrame::SetDecimalAddress(int value) {
    decimalAddress = value;
    UpdateFormatChecks();
    dataView->Relayout();
    ShowAddressPane();
}

void CMainFrame::SetCharSet(int value) {
    if (settings.charSet != value) {
        settings.charSet = value;
        ShowCharSetPane();
        dataView->RepaintAll();
    }
    UpdateFormatChecks();
}

void CMainFrame::UpdateFormatChecks() {
    auto check = [this](int command, bool on) {
        if (QAction* a = menus->Action(command)) {
            a->setCheckable(true);
            a->setChecked(on);
        }
    };
    check(ID_LITTLE_ENDIAN, littleEndian == 1);
    check(ID_BIG_ENDIAN, littleEndian == 0);
    check(ID_ADDRESS_HEX, decimalAddress == 0);
    check(ID_ADDRESS_DEC, decimalAddress == 1);
    check(ID_CHARSET_SJIS, settings.charSet == 0);
    check(ID_CHARSET_UNICODE, settings.charSet == 1);
    check(ID_VIEW_2_WINDOW, dataView && dataView->IsSplit());
    check(ID_FAST_INPUT, !(settings.optionFlags & 0x10));
}

void CMainFrame::OnTypedText(const QString& text) {
    edit->TypeText(text);
}

void CMainFrame::OnDeleteKey() {
    edit->DeleteKey();
}

void CMainFrame::OnBackspaceKey() {
    edit->Backspace();
}

void CMainFrame::OnEscapeKey() {
    scripts->Abort();
}

void CMainFrame::SetByteOrderFromScript(int little) {
    SetLittleEndian(little ? 1 : 0);
}

void CMainFrame::ScrollPanesToTop() {
    for (int pane = 0; pane < 2; ++pane) {
        dataView->ScrollToRow(pane, 0);
    }
    dataView->Relayout();
}

int CMainFrame::Language() const {
    return CTextTable::Language();
}

void CMainFrame::MoveCursorTo(uint64_t offset) {
    dataView->MoveCursorTo(store.CurrentPane(), offset);
}

void CMainFrame::ShowDialogCursorMark(bool shown) {
    dialogCursorMark = shown ? store.Pane(store.CurrentPane()).cursor : 0xFFFFFFFF;
    dataView->RepaintAll();
}

void CMainFrame::JumpTop() {
    if (store.GetDataSize() != 0) {
        MoveCursorTo(0);
    }
}

void CMainFrame::JumpEnd() {
    if (store.GetDataSize() != 0) {
        MoveCursorTo(store.GetDataSize() - 1);
    }
}

void CMainFrame::RefreshAfterReplace() {
    dataView->Relayout();
    ShowAddressPane();
    ShowSizePane(static_cast<int64_t>(store.GetDataSize()));
    ShowUndoPane();
}

void CMainFrame::DeferRepaints(bool deferred) {
    dataView->SetDeferred(deferred);
    if (!deferred) {
        RefreshAfterReplace();
    }
}

void CMainFrame::UpdateCommandStates() {
    auto enable = [this](int command, bool on) {
        if (QAction* a = menus->Action(command)) {
            a->setEnabled(on);
        }
        for (QAction* a : toolBar->actions()) {
            if (a->data().toInt() == command) {
                a->setEnabled(on);
            }
        }
    };
    const bool hasData = store.GetDataSize() != 0;
    const bool hasSelection = edit->CanCopy();
    enable(ID_FILE_SAVE, store.CanSave());
    enable(ID_UNDO, store.CanUndo());
    enable(ID_REDO, store.CanRedo());
    enable(ID_WRITE, edit->CanWrite());
    enable(ID_COPY, hasSelection);
    enable(ID_CUT, hasSelection);
    enable(ID_PASTE, edit->CanPaste());
    enable(ID_SELECT_ALL, hasData);
    for (int c :
         {ID_JUMP_TO, ID_JUMP_TOP, ID_JUMP_END, ID_MARK_TOGGLE, ID_OFFSET_1BYTE_ABS, ID_OFFSET_2BYTE_ABS,
          ID_OFFSET_4BYTE_ABS, ID_OFFSET_1BYTE_REL, ID_OFFSET_2BYTE_REL, ID_OFFSET_4BYTE_REL}) {
        enable(c, hasData);
    }
    const bool hasMarks = !store.Marks().empty();
    enable(ID_MARK_NEXT, hasMarks);
    enable(ID_MARK_PREV, hasMarks);
    enable(ID_MARK_REMOVE_ALL, hasMarks);
    enable(ID_SEARCH, search.CanSearch(*this));
    enable(ID_SEARCH_FORWARD, search.CanRepeatSearch(*this));
    enable(ID_SEARCH_BACKWARD, search.CanRepeatSearch(*this));
    enable(ID_REPLACE, search.CanReplace(*this));
    enable(ID_VIEW_CHANGE_WINDOW, dataView->IsSplit());
    enable(ID_RELOAD_SYMBOL, scripts->CanReloadSymbol());
    enable(ID_COMPARE, compare->CanCompare());
    enable(ID_COMPARE_RESET, compare->CanResetDifferences());
    enable(ID_COMPARE_NEXT, compare->CanJumpToNextDifference());
    enable(ID_SYMBOL_SEARCH_FORWARD, scripts->CanRepeatSymbolSearch());
    enable(ID_SYMBOL_SEARCH_BACKWARD, scripts->CanRepeatSymbolSearch());
    for (int c : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP}) {
        enable(c, printing->CanPrint());
    }
    const bool fastInputAllowed =
        (layout.SizeIndex() == 0 && layout.TypeIndex() == 1 && edit->CanWrite()) || layout.TypeIndex() == 5;
    enable(ID_FAST_INPUT, fastInputAllowed);
    UpdateFormatChecks();
}

void CMainFrame::ToggleInsertMode() {
    if (store.Mode() != CDataStore::kModeFile || store.AccessFlags() != 0) {
        return;
    }
    settings.insertMode = 1 - settings.insertMode;
    ShowModePanes(store.Mode(), store.AccessFlags(), settings.insertMode);
}

void CMainFrame::OpenWriteDialogAt(uint64_t offset) {
    edit->OpenWriteDialogAt(offset);
}

void CMainFrame::OnSizeTypeCommand(int command) {
    int size = sizeTypeBar->SizeIndex();
    if (CMyDialogBar::SizeIndexOfCommand(command) >= 0) {
        const int mask = CRowLayout::AllowedTypeMask(size < 0 ? 0 : size);
        sizeTypeBar->ShowTypes(mask);
        int type = sizeTypeBar->TypeIndex();
        if (type < 0 || !((mask >> type) & 1)) {
            sizeTypeBar->CheckType(typeForSize[size]);
        }
    }
    int type = sizeTypeBar->TypeIndex();
    if (size < 0 || type < 0) {
        return;
    }
    typeForSize[size] = type;
    const int oldSize = lastSizeIndex;
    const int oldType = lastTypeIndex;
    layout.Set(size, type, floatWidth);
    if (dataView) {
        dataView->ApplyLayout(oldSize, oldType);
    }
    lastSizeIndex = size;
    lastTypeIndex = type;
    pendingNibble = -1;
}

void CMainFrame::UpdateSymbolButton() {
    if (!sizeTypeBar) {
        return;
    }
    if (symbols.GetSymbolRows() > 0) {
        // Shown and selected, as if clicked: the view switches to SYMBOL.
        sizeTypeBar->ShowSymbolButton(true);
        sizeTypeBar->CheckSize(4);
        OnSizeTypeCommand(ID_SIZE_SYMBOL);
        return;
    }
    if (sizeTypeBar->SizeIndex() == 4) {
        sizeTypeBar->CheckSize(0);
        OnSizeTypeCommand(ID_SIZE_1BYTE);
    }
    sizeTypeBar->SizeButton(4)->SetCheck(false);
    sizeTypeBar->ShowSymbolButton(false);
}

void CMainFrame::SymbolsChanged() {
    if (dataView) {
        dataView->Relayout();
        ShowAddressPane();
    }
}

void CMainFrame::SetDisplayFont(const LogFont& description) {
    displayFont = FontFromDescription(description);
    QFontMetrics fm(displayFont);
    charHeight = hexCharWidth = maxCharWidth = 0;
    const QString digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int i = 0; i < digits.size(); ++i) {
        const QString c = digits.mid(i, 1);
        int advance = fm.horizontalAdvance(c);
        if (i < 16) {
            charHeight = std::max(charHeight, fm.height());
            hexCharWidth = std::max(hexCharWidth, advance);
        }
        maxCharWidth = std::max(maxCharWidth, advance);
    }
    if (dataView) {
        dataView->setFont(displayFont);
        dataView->Relayout();
    }
}

QFont CMainFrame::FontFromDescription(const LogFont& d) {
    QFont font;
    const QStringList families = QFontDatabase::families();
    const QString face = QString::fromStdString(d.faceName);
    if (!face.isEmpty() && families.contains(face, Qt::CaseInsensitive)) {
        font.setFamily(face);
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        for (const char* candidate : kFallbackFaces) {
            if (families.contains(QString::fromUtf8(candidate), Qt::CaseInsensitive)) {
                font.setFamily(QString::fromUtf8(candidate));
                break;
            }
        }
    }
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    const int64_t height = d.height == 0 ? -16 : d.height;
    // A negative height is the character height; a positive one the cell height, of which the character
    // takes about seven eighths. A hand-edited extreme is held to sizes a screen can show.
    const int64_t kLargestPixelSize = 512;
    const int64_t pixels = height < 0 ? -height : height * 7 / 8;
    font.setPixelSize(static_cast<int>(std::clamp<int64_t>(pixels, 1, kLargestPixelSize)));
    font.setWeight(d.weight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(d.italic != 0);
    return font;
}

void CMainFrame::SetFloatFormat(int width, int precision) {
    floatWidth = width > 20 ? 20 : width;
    if (precision > floatWidth - 1) {
        precision = floatWidth - 1;
    }
    settings.floatPrecision = precision;
    layout.Set(layout.SizeIndex(), layout.TypeIndex(), floatWidth);
    floatFormatE = QString::asprintf("%%%d.%dle", floatWidth, precision).toStdString();
    floatFormatF = QString::asprintf("%%%d.%dlf", floatWidth, precision).toStdString();
}

void CMainFrame::ShowModePanes(int source, int accessFlags, int insert) {
    panes->ShowMode(source, accessFlags, insert);
}

void CMainFrame::ShowSizePane(int64_t size) {
    panes->ShowSize(size);
}

void CMainFrame::ShowAddressPane() {
    panes->ShowAddress(store.Pane(store.CurrentPane()).cursor, decimalAddress);
    ShowNumericBar();
    ScheduleCommandStates();
}

void CMainFrame::ShowNumericBar() {
    unsigned char bytes[8] = {0};
    const uint64_t count = store.ReadData(store.Pane(store.CurrentPane()).cursor, bytes, 8);
    panes->ShowNumeric(bytes, count, littleEndian, floatWidth, settings.floatPrecision);
}

void CMainFrame::ShowUndoPane() {
    panes->ShowUndo(store.UndoUsagePercent(), store.UndoPaneRed());
}

void CMainFrame::ShowCharSetPane() {
    panes->ShowCharSet(settings.charSet, CTextTable::Language());
}

void CMainFrame::RefreshStatus() {
    ShowModePanes(store.AttachedSource(), store.AccessFlags(), settings.insertMode);
    ShowSizePane(static_cast<int64_t>(store.GetDataSize()));
    ShowAddressPane();
    ShowUndoPane();
    ShowCharSetPane();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            files << url.toLocalFile();
        }
    }
    event->acceptProposedAction();
    DropFiles(files);
}

void CMainFrame::DropFiles(const QStringList& paths) {
    if (scripts->IsBusy()) {
        return;
    }
    files->DropFiles(paths);
}

void CMainFrame::FollowDialogFocus() {
    // When one of our dialogs closes and no window took the focus (no window manager hands it back), the main
    // window takes it again, so that the keys typed next reach the data.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* now) {
        QWindow* before = lastFocusWindow.data();
        lastFocusWindow = now;
        if (now != nullptr || before == nullptr || before == windowHandle() || before->isVisible() ||
            !isVisible()) {
            return;
        }
        QTimer::singleShot(0, this, [this] {
            if (QGuiApplication::focusWindow() != windowHandle() &&
                QApplication::activeModalWidget() == nullptr && isVisible()) {
                activateWindow();
                dataView->setFocus();
            }
        });
    });
}

void CMainFrame::StartChannel() {
    channel.SetHandler([this](uint32_t message, int64_t arg1, int64_t arg2) {
        return OnInstanceMessage(message, arg1, arg2);
    });
    channel.SetTitleSource([this] { return windowTitle().toStdString(); });
    if (!channel.Listen()) {
        return;
    }
    channelNotifier = new QSocketNotifier(channel.Descriptor(), QSocketNotifier::Read, this);
    connect(channelNotifier, &QSocketNotifier::activated, this, [this] { channel.ServePending(); });
}

int64_t CMainFrame::OnInstanceMessage(uint32_t message, int64_t arg1, int64_t arg2) {
    if (message == InstanceMessages::kCompare) {
        return compare->AnswerCompareRequest(arg1, arg2);
    }
    if (message == InstanceMessages::kWindow) {
        return compare->AnswerWindowRequest(arg1, arg2);
    }
    if (message == InstanceMessages::kCloseCopy) {
        return copyBlock.AnswerCloseCopy(arg1);
    }
    return 0;
}

void CMainFrame::ScheduleCommandStates() {
    // The tool bar shows the same enabling as the menus; it is brought up to date once the current command or
    // key has been handled.
    if (commandStatesScheduled || !menus) {
        return;
    }
    commandStatesScheduled = true;
    QTimer::singleShot(0, this, [this] {
        commandStatesScheduled = false;
        UpdateCommandStates();
    });
}

void CMainFrame::ScheduleRepaint() {
    // Several changes of one command are drawn once, after the command.
    if (repaintScheduled || !dataView) {
        return;
    }
    repaintScheduled = true;
    QTimer::singleShot(0, this, [this] {
        repaintScheduled = false;
        dataView->Relayout();
        ShowAddressPane();
    });
}

void CMainFrame::OnBytesChanged(uint64_t, uint64_t) {
    ScheduleRepaint();
}

void CMainFrame::OnSizeChanged(uint64_t newSize) {
    ShowSizePane(static_cast<int64_t>(newSize));
    ScheduleRepaint();
}

void CMainFrame::OnModifiedChanged(bool) {
    UpdateTitle();
    ScheduleCommandStates();
}

void CMainFrame::OnMarksChanged() {
    ScheduleRepaint();
}

void CMainFrame::OnUndoChanged() {
    ShowUndoPane();
    ScheduleCommandStates();
    if (store.TakeUndoStepDropped()) {
        // Told after the command that made the change, not in the middle of it.
        QTimer::singleShot(0, this, [this] { prompt->Message(this, Tr(T_MSG_UNDO_STEP_DROPPED)); });
    }
}

void CMainFrame::OnSourceChanged() {
    if (!statusPanes) {
        return;
    }
    differences.Clear();
    UpdateTitle();
    RefreshStatus();
    if (dataView) {
        dataView->Unsplit();
        for (int pane = 0; pane < 2; ++pane) {
            dataView->ScrollToRow(pane, 0);
        }
        dataView->Relayout();
    }
}
