#include "view/CSymbolController.h"

#include "binding/CKvrVMan.h"
#include "binding/CSymbolFileLocator.h"
#include "data/CDataStore.h"
#include "platform/CodePage932.h"
#include "platform/ExecutablePath.h"
#include "settings/CTextTable.h"
#include "view/CDataView.h"
#include "view/CMainFrame.h"
#include "view/CSymSrcDlg.h"
#include "view/CUserPrompt.h"
#include "view/CWindowScriptHost.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

QString Tr(TextId id) {
    return QString::fromStdString(CTextTable::Text(id));
}

const char* const kMacroFilter = " (*.mac)";
const char* const kSymbolFilter = " (*.sym *.SYM);; (*)";
const char* const kMacroHelpFile = "MacroHelp.html";
const char* const kUserGuideFile = "UserGuide.html";

std::string Local(const QString& path) {
    return path.toStdString();
}

// Clears the flag when the run is over, whichever way it ends.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag(flag) { flag = true; }
    ~BusyScope() { flag = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag;
};

} // namespace

CSymbolController::CSymbolController(CMainFrame& frame)
    : frame(frame), host(std::make_unique<CWindowScriptHost>(frame)) {}

CSymbolController::~CSymbolController() = default;

void CSymbolController::Abort() {
    host->AbortRun();
}

bool CSymbolController::RunScript(const QString& path, CScriptRun::Kind kind) {
    if (busy) {
        return false;
    }
    BusyScope scope(busy);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ScriptRunResult result;
    {
        CWindowScriptHost::RunScope run(*host);
        result = CScriptRun::Run(frame.Symbols(), *host, Local(path), kind, CTextTable::Language());
    }
    QApplication::restoreOverrideCursor();
    if (result.readable) {
        frame.SetByteOrderFromScript(result.littleEndian);
    }
    if (!result.message.empty() && !result.aborted) {
        frame.Prompt().Message(&frame, QString::fromStdString(CodePage932::ToUtf8(result.message)));
    }
    frame.UpdateSymbolButton();
    frame.SymbolsChanged();
    frame.ShowSizePane(static_cast<int64_t>(frame.Store().GetDataSize()));
    return true;
}

QString CSymbolController::SymbolDirectory() const {
    return QString::fromStdString(
        CSymbolFileLocator::SymbolDirectory(frame.Settings().macroDir, ExecutablePath::Directory()));
}

QString CSymbolController::ReloadTarget() const {
    const CDataStore& store = frame.Store();
    std::string path;
    switch (store.Mode()) {
    case CDataStore::kModeDll:
        path = frame.Settings().dllSymbolFile;
        break;
    case CDataStore::kModeSharedMemory:
        path = frame.Settings().mmfSymbolFile;
        break;
    default:
        if (store.FilePath().empty()) {
            return QString();
        }
        path = CSymbolFileLocator::SymbolFileFor(store.FilePath(), Local(SymbolDirectory()));
        break;
    }
    return !path.empty() && QFileInfo(QString::fromStdString(path)).isFile() ? QString::fromStdString(path)
                                                                             : QString();
}

void CSymbolController::OnFileOpened(const QString& path) {
    const std::string extension = CSymbolFileLocator::ExtensionOf(Local(path));
    if (extension.empty()) {
        return;
    }
    // A missing file still runs (and fails silently), so the previous file's symbols are not kept.
    std::string symbolFile = CSymbolFileLocator::SymbolFileFor(Local(path), Local(SymbolDirectory()));
    if (symbolFile.empty()) {
        symbolFile = Local(SymbolDirectory()) + "/" + extension + ".SYM";
    }
    RunScript(QString::fromStdString(symbolFile), CScriptRun::kSymbolFile);
}

void CSymbolController::OnSourceAttached() {
    const CDataStore& store = frame.Store();
    const std::string& path = store.Mode() == CDataStore::kModeDll            ? frame.Settings().dllSymbolFile
                              : store.Mode() == CDataStore::kModeSharedMemory ? frame.Settings().mmfSymbolFile
                                                                              : std::string();
    if (!path.empty()) {
        RunScript(QString::fromStdString(path), CScriptRun::kSymbolFile);
    }
}

void CSymbolController::OnLoadSymbol() {
    if (busy) {
        return;
    }
    const QString path =
        frame.Prompt().OpenFileName(&frame, Tr(T_MSG_SELECT_SYMBOL_FILE), SymbolDirectory(), kSymbolFilter);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return;
    }
    RunScript(path, CScriptRun::kSymbolFile);
}

void CSymbolController::OnReloadSymbol() {
    const QString path = ReloadTarget();
    if (busy || path.isEmpty()) {
        return;
    }
    if (RunScript(path, CScriptRun::kSymbolFile)) {
        frame.ScrollPanesToTop();
    }
}

bool CSymbolController::CanReloadSymbol() const {
    return !busy && !ReloadTarget().isEmpty();
}

void CSymbolController::OnExecuteMacro() {
    if (busy) {
        return;
    }
    const QString path =
        frame.Prompt().OpenFileName(&frame, Tr(T_MSG_SELECT_MACRO_FILE), SymbolDirectory(), kMacroFilter);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return;
    }
    if (RunScript(path, CScriptRun::kMacro)) {
        frame.ScrollPanesToTop();
    }
}

void CSymbolController::OpenHelpPage(const char* fileName) {
    // Beside the program in a build tree or a portable copy, in the data directory of an installed copy.
    const QString page =
        QString::fromStdString(CSymbolFileLocator::ProgramFile(fileName, ExecutablePath::Directory()));
    // Nothing is reported when no viewer opens it.
    QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

void CSymbolController::OnMacroHelp() {
    OpenHelpPage(kMacroHelpFile);
}

void CSymbolController::OnHelp() {
    OpenHelpPage(kUserGuideFile);
}

int CSymbolController::SearchFlags() const {
    return CSymSrcDlg::SearchFlagsOfOptions(frame.Settings().optionFlags);
}

int CSymbolController::Language() const {
    return CTextTable::Language();
}

void CSymbolController::JumpTop() {
    frame.JumpTop();
}

void CSymbolController::JumpEnd() {
    frame.JumpEnd();
}

void CSymbolController::ShowDialogCursorMark(bool shown) {
    frame.ShowDialogCursorMark(shown);
}

bool CSymbolController::FindSymbol(int direction, const std::string& text, int flags) {
    CDataStore& store = frame.Store();
    uint64_t offset = 0;
    if (!frame.Symbols().FindSymbol(store.Pane(store.CurrentPane()).cursor, text, direction, flags, offset)) {
        return false;
    }
    if (offset >= store.GetDataSize()) {
        // A symbol past the end of the data has no cell to put the cursor on.
        return false;
    }
    frame.MoveCursorTo(offset);
    return true;
}

void CSymbolController::OnSymbolSearch() {
    if (busy) {
        return;
    }
    CSymSrcDlg dialog(*this, history, frame.Settings().optionFlags, &frame);
    dialog.exec();
    frame.Settings().optionFlags = dialog.OptionFlags(frame.Settings().optionFlags);
    frame.Store().SetOptionFlags(frame.Settings().optionFlags);
}

bool CSymbolController::CanRepeatSymbolSearch() const {
    return !history.IsEmpty() && frame.Store().GetDataSize() != 0;
}

bool CSymbolController::OnSymbolForwardSearch() {
    return RepeatSearch(1);
}

bool CSymbolController::OnSymbolBackwardSearch() {
    return RepeatSearch(-1);
}

bool CSymbolController::RepeatSearch(int direction) {
    if (busy || !CanRepeatSymbolSearch()) {
        return false;
    }
    return FindSymbol(direction, history.First(), SearchFlags());
}
