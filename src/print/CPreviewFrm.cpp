#include "print/CPreviewFrm.h"

#include "print/CPrevJumpDlg.h"
#include "print/CPreviewDlg.h"
#include "print/IPreviewHost.h"
#include "settings/CTextTable.h"
#include "view/CDialogTexts.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

namespace {

const double kZoomFactors[] = {0.6, 0.8, 1.0};
constexpr int kLargestZoom = 2;
const QColor kBackground(128, 128, 128);

} // namespace

CPreviewFrm::CPreviewFrm(IPreviewHost& previewHost, QWidget* owner)
    : QWidget(owner, Qt::Window), host(&previewHost), language(CTextTable::Language()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("previewWindow");
    setWindowTitle(CDialogTexts::Label(T_DLG_PREVIEW, "ﾌﾟﾚﾋﾞｭｰ"));
    if (owner) {
        setWindowIcon(owner->windowIcon());
    }
    buttonBar = new CPreviewDlg(this);
    buttonBar->setObjectName("previewButtons");
    connect(buttonBar, &CPreviewDlg::Clicked, this, &CPreviewFrm::OnButton);

    statusBar = new QStatusBar(this);
    statusBar->setSizeGripEnabled(false);
    indicator = new QLabel(statusBar);
    indicator->setObjectName("pageIndicator");
    statusBar->addWidget(indicator, 1);

    scrollBar = new QScrollBar(Qt::Vertical, this);
    scrollBar->setObjectName("previewScroll");
    scrollBar->setFocusPolicy(Qt::NoFocus);
    scrollBar->setSingleStep(1);
    scrollBar->setRange(0, 0);
    scrollBar->hide();
    // The pages do not scroll by wheel or keys, only by the scroll bar's arrows, page areas and thumb.
    scrollBar->installEventFilter(this);
    connect(scrollBar, &QScrollBar::valueChanged, this, [this] { update(); });

    PlaceChildren();
    UpdateButtons();
    UpdateIndicator();
}

CPreviewFrm::~CPreviewFrm() = default;

double CPreviewFrm::ZoomFactor() const {
    return kZoomFactors[std::clamp(zoomLevel, 0, kLargestZoom)];
}

int CPreviewFrm::ScaledWidth() const {
    return static_cast<int>(pageWidth * ZoomFactor());
}

int CPreviewFrm::ScaledHeight() const {
    return static_cast<int>(pageHeight * ZoomFactor());
}

void CPreviewFrm::SetPageSize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == pageWidth && height == pageHeight) {
        return;
    }
    pageWidth = width;
    pageHeight = height;
    pages = {};
    LayoutScrollBar();
    update();
}

void CPreviewFrm::SetPageCount(int64_t count) {
    pageCount = std::max<int64_t>(count, 1);
    currentPage = std::clamp<int64_t>(currentPage, 0, pageCount - 1);
    UpdateButtons();
    UpdateIndicator();
}

void CPreviewFrm::Jump(int kind, int64_t value) {
    int64_t index = -1;
    if (kind == CPrevJumpDlg::kJumpToPage) {
        index = value;
    } else if (kind == CPrevJumpDlg::kJumpToOffset && host) {
        index = host->PreviewPageOfOffset(static_cast<uint64_t>(value));
    }
    if (index < 0 || index >= pageCount) {
        return;
    }
    currentPage = index;
    PagesChanged();
}

void CPreviewFrm::RestartAtFirstPage() {
    pages = {};
    currentPage = 0;
    LayoutScrollBar();
    PagesChanged();
}

void CPreviewFrm::OnButton(int button) {
    switch (button) {
    case CPreviewDlg::kPrint:
        PrintAndClose();
        break;
    case CPreviewDlg::kNext:
        Next();
        break;
    case CPreviewDlg::kPrev:
        Prev();
        break;
    case CPreviewDlg::kJump:
        OpenJumpDialog();
        break;
    case CPreviewDlg::kTwoPages:
        ToggleTwoPages();
        break;
    case CPreviewDlg::kZoomIn:
        ZoomIn();
        break;
    case CPreviewDlg::kZoomOut:
        ZoomOut();
        break;
    case CPreviewDlg::kLayout:
        RequestLayout();
        break;
    case CPreviewDlg::kClose:
        close();
        break;
    default:
        break;
    }
}

void CPreviewFrm::Next() {
    if (currentPage < pageCount - 1) {
        ++currentPage;
        PagesChanged();
    }
}

void CPreviewFrm::Prev() {
    if (currentPage > 0) {
        --currentPage;
        PagesChanged();
    }
}

void CPreviewFrm::OpenJumpDialog() {
    CPrevJumpDlg dialog(
        pageCount, currentPage + 1, [this](int kind, int64_t value) { Jump(kind, value); }, this);
    dialog.exec();
}

void CPreviewFrm::ToggleTwoPages() {
    twoPages = !twoPages;
    if (twoPages) {
        zoomLevel = 0;
    }
    buttonBar->ShowTwoPages(twoPages);
    LayoutScrollBar();
    PagesChanged();
}

void CPreviewFrm::ZoomIn() {
    if (zoomLevel < kLargestZoom) {
        ++zoomLevel;
        LayoutScrollBar();
        UpdateButtons();
        update();
    }
}

void CPreviewFrm::ZoomOut() {
    if (zoomLevel > 0) {
        --zoomLevel;
        LayoutScrollBar();
        UpdateButtons();
        update();
    }
}

void CPreviewFrm::PrintAndClose() {
    // Posted: the owner prints after this window has gone.
    IPreviewHost* target = host;
    if (target && parentWidget()) {
        QTimer::singleShot(0, parentWidget(), [target] { target->PreviewPrint(); });
    }
    close();
}

void CPreviewFrm::RequestLayout() {
    IPreviewHost* target = host;
    if (target && parentWidget()) {
        QTimer::singleShot(0, parentWidget(), [target] { target->PreviewLayout(); });
    }
}

void CPreviewFrm::PagesChanged() {
    rerender = true;
    UpdateButtons();
    UpdateIndicator();
    update();
}

void CPreviewFrm::UpdateButtons() {
    buttonBar->ButtonAt(CPreviewDlg::kNext)->setEnabled(currentPage < pageCount - 1);
    buttonBar->ButtonAt(CPreviewDlg::kPrev)->setEnabled(currentPage >= 1);
    buttonBar->ButtonAt(CPreviewDlg::kZoomIn)->setEnabled(zoomLevel < kLargestZoom);
    buttonBar->ButtonAt(CPreviewDlg::kZoomOut)->setEnabled(zoomLevel >= 1);
}

QString CPreviewFrm::IndicatorText() const {
    const int64_t number = currentPage + 1;
    if (SlotShowsPage(1)) {
        return QString("Page %1-%2/%3").arg(number).arg(number + 1).arg(pageCount);
    }
    return QString("Page %1/%2").arg(number).arg(pageCount);
}

void CPreviewFrm::UpdateIndicator() {
    indicator->setText(IndicatorText());
}

bool CPreviewFrm::SlotShowsPage(int slot) const {
    if (slot == 0) {
        return true;
    }
    // On the last page the right slot stays empty: there is no page after the last one to show.
    return slot == 1 && twoPages && currentPage + 1 < pageCount;
}

QRect CPreviewFrm::PageArea() const {
    const int top = buttonBar->height();
    const int bottom = height() - statusBar->height();
    const int right = width() - (scrollBar->isHidden() ? 0 : scrollBar->width());
    return QRect(0, top, std::max(right, 0), std::max(bottom - top, 0));
}

QRect CPreviewFrm::PageRectOfSlot(int slot) const {
    if (!SlotShowsPage(slot) || pageWidth <= 0 || pageHeight <= 0) {
        return QRect();
    }
    const QRect area = PageArea();
    const int w = ScaledWidth();
    const int h = ScaledHeight();
    const int y = area.top() + kTopMargin - scrollBar->value();
    int x = area.left() + (area.width() - w) / 2;
    if (twoPages) {
        const int centre = area.left() + area.width() / 2;
        x = slot == 0 ? centre - kPageGap / 2 - w : centre + kPageGap / 2;
    }
    return QRect(x, y, w, h);
}

void CPreviewFrm::PlaceChildren() {
    const int barHeight = buttonBar->sizeHint().height();
    const int statusHeight = statusBar->sizeHint().height();
    buttonBar->setGeometry(0, 0, width(), barHeight);
    statusBar->setGeometry(0, height() - statusHeight, width(), statusHeight);
    const int scrollWidth = scrollBar->sizeHint().width();
    scrollBar->setGeometry(width() - scrollWidth, barHeight, scrollWidth,
                           std::max(height() - barHeight - statusHeight, 0));
}

void CPreviewFrm::LayoutScrollBar() {
    const int visible = PageArea().height();
    const int content = ScaledHeight() + 2 * kTopMargin;
    if (visible < content) {
        scrollBar->setRange(0, content - visible);
        scrollBar->setPageStep(std::max(visible / 2, 1));
        scrollBar->show();
    } else {
        scrollBar->setRange(0, 0);
        scrollBar->setValue(0);
        scrollBar->hide();
    }
}

void CPreviewFrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceChildren();
    LayoutScrollBar();
}

void CPreviewFrm::paintEvent(QPaintEvent*) {
    const QRect area = PageArea();
    if (area.isEmpty()) {
        return;
    }
    // Composed off screen, then copied in one piece.
    QImage composed(area.size(), QImage::Format_RGB32);
    composed.fill(kBackground);
    {
        QPainter p(&composed);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.translate(-area.topLeft());
        for (int slot = 0; slot < 2; ++slot) {
            const QRect target = PageRectOfSlot(slot);
            if (target.isEmpty()) {
                continue;
            }
            QImage& page = pages[static_cast<size_t>(slot)];
            if (page.isNull() || rerender) {
                if (page.isNull()) {
                    page = QImage(pageWidth, pageHeight, QImage::Format_RGB32);
                }
                page.fill(Qt::white);
                if (host) {
                    host->RenderPreviewPage(page, currentPage + slot);
                }
                ++renderCount;
            }
            p.setPen(Qt::black);
            p.setBrush(Qt::NoBrush);
            p.drawRect(target.adjusted(-1, -1, 0, 0));
            p.drawImage(target, page);
        }
    }
    rerender = false;
    QPainter window(this);
    window.drawImage(area.topLeft(), composed);
}

void CPreviewFrm::closeEvent(QCloseEvent* event) {
    if (!closed) {
        closed = true;
        pages = {};
        if (host) {
            host->PreviewClosed();
        }
    }
    event->accept();
}

bool CPreviewFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scrollBar && event->type() == QEvent::Wheel) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
