#pragma once

#include "settings/TextId.h"

#include <QDialog>
#include <string>

class CSymbolHistory;
class ISymbolSearchHost;
class QCheckBox;
class QComboBox;
class QPushButton;

// The Symbol Search dialog: a symbol name looked for forward or backward from the cursor while the dialog
// stays open and the view follows. The combo box offers the names searched before, most recent first, and
// searches exactly what was typed: no completion and no case folding against the list. The check boxes
// start from the Caps and Allow part match bits of the options (bits 2 and 3).
class CSymSrcDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCapsOption = 1 << 2;
    static constexpr int kPartMatchOption = 1 << 3;
    // Search flags handed to the search.
    static constexpr int kCaseSensitiveFlag = 1 << 0;
    static constexpr int kPartialFlag = 1 << 1;

    CSymSrcDlg(ISymbolSearchHost& host, CSymbolHistory& history, int optionFlags, QWidget* parent = nullptr);
    ~CSymSrcDlg() override;

    QComboBox* NameCombo() const { return combo_; }
    QCheckBox* CapsCheck() const { return caps_; }
    QCheckBox* PartMatchCheck() const { return partMatch_; }

    // The check boxes as search flags (bit 0 case-sensitive, bit 1 partial match).
    int SearchFlags() const;
    // optionFlags with bits 2 and 3 taken from the check boxes.
    int OptionFlags(int optionFlags) const;
    // The search flags of the stored option bits, for the repeat commands.
    static int SearchFlagsOfOptions(int optionFlags);

    // OK (and Enter) searches forward like Forward, then closes.
    void accept() override;
    // Closing removes the cursor mark.
    void done(int result) override;

private:
    QString Label(TextId id, const char* japanese) const;
    QPushButton* CreateButton(const char* objectName, TextId id, const char* japanese);
    // Searches for the combo box text in a direction and puts it at the front of the history; nothing
    // happens when the text is empty.
    void Search(int direction);
    void FillHistory();
    void RemoveCursorMark();

    ISymbolSearchHost& host_;
    CSymbolHistory& history_;
    QComboBox* combo_ = nullptr;
    QCheckBox* caps_ = nullptr;
    QCheckBox* partMatch_ = nullptr;
    bool markShown_ = false;
};
