#pragma once

#include <cstdint>

class CDataStore;
class CDataStoreListener;
class CUserPrompt;
class QWidget;

// What the search and replace dialogs need from the main window. The dialogs act on the data through the
// store and ask the window only to move the cursor, mark it, jump, repaint and refresh its bars.
class ISearchHost {
public:
    virtual ~ISearchHost() = default;

    virtual CDataStore& Store() = 0;
    // The listener the store reports to; replace-all detaches it while its worker runs and tells it about
    // every change at the end. May be null.
    virtual CDataStoreListener* StoreListener() = 0;
    virtual CUserPrompt& Prompt() = 0;
    // Parent of the dialogs.
    virtual QWidget* DialogWindow() = 0;

    // Display state: byte order (1 little-endian), character set (1 UTF-16), the selected display size and
    // type of the size and type bar, and the UI language (0 Japanese, 1 English).
    virtual int LittleEndian() const = 0;
    virtual int CharSet() const = 0;
    virtual int SizeIndex() const = 0;
    virtual int TypeIndex() const = 0;
    virtual int Language() const = 0;

    // Moves the current pane's cursor to offset, scrolls its row into the middle of the view when it is not
    // visible, moves the dialog cursor mark along when it is shown, and repaints.
    virtual void MoveCursorTo(uint64_t offset) = 0;
    // Shows the dialog cursor mark at the cursor (or removes it, 0xFFFFFFFF) and repaints.
    virtual void ShowDialogCursorMark(bool shown) = 0;
    // The window's Jump Top and Jump End commands.
    virtual void JumpTop() = 0;
    virtual void JumpEnd() = 0;
    // Repaints and refreshes the size and undo panes after data changed.
    virtual void RefreshAfterReplace() = 0;
    // While deferred, a replace-all worker is changing the data: the window must not read the data at all
    // (painting shows the last picture, refresh timers skip their reads) until it is resumed.
    virtual void DeferRepaints(bool deferred) = 0;
};
