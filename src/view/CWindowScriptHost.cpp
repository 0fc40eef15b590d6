#include "view/CWindowScriptHost.h"

#include "engine/CFlowManager.h"
#include "platform/CodePage932.h"
#include "settings/CTextTable.h"
#include "view/CDataView.h"
#include "view/CMainFrame.h"
#include "view/CUserPrompt.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QProgressBar>
#include <optional>

namespace {

QString FromSystem(const std::string& text) {
    return QString::fromStdU16String(CodePage932::ToUtf16(text));
}

// The wait cursor of a run gives way to the normal one while the script asks the user something.
class NormalCursor {
public:
    NormalCursor() {
        if (const QCursor* cursor = QApplication::overrideCursor()) {
            saved_ = *cursor;
            QApplication::restoreOverrideCursor();
        }
    }
    ~NormalCursor() {
        if (saved_) {
            QApplication::setOverrideCursor(*saved_);
        }
    }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

private:
    std::optional<QCursor> saved_;
};

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

CWindowScriptHost::CWindowScriptHost(CMainFrame& frame) : frame_(frame) {}

CWindowScriptHost::~CWindowScriptHost() {
    End();
}

void CWindowScriptHost::Begin() {
    if (bar_ != nullptr) {
        return;
    }
    CDataView* area = frame_.DataView();
    if (area == nullptr) {
        return;
    }
    bar_ = new QProgressBar(area);
    bar_->setObjectName("scriptProgress");
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setFocusPolicy(Qt::NoFocus);
    PlaceBar();
    bar_->show();
    bar_->raise();
    // The bar keeps the width of the data area when the window is resized during the run.
    area->installEventFilter(this);
}

void CWindowScriptHost::End() {
    running_ = nullptr;
    if (bar_ != nullptr) {
        if (QWidget* area = bar_->parentWidget()) {
            area->removeEventFilter(this);
        }
        delete bar_;
    }
}

void CWindowScriptHost::PlaceBar() {
    if (bar_ == nullptr) {
        return;
    }
    const QWidget* area = bar_->parentWidget();
    const int rowHeight = frame_.DataView() != nullptr ? frame_.DataView()->Geometry().RowHeight() : 0;
    bar_->setGeometry(0, 0, area->width(), rowHeight > 0 ? rowHeight : frame_.CharHeight() + 2);
}

bool CWindowScriptHost::AbortRun() {
    if (running_ == nullptr) {
        return false;
    }
    running_->Abort();
    return true;
}

int CWindowScriptHost::MessageBox(const std::string& text, const std::string& caption, uint32_t style) {
    NormalCursor cursor;
    return frame_.Prompt().MessageBox(&frame_, FromSystem(text), FromSystem(caption), style);
}

bool CWindowScriptHost::InputData(const std::string& prompt, const std::string& title, int valueType,
                                  std::string& text) {
    NormalCursor cursor;
    return frame_.Prompt().InputData(&frame_, FromSystem(prompt), FromSystem(title), valueType,
                                     CTextTable::Language(), text);
}

bool CWindowScriptHost::CopyText(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    clipboard->setText(FromSystem(text), QClipboard::Clipboard);
    return true;
}

std::string CWindowScriptHost::PasteText() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return std::string();
    }
    // Characters without a code page 932 form arrive as "?".
    return CodePage932::FromUtf16(clipboard->text(QClipboard::Clipboard).toStdU16String());
}

void CWindowScriptHost::Progress(int percent) {
    if (bar_ == nullptr || dispatching_) {
        return;
    }
    bar_->setValue(percent < 0 ? 0 : (percent > 100 ? 100 : percent));
    bar_->repaint();
    // Let the pending events through once: painting goes on and Esc can stop the run.
    dispatching_ = true;
    qApp->installEventFilter(this);
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
    dispatching_ = false;
}

void CWindowScriptHost::SetRunning(CFlowManager* flow) {
    running_ = flow;
}

bool CWindowScriptHost::eventFilter(QObject* watched, QEvent* event) {
    if (dispatching_ && FilterDuringDispatch(watched, event)) {
        return true;
    }
    if (bar_ != nullptr && watched == bar_->parentWidget() && event->type() == QEvent::Resize) {
        PlaceBar();
    }
    return QObject::eventFilter(watched, event);
}

bool CWindowScriptHost::FilterDuringDispatch(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Close && (watched == &frame_ || watched == frame_.windowHandle())) {
        event->ignore();
        return true;
    }
    if (!watched->isWidgetType() && !watched->isWindowType()) {
        return false;
    }
    if (!IsUserInput(type)) {
        return false;
    }
    if (type == QEvent::ShortcutOverride) {
        // Taken here, so that no shortcut fires and the key press itself reaches this filter.
        event->accept();
        return true;
    }
    if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        AbortRun();
    }
    return true;
}
