#include "view/CPrintController.h"

#include "print/CPrevJumpDlg.h"
#include "print/CPreviewFrm.h"
#include "print/CPrintDialogs.h"
#include "print/CPrnLayout.h"
#include "settings/CTextTable.h"
#include "settings/CommandIds.h"
#include "view/CMainFrame.h"
#include "view/CUserPrompt.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>
#include <algorithm>

namespace {

QString Tr(TextId id) {
    return QString::fromStdString(CTextTable::Text(id));
}

PrintOptions OptionsOf(const KivranSettings& s) {
    PrintOptions o;
    for (size_t i = 0; i < 4; ++i) {
        o.margins.margin[i] = s.margin[i];
    }
    o.margins.betweenLine = s.betweenLine;
    o.font = s.printFont;
    return o;
}

void StoreOptions(const PrintOptions& o, KivranSettings& s) {
    for (size_t i = 0; i < 4; ++i) {
        s.margin[i] = static_cast<int16_t>(std::clamp(o.margins.margin[i], 0, 9999));
    }
    s.betweenLine = static_cast<int16_t>(std::clamp(o.margins.betweenLine, 0, 9999));
    s.printFont = o.font;
}

bool IsPdf(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat;
}

} // namespace

CPrintController::CPrintController(CMainFrame& owner)
    : frame(owner), ownDialogs(std::make_unique<CPrintDialogs>()), dialogs(ownDialogs.get()) {}

CPrintController::~CPrintController() {
    if (preview) {
        preview->DetachHost();
        delete preview.data();
    }
}

void CPrintController::SetDialogs(CPrintDialogs* replacement) {
    dialogs = replacement ? replacement : ownDialogs.get();
}

CPrintDialogs& CPrintController::Dialogs() {
    return *dialogs;
}

CPrintDocument CPrintController::Document() const {
    CPrintDocument document(frame.Store());
    document.SetLayout(frame.Layout());
    ValueFormatOptions format;
    format.littleEndian = frame.LittleEndian();
    format.charSet = frame.Settings().charSet;
    format.floatWidth = frame.FloatWidth();
    format.floatPrecision = frame.FloatPrecision();
    document.SetFormat(format);
    document.SetDecimalAddress(frame.DecimalAddress());
    document.SetOptions(OptionsOf(frame.Settings()));
    document.SetLanguage(CTextTable::Language());
    return document;
}

std::unique_ptr<QPrinter> CPrintController::NewDefaultPrinter() {
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull()) {
        auto native = std::make_unique<QPrinter>(printer, QPrinter::HighResolution);
        if (native->isValid()) {
            return native;
        }
    }
    // No printer on this machine: the pages are laid out on an A4 sheet and printed to a PDF file.
    return CPrintDocument::MakePdfPrinter(QString());
}

QPrinter* CPrintController::ObtainPrinter(std::unique_ptr<QPrinter>& owned) const {
    if (keptPrinter) {
        return keptPrinter.get();
    }
    owned = NewDefaultPrinter();
    return owned.get();
}

bool CPrintController::CountPages(int64_t& count) {
    std::unique_ptr<QPrinter> owned;
    QPrinter* printer = ObtainPrinter(owned);
    return printer && CountPagesOn(*printer, count);
}

bool CPrintController::CountPagesOn(const QPrinter& printer, int64_t& count) {
    if (!printer.isValid()) {
        return false;
    }
    const CPrintDocument document = Document();
    previewGeometry = document.Measure(printer, true);
    if (preview) {
        preview->SetPageSize(static_cast<int>(previewGeometry.pageRect.Width()),
                             static_cast<int>(previewGeometry.pageRect.Height()));
    }
    count = document.PageCount(previewGeometry);
    return true;
}

void CPrintController::OnPrint() {
    int64_t count = 0;
    std::unique_ptr<QPrinter> owned;
    QPrinter* printer = ObtainPrinter(owned);
    if (!printer || !CountPagesOn(*printer, count)) {
        return;
    }
    if (IsPdf(*printer)) {
        const QString path = QString::fromStdString(frame.Store().FilePath());
        const QString suggested =
            path.isEmpty() ? QString("kivran.pdf") : QFileInfo(path).completeBaseName() + ".pdf";
        const QString dir = path.isEmpty() ? suggested : QFileInfo(path).dir().filePath(suggested);
        const QString name = frame.Prompt().SaveFileName(&frame, Tr(T_MSG_PRINT_TO_PDF), dir, "PDF (*.pdf)");
        if (name.isEmpty()) {
            return;
        }
        printer->setOutputFileName(name);
        printer->setOutputFormat(QPrinter::PdfFormat);
    }
    PrintChoice choice;
    choice.maxPage = count;
    if (!dialogs->ChoosePrint(&frame, *printer, choice)) {
        return;
    }
    const int64_t from = choice.fromPage > 0 ? choice.fromPage : 1;
    const int64_t to = choice.fromPage > 0 ? choice.toPage : INT64_MAX;
    const bool pdf = IsPdf(*printer);
    const PrintOutcome outcome = Document().Print(*printer, from, to, choice.copies, choice.collate);
    if (outcome == PrintOutcome::StartFailed) {
        frame.Prompt().Message(&frame, Tr(pdf ? T_MSG_CANNOT_WRITE : T_MSG_PRINT_FAILED));
    } else if (outcome == PrintOutcome::PageFailed) {
        frame.Prompt().Message(&frame, Tr(T_MSG_PRINT_FAILED));
    }
}

void CPrintController::OnPrinterSetup() {
    std::unique_ptr<QPrinter> candidate;
    QPrinter* printer = keptPrinter.get();
    if (!printer) {
        candidate = NewDefaultPrinter();
        printer = candidate.get();
    }
    if (!dialogs->SetupPrinter(&frame, *printer)) {
        return;
    }
    if (candidate) {
        keptPrinter = std::move(candidate);
    }
}

void CPrintController::OnPrintPreview() {
    if (!preview) {
        auto* window = new CPreviewFrm(*this, &frame);
        preview = window;
        int64_t count = 0;
        if (!CountPages(count)) {
            preview = nullptr;
            window->DetachHost();
            delete window;
            return;
        }
        window->SetPageCount(count);
        window->setGeometry(frame.geometry());
    }
    preview->show();
    preview->raise();
    preview->activateWindow();
}

CPreviewFrm* CPrintController::PreviewWindow() const {
    return preview.data();
}

void CPrintController::ClosePreview() {
    // Closed with the main window: nothing is asked of the window that is going away.
    if (preview) {
        CPreviewFrm* window = preview.data();
        preview = nullptr;
        window->DetachHost();
        window->close();
    }
}

void CPrintController::PreviewClosed() {
    preview = nullptr;
    if (frame.isMinimized() || frame.isHidden()) {
        frame.showNormal();
    }
    frame.raise();
    frame.activateWindow();
}

void CPrintController::RenderPreviewPage(QImage& surface, int64_t pageIndex) {
    const int64_t pages = preview ? preview->PageCount() : 1;
    Document().RenderPreviewPage(surface, previewGeometry, pageIndex, pages);
}

void CPrintController::PreviewLayout() {
    QWidget* parent = preview ? static_cast<QWidget*>(preview.data()) : &frame;
    CPrnLayout dialog(OptionsOf(frame.Settings()), *dialogs, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    StoreOptions(dialog.Values(), frame.Settings());
    int64_t count = 0;
    if (!preview || !CountPages(count)) {
        return;
    }
    preview->SetPageCount(count);
    preview->RestartAtFirstPage();
}

void CPrintController::PreviewPrint() {
    frame.OnCommand(ID_FILE_PRINT);
}

int64_t CPrintController::PreviewPageOfOffset(uint64_t offset) {
    return Document().PageOfOffset(offset, previewGeometry);
}
