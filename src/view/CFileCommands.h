#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class CMainFrame;
struct DataOutcome;

// The file commands of the main window: New, Open, Save, Save As, the recent files and dropped files, with
// the "Save changes ?" question before data is given up and the data source's messages afterwards.
class CFileCommands {
public:
    explicit CFileCommands(CMainFrame& frame);

    // The program is being ended by a signal: a question that returns meanwhile was not answered by the user,
    // so a recovery copy offered then is kept for the next start.
    static void SetEnding(bool ending);

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
    // After a file is opened: a recovery copy left by a signal is offered (Yes loads it as modified data)
    // and removed once answered.
    void OfferRecoveryCopy();
    void ReplaceData(const std::vector<unsigned char>& bytes);

    CMainFrame& frame;
};
