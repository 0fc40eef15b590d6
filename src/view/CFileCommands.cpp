#include "view/CFileCommands.h"

#include "app/CTextTable.h"
#include "data/DataMessage.h"
#include "platform/ExecutablePath.h"
#include "view/CDataView.h"
#include "view/CMainFrame.h"
#include "view/CSymbolController.h"
#include "view/CUserPrompt.h"

#include <QApplication>
#include <QProcess>

namespace {
QString Tr(TextId id) {
    return QString::fromStdString(CTextTable::Text(id));
}
// The Save As dialog keeps its own title in both languages.
const char* const kSaveAsTitle = "ファイル名の指定";
// Every file, with or without a dot in its name.
const char* const kAllFiles = " (*)";
} // namespace

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
        frame.Scripts().OnFileOpened(path);
    }
    return outcome.success;
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
