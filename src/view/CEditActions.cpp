#include "view/CEditActions.h"

#include "app/CTextTable.h"
#include "data/CNavigator.h"
#include "data/DataMessage.h"
#include "view/CDataView.h"
#include "view/CInputDlg2.h"
#include "view/CJumpDlg.h"
#include "view/CMainFrame.h"
#include "view/CUserPrompt.h"

#include "platform/CodePage932.h"
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <cctype>

namespace {
const int kFastInputOff = 0x10;
const int kNoDeleteConfirmation = 0x01;
const int kCopyTimeoutMs = 2000;
} // namespace

CEditActions::CEditActions(CMainFrame& frame) : frame(frame) {}

EditOptions CEditActions::Options() const {
    EditOptions o;
    o.insertMode = frame.Settings().insertMode;
    o.decimalAddress = frame.DecimalAddress();
    o.format.littleEndian = frame.LittleEndian();
    o.format.charSet = frame.Settings().charSet;
    o.format.floatWidth = frame.FloatWidth();
    o.format.floatPrecision = frame.FloatPrecision();
    o.nameColumnChars = frame.Layout().NameChars();
    return o;
}

void CEditActions::Apply(const EditResult& result) {
    for (const DataNotice& notice : result.notices) {
        frame.Prompt().Message(&frame,
                               QString::fromStdString(DataNoticeText(notice, CTextTable::Language())));
    }
    if (result.sizeChanged || result.dataChanged) {
        frame.DataView()->Relayout();
    } else {
        frame.DataView()->RepaintAll();
    }
    // Keep the moved cursor on screen.
    const int pane = frame.Store().CurrentPane();
    const uint64_t cursor = frame.Store().Pane(pane).cursor;
    if (result.cursorMoved && !frame.DataView()->IsVisible(pane, cursor) &&
        cursor < frame.Store().GetDataSize()) {
        const uint64_t row = frame.Layout().RowIndexOf(cursor);
        const uint64_t half = static_cast<uint64_t>(frame.DataView()->PaneRows(pane) / 2);
        frame.DataView()->ScrollToRow(pane, row > half ? row - half : 0);
        frame.DataView()->RepaintAll();
    }
    frame.ShowAddressPane();
    frame.ShowSizePane(static_cast<int64_t>(frame.Store().GetDataSize()));
    frame.ShowUndoPane();
}

void CEditActions::MoveCursor(uint64_t offset) {
    frame.DataView()->MoveCursorTo(frame.Store().CurrentPane(), offset);
}

void CEditActions::TypeText(const QString& text) {
    if (frame.Settings().optionFlags & kFastInputOff) {
        return;
    }
    const CRowLayout& layout = frame.Layout();
    CEditCommands commands(frame.Store(), layout);
    const bool hex = layout.SizeIndex() == 0 && layout.TypeIndex() == 1;
    const bool textType = layout.TypeIndex() == 5;
    int nibble = frame.PendingNibble();
    for (const QChar c : text) {
        if (hex && c.unicode() < 0x80 && std::isxdigit(c.unicode())) {
            Apply(commands.TypeHexDigit(static_cast<char>(c.unicode()), nibble, Options()));
            frame.SetPendingNibble(nibble);
        }
    }
    if (textType) {
        for (uint32_t code : CEditCommands::CharacterCodes(CodePage932::FromUtf8(text.toStdString()))) {
            Apply(commands.TypeCharacter(code, Options()));
        }
    }
}

void CEditActions::DeleteKey() {
    CEditCommands commands(frame.Store(), frame.Layout());
    if (!commands.CanDelete()) {
        return;
    }
    if (!(frame.Settings().optionFlags & kNoDeleteConfirmation) &&
        frame.Prompt().AskOkCancel(&frame, QString::fromStdString(CTextTable::Text(T_MSG_REALLY_DELETE))) !=
            CUserPrompt::Ok) {
        return;
    }
    Apply(commands.DeleteSelectionOrUnit());
}

void CEditActions::Backspace() {
    CEditCommands commands(frame.Store(), frame.Layout());
    if (frame.Store().Pane(frame.Store().CurrentPane()).cursor == 0) {
        return;
    }
    Apply(commands.StepLeftForBackspace());
    DeleteKey();
}

bool CEditActions::CanWrite() const {
    CEditCommands commands(frame.Store(), frame.Layout());
    return commands.CanWrite();
}

void CEditActions::Write() {
    OpenWriteDialogAt(frame.Store().Pane(frame.Store().CurrentPane()).cursor);
}

void CEditActions::OpenWriteDialogAt(uint64_t offset) {
    CEditCommands commands(frame.Store(), frame.Layout());
    if (!commands.CanWrite() || offset > frame.Store().GetDataSize()) {
        return;
    }
    const EditOptions options = Options();
    const WriteTarget target = commands.PrepareWrite(offset, options);
    CInputDlg2 dialog(target, frame.DecimalAddress(), frame.LittleEndian(), frame.Settings().charSet,
                      frame.Prompt(), &frame);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    Apply(commands.ApplyWrite(target.unitStart, dialog.Bytes(), options));
}

bool CEditActions::CanCopy() const {
    const PaneSelection& s = frame.Store().Pane(frame.Store().CurrentPane());
    return s.selAnchor != s.selEnd;
}

bool CEditActions::CopySelection() {
    if (!CanCopy()) {
        return false;
    }
    CEditCommands commands(frame.Store(), frame.Layout());
    uint64_t start = 0, end = 0;
    commands.SelectionRange(start, end);
    const uint64_t count = end - start;
    if (!frame.CopyBlock().Acquire(frame.Channel(), count, kCopyTimeoutMs)) {
        frame.Prompt().Message(&frame, QString::fromStdString(CTextTable::Text(T_MSG_CANNOT_ALLOCATE)));
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    frame.Store().ReadData(start, frame.CopyBlock().WritableBytes(), count);
    const std::string text = commands.CopyText(start, end, Options());
    QGuiApplication::clipboard()->setText(QString::fromStdU16String(CodePage932::ToUtf16(text)));
    QApplication::restoreOverrideCursor();
    return true;
}

void CEditActions::Copy() {
    CopySelection();
}

void CEditActions::Cut() {
    if (!CopySelection()) {
        return;
    }
    CEditCommands commands(frame.Store(), frame.Layout());
    if (commands.CanDelete()) {
        Apply(commands.DeleteSelectionOrUnit());
    }
}

bool CEditActions::CanPaste() const {
    CEditCommands commands(frame.Store(), frame.Layout());
    if (!commands.CanInsertOrDelete()) {
        return false;
    }
    return frame.CopyBlock().IsOpen() || CCopyBlock::Exists(CCopyBlock::DefaultName());
}

void CEditActions::Paste() {
    if (!CanPaste()) {
        return;
    }
    CEditCommands commands(frame.Store(), frame.Layout());
    if (frame.CopyBlock().IsOpen()) {
        Apply(commands.PasteBytes(frame.CopyBlock().Bytes(), frame.CopyBlock().Count()));
        return;
    }
    CCopyBlock other = CCopyBlock::OpenForReading(CCopyBlock::DefaultName());
    Apply(commands.PasteBytes(other.IsOpen() ? other.Bytes() : nullptr, other.IsOpen() ? other.Count() : 0));
}

void CEditActions::SelectAll() {
    CEditCommands commands(frame.Store(), frame.Layout());
    if (commands.CanSelectAll()) {
        Apply(commands.SelectAll());
    }
}

bool CEditActions::HasData() const {
    return frame.Store().GetDataSize() != 0;
}

void CEditActions::JumpTo() {
    if (!HasData()) {
        return;
    }
    const uint64_t cursor = frame.Store().Pane(frame.Store().CurrentPane()).cursor;
    CJumpDlg dialog(cursor, frame.Store().GetDataSize(), frame.DecimalAddress(), frame.Prompt(), &frame);
    if (dialog.exec() == QDialog::Accepted) {
        MoveCursor(dialog.Target());
    }
}

void CEditActions::OffsetJump(int width, bool relative) {
    CNavigator navigator(frame.Store(), frame.Layout());
    uint64_t target = 0;
    if (!HasData() || !navigator.OffsetJump(width, relative, frame.LittleEndian(), target)) {
        frame.Prompt().Beep();
        return;
    }
    MoveCursor(target);
}

void CEditActions::ToggleMark() {
    CNavigator navigator(frame.Store(), frame.Layout());
    if (HasData() && navigator.ToggleMark()) {
        frame.DataView()->RepaintAll();
    }
}

void CEditActions::NextMark() {
    CNavigator navigator(frame.Store(), frame.Layout());
    uint64_t target = 0;
    if (navigator.NextMark(target)) {
        MoveCursor(target);
    }
}

void CEditActions::PrevMark() {
    CNavigator navigator(frame.Store(), frame.Layout());
    uint64_t target = 0;
    if (navigator.PrevMark(target)) {
        MoveCursor(target);
    }
}

void CEditActions::RemoveAllMarks() {
    CNavigator navigator(frame.Store(), frame.Layout());
    if (navigator.RemoveAllMarks()) {
        frame.DataView()->RepaintAll();
    }
}
