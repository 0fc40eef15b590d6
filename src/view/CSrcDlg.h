#pragma once

#include "view/CSearchDlgBase.h"

class CSearchHistory;
class QComboBox;
struct SearchPattern;

// The Search dialog: a value typed in one of the input types, looked for forward or backward from the
// cursor while the dialog stays open and the view follows. The combo box offers the search history, most
// recent first; picking an entry also picks the type it was searched with.
class CSrcDlg : public CSearchDlgBase {
    Q_OBJECT
public:
    CSrcDlg(ISearchHost& host, CSearchHistory& history, QWidget* parent = nullptr);

    QComboBox* SearchCombo() const { return combo_; }

    // OK searches forward like Forward and then closes, also after an empty text or a parse error.
    void accept() override;

private:
    // Parses the text, remembers it when it was edited or picked since the last search, and moves the cursor
    // to the next occurrence in the direction. False when nothing was searched.
    bool Search(int direction);
    bool ParseText(SearchPattern& pattern, std::string& text);
    void FillHistory();
    void PickHistoryEntry(int index);

    CSearchHistory& history_;
    QComboBox* combo_ = nullptr;
    bool edited_ = false;
};
