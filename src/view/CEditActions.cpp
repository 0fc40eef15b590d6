#include "view/CEditActions.h"

#include "data/CNavigator.h"
#include "data/DataMessage.h"
#include "settings/CTextTable.h"
#include "view/CDataView.h"
#include "view/CInputDlg2.h"
#include "view/CJumpDlg.h"
#include "view/CLongTaskProgress.h"
#include "view/CMainFrame.h"
#include "view/CUserPrompt.h"

#include "platform/CodePage932.h"
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>
#include <cctype>
#include <new>

namespace {
const int kFastInputOff = 0x10;
const int kNoDeleteConfirmation = 0x01;
const int kCopyTimeoutMs = 2000;
// Pieces in which a long copy reads its bytes and converts its text.
const uint64_t kCopyFillBytes = 1 << 20;
const size_t kConvertBytes = 1 << 20;
// The longest clipboard text a copy builds.
uint64_t g_copyTextLimit = CEditActions::kDefaultCopyTextLimit;

QString Tr(TextId id) {
    return QString::fromStdString(CTextTable::Text(id));
}
} // namespace

void CEditActions::SetCopyTextLimit(uint64_t bytes) {
    g_copyTextLimit = bytes;
}

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
    end = std::min(end, frame.Store().GetDataSize());
    const uint64_t count = end > start ? end - start : 0;
    const EditOptions options = Options();
    // A text that cannot be held is refused before anything is built, and nothing is copied then.
    if (commands.CopyTextLength(start, end, options) > g_copyTextLimit) {
        frame.Prompt().Message(&frame, Tr(T_MSG_COPY_TOO_LARGE));
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CLongTaskProgress progress(&frame, Tr(T_MSG_COPYING));
    // The text, its conversion and the copied bytes take a third of the bar each.
    auto phase = [&progress](int index) {
        return [&progress, index](uint64_t done, uint64_t total) {
            const double part = total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
            return progress.Step(static_cast<uint64_t>((index + part) * 1e6), 3000000);
        };
    };
    std::string text;
    const CopyTextStatus status = commands.CopyText(start, end, options, g_copyTextLimit, phase(0), text);
    QString clipboardText;
    const bool converted = status == CopyTextStatus::Done && ToClipboardText(text, clipboardText, phase(1));
    std::string().swap(text);
    if (!converted) {
        QApplication::restoreOverrideCursor();
        // Cancelled: nothing to say. Otherwise the text could not be held after all.
        if (!progress.Cancelled()) {
            frame.Prompt().Message(&frame, Tr(T_MSG_COPY_TOO_LARGE));
        }
        return false;
    }
    // The text is ready: only now are the other copies asked to give up their block.
    if (!frame.CopyBlock().Acquire(frame.Channel(), count, kCopyTimeoutMs)) {
        QApplication::restoreOverrideCursor();
        frame.Prompt().Message(&frame, Tr(T_MSG_CANNOT_ALLOCATE));
        return false;
    }
    if (!FillCopyBlock(start, count, phase(2))) {
        // Cancelled while the bytes were copied, or the block closed by a later copy elsewhere: no
        // half-filled block is left for a paste.
        frame.CopyBlock().Close();
        QApplication::restoreOverrideCursor();
        return false;
    }
    QApplication::restoreOverrideCursor();
    QGuiApplication::clipboard()->setText(clipboardText);
    return true;
}

bool CEditActions::FillCopyBlock(uint64_t start, uint64_t count, const CopyTextProgress& progress) {
    unsigned char* block = frame.CopyBlock().WritableBytes();
    if (block == nullptr) {
        return false;
    }
    // In blocks, so that a long copy from a slow data source shows its progress and can be cancelled.
    for (uint64_t done = 0; done < count;) {
        const uint64_t part = std::min<uint64_t>(count - done, kCopyFillBytes);
        const uint64_t read = frame.Store().ReadData(start + done, block + done, part);
        done += part;
        if (read < part) {
            // What the data source does not give stays zero, as in one read of the whole.
            std::fill(block + done - (part - read), block + done, 0);
        }
        if (done < count && !progress(done, count)) {
            return false;
        }
        // While the progress dialog let events through, another copy may have asked for the block to be
        // closed (it is copying itself): this copy is then over.
        if (frame.CopyBlock().WritableBytes() != block) {
            return false;
        }
    }
    return true;
}

bool CEditActions::ToClipboardText(const std::string& text, QString& out, const CopyTextProgress& progress) {
    // A UTF-16 unit per code page 932 character at most; converted in pieces that end after a line break
    // (never inside a double-byte character), so that no copy of the whole text is ever made beside the
    // result.
    try {
        out.reserve(static_cast<qsizetype>(text.size()));
        size_t position = 0;
        while (position < text.size()) {
            size_t cut = std::min(text.size(), position + kConvertBytes);
            if (cut < text.size()) {
                const size_t lineEnd = text.rfind('\n', cut - 1);
                if (lineEnd != std::string::npos && lineEnd >= position) {
                    cut = lineEnd + 1;
                }
            }
            const std::u16string piece = CodePage932::ToUtf16(text.substr(position, cut - position));
            out.append(QStringView(piece.data(), static_cast<qsizetype>(piece.size())));
            position = cut;
            if (position < text.size() && !progress(position, text.size())) {
                out = QString();
                return false;
            }
        }
    } catch (const std::bad_alloc&) {
        out = QString();
        return false;
    }
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
