#pragma once

#include "settings/LogFont.h"

#include <cstdint>

class QPrinter;
class QWidget;

// What the print dialog asks: pages from 1 to maxPage, and what the user chose.
struct PrintChoice {
    int64_t maxPage = 1;
    // The chosen range, 1-based and inclusive; fromPage 0 means all pages.
    int64_t fromPage = 0;
    int64_t toPage = 0;
    int copies = 1;
    bool collate = true;
};

// The platform's print, printer set-up and font dialogs. The printing commands ask through this class so that
// tests can answer without a display.
class CPrintDialogs {
public:
    virtual ~CPrintDialogs();

    // The print dialog on printer: the page range allowed and preset to all pages, printing the selection
    // hidden, printing to a file shown only for PDF output (where it names the file), collation preset. False
    // on Cancel.
    virtual bool ChoosePrint(QWidget* parent, QPrinter& printer, PrintChoice& choice);
    // The printer set-up dialog (paper and orientation) on printer. False on Cancel.
    virtual bool SetupPrinter(QWidget* parent, QPrinter& printer);
    // The font dialog for scalable fonts, starting from font. False on Cancel.
    virtual bool ChooseFont(QWidget* parent, LogFont& font);
};
