#pragma once

#include "settings/TextId.h"

#include <QString>

class QBoxLayout;
class QDialog;

// What the editor's small dialogs share: labels that keep the dialog's built-in Japanese text unless the
// interface is English, and the OK / Cancel row.
class CDialogTexts {
public:
    // In English the text table's label; in Japanese the dialog's own text.
    static QString Label(TextId id, const char* builtInJapanese);
    // Adds OK and Cancel ("キャンセル" / "Cancel") to the layout, wired to accept and reject.
    static void AddOkCancel(QDialog& dialog, QBoxLayout& layout);
};
