#pragma once

#include "options/COptionPage.h"

#include <QString>
#include <functional>

class QCheckBox;
class QLineEdit;
class QRadioButton;

// The "General" page: the question before deleting, the two size limits, the language, the store of the
// settings, the macro directory and the marks that follow edits.
class COptionPage3 : public COptionPage {
    Q_OBJECT
public:
    // Picks a folder starting at a path; an empty answer changes nothing.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& title, const QString& start)>;

    explicit COptionPage3(QWidget* parent = nullptr);

    void Load(const COptionValues& values) override;
    bool Store(COptionValues& values, QWidget*& badField, QString& message) override;

    void SetFolderChooser(FolderChooser chooser) { folderChooser = std::move(chooser); }

    QCheckBox* messageOnDelete = nullptr;
    QLineEdit* maxFileSize = nullptr;
    QLineEdit* maxUndoSize = nullptr;
    QRadioButton* japanese = nullptr;
    QRadioButton* english = nullptr;
    QCheckBox* useRegistry = nullptr;
    QLineEdit* macroDir = nullptr;
    QCheckBox* dynamicMark = nullptr;

private:
    void BrowseMacroDirectory();

    FolderChooser folderChooser;
};
