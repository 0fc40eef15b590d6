#include "print/CPrintDocument.h"

#include "data/CDataStore.h"
#include "print/CPrintFont.h"
#include "print/RenderPage.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <algorithm>

namespace {

QRect ToQRect(const PageRect& r) {
    auto clamp = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -1000000000, 1000000000)); };
    return QRect(QPoint(clamp(r.left), clamp(r.top)), QPoint(clamp(r.right) - 1, clamp(r.bottom) - 1));
}

constexpr int kPdfResolution = 600;

} // namespace

CPrintDocument::CPrintDocument(const CDataStore& store) : data(store) {}

QString CPrintDocument::Title() const {
    const QString path = QString::fromStdString(data.FilePath());
    return path.isEmpty() ? QString() : QFileInfo(path).fileName();
}

PrinterCaps CPrintDocument::CapsOf(const QPrinter& printer) {
    PrinterCaps caps;
    const int resolution = std::max(1, printer.resolution());
    caps.dpiX = printer.logicalDpiX() > 0 ? printer.logicalDpiX() : resolution;
    caps.dpiY = printer.logicalDpiY() > 0 ? printer.logicalDpiY() : resolution;
    const QPageLayout page = printer.pageLayout();
    const QRect full = page.fullRectPixels(resolution);
    const QRect paint = page.paintRectPixels(resolution);
    const QRectF paintMm = page.paintRect(QPageLayout::Millimeter);
    caps.physicalWidth = full.width();
    caps.physicalHeight = full.height();
    caps.offsetX = paint.x() - full.x();
    caps.offsetY = paint.y() - full.y();
    caps.horzRes = paint.width();
    caps.vertRes = paint.height();
    caps.horzSizeMm = paintMm.width();
    caps.vertSizeMm = paintMm.height();
    return caps;
}

ScreenCaps CPrintDocument::ScreenCapsNow() {
    ScreenCaps caps;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        return caps;
    }
    caps.dpiX = screen->logicalDotsPerInchX() > 0 ? screen->logicalDotsPerInchX() : 96;
    caps.dpiY = screen->logicalDotsPerInchY() > 0 ? screen->logicalDotsPerInchY() : 96;
    caps.widthPixels = screen->geometry().width();
    caps.heightPixels = screen->geometry().height();
    // The millimetre scale follows the logical resolution, so that the preview's margins and its page agree.
    caps.widthMm = caps.widthPixels * 25.4 / caps.dpiX;
    caps.heightMm = caps.heightPixels * 25.4 / caps.dpiY;
    return caps;
}

PageGeometry CPrintDocument::Measure(const QPrinter& printer, bool preview) const {
    const LogFont font = options.font;
    const QPaintDevice* device = &printer;
    return ComputePageGeometry(
        CapsOf(printer), ScreenCapsNow(), preview, options.margins, [&font, device](double hX, double hY) {
            return static_cast<int64_t>(QFontMetrics(CPrintFont::Make(font, hX, hY), device).height());
        });
}

uint64_t CPrintDocument::Rows() const {
    return layout.TotalRows(data.GetDataSize());
}

int64_t CPrintDocument::RowsPerPage(const PageGeometry& geometry) const {
    return ::RowsPerPage(geometry.linesPerPage, HeaderLines(options.flags), FooterLines(options.flags));
}

int64_t CPrintDocument::PageCount(const PageGeometry& geometry) const {
    return PageCountFor(Rows(), RowsPerPage(geometry));
}

int64_t CPrintDocument::PageOfOffset(uint64_t offset, const PageGeometry& geometry) const {
    return PageOfRow(layout.RowIndexOf(offset), RowsPerPage(geometry));
}

PageState CPrintDocument::StateFor(QPainter& device, const PageGeometry& geometry, int64_t pageIndex,
                                   int64_t pageCount) const {
    PageState s;
    s.device = &device;
    s.data = &data;
    s.layout = layout;
    s.format = format;
    s.decimalAddress = decimalAddress;
    s.linesPerPage = geometry.linesPerPage;
    s.headerLines = HeaderLines(options.flags);
    s.footerLines = FooterLines(options.flags);
    s.firstRow = FirstRowOfPage(pageIndex, RowsPerPage(geometry));
    s.printArea = ToQRect(geometry.printArea);
    s.marginRect = ToQRect(geometry.marginRect);
    s.flags = options.flags;
    s.title = Title();
    s.pageNumber = pageIndex + 1;
    s.pageCount = pageCount;
    s.language = language;
    return s;
}

void CPrintDocument::RenderPreviewPage(QImage& surface, const PageGeometry& geometry, int64_t pageIndex,
                                       int64_t pageCount) const {
    QPainter painter(&surface);
    painter.fillRect(ToQRect(geometry.pageRect), Qt::white);
    painter.setFont(CPrintFont::Make(options.font));
    RenderPage(StateFor(painter, geometry, pageIndex, pageCount));
}

PrintOutcome CPrintDocument::Print(QPrinter& printer, int64_t fromPage, int64_t toPage, int copies,
                                   bool collate) const {
    printer.setDocName(kJobName);
    // The copies are made here, page by page, so the device must not repeat them.
    printer.setCopyCount(1);
    printer.setCollateCopies(false);
    const PageGeometry geometry = Measure(printer, false);
    const int64_t count = PageCount(geometry);
    fromPage = std::clamp<int64_t>(fromPage, 1, count);
    toPage = std::clamp<int64_t>(toPage, fromPage, count);
    copies = std::max(copies, 1);

    QPainter painter;
    if (!painter.begin(&printer)) {
        return PrintOutcome::StartFailed;
    }
    painter.setFont(CPrintFont::Make(options.font, geometry.hX, geometry.hY));
    bool first = true;
    bool failed = false;
    auto printPage = [&](int64_t page) {
        if (!first && !printer.newPage()) {
            failed = true;
        }
        first = false;
        RenderPage(StateFor(painter, geometry, page - 1, count));
    };
    if (collate) {
        for (int pass = 0; pass < copies && !failed; ++pass) {
            for (int64_t page = fromPage; page <= toPage && !failed; ++page) {
                printPage(page);
            }
        }
    } else {
        // The remaining copies of a page still go out after an error; the next page does not.
        for (int64_t page = fromPage; page <= toPage && !failed; ++page) {
            for (int copy = 0; copy < copies; ++copy) {
                printPage(page);
            }
        }
    }
    const bool ended = painter.end();
    return failed || !ended ? PrintOutcome::PageFailed : PrintOutcome::Printed;
}

std::unique_ptr<QPrinter> CPrintDocument::MakePdfPrinter(const QString& path) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setResolution(kPdfResolution);
    printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                       QPageLayout::Millimeter));
    // An empty name would turn the PDF output off.
    if (!path.isEmpty()) {
        printer->setOutputFileName(path);
    }
    printer->setDocName(kJobName);
    return printer;
}
