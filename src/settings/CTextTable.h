#pragma once

#include "settings/TextId.h"

#include <string>

// The fixed table of (Japanese, English) text pairs that every menu label, dialog label and message comes
// from, and the process-wide UI language that picks the column (0 Japanese, 1 English). Texts are UTF-8.
class CTextTable {
public:
    static int Language();
    // Any value other than 0 or 1 is taken as 0.
    static void SetLanguage(int language);

    // The text of an entry in the current language.
    static std::string Text(TextId id);
    static std::string Text(TextId id, int language);
    static std::string Japanese(TextId id);
    static std::string English(TextId id);
    // Dialog labels replace a dialog's texts only in English; in Japanese a dialog keeps its built-in texts,
    // which the table's Japanese column carries.
    static bool IsDialogLabel(TextId id);
};
