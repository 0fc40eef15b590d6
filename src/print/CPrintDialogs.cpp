#include "print/CPrintDialogs.h"

#include "print/CPrintDocument.h"
#include "print/CPrintFont.h"

#include <QFontDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

CPrintDialogs::~CPrintDialogs() = default;

bool CPrintDialogs::ChoosePrint(QWidget* parent, QPrinter& printer, PrintChoice& choice) {
    const int last = static_cast<int>(std::clamp<int64_t>(choice.maxPage, 1, INT32_MAX));
    printer.setCollateCopies(true);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, printer.outputFormat() == QPrinter::PdfFormat);
    dialog.setMinMax(1, last);
    printer.setFromTo(1, last);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    choice.fromPage = 0;
    choice.toPage = 0;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        choice.fromPage = printer.fromPage();
        choice.toPage = std::max(printer.toPage(), printer.fromPage());
    }
    choice.copies = std::max(printer.copyCount(), 1);
    choice.collate = printer.collateCopies();
    return true;
}

bool CPrintDialogs::SetupPrinter(QWidget* parent, QPrinter& printer) {
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool CPrintDialogs::ChooseFont(QWidget* parent, LogFont& font) {
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, CPrintFont::Make(font), parent, QString(), QFontDialog::ScalableFonts);
    if (!ok) {
        return false;
    }
    font = CPrintFont::Describe(chosen, font, CPrintDocument::ScreenCapsNow().dpiY);
    return true;
}
