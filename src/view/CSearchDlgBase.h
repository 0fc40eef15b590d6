#pragma once

#include "settings/TextId.h"

#include <QDialog>
#include <string>

class ISearchHost;
class QGroupBox;
class QListWidget;
class QPushButton;

// What the search and replace dialogs share: the cursor mark shown while they are open, the list of input
// types, the Jump Top and Jump End buttons, labels in the UI language and the checks of typed text.
class CSearchDlgBase : public QDialog {
    Q_OBJECT
public:
    ~CSearchDlgBase() override;

    // The input type selected in the type list (HEX when none is).
    int SelectedInputType() const;
    void SelectInputType(int inputType);
    // Closing removes the cursor mark.
    void done(int result) override;

protected:
    CSearchDlgBase(ISearchHost& host, QWidget* parent);

    ISearchHost& Host() const { return host_; }
    // The English label of the table in English; otherwise the dialog's own Japanese text.
    QString Label(TextId id, const char* japanese) const;
    // The "Data Type" group with the input types HEX to Text; the Text entry names the character set.
    QGroupBox* CreateTypeGroup();
    QPushButton* CreateButton(const char* objectName, TextId id, const char* japanese);
    // Field text as code page 932 bytes. A character without such a form is reported like an illegal
    // character (the focus goes back to the field) and false is returned.
    bool SystemText(QWidget* field, const QString& text, std::string& bytes);
    // Shows the message of a parse result in a warning box and puts the focus back on the field.
    void ShowParseError(int code, QWidget* field);

private:
    void RemoveCursorMark();

    ISearchHost& host_;
    QListWidget* typeList_ = nullptr;
    bool markShown_ = false;
};
