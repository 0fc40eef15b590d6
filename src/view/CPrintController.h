#pragma once

#include "print/CPrintDocument.h"
#include "print/IPreviewHost.h"

#include <QPointer>
#include <memory>

class CMainFrame;
class CPreviewFrm;
class CPrintDialogs;
class QPrinter;

// The printing commands of the main window: Print, Print Preview and Printer Setting, the printer chosen for
// the program's run, and the preview window with its requests. Without any printer the pages are laid out on
// an A4 sheet and Print writes a PDF file chosen in a save dialog.
class CPrintController : public IPreviewHost {
public:
    explicit CPrintController(CMainFrame& frame);
    ~CPrintController() override;
    CPrintController(const CPrintController&) = delete;
    CPrintController& operator=(const CPrintController&) = delete;

    void OnPrint();
    void OnPrintPreview();
    void OnPrinterSetup();
    // All three commands are always available.
    bool CanPrint() const { return true; }

    // The page count for the current printer (the kept one, else the system's default, else an A4 PDF page)
    // with the preview's geometry; an open preview is told its page size. False when no printer is available.
    bool CountPages(int64_t& count);

    // The open preview, or none.
    CPreviewFrm* PreviewWindow() const;
    void ClosePreview();
    // The printer kept by Printer Setting until the program ends; none before.
    QPrinter* KeptPrinter() const { return keptPrinter.get(); }
    // The geometry of the last page count.
    const PageGeometry& PreviewGeometry() const { return previewGeometry; }

    // The dialogs the commands show; tests put their own in (not owned; null restores the platform's).
    void SetDialogs(CPrintDialogs* dialogs);
    CPrintDialogs& Dialogs();

    // The printout of the window's data as it is shown now.
    CPrintDocument Document() const;

    // IPreviewHost
    void PreviewClosed() override;
    void RenderPreviewPage(QImage& surface, int64_t pageIndex) override;
    void PreviewLayout() override;
    void PreviewPrint() override;
    int64_t PreviewPageOfOffset(uint64_t offset) override;

private:
    // A printer to lay pages out on: the kept one, else a new one for the default printer or PDF output.
    QPrinter* ObtainPrinter(std::unique_ptr<QPrinter>& owned) const;
    static std::unique_ptr<QPrinter> NewDefaultPrinter();
    bool CountPagesOn(const QPrinter& printer, int64_t& count);

    CMainFrame& frame;
    std::unique_ptr<CPrintDialogs> ownDialogs;
    CPrintDialogs* dialogs = nullptr;
    std::unique_ptr<QPrinter> keptPrinter;
    QPointer<CPreviewFrm> preview;
    PageGeometry previewGeometry;
};
