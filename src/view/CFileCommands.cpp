#include "view/CFileCommands.h"

#include "data/CRecoveryStore.h"
#include "data/DataMessage.h"
#include "platform/ExecutablePath.h"
#include "settings/CTextTable.h"
#include "view/CDataView.h"
#include "view/CMainFrame.h"
#include "view/CSymbolController.h"
#include "view/CUserPrompt.h"

#include <QApplication>
#include <QProcess>
#include <algorithm>
#include <vector>

namespace {
QString Tr(TextId id) {
    return QString::fromStdString(CTextTable::Text(id));
}
// The Save As dialog keeps its own title in both languages.
const char* const kSaveAsTitle = "ファイル名の指定";
// Every file, with or without a dot in its name.
const char* const kAllFiles = " (*)";
bool g_ending = false;
} // namespace

void CFileCommands::SetEnding(bool ending) {
    g_ending = ending;
}

CFileCommands::CFileCommands(CMainFrame& frame) : frame(frame) {}

bool CFileCommands::AskSaveChanges() {
    if (!frame.Store().IsModified()) {
        return true;
    }
    switch (frame.Prompt().AskYesNoCancel(&frame, Tr(T_MSG_SAVE_CHANGES))) {
    case CUserPrompt::Yes:
        return SaveAs();
    case CUserPrompt::No:
        return true;
    default:
        return false;
    }
}

void CFileCommands::ShowOutcome(const DataOutcome& outcome) {
    for (const DataNotice& notice : outcome.notices) {
        frame.Prompt().Message(&frame,
                               QString::fromStdString(DataNoticeText(notice, CTextTable::Language())));
    }
}

void CFileCommands::AfterSourceChange() {
    frame.StopRefreshTimer();
    frame.Settings().mode = frame.Store().Mode();
    frame.UpdateRecentMenu();
    frame.UpdateTitle();
    frame.RefreshStatus();
    frame.DataView()->RepaintAll();
}

bool CFileCommands::OpenFile(const QString& path, bool askSave) {
    if (askSave && !AskSaveChanges()) {
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const DataOutcome outcome = frame.Store().OpenFile(path.toStdString());
    QApplication::restoreOverrideCursor();
    ShowOutcome(outcome);
    AfterSourceChange();
    if (outcome.success) {
        // Before the symbols are laid over the data: they are to see the bytes the user chose.
        OfferRecoveryCopy();
        frame.Scripts().OnFileOpened(path);
    }
    return outcome.success;
}

void CFileCommands::OfferRecoveryCopy() {
    CDataStore& store = frame.Store();
    const CRecoveryStore recovery;
    // Data shown read-only cannot take the copy's bytes: the copy waits for an open that can.
    if (store.Mode() != CDataStore::kModeFile || !store.CanInsertOrDelete() ||
        !recovery.Has(store.FilePath())) {
        return;
    }
    const std::string path = store.FilePath();
    const CUserPrompt::Answer answer = frame.Prompt().AskYesNo(&frame, Tr(T_MSG_RECOVERY_OFFER));
    if (g_ending) {
        return;
    }
    if (answer == CUserPrompt::Yes) {
        std::vector<unsigned char> bytes;
        if (recovery.Load(path, bytes)) {
            ReplaceData(bytes);
        } else {
            frame.Prompt().Message(&frame, Tr(T_MSG_CANNOT_READ_FILE));
        }
    }
    // Answered either way: the copy is not offered again.
    recovery.Remove(path);
}

void CFileCommands::ReplaceData(const std::vector<unsigned char>& bytes) {
    // The recovered bytes become modified data over the file, so that Save writes them; the file's own bytes
    // are not kept for Undo.
    CDataStore& store = frame.Store();
    const uint64_t size = store.GetDataSize();
    const auto count = static_cast<uint64_t>(bytes.size());
    const uint64_t common = std::min(size, count);
    bool ok = common == 0 || store.WriteData(0, bytes.data(), common, 0, 0) == common;
    if (ok && count > size) {
        ok = store.InsertData(size, bytes.data() + size, count - size, 0, 0) != 0;
    } else if (ok && count < size) {
        ok = store.DeleteData(count, size - count, 0, 0) != 0;
    }
    if (!ok) {
        frame.Prompt().Message(&frame, Tr(T_MSG_CANNOT_WRITE));
    }
    store.SetModified(1);
    for (int pane = 0; pane < 2; ++pane) {
        PaneSelection& selection = store.Pane(pane);
        selection.cursor = std::min(selection.cursor, store.GetDataSize());
        selection.selAnchor = selection.selEnd = selection.cursor;
    }
    AfterSourceChange();
    frame.DataView()->Relayout();
    frame.ShowSizePane(static_cast<int64_t>(store.GetDataSize()));
}

void CFileCommands::New() {
    if (!AskSaveChanges()) {
        return;
    }
    frame.Store().NewBuffer();
    // An empty buffer has no symbols laid over it.
    frame.Symbols().Reset();
    frame.UpdateSymbolButton();
    AfterSourceChange();
}

void CFileCommands::Open() {
    const QString path = frame.Prompt().OpenFileName(&frame, Tr(T_MSG_SELECT_FILE), QString(), kAllFiles);
    if (!path.isEmpty()) {
        OpenFile(path, true);
    }
}

void CFileCommands::OpenRecent(int index) {
    const std::vector<std::string> entries = frame.Store().RecentFiles().Entries();
    if (index >= 0 && index < static_cast<int>(entries.size())) {
        OpenFile(QString::fromStdString(entries[index]), true);
    }
}

bool CFileCommands::Save() {
    if (!frame.Store().CanSave()) {
        return false;
    }
    const DataOutcome outcome = frame.Store().Save();
    ShowOutcome(outcome);
    return outcome.success;
}

bool CFileCommands::SaveAs() {
    const QString path = frame.Prompt().SaveFileName(
        &frame, QString::fromUtf8(kSaveAsTitle), QString::fromStdString(frame.Store().FilePath()), kAllFiles);
    if (path.isEmpty()) {
        return false;
    }
    const DataOutcome outcome = frame.Store().SaveAs(path.toStdString());
    ShowOutcome(outcome);
    frame.UpdateTitle();
    return outcome.success;
}

void CFileCommands::DropFiles(const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    const QString program = QString::fromStdString(ExecutablePath::Path());
    const QString directory = QString::fromStdString(ExecutablePath::Directory());
    for (int i = 1; i < paths.size(); ++i) {
        // A copy that cannot be started is skipped.
        QProcess::startDetached(program, {paths[i]}, directory);
    }
    OpenFile(paths.first(), true);
}
