#include "data/CEditCommands.h"

#include "data/CDataStore.h"
#include "data/CNavigator.h"
#include "data/CRowLayout.h"
#include "data/ISymbolRows.h"
#include "data/ValueParse.h"
#include "platform/CodePage932.h"

#include <algorithm>
#include <limits>
#include <new>

namespace {

// Copying rows as text reads the data this many bytes at a time, and asks whether to go on about every
// kCopyProgressBytes of the selection.
constexpr uint64_t kCopyReadBytes = 64 * 1024;
constexpr uint64_t kCopyProgressBytes = 256 * 1024;

uint64_t SaturatingAdd(uint64_t a, uint64_t b) {
    return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max() : a + b;
}

uint64_t SaturatingMultiply(uint64_t a, uint64_t b) {
    if (a != 0 && b > std::numeric_limits<uint64_t>::max() / a) {
        return std::numeric_limits<uint64_t>::max();
    }
    return a * b;
}

// The longest text FormatReal gives: the width, or the fixed form of a value just below 1e11 (the largest
// shown in fixed form) with its sign, eleven digits, the point and the decimals. The exponent form is
// shorter.
uint64_t RealTextBound(int width, int precision) {
    ClampFloatFormat(width, precision);
    const int fixed = 1 + 11 + (precision > 0 ? precision + 1 : 0);
    return static_cast<uint64_t>(std::max(width, fixed));
}

// How many units of a row the text of a selection ending at end shows: those starting before the end whose
// bytes lie wholly inside the data (the ones before the selection's start count: they become blanks).
uint64_t ShownUnits(const RowInfo& row, uint64_t end, uint64_t size) {
    if (row.start >= end || row.start >= size) {
        return 0;
    }
    const auto unit = static_cast<uint64_t>(std::max(row.unitSize, 1));
    const uint64_t beforeEnd = (end - row.start + unit - 1) / unit;
    const uint64_t inside = (size - row.start) / unit;
    return std::min({static_cast<uint64_t>(std::max(row.unitsPerRow, 0)), beforeEnd, inside});
}

// Appends an address as CNavigator::AddressText writes it: upper-case hexadecimal padded with zeros, or
// decimal padded with spaces, to at least digits characters.
void AppendAddress(std::string& text, uint64_t address, int digits, bool decimal) {
    char buffer[32];
    int length = 0;
    const unsigned base = decimal ? 10 : 16;
    do {
        buffer[length++] = "0123456789ABCDEF"[address % base];
        address /= base;
    } while (address != 0);
    if (length < digits) {
        text.append(static_cast<size_t>(digits - length), decimal ? ' ' : '0');
    }
    while (length > 0) {
        text += buffer[--length];
    }
}

// Writes the hexadecimal text of a unit (2 * count characters) as FormatUnit shows it: the bytes in the
// chosen byte order, most significant first.
void WriteHex(char* out, const unsigned char* bytes, size_t count, bool littleEndian) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (size_t i = 0; i < count; ++i) {
        const unsigned char byte = bytes[littleEndian ? count - 1 - i : i];
        *out++ = kDigits[byte >> 4];
        *out++ = kDigits[byte & 0x0F];
    }
}

// A block of the data read at once while copying rows as text.
struct DataWindow {
    uint64_t start = 0;
    uint64_t length = 0;
    std::vector<unsigned char> bytes;
};

// The bytes [offset, offset + count) from the window, reading the block that starts at offset when the
// window does not hold them; null when the data source gives fewer bytes.
const unsigned char* WindowBytes(DataWindow& window, const CDataStore& store, uint64_t offset, uint64_t count,
                                 uint64_t size) {
    if (offset >= window.start && offset - window.start <= window.length &&
        count <= window.length - (offset - window.start)) {
        return window.bytes.data() + (offset - window.start);
    }
    const uint64_t wanted = std::min<uint64_t>(window.bytes.size(), size - offset);
    window.start = offset;
    window.length = wanted < count ? 0 : store.ReadData(offset, window.bytes.data(), wanted);
    return window.length >= count ? window.bytes.data() : nullptr;
}

int HexDigitValue(char character) {
    if (character >= '0' && character <= '9') {
        return character - '0';
    }
    if (character >= 'a' && character <= 'f') {
        return character - 'a' + 10;
    }
    if (character >= 'A' && character <= 'F') {
        return character - 'A' + 10;
    }
    return -1;
}

bool IsControlCharacter(uint32_t code) {
    return code < 0x20 || code == 0x7F;
}

// Bytes of a character code: one byte, or the lead byte followed by the trail byte.
std::string CharacterBytes(uint32_t code) {
    if (code > 0xFF) {
        return std::string{static_cast<char>(code >> 8 & 0xFF), static_cast<char>(code & 0xFF)};
    }
    return std::string(1, static_cast<char>(code));
}

void StripLeadingSpaces(std::string& text) {
    text.erase(0, text.find_first_not_of(' '));
}

} // namespace

CEditCommands::CEditCommands(CDataStore& store, const CRowLayout& layout) : store(store), layout(layout) {}

// ---------------------------------------------------------------------------------------------------------
// Who may do what

bool CEditCommands::CanWrite() const {
    if (store.Mode() != CDataStore::kModeFile) {
        return true;
    }
    return store.AccessFlags() == 0 && store.HasDataBlock();
}

bool CEditCommands::CanInsertOrDelete() const {
    return store.CanInsertOrDelete();
}

bool CEditCommands::CanDelete() const {
    return CanInsertOrDelete() && store.GetDataSize() > 0;
}

bool CEditCommands::CanSelectAll() const {
    return store.GetDataSize() > 0;
}

bool CEditCommands::EffectiveInsertMode(uint64_t offset, int insertMode) const {
    return insertMode != 0 || (store.Mode() == CDataStore::kModeFile && offset == store.GetDataSize());
}

// ---------------------------------------------------------------------------------------------------------
// Cursor helpers

uint64_t CEditCommands::Cursor() const {
    return store.Pane(store.CurrentPane()).cursor;
}

void CEditCommands::MoveCursor(uint64_t offset, EditResult& result) {
    PaneSelection& pane = store.Pane(store.CurrentPane());
    offset = std::min(offset, store.GetDataSize());
    if (pane.HasSelection()) {
        result.selectionChanged = true;
    }
    if (pane.cursor != offset) {
        result.cursorMoved = true;
    }
    pane.cursor = offset;
    pane.selAnchor = offset;
    pane.selEnd = offset;
}

uint64_t CEditCommands::UnitStartOf(uint64_t offset) const {
    return layout.RowOf(offset).UnitStart(offset);
}

void CEditCommands::SelectionRange(uint64_t& start, uint64_t& end) const {
    const PaneSelection& pane = store.Pane(store.CurrentPane());
    start = std::min(pane.selAnchor, pane.selEnd);
    end = std::max(pane.selAnchor, pane.selEnd);
}

// ---------------------------------------------------------------------------------------------------------
// Putting bytes

bool CEditCommands::PutBytes(uint64_t offset, const unsigned char* bytes, uint64_t count, bool insert,
                             EditResult& result) {
    if (count == 0) {
        return false;
    }
    uint64_t oldSize = store.GetDataSize();
    if (insert) {
        if (!store.InsertData(offset, bytes, count, 1, 0)) {
            result.notices.push_back({DataMessage::CannotWrite, std::string()});
            return false;
        }
    } else {
        uint64_t inside = offset < oldSize ? std::min(count, oldSize - offset) : 0;
        uint64_t written = inside > 0 ? store.WriteData(offset, bytes, inside, 1, 0) : 0;
        if (written == 0) {
            return false;
        }
        // Overwriting the last bytes of a file lengthens it rather than dropping what was typed.
        if (written == inside && inside < count && store.CanInsertOrDelete() &&
            !store.InsertData(offset + inside, bytes + inside, count - inside, 1, 1)) {
            result.notices.push_back({DataMessage::CannotWrite, std::string()});
        }
    }
    uint64_t newSize = store.GetDataSize();
    result.dataChanged = true;
    result.changedOffset = offset;
    result.sizeChanged = newSize != oldSize;
    result.changedLength = result.sizeChanged ? std::max(newSize, oldSize) - offset : count;
    return true;
}

// ---------------------------------------------------------------------------------------------------------
// Typing

EditResult CEditCommands::TypeHexDigit(char character, int& pendingNibble, const EditOptions& options) {
    EditResult result;
    int digit = HexDigitValue(character);
    if (digit < 0 || !CanWrite()) {
        return result;
    }
    uint64_t cursor = Cursor();
    if (pendingNibble < 0 || pendingNibble > 15) {
        auto byte = static_cast<unsigned char>(digit);
        if (PutBytes(cursor, &byte, 1, EffectiveInsertMode(cursor, options.insertMode), result)) {
            pendingNibble = digit;
        }
        return result;
    }
    // The first digit already put (or inserted) the byte; the second only completes it.
    auto byte = static_cast<unsigned char>(pendingNibble * 16 + digit);
    pendingNibble = -1;
    if (PutBytes(cursor, &byte, 1, false, result)) {
        MoveCursor(cursor + 1, result);
    }
    return result;
}

EditResult CEditCommands::TypeCharacter(uint32_t code, const EditOptions& options) {
    EditResult result;
    if (code > 0xFFFF || IsControlCharacter(code) || !CanWrite()) {
        return result;
    }
    std::string bytes = CharacterBytes(code);
    if (options.format.charSet == 1) {
        std::u16string wide = CodePage932::ToUtf16(bytes);
        if (wide.empty()) {
            return result;
        }
        char16_t unit = wide[0];
        bytes = std::string{static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    }
    uint64_t cursor = Cursor();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (PutBytes(cursor, data, bytes.size(), EffectiveInsertMode(cursor, options.insertMode), result)) {
        MoveCursor(cursor + bytes.size(), result);
    }
    return result;
}

std::vector<uint32_t> CEditCommands::CharacterCodes(const std::string& text) {
    std::vector<uint32_t> codes;
    for (size_t i = 0; i < text.size(); ++i) {
        auto lead = static_cast<unsigned char>(text[i]);
        if (CodePage932::IsLeadByte(lead) && i + 1 < text.size()) {
            codes.push_back(static_cast<uint32_t>(lead) << 8 | static_cast<unsigned char>(text[++i]));
        } else {
            codes.push_back(lead);
        }
    }
    return codes;
}

// ---------------------------------------------------------------------------------------------------------
// The data input dialog

int CEditCommands::PreselectedInputType(int sizeIndex, int typeIndex, int symbolClass) {
    // Rows: 1BYTE, 2BYTES, 4BYTES, 8BYTES; columns: BIT, HEX, SIGN, UNSIGN, FLOAT, TEXT.
    static const int kFixed[4][6] = {
        {10, 0, 1, 2, 0, 9},
        {10, 0, 3, 4, 0, 9},
        {10, 0, 5, 6, 7, 0},
        {10, 0, 0, 0, 8, 0},
    };
    if (typeIndex < kTypeBit || typeIndex > kTypeText) {
        return kInputHex;
    }
    if (sizeIndex >= kSize1Byte && sizeIndex <= kSize8Bytes) {
        return kFixed[sizeIndex][typeIndex];
    }
    static const int kSignedByClass[3] = {1, 3, 5};
    static const int kUnsignedByClass[3] = {2, 4, 6};
    bool fixedClass = symbolClass >= 0 && symbolClass <= 2;
    switch (typeIndex) {
    case kTypeBit:
        return kInputBit;
    case kTypeSign:
        return fixedClass ? kSignedByClass[symbolClass] : kInputHex;
    case kTypeUnsign:
        return fixedClass ? kUnsignedByClass[symbolClass] : kInputHex;
    case kTypeFloat:
        return symbolClass == 2 ? kInputFloat : symbolClass == 3 ? kInputDouble : kInputHex;
    case kTypeText:
        return kInputText;
    default:
        return kInputHex;
    }
}

std::string CEditCommands::UnitText(const unsigned char* bytes, int unitSize,
                                    const EditOptions& options) const {
    std::string text;
    int symbolClass = SymbolClassForSize(static_cast<size_t>(unitSize));
    FormatUnit(bytes, layout.SizeIndex(), layout.TypeIndex(), static_cast<size_t>(unitSize), symbolClass,
               options.format, text);
    return text;
}

WriteTarget CEditCommands::PrepareWrite(uint64_t offset, const EditOptions& options) const {
    WriteTarget target;
    uint64_t size = store.GetDataSize();
    RowInfo row = layout.RowOf(offset);
    target.unitSize = std::max(row.unitSize, 1);
    // The position after the last byte is a unit of its own: writing there appends.
    target.unitStart = offset >= size ? size : row.UnitStart(offset);
    target.inputType = PreselectedInputType(layout.SizeIndex(), layout.TypeIndex(),
                                            SymbolClassForSize(static_cast<size_t>(target.unitSize)));
    target.insert = EffectiveInsertMode(target.unitStart, options.insertMode);
    // Unit texts show at most 16 bytes of a unit.
    unsigned char bytes[16] = {};
    uint64_t wanted = std::min<uint64_t>(static_cast<uint64_t>(target.unitSize), sizeof bytes);
    if (store.ReadData(target.unitStart, bytes, wanted) > 0) {
        target.initialText = UnitText(bytes, target.unitSize, options);
        StripLeadingSpaces(target.initialText);
    }
    return target;
}

EditResult CEditCommands::ApplyWrite(uint64_t unitStart, const std::vector<unsigned char>& bytes,
                                     const EditOptions& options) {
    EditResult result;
    if (!CanWrite() || unitStart > store.GetDataSize()) {
        return result;
    }
    PutBytes(unitStart, bytes.data(), bytes.size(), EffectiveInsertMode(unitStart, options.insertMode),
             result);
    return result;
}

// ---------------------------------------------------------------------------------------------------------
// Deleting

EditResult CEditCommands::StepLeftForBackspace() {
    EditResult result;
    uint64_t cursor = Cursor();
    if (cursor == 0) {
        return result;
    }
    // The unit holding the byte before the cursor: one unit left, or the previous row's last unit.
    MoveCursor(UnitStartOf(cursor - 1), result);
    return result;
}

EditResult CEditCommands::DeleteSelectionOrUnit() {
    EditResult result;
    if (!CanDelete()) {
        return result;
    }
    const uint64_t oldSize = store.GetDataSize();
    const bool hadSelection = store.Pane(store.CurrentPane()).HasSelection();
    uint64_t start = 0;
    uint64_t end = 0;
    if (hadSelection) {
        SelectionRange(start, end);
        end = std::min(end, oldSize);
        start = std::min(start, end);
    } else if (Cursor() < oldSize) {
        // At the end position there is no unit to delete.
        start = UnitStartOf(Cursor());
        end =
            start + std::min<uint64_t>(static_cast<uint64_t>(layout.RowOf(start).unitSize), oldSize - start);
    }
    if (end > start) {
        if (!store.DeleteData(start, end - start, 1, 0)) {
            result.notices.push_back({DataMessage::CannotWrite, std::string()});
            return result;
        }
        result.dataChanged = true;
        result.sizeChanged = true;
        result.changedOffset = start;
        result.changedLength = oldSize - start;
    }
    uint64_t newSize = store.GetDataSize();
    uint64_t cursor = Cursor();
    if (newSize == 0) {
        cursor = 0;
    } else if (newSize < cursor) {
        cursor = UnitStartOf(newSize - 1);
    } else if (hadSelection) {
        cursor = start;
    }
    MoveCursor(cursor, result);
    return result;
}

// ---------------------------------------------------------------------------------------------------------
// Paste and selection

EditResult CEditCommands::PasteBytes(const unsigned char* bytes, uint64_t count) {
    EditResult result;
    if (!CanInsertOrDelete()) {
        return result;
    }
    const uint64_t oldSize = store.GetDataSize();
    uint64_t start = 0;
    uint64_t end = 0;
    SelectionRange(start, end);
    end = std::min(end, oldSize);
    if (end > start) {
        if (!store.DeleteData(start, end - start, 1, 0)) {
            result.notices.push_back({DataMessage::CannotWrite, std::string()});
            return result;
        }
        result.dataChanged = true;
        result.sizeChanged = true;
        result.changedOffset = start;
        result.changedLength = oldSize - start;
        MoveCursor(start, result);
    }
    uint64_t cursor = Cursor();
    if (bytes != nullptr && count > 0) {
        if (store.InsertData(cursor, bytes, count, 1, 0)) {
            uint64_t first = result.dataChanged ? std::min(result.changedOffset, cursor) : cursor;
            result.dataChanged = true;
            result.sizeChanged = true;
            result.changedOffset = first;
            result.changedLength = std::max(store.GetDataSize(), oldSize) - first;
        } else {
            result.notices.push_back({DataMessage::CannotWrite, std::string()});
        }
    }
    MoveCursor(cursor, result);
    return result;
}

EditResult CEditCommands::SelectAll() {
    EditResult result;
    uint64_t size = store.GetDataSize();
    if (size == 0) {
        return result;
    }
    PaneSelection& pane = store.Pane(store.CurrentPane());
    result.selectionChanged = pane.selAnchor != 0 || pane.selEnd != size;
    pane.selAnchor = 0;
    pane.selEnd = size;
    return result;
}

std::string CEditCommands::CopyText(uint64_t start, uint64_t end, const EditOptions& options) const {
    std::string text;
    CopyText(start, end, options, std::numeric_limits<uint64_t>::max(), CopyTextProgress(), text);
    return text;
}

uint64_t CEditCommands::UnitTextBound(const RowInfo& row, const EditOptions& options) const {
    const auto cell = static_cast<uint64_t>(std::max(row.cellChars, 0));
    // Real numbers are the one kind of cell whose text may be wider than its cell.
    const bool real = layout.TypeIndex() == kTypeFloat && (row.unitSize == 4 || row.unitSize == 8);
    if (!real) {
        return cell;
    }
    return std::max(cell, RealTextBound(options.format.floatWidth, options.format.floatPrecision));
}

uint64_t CEditCommands::CopyTextLength(uint64_t start, uint64_t end, const EditOptions& options) const {
    const uint64_t size = store.GetDataSize();
    end = std::min(end, size);
    if (start >= end) {
        return 0;
    }
    const auto digits = static_cast<uint64_t>(CNavigator::AddressDigits(size, options.decimalAddress));
    const bool nameColumn = layout.SizeIndex() == kSizeSymbol && options.nameColumnChars > 0;
    const auto nameChars = static_cast<uint64_t>(std::max(options.nameColumnChars, 0));
    // Per row: the address (never wider than the data size's digits), a space, the name column, "\r\n".
    auto rowFixed = [&](const RowInfo& row) {
        uint64_t fixed = digits + 1 + 2;
        if (nameColumn) {
            fixed += 1 + std::max<uint64_t>(row.name.size(), nameChars);
        }
        return fixed;
    };
    const uint64_t firstRow = layout.RowIndexOf(start);
    const uint64_t lastRow = layout.RowIndexOf(end - 1);
    const uint64_t symbolRows =
        layout.IsSymbol() && layout.Symbols() != nullptr ? layout.Symbols()->GetSymbolRows() : 0;
    uint64_t length = 0;
    uint64_t r = firstRow;
    // Symbol rows differ from each other; every other row is like the next.
    for (; r <= lastRow && r < symbolRows; ++r) {
        const RowInfo row = layout.Row(r);
        const uint64_t units = ShownUnits(row, end, size);
        length = SaturatingAdd(
            length, SaturatingAdd(rowFixed(row), SaturatingMultiply(units, UnitTextBound(row, options) + 1)));
    }
    if (r <= lastRow) {
        const RowInfo first = layout.Row(r);
        const RowInfo last = layout.Row(lastRow);
        const uint64_t rows = lastRow - r + 1;
        // Every row before the last one shows all its units (blanks before the start included).
        const uint64_t units =
            SaturatingAdd(SaturatingMultiply(rows - 1, static_cast<uint64_t>(std::max(first.unitsPerRow, 1))),
                          ShownUnits(last, end, size));
        length = SaturatingAdd(length, SaturatingMultiply(rows, rowFixed(first)));
        length = SaturatingAdd(length, SaturatingMultiply(units, UnitTextBound(first, options) + 1));
    }
    return length;
}

CopyTextStatus CEditCommands::CopyText(uint64_t start, uint64_t end, const EditOptions& options,
                                       uint64_t limit, const CopyTextProgress& progress,
                                       std::string& text) const {
    text.clear();
    const uint64_t size = store.GetDataSize();
    end = std::min(end, size);
    if (start >= end) {
        return CopyTextStatus::Done;
    }
    const uint64_t length = CopyTextLength(start, end, options);
    if (length > limit || length >= text.max_size()) {
        return CopyTextStatus::TooLarge;
    }
    DataWindow window;
    try {
        text.reserve(static_cast<size_t>(length));
        window.bytes.resize(static_cast<size_t>(std::min<uint64_t>(kCopyReadBytes, size)));
    } catch (const std::bad_alloc&) {
        std::string().swap(text);
        return CopyTextStatus::NoMemory;
    }
    const int digits = CNavigator::AddressDigits(size, options.decimalAddress);
    const bool nameColumn = layout.SizeIndex() == kSizeSymbol && options.nameColumnChars > 0;
    const auto nameChars = static_cast<size_t>(std::max(options.nameColumnChars, 0));
    const bool hex = layout.TypeIndex() == kTypeHex;
    const bool littleEndian = options.format.littleEndian != 0;
    std::string cell;
    uint64_t reported = start;
    const uint64_t lastRow = layout.RowIndexOf(end - 1);
    for (uint64_t r = layout.RowIndexOf(start); r <= lastRow; ++r) {
        const RowInfo row = layout.Row(r);
        if (progress && row.start >= reported + kCopyProgressBytes) {
            reported = row.start;
            if (!progress(std::min(row.start, end) - std::min(start, row.start), end - start)) {
                std::string().swap(text);
                return CopyTextStatus::Aborted;
            }
        }
        const auto unit = static_cast<uint64_t>(std::max(row.unitSize, 1));
        // Unit texts show at most the first 16 bytes of a unit.
        const uint64_t shown = std::min<uint64_t>(unit, 16);
        AppendAddress(text, row.start, digits, options.decimalAddress != 0);
        text += ' ';
        if (nameColumn) {
            text += ' ';
            text += row.name;
            if (row.name.size() < nameChars) {
                text.append(nameChars - row.name.size(), ' ');
            }
        }
        // Hexadecimal cells, the common case, are written straight into room made for the whole row.
        const size_t hexWidth = static_cast<size_t>(2 * shown + 1);
        const size_t rowAt = text.size();
        size_t hexWritten = 0;
        if (hex) {
            text.resize(rowAt + static_cast<size_t>(ShownUnits(row, end, size)) * hexWidth);
        }
        for (uint64_t k = 0; k < static_cast<uint64_t>(row.unitsPerRow); ++k) {
            const uint64_t unitStart = row.start + k * unit;
            // Units that run past the end of the data are not shown, so they are not copied either.
            if (unitStart >= end || unit > size - unitStart) {
                break;
            }
            const unsigned char* bytes = WindowBytes(window, store, unitStart, shown, size);
            if (bytes == nullptr) {
                break;
            }
            if (hex) {
                char* out = &text[rowAt + hexWritten];
                if (unitStart < start) {
                    std::fill_n(out, hexWidth, ' ');
                } else {
                    out[0] = ' ';
                    WriteHex(out + 1, bytes, static_cast<size_t>(shown), littleEndian);
                }
                hexWritten += hexWidth;
                continue;
            }
            unsigned char unitBytes[16] = {};
            std::copy_n(bytes, shown, unitBytes);
            FormatUnit(unitBytes, layout.SizeIndex(), layout.TypeIndex(), static_cast<size_t>(unit),
                       SymbolClassForSize(static_cast<size_t>(unit)), options.format, cell);
            if (unitStart < start) {
                text.append(cell.size() + 1, ' ');
            } else {
                text += ' ';
                text += cell;
            }
        }
        if (hex) {
            // A data source that gave fewer bytes than asked ends the row early.
            text.resize(rowAt + hexWritten);
        }
        text += "\r\n";
    }
    return CopyTextStatus::Done;
}
