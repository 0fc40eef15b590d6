#pragma once

#include "options/COptionValues.h"

#include <QDialog>
#include <array>

class COptionPage;
class COptionPage1;
class COptionPage2;
class COptionPage3;
class COptionPage4;
class CUserPrompt;
class QDialogButtonBox;
class QPushButton;
class QTabWidget;

// The tabbed options dialog: "General", "View", "Important" and "Keycode". The pages work on copies of the
// values; OK checks every page in tab order and, when one holds a bad value, stays open on that page with
// the field focused and the message shown. Ctrl+Tab and Ctrl+PgDown (with Shift, or Ctrl+PgUp, backwards)
// go from tab to tab, whatever control has the focus.
class COptionSheet : public QDialog {
    Q_OBJECT
public:
    COptionSheet(const COptionValues& values, CUserPrompt& prompt, QWidget* parent = nullptr);

    // The values as entered, once the sheet was closed with OK.
    const COptionValues& Values() const { return values; }

    QTabWidget* Tabs() const { return tabs; }
    COptionPage3* General() const { return general; }
    COptionPage1* View() const { return view; }
    COptionPage2* Important() const { return important; }
    COptionPage4* Keycode() const { return keycode; }
    QPushButton* OkButton() const;
    QPushButton* CancelButton() const;
    QPushButton* HelpButton() const;

    void accept() override;

signals:
    void HelpRequested();

private:
    void StepTab(int step);

    COptionValues values;
    CUserPrompt& prompt;
    QTabWidget* tabs = nullptr;
    QDialogButtonBox* buttons = nullptr;
    COptionPage3* general = nullptr;
    COptionPage1* view = nullptr;
    COptionPage2* important = nullptr;
    COptionPage4* keycode = nullptr;
    std::array<COptionPage*, 4> pages{};
};
