#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>

class CPreviewDlg;
class IPreviewHost;
class QLabel;
class QScrollBar;
class QStatusBar;

// The print preview window: one or two pages at a time at three zoom levels, the button row above, the page
// indicator below and a vertical scroll bar at the right. Pages are drawn by the owner (request 2) into
// images of the page's size and kept per slot until paging or a layout change asks for them again.
class CPreviewFrm : public QWidget {
    Q_OBJECT
public:
    CPreviewFrm(IPreviewHost& host, QWidget* owner);
    ~CPreviewFrm() override;

    // The window stops talking to its owner (when the owner goes away first).
    void DetachHost() { host = nullptr; }

    // From the page count: the page size in screen pixels and the number of pages.
    void SetPageSize(int width, int height);
    void SetPageCount(int64_t count);
    // A jump request: kind 1 with a page index, kind 2 with a data offset. Indexes outside the pages are
    // ignored.
    void Jump(int kind, int64_t value);
    // After a layout change: the cached pages are dropped and the first page is shown.
    void RestartAtFirstPage();

    // The buttons.
    void Next();
    void Prev();
    void OpenJumpDialog();
    void ToggleTwoPages();
    void ZoomIn();
    void ZoomOut();
    void PrintAndClose();
    void RequestLayout();

    int64_t CurrentPage() const { return currentPage; }
    // The interface language when the window was opened (its title and buttons are in it).
    int Language() const { return language; }
    int64_t PageCount() const { return pageCount; }
    int ZoomLevel() const { return zoomLevel; }
    double ZoomFactor() const;
    bool TwoPages() const { return twoPages; }
    int PageWidth() const { return pageWidth; }
    int PageHeight() const { return pageHeight; }
    // "Page 3/10", or "Page 3-4/10" with two pages.
    QString IndicatorText() const;
    // The area between the button row, the status bar and the scroll bar, where the pages are drawn.
    QRect PageArea() const;
    // Where the page of a slot is drawn in the window (empty when the slot shows no page).
    QRect PageRectOfSlot(int slot) const;
    CPreviewDlg* ButtonBar() const { return buttonBar; }
    QScrollBar* ScrollBar() const { return scrollBar; }
    QLabel* Indicator() const { return indicator; }
    // Pages rendered since the window opened (each slot render asks the owner once).
    int RenderCount() const { return renderCount; }

    static constexpr int kPageGap = 10;
    static constexpr int kTopMargin = 30;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnButton(int button);
    void PlaceChildren();
    void LayoutScrollBar();
    void PagesChanged();
    void UpdateButtons();
    void UpdateIndicator();
    bool SlotShowsPage(int slot) const;
    int ScaledWidth() const;
    int ScaledHeight() const;

    IPreviewHost* host;
    CPreviewDlg* buttonBar = nullptr;
    QStatusBar* statusBar = nullptr;
    QLabel* indicator = nullptr;
    QScrollBar* scrollBar = nullptr;

    int64_t currentPage = 0;
    int64_t pageCount = 1;
    int zoomLevel = 0;
    bool twoPages = false;
    int pageWidth = 0;
    int pageHeight = 0;
    std::array<QImage, 2> pages;
    bool rerender = false;
    int language = 0;
    int renderCount = 0;
    bool closed = false;
};
