#include "compare/CCompareController.h"

#include "compare/CChannelCompareLink.h"
#include "compare/CCompareNextDlg.h"
#include "compare/CCompareOptDlg.h"
#include "compare/CCompareRequestHandler.h"
#include "compare/CCompareRun.h"
#include "platform/CCompareBlock.h"
#include "platform/CInstanceChannel.h"
#include "platform/InstanceMessages.h"
#include "settings/CTextTable.h"
#include "view/CDataView.h"
#include "view/CMainFrame.h"
#include "view/CUserPrompt.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace {

QString Tr(TextId id) {
    return QString::fromStdString(CTextTable::Text(id));
}

} // namespace

CCompareController::CCompareController(CMainFrame& frame) : frame(frame) {
    optionsDialog = [this](const QStringList& titles, Choice& choice) {
        CCompareOptDlg dialog(titles, &this->frame);
        if (dialog.exec() != QDialog::Accepted) {
            return false;
        }
        choice.partner = dialog.Partner();
        choice.startPosition = dialog.StartPosition();
        choice.putColor = dialog.PutColor();
        return true;
    };
    stepDialog = [this] {
        CCompareNextDlg dialog(&this->frame);
        dialog.exec();
        return dialog.ResultCode();
    };
}

CCompareController::~CCompareController() = default;

void CCompareController::FindPartners() {
    partnersFound = !frame.Channel().ListPartners().empty();
}

bool CCompareController::CanResetDifferences() const {
    return !frame.Differences().Empty();
}

bool CCompareController::CanJumpToNextDifference() const {
    return !frame.Differences().Empty();
}

void CCompareController::OnCompare() {
    if (running) {
        return;
    }
    const std::vector<InstancePartner> partners = frame.Channel().ListPartners();
    partnersFound = !partners.empty();
    if (partners.empty()) {
        return;
    }
    QStringList titles;
    for (const InstancePartner& partner : partners) {
        titles << QString::fromStdString(partner.title);
    }
    Choice choice;
    if (!optionsDialog(titles, choice) || choice.partner < 0 ||
        static_cast<size_t>(choice.partner) >= partners.size()) {
        return;
    }
    partnerEndpoint = partners[static_cast<size_t>(choice.partner)].endpoint;
    CChannelCompareLink link(frame.Channel(), partnerEndpoint);
    CCompareRun::Options options;
    options.putColor = choice.putColor;
    options.blockName = BlockName();
    int64_t found = CCompareRun::kFailed;
    bool started = true;
    if (choice.startPosition == 1) {
        options.ourStart = Cursor();
        const std::optional<int64_t> theirs = link.Request(InstanceMessages::kCursor, 0);
        started = theirs.has_value();
        options.partnerStart = theirs ? static_cast<uint64_t>(std::max<int64_t>(0, *theirs)) : 0;
    }
    if (started) {
        running = true;
        found = CCompareRun::Run(*this, link, *this, options);
        running = false;
    }
    ReleaseView();
    partnerEndpoint.clear();
    if (found == CCompareRun::kFailed) {
        frame.Prompt().Message(&frame, Tr(T_MSG_FAIL_TO_COMPARE));
    } else if (found == 0) {
        frame.Prompt().Message(&frame, Tr(T_MSG_NO_DIFFERENCE));
    }
}

void CCompareController::OnResetDifferences() {
    frame.Differences().Clear();
    frame.DataView()->RepaintAll();
}

void CCompareController::OnNextDifference() {
    uint64_t offset = 0;
    if (frame.Differences().NextAfter(Cursor(), offset)) {
        frame.MoveCursorTo(offset);
    }
}

int64_t CCompareController::AnswerCompareRequest(int64_t code, int64_t offset) {
    answering = true;
    const int64_t answer = CCompareRequestHandler::Answer(
        *this, code, offset, code == InstanceMessages::kCopyData ? BlockName() : std::string());
    answering = false;
    return answer;
}

void CCompareController::HoldView() {
    if (!running && !answering) {
        return;
    }
    CDataView* view = frame.DataView();
    if (!holdingView && !view->IsDeferred()) {
        holdingView = true;
        view->SetDeferred(true);
    }
    if (answering && holdingView && !releaseScheduled) {
        releaseScheduled = true;
        QTimer::singleShot(kRequestPaintDelayMs, &frame, [this] {
            releaseScheduled = false;
            ReleaseView();
        });
    }
}

void CCompareController::ReleaseView() {
    if (!holdingView) {
        return;
    }
    holdingView = false;
    frame.DataView()->SetDeferred(false);
    frame.DataView()->Relayout();
    frame.ShowAddressPane();
}

std::string CCompareController::BlockName() {
    return CCompareBlock::DefaultName();
}

int64_t CCompareController::AnswerWindowRequest(int64_t code, int64_t argument) {
    switch (code) {
    case InstanceMessages::kWindowCentreX:
        return frame.frameGeometry().center().x();
    case InstanceMessages::kPlaceWindow:
        PlaceWindow(UnpackRect(argument));
        return 1;
    default:
        return 0;
    }
}

void CCompareController::SideBySide(const QRect& area, bool oursOnLeft, QRect& ours, QRect& theirs) {
    const int half = area.width() / 2;
    const QRect left(area.x(), area.y(), half, area.height());
    const QRect right(area.x() + half, area.y(), half, area.height());
    ours = oursOnLeft ? left : right;
    theirs = oursOnLeft ? right : left;
}

int64_t CCompareController::PackRect(const QRect& rect) {
    auto field = [](int value, int shift) {
        return static_cast<uint64_t>(static_cast<uint16_t>(static_cast<int16_t>(value))) << shift;
    };
    return static_cast<int64_t>(field(rect.x(), 0) | field(rect.y(), 16) | field(rect.width(), 32) |
                                field(rect.height(), 48));
}

QRect CCompareController::UnpackRect(int64_t packed) {
    const uint64_t bits = static_cast<uint64_t>(packed);
    auto field = [bits](int shift) {
        return static_cast<int>(static_cast<int16_t>((bits >> shift) & 0xFFFF));
    };
    return QRect(field(0), field(16), field(32), field(48));
}

void CCompareController::PlaceWindow(const QRect& rect) {
    if (!rect.isValid()) {
        return;
    }
    if (frame.isMaximized() || frame.isFullScreen() || frame.isMinimized()) {
        frame.showNormal();
    }
    // The rectangle is the whole window with its frame; the window manager's frame is what it adds around the
    // client area.
    const QSize extra = frame.frameGeometry().size() - frame.geometry().size();
    frame.resize(std::max(1, rect.width() - extra.width()), std::max(1, rect.height() - extra.height()));
    frame.move(rect.topLeft());
}

uint64_t CCompareController::DataSize() const {
    return frame.Store().GetDataSize();
}

uint64_t CCompareController::ReadData(uint64_t offset, unsigned char* destination, uint64_t length) const {
    return frame.Store().ReadData(offset, destination, length);
}

uint64_t CCompareController::Cursor() const {
    const CDataStore& store = frame.Store();
    return store.Pane(store.CurrentPane()).cursor;
}

void CCompareController::MoveCursor(uint64_t offset) {
    HoldView();
    frame.MoveCursorTo(offset);
}

void CCompareController::ClearDifferences() {
    HoldView();
    frame.Differences().Clear();
    frame.DataView()->RepaintAll();
}

void CCompareController::AddDifference(uint64_t offset) {
    if (!frame.Differences().Add(offset)) {
        return;
    }
    CDataView* view = frame.DataView();
    if (view->IsVisible(0, offset) || (view->IsSplit() && view->IsVisible(1, offset))) {
        HoldView();
        view->RepaintAll();
    }
}

int CCompareController::AskNextStep() {
    // The user sees the difference the dialog asks about.
    ReleaseView();
    return stepDialog();
}

void CCompareController::ShowWaitCursor(bool shown) {
    if (shown) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void CCompareController::ArrangeWindows() {
    if (partnerEndpoint.empty()) {
        return;
    }
    CInstanceChannel& channel = frame.Channel();
    const std::optional<int64_t> theirCentre =
        channel.Send(partnerEndpoint, InstanceMessages::kWindow, InstanceMessages::kWindowCentreX, 0,
                     CChannelCompareLink::kRequestTimeoutMs);
    if (!theirCentre) {
        return;
    }
    QScreen* screen = frame.screen() ? frame.screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    // The window further left takes the left half; on a tie the partner does.
    const bool oursOnLeft = frame.frameGeometry().center().x() < *theirCentre;
    QRect ours;
    QRect theirs;
    SideBySide(screen->availableGeometry(), oursOnLeft, ours, theirs);
    PlaceWindow(ours);
    channel.Send(partnerEndpoint, InstanceMessages::kWindow, InstanceMessages::kPlaceWindow, PackRect(theirs),
                 CChannelCompareLink::kRequestTimeoutMs);
}
