#include "print/RenderPage.h"

#include "data/CDataStore.h"
#include "data/CNavigator.h"
#include "platform/CodePage932.h"
#include "settings/CTextTable.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <string>
#include <vector>

namespace {

// 128 bit numbers from bit 127 down to bit 0, each modulo 10, in groups of four.
const char kBitRuler[] = "7654 3210 9876 5432 1098 7654 3210 9876 5432 1098 7654 3210 9876 5432 1098 7654 "
                         "3210 9876 5432 1098 7654 3210 9876 5432 1098 7654 3210 9876 5432 1098 7654 3210";
const char kHexDigits[] = "0123456789ABCDEF";
// Control bytes have no glyph of their own; the screen shows the same dot.
const char16_t kNoGlyph = 0x00B7;
// Element texts never show more than the first 16 bytes of an element.
const uint64_t kShownUnitBytes = 16;

// One character placed on the grid: its text and how many grid cells it covers.
struct GridChar {
    QString text;
    int cells = 1;
};

// The characters of code page 932 bytes: a lead byte with the byte after it is one character of two cells;
// bytes without a glyph show as `blank` (empty: nothing is drawn).
std::vector<GridChar> CodePageChars(const std::string& bytes, const QString& blank) {
    std::vector<GridChar> chars;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (CodePage932::IsLeadByte(b) && i + 1 < bytes.size()) {
            const std::u16string u = CodePage932::ToUtf16(bytes.substr(i, 2));
            const bool ok = u.size() == 1 && u[0] != 0xFFFD;
            chars.push_back({ok ? QString(QChar(u[0])) : QString(QChar(kNoGlyph)), 2});
            ++i;
            continue;
        }
        if (b < 0x20 || b == 0x7F) {
            chars.push_back({blank, 1});
            continue;
        }
        if (b < 0x80) {
            chars.push_back({QString(QChar(b)), 1});
            continue;
        }
        const std::u16string u = CodePage932::ToUtf16(std::string(1, static_cast<char>(b)));
        const bool ok = u.size() == 1 && u[0] != 0xFFFD;
        chars.push_back({ok ? QString(QChar(u[0])) : QString(QChar(kNoGlyph)), 1});
    }
    return chars;
}

// The characters of the text column of a row: Shift-JIS pairs on the row, or UTF-16 units from byte pairs.
std::vector<GridChar> TextColumnChars(const unsigned char* bytes, size_t count, int charSet) {
    std::vector<GridChar> chars;
    if (charSet == 1) {
        for (size_t i = 0; i < count; i += 2) {
            if (i + 1 >= count) {
                chars.push_back(
                    CodePageChars(std::string(1, static_cast<char>(bytes[i])), QChar(kNoGlyph))[0]);
                break;
            }
            const char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
            const bool drawable = unit >= 0x20 && unit != 0x7F && (unit < 0xD800 || unit > 0xDFFF);
            chars.push_back({QString(QChar(drawable ? unit : kNoGlyph)), 2});
        }
        return chars;
    }
    return CodePageChars(std::string(reinterpret_cast<const char*>(bytes), count), QString(QChar(kNoGlyph)));
}

// Draws text on the layout's grid, pitch pixels a cell, with the line's top at y. Plain ASCII in a font whose
// characters are exactly one cell wide goes out as one string, so a reader of the printout finds words.
class GridWriter {
public:
    GridWriter(QPainter& painter, const QFontMetrics& metrics) : p(painter), fm(metrics) {}

    void Ascii(double x, double y, int pitch, const std::string& text) {
        const QString s = QString::fromLatin1(text.data(), static_cast<int>(text.size()));
        if (fm.horizontalAdvance(s) == pitch * s.size()) {
            p.drawText(QPointF(x, y + fm.ascent()), s);
            return;
        }
        std::vector<GridChar> chars;
        for (QChar c : s) {
            chars.push_back({QString(c), 1});
        }
        Chars(x, y, pitch, chars);
    }

    void Chars(double x, double y, int pitch, const std::vector<GridChar>& chars) {
        for (const GridChar& c : chars) {
            if (!c.text.isEmpty() && c.text != QLatin1String(" ")) {
                p.drawText(QPointF(x, y + fm.ascent()), c.text);
            }
            x += static_cast<double>(pitch) * c.cells;
        }
    }

private:
    QPainter& p;
    const QFontMetrics& fm;
};

int WidestAdvance(const QFontMetrics& fm, const char* characters) {
    int widest = 1;
    for (const char* c = characters; *c; ++c) {
        widest = std::max(widest, fm.horizontalAdvance(QLatin1Char(*c)));
    }
    return widest;
}

std::string AddressText(uint64_t offset, int digits, int decimalAddress) {
    if (decimalAddress) {
        std::string text = std::to_string(offset);
        return text.size() < static_cast<size_t>(digits) ? std::string(digits - text.size(), ' ') + text
                                                         : text;
    }
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, offset >>= 4) {
        text[static_cast<size_t>(i)] = kHexDigits[offset & 0xF];
    }
    return text.substr(16 - static_cast<size_t>(std::min(digits, 16)));
}

// Whether a row shows the text column: byte-wise hexadecimal, in the 1-byte unit or in a SYMBOL row of
// 1-byte elements.
bool ShowsTextColumn(const CRowLayout& layout, const RowInfo& row) {
    if (layout.TypeIndex() != kTypeHex) {
        return false;
    }
    return layout.SizeIndex() == kSize1Byte || (layout.IsSymbol() && row.unitSize == 1);
}

// A page whose header and footer leave no line for data: the title, the page number and a message, in a font
// small enough for them to be read (the print font itself may be larger than the page).
void RenderNoRoomPage(QPainter& p, const PageState& s, const QRect& r) {
    QFont font = p.font();
    const int largest = std::max(1, std::min(r.height() / 8, r.width() / 40));
    if (font.pixelSize() > largest) {
        font.setPixelSize(largest);
    }
    p.setFont(font);
    const int flags = Qt::AlignHCenter | Qt::TextWordWrap;
    if ((s.flags & kPrintTitle) && !s.title.isEmpty()) {
        p.drawText(r, flags | Qt::AlignTop, s.title);
    }
    if (s.flags & kPrintPageNumber) {
        p.drawText(r, flags | Qt::AlignBottom, PageFooterText(s.pageNumber, s.pageCount));
    }
    p.drawText(r, flags | Qt::AlignVCenter,
               QString::fromStdString(CTextTable::Text(T_MSG_PAGE_NO_ROOM, s.language)));
}

} // namespace

QString PageFooterText(int64_t pageNumber, int64_t pageCount) {
    return QString("- %1 / %2 -").arg(pageNumber).arg(pageCount);
}

void RenderPage(const PageState& s) {
    if (!s.device || !s.data) {
        return;
    }
    QPainter& p = *s.device;
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(Qt::black);
    const QRect& r = s.marginRect;
    p.setClipRect(r);
    const QFontMetrics fm = p.fontMetrics();
    GridWriter writer(p, fm);
    const int c = WidestAdvance(fm, "0123456789ABCDEF");
    const int a = WidestAdvance(fm, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");

    const int64_t lines = std::max<int64_t>(s.linesPerPage, 1);
    const double t = static_cast<double>(r.height()) / static_cast<double>(lines);
    const int64_t rows = RowsPerPage(s.linesPerPage, s.headerLines, s.footerLines);
    const double left = r.left();
    const double bottom = static_cast<double>(r.top()) + r.height();
    const double firstY = r.top() + static_cast<int64_t>(s.headerLines * t);
    if (rows < 1) {
        RenderNoRoomPage(p, s, r);
        p.restore();
        return;
    }

    if ((s.flags & kPrintTitle) && !s.title.isEmpty()) {
        p.drawText(QPointF(left + (r.width() - fm.horizontalAdvance(s.title)) / 2.0, r.top() + fm.ascent()),
                   s.title);
    }
    if (s.flags & kPrintPageNumber) {
        const QString footer = PageFooterText(s.pageNumber, s.pageCount);
        p.drawText(QPointF(left + (r.width() - fm.horizontalAdvance(footer)) / 2.0,
                           bottom - static_cast<int64_t>(t) + fm.ascent()),
                   footer);
    }

    const CRowLayout& layout = s.layout;
    const uint64_t size = s.data->GetDataSize();
    const int w = CNavigator::AddressDigits(size, s.decimalAddress);
    const uint64_t totalRows = layout.TotalRows(size);
    const bool symbol = layout.IsSymbol();
    const int typeIndex = layout.TypeIndex();
    const RowInfo shape = layout.Row(s.firstRow < totalRows ? s.firstRow : 0);
    const double nameX = left + static_cast<double>(c) * (w + 1);
    const double x0 = shape.nameChars > 0 ? nameX + c + static_cast<double>(shape.nameChars) * a
                                          : left + static_cast<double>(c) * (w + 2);

    // Column headings, one line above the first data row.
    const double headY = firstY - t;
    if (layout.IsBit()) {
        const std::string ruler(kBitRuler);
        const auto cells = static_cast<size_t>(std::max(0, std::min<int>(shape.cellChars, ruler.size())));
        writer.Ascii(x0, headY, c, ruler.substr(ruler.size() - cells));
    } else if (!symbol) {
        for (int k = 0; k < shape.unitsPerRow; ++k) {
            const double x = x0 + static_cast<double>(c) * (shape.cellChars + 1) * k +
                             static_cast<double>(c) * (shape.cellChars - 1);
            writer.Ascii(x, headY, c, std::string(1, kHexDigits[(k * shape.unitSize) & 0xF]));
        }
        if (layout.HasTextColumn()) {
            writer.Ascii(x0 + static_cast<double>(c) * (shape.cellChars + 1) * 16, headY, a, kHexDigits);
        }
    }

    std::string cell;
    std::vector<unsigned char> rowBytes;
    for (int64_t i = 0; i < rows; ++i) {
        const uint64_t rowIndex = s.firstRow + static_cast<uint64_t>(i);
        if (rowIndex < s.firstRow || rowIndex >= totalRows) {
            break;
        }
        const RowInfo row = layout.Row(rowIndex);
        if (row.start >= size) {
            break;
        }
        const double y = firstY + t * static_cast<double>(i);
        writer.Ascii(left, y, c, AddressText(row.start, w, s.decimalAddress));
        if (!row.name.empty()) {
            writer.Chars(nameX, y, a, CodePageChars(row.name, QString()));
        }

        const auto unit = static_cast<uint64_t>(std::max(row.unitSize, 1));
        const uint64_t shown = std::min(unit, kShownUnitBytes);
        // A single value in a SYMBOL row starts at its cell's left edge instead of being right-aligned.
        const bool leftAligned = symbol && row.unitsPerRow == 1 && typeIndex != kTypeBit;
        rowBytes.clear();
        for (int k = 0; k < row.unitsPerRow; ++k) {
            const double x = x0 + static_cast<double>(c) * (row.cellChars + 1) * k;
            const uint64_t first = row.start + static_cast<uint64_t>(k) * unit;
            if (first >= size || unit > size - first || x > r.right()) {
                break;
            }
            unsigned char bytes[kShownUnitBytes] = {};
            if (s.data->ReadData(first, bytes, shown) != shown) {
                break;
            }
            if (unit == 1) {
                rowBytes.push_back(bytes[0]);
            }
            FormatUnit(bytes, layout.SizeIndex(), typeIndex, static_cast<size_t>(unit),
                       SymbolClassForSize(static_cast<size_t>(unit)), s.format, cell);
            if (leftAligned) {
                cell.erase(0, std::min(cell.find_first_not_of(' '), cell.size()));
            }
            if (typeIndex == kTypeText) {
                writer.Chars(x, y, c, CodePageChars(cell, QString()));
            } else {
                writer.Ascii(x, y, c, cell);
            }
        }
        if (ShowsTextColumn(layout, row) && !rowBytes.empty()) {
            const double x = x0 + static_cast<double>(c) * (row.cellChars + 1) * 16;
            const size_t count = std::min<size_t>(rowBytes.size(), 16);
            writer.Chars(x, y, c, TextColumnChars(rowBytes.data(), count, s.format.charSet));
        }
    }
    p.setClipping(false);
    p.restore();
}
