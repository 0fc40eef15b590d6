#pragma once

#include "data/CRowLayout.h"
#include "data/ValueFormat.h"
#include "print/PageGeometry.h"
#include "print/PageState.h"
#include "settings/LogFont.h"

#include <QFont>
#include <QString>
#include <cstdint>
#include <memory>

class CDataStore;
class QImage;
class QPainter;
class QPrinter;

// The print settings: margins and line spacing, the print font (sized as for the screen) and the flags.
struct PrintOptions {
    PageMargins margins;
    LogFont font;
    int32_t flags = kPrintTitle | kPrintPageNumber;
};

// How a print job ended.
enum class PrintOutcome { Printed, StartFailed, PageFailed };

// The printout of the data as the view shows it, shared by the print command, the preview and the PDF export:
// the page geometry for a printer, the page count, preview pages and print jobs.
class CPrintDocument {
public:
    explicit CPrintDocument(const CDataStore& data);

    // What is printed: the unit and type (with the symbol rows), the value texts, the address radix.
    void SetLayout(const CRowLayout& rows) { layout = rows; }
    void SetFormat(const ValueFormatOptions& options) { format = options; }
    void SetDecimalAddress(int decimal) { decimalAddress = decimal; }
    void SetOptions(const PrintOptions& printOptions) { options = printOptions; }
    const PrintOptions& Options() const { return options; }
    // Language of the message on pages without room for data rows.
    void SetLanguage(int uiLanguage) { language = uiLanguage; }
    // The title line: the data file's name and extension (empty for a new buffer).
    QString Title() const;

    static PrinterCaps CapsOf(const QPrinter& printer);
    static ScreenCaps ScreenCapsNow();

    // The geometry for a printer, in printer pixels (preview false) or in screen pixels for the preview.
    PageGeometry Measure(const QPrinter& printer, bool preview) const;
    // Rows of the data in the current unit and type (at least 1), rows per page and pages for a geometry.
    uint64_t Rows() const;
    int64_t RowsPerPage(const PageGeometry& geometry) const;
    int64_t PageCount(const PageGeometry& geometry) const;
    // The page (0-based) that holds a data offset.
    int64_t PageOfOffset(uint64_t offset, const PageGeometry& geometry) const;

    // A page for the preview: the page rectangle white, the unscaled print font, the preview geometry's
    // rectangles. surface is the page's size in screen pixels.
    void RenderPreviewPage(QImage& surface, const PageGeometry& geometry, int64_t pageIndex,
                           int64_t pageCount) const;
    // A print job named "KIVRAN Printing" of the pages from..to (1-based, held inside the page count), each
    // range pass printed copies times when collated, else each page copies times in a row.
    PrintOutcome Print(QPrinter& printer, int64_t fromPage, int64_t toPage, int copies, bool collate) const;

    // The state of one page drawn on a device with geometry's rectangles.
    PageState StateFor(QPainter& device, const PageGeometry& geometry, int64_t pageIndex,
                       int64_t pageCount) const;

    // A PDF printer for an A4 page without unprintable edges, writing to path (empty: no file yet).
    static std::unique_ptr<QPrinter> MakePdfPrinter(const QString& path);

    static constexpr const char* kJobName = "KIVRAN Printing";

private:
    const CDataStore& data;
    CRowLayout layout;
    ValueFormatOptions format;
    int decimalAddress = 0;
    PrintOptions options;
    int language = 0;
};
