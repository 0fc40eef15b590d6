#pragma once

#include "data/DataMessage.h"
#include "data/ValueFormat.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CDataStore;
class CRowLayout;
struct RowInfo;

// The editor state the editing commands depend on, taken from the window at each call.
struct EditOptions {
    int insertMode = 0;
    int decimalAddress = 0;
    // Byte order, character set and real-number format of the unit texts.
    ValueFormatOptions format;
    // Width of the SYMBOL name column in characters; 0 when the rows have no name column.
    int nameColumnChars = 0;
};

// What a command did, so that the window repaints and refreshes only what it must, and the messages it has
// to show (in order).
struct EditResult {
    // Bytes in [changedOffset, changedOffset + changedLength) may look different (to the end of the data
    // after an insertion or deletion).
    bool dataChanged = false;
    uint64_t changedOffset = 0;
    uint64_t changedLength = 0;
    // The data size changed: scroll range, address column and size pane.
    bool sizeChanged = false;
    bool cursorMoved = false;
    bool selectionChanged = false;
    std::vector<DataNotice> notices;
};

// How building the text of copied rows ended.
enum class CopyTextStatus {
    Done,
    // The progress callback asked to stop.
    Aborted,
    // The text would be longer than the limit allowed (or than a string can be).
    TooLarge,
    // The room for the text could not be had.
    NoMemory
};
// Told now and then how many of the selected bytes have been turned into text, out of how many; returns false
// to stop.
using CopyTextProgress = std::function<bool(uint64_t done, uint64_t total)>;

// What the data input dialog needs for the unit at an offset.
struct WriteTarget {
    uint64_t unitStart = 0;
    int unitSize = 1;
    int inputType = 0;
    bool insert = false;
    // The unit's text without leading spaces, in code page 932 bytes.
    std::string initialText;
};

// Editing of a data store's current pane without any widget: typing, the data input dialog's write, deleting,
// pasting, selecting everything and the text form of copied rows. Each action is one undo step (a paste over
// a selection is two: the deletion and the insertion). Questions to the user ("Really delete it ?") are the
// window's; refusals come back as notices for it to show.
//
// The half-typed hexadecimal byte (-1 or the first digit) is the window's: it passes its field to
// TypeHexDigit and sets it to -1 itself on cursor keys, Delete, Backspace, mouse release and layout changes.
class CEditCommands {
public:
    // Both objects must outlive the commands; the layout is the one the window paints with.
    CEditCommands(CDataStore& store, const CRowLayout& layout);

    // --- who may do what ---
    // Overwriting: any data source, file mode only with full access.
    bool CanWrite() const;
    // Inserting and deleting: file mode, data present, full access.
    bool CanInsertOrDelete() const;
    // The Delete key and Cut: inserting and deleting allowed and something to delete.
    bool CanDelete() const;
    bool CanSelectAll() const;
    // Insert mode, or in file mode a change at the very end of the data.
    bool EffectiveInsertMode(uint64_t offset, int insertMode) const;

    // --- typing ---
    // One hexadecimal digit into the cursor byte; other characters do nothing. The first digit puts the
    // byte 0x0d (inserted in insert mode) and keeps the cursor; the second completes it and moves on.
    EditResult TypeHexDigit(char character, int& pendingNibble, const EditOptions& options);
    // One character: a byte, or a double-byte character as lead byte << 8 | trail byte. With the Unicode
    // character set its UTF-16 code unit is written low byte first. Control characters do nothing.
    EditResult TypeCharacter(uint32_t code, const EditOptions& options);
    // The characters of a code page 932 text as TypeCharacter codes, double-byte pairs kept together.
    static std::vector<uint32_t> CharacterCodes(const std::string& text);

    // --- the data input dialog ---
    // The input type a unit of this size and type starts with (symbolClass for SYMBOL only).
    static int PreselectedInputType(int sizeIndex, int typeIndex, int symbolClass);
    // The unit holding offset (the end position is a unit of its own), its type and text for the dialog.
    WriteTarget PrepareWrite(uint64_t offset, const EditOptions& options) const;
    // Writes, or inserts in the effective insert mode, the dialog's bytes at the unit start. The cursor
    // does not move.
    EditResult ApplyWrite(uint64_t unitStart, const std::vector<unsigned char>& bytes,
                          const EditOptions& options);

    // --- deleting ---
    // Backspace's first half: the cursor one unit to the left, the selection collapsed. Nothing at 0.
    EditResult StepLeftForBackspace();
    // Deletes the selection, or the unit at the cursor, and places the cursor. The caller has asked.
    EditResult DeleteSelectionOrUnit();

    // --- paste and selection ---
    // Replaces the selection (one undo step) and inserts the copied bytes at the cursor (another). count 0
    // (the copy vanished) only deletes the selection.
    EditResult PasteBytes(const unsigned char* bytes, uint64_t count);
    EditResult SelectAll();
    // The selection as [start, end); start == end when there is none.
    void SelectionRange(uint64_t& start, uint64_t& end) const;
    // The rows holding [start, end) as the screen shows them, for the clipboard: code page 932 bytes, each
    // line ended by "\r\n".
    std::string CopyText(uint64_t start, uint64_t end, const EditOptions& options) const;
    // The same text built in one pass into room reserved once for CopyTextLength bytes, reading the data a
    // block at a time. Nothing is built when that length exceeds limit (TooLarge) or cannot be had
    // (NoMemory); progress, when given, is asked every few hundred kilobytes whether to go on (Aborted).
    // text is empty unless the result is Done.
    CopyTextStatus CopyText(uint64_t start, uint64_t end, const EditOptions& options, uint64_t limit,
                            const CopyTextProgress& progress, std::string& text) const;
    // An upper bound of the length of CopyText's text, known before any byte is formatted: exact except for
    // real-number cells, counted at the longest text their format can give. Saturates instead of wrapping.
    uint64_t CopyTextLength(uint64_t start, uint64_t end, const EditOptions& options) const;

private:
    uint64_t Cursor() const;
    void MoveCursor(uint64_t offset, EditResult& result);
    uint64_t UnitStartOf(uint64_t offset) const;
    // Writes or inserts at offset; bytes that overwriting would put past the end of file-mode data are
    // appended in the same undo step.
    bool PutBytes(uint64_t offset, const unsigned char* bytes, uint64_t count, bool insert,
                  EditResult& result);
    std::string UnitText(const unsigned char* bytes, int unitSize, const EditOptions& options) const;
    // The longest text a unit of this row can have.
    uint64_t UnitTextBound(const RowInfo& row, const EditOptions& options) const;

    CDataStore& store;
    const CRowLayout& layout;
};
