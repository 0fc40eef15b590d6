#pragma once

#include "data/CReplaceAllRunner.h"
#include "view/CSearchDlgBase.h"

#include <QList>

class QLineEdit;
class QPushButton;
class QCloseEvent;

// The Replace dialog: replaces the next occurrence forward or backward, all of them, or those starting in
// the selection ("Part Rep"). Replacing all runs on a worker thread; meanwhile only the Cancel button, now
// "STOP", is enabled, the window defers its repaints, and the title shows the percentage done. The dialog
// must be destroyed before the host's data store (it waits for a running worker when destroyed).
class CRepDlg : public CSearchDlgBase, private IReplaceAllObserver {
    Q_OBJECT
public:
    explicit CRepDlg(ISearchHost& host, QWidget* parent = nullptr);
    ~CRepDlg() override;

    bool IsReplacing() const { return runner_.IsRunning(); }
    QLineEdit* SearchField() const { return searchField_; }
    QLineEdit* ReplaceField() const { return replaceField_; }

    // While replacing all, Cancel (and Esc, and closing the window) asks the worker to stop instead.
    void reject() override;
    void done(int result) override;

private:
    // Parses both texts with the selected type; false when the search text is empty or a message was shown.
    bool ParseTexts(SearchPattern& pattern, SearchPattern& replacement);
    void ReplaceNextOne(int direction);
    void ReplaceAll(bool selectionOnly);
    void SetReplacing(bool replacing);
    void ShowProgress(int percent);
    void FinishReplaceAll();
    // Joins the worker, adjusts the selection and lets the window paint again.
    ReplaceAllResult EndWorker();

    // Worker thread: handed over to the dialog's thread.
    void OnReplaceProgress(int percent) override;
    void OnReplaceFinished() override;

    QLineEdit* searchField_ = nullptr;
    QLineEdit* replaceField_ = nullptr;
    QPushButton* partRep_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QList<QWidget*> controls_;
    QString title_;
    QString cancelText_;
    bool hadSelection_ = false;
    CReplaceAllRunner runner_;
};
