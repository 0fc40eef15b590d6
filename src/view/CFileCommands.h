#pragma once

#include <QString>
#include <QStringList>

class CMainFrame;
struct DataOutcome;

// The file commands of the main window: New, Open, Save, Save As, the recent files and dropped files, with
// the "Save changes ?" question before data is given up and the data source's messages afterwards.
class CFileCommands {
public:
    explicit CFileCommands(CMainFrame& frame);

    // "Save changes ?": Yes saves under a name chosen in the Save As dialog; false when the user abandons.
    bool AskSaveChanges();
    void ShowOutcome(const DataOutcome& outcome);

    bool OpenFile(const QString& path, bool askSave);
    void New();
    void Open();
    void OpenRecent(int index);
    bool Save();
    bool SaveAs();
    void DropFiles(const QStringList& paths);

private:
    void AfterSourceChange();

    CMainFrame& frame;
};
