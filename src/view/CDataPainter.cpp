#include "view/CDataPainter.h"

#include "platform/CodePage932.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <string>

namespace {

bool AnyInRange(const std::vector<uint32_t>* sorted, uint64_t first, uint64_t end) {
    if (!sorted || sorted->empty() || first > 0xFFFFFFFFull) {
        return false;
    }
    auto it = std::lower_bound(sorted->begin(), sorted->end(), static_cast<uint32_t>(first));
    return it != sorted->end() && *it < end;
}

bool InsideSelection(const PaneSelection& s, uint64_t first, uint64_t end) {
    uint64_t lo = std::min(s.selAnchor, s.selEnd);
    uint64_t hi = std::max(s.selAnchor, s.selEnd);
    return lo != hi && first >= lo && end <= hi;
}

int AddressEnd(const CViewGeometry& g) {
    return 2 * g.leftMargin + g.AddressColumnWidth();
}

QString HexDigit(int value) {
    return QString(QChar("0123456789ABCDEF"[value & 0xF]));
}

// The bit numbers of a unit from the most significant bit down, each modulo 10, in groups of four:
// "7654 3210" for one byte.
std::string BitHeader(int unitSize) {
    const int bytes = std::max(1, std::min(unitSize, 16));
    std::string text;
    for (int bit = bytes * 8 - 1; bit >= 0; --bit) {
        text += static_cast<char>('0' + bit % 10);
        if (bit % 4 == 0 && bit > 0) {
            text += ' ';
        }
    }
    return text;
}

// Draws text one character cell at a time so that every character sits on the grid of the layout.
void DrawGridText(QPainter& p, const QFontMetrics& fm, int x, int y, int cellWidth, int rowHeight,
                  const QString& text) {
    const int baseline = y + (rowHeight - fm.height()) / 2 + fm.ascent();
    bool simple = fm.horizontalAdvance(QLatin1Char('0')) == cellWidth;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            simple = false;
            break;
        }
    }
    if (simple) {
        p.drawText(x, baseline, text);
        return;
    }
    for (int i = 0; i < text.size(); ++i) {
        p.drawText(x + i * cellWidth, baseline, text.mid(i, 1));
    }
}

} // namespace

CDataPainter::~CDataPainter() {
    delete metrics;
}

void CDataPainter::PrepareMetrics(const PaintInputs& in) {
    if (!metrics || metricsFont != in.font) {
        delete metrics;
        metricsFont = in.font;
        metrics = new QFontMetrics(in.font);
    }
    baselineOffset = (in.geometry.RowHeight() - metrics->height()) / 2 + metrics->ascent();
    gridMatchesFont = metrics->horizontalAdvance(QLatin1Char('0')) == in.geometry.hexCharWidth;
}

int CDataPainter::StrongReach(const PaintInputs& in) {
    if (!in.strongData || in.layout.SizeIndex() != 0 || in.layout.TypeIndex() != 1) {
        return 0;
    }
    return std::max(0, in.strongData->LongestSize() - 1);
}

ColorValueHit CDataPainter::StrongColor(const PaintInputs& in, const PaneView& view, uint64_t offset) {
    if (!in.strongData || in.strongData->empty() || in.layout.SizeIndex() != 0 ||
        in.layout.TypeIndex() != 1 || offset < view.firstOffset || offset - view.firstOffset >= view.count) {
        return ColorValueHit();
    }
    ColorValueWindow window;
    window.bytes = view.bytes.data();
    window.count = view.count;
    window.before = view.edgeBefore.data();
    window.beforeCount = view.edgeBeforeCount;
    window.after = view.edgeAfter.data();
    window.afterCount = view.edgeAfterCount;
    return in.strongData->ColorOf(window, offset - view.firstOffset, in.bkColor[kData]);
}

bool CDataPainter::IsPlainUnit(const PaintInputs& in, const PaneView& view, uint64_t first,
                               uint64_t end) const {
    if (AnyInRange(in.marks, first, end) || AnyInRange(in.sortedDiffs, first, end)) {
        return false;
    }
    if (StrongColor(in, view, first).found) {
        return false;
    }
    if (in.dialogCursorMark != 0xFFFFFFFF && in.dialogCursorMark >= first && in.dialogCursorMark < end) {
        return false;
    }
    const PaneSelection& s = view.selection;
    const uint64_t lo = std::min(s.selAnchor, s.selEnd);
    const uint64_t hi = std::max(s.selAnchor, s.selEnd);
    return lo == hi || !(first >= lo && end <= hi);
}

// Cells in the plain data colours are drawn as one string: the row's background is already the data colour,
// and with a font whose digits are one grid cell wide the text falls on the grid by itself.
void CDataPainter::PaintPlainRun(QPainter& p, const PaintInputs& in, const PaneView& view,
                                 const RowInfo& info, int firstUnit, int endUnit, int y) {
    QString run;
    std::string text;
    for (int unit = firstUnit; unit < endUnit; ++unit) {
        const uint64_t first = info.start + static_cast<uint64_t>(unit) * info.unitSize;
        FormatUnit(view.bytes.data() + (first - view.firstOffset), in.layout.SizeIndex(),
                   in.layout.TypeIndex(), static_cast<size_t>(info.unitSize),
                   SymbolClassForSize(info.unitSize), in.format, text);
        if (unit > firstUnit) {
            run += QLatin1Char(' ');
        }
        run += QString::fromLatin1(text.data(), static_cast<int>(text.size()));
    }
    p.setPen(Color(in.textColor[kData]));
    p.drawText(in.geometry.CellX(firstUnit, info.cellChars), y + baselineOffset, run);
}

// The symbol name of a SYMBOL row in the data colours, one wide character cell per byte of the name (a
// double-byte character covers two), clipped to the name column.
void CDataPainter::PaintName(QPainter& p, const PaintInputs& in, const RowInfo& info, int y) {
    const CViewGeometry& g = in.geometry;
    const int x = g.DataStartX();
    p.save();
    p.setClipRect(QRect(x, y, info.nameChars * g.maxCharWidth, g.RowHeight()), Qt::IntersectClip);
    p.setPen(Color(in.textColor[kData]));
    const int baseline = y + baselineOffset;
    const std::string& name = info.name;
    for (size_t i = 0; i < name.size();) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        const int cellX = x + static_cast<int>(i) * g.maxCharWidth;
        if (CodePage932::IsLeadByte(c) && i + 1 < name.size()) {
            p.drawText(cellX, baseline, PairText(c, static_cast<unsigned char>(name[i + 1])));
            i += 2;
            continue;
        }
        if (c >= 0x20) {
            p.drawText(cellX, baseline, SingleByteText(c));
        }
        ++i;
    }
    p.restore();
}

QColor CDataPainter::Color(uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QColor CDataPainter::Inverted(uint32_t bgr) {
    return Color(~bgr & 0xFFFFFF);
}

void CDataPainter::PaintAll(QImage& image, const PaintInputs& in, const PaneView panes[2]) {
    PrepareMetrics(in);
    QPainter p(&image);
    p.setFont(in.font);
    PaintBackgrounds(p, in);
    PaintPane(p, in, 0, panes[0]);
    if (in.geometry.IsSplit()) {
        PaintSplitBar(p, in);
        PaintPane(p, in, 1, panes[1]);
    }
    PaintHeader(p, in, panes);
}

void CDataPainter::PaintBackgrounds(QPainter& p, const PaintInputs& in) {
    const CViewGeometry& g = in.geometry;
    const int r = g.RowHeight();
    p.fillRect(0, 0, g.width, r, Color(in.bkColor[kHeader]));
    p.fillRect(0, r, AddressEnd(g), g.height - r, Color(in.bkColor[kAddress]));
    p.fillRect(AddressEnd(g), r, g.width - AddressEnd(g), g.height - r, Color(in.bkColor[kData]));
}

void CDataPainter::PaintSplitBar(QPainter& p, const PaintInputs& in) {
    const CViewGeometry& g = in.geometry;
    const QRect bar(0, g.splitY, g.width, CViewGeometry::kSplitBarHeight);
    p.fillRect(bar, in.buttonFace);
    p.setPen(in.buttonHighlight);
    p.drawLine(bar.topLeft(), bar.topRight());
    p.drawLine(bar.topLeft(), bar.bottomLeft());
    p.setPen(in.buttonShadow);
    p.drawLine(bar.bottomLeft(), bar.bottomRight());
    p.drawLine(bar.topRight(), bar.bottomRight());
}

void CDataPainter::PaintPane(QPainter& p, const PaintInputs& in, int pane, const PaneView& view) {
    const CViewGeometry::Rect area = in.geometry.PaneRect(pane);
    p.save();
    p.setClipRect(QRect(area.x, area.y, area.w, area.h));
    // Both are looked up once per pane: in SYMBOL display each costs a search of the symbol table.
    const uint64_t totalRows = in.layout.TotalRows(in.dataSize);
    const uint64_t cursorRow =
        pane == in.currentPane ? in.layout.RowIndexOf(view.selection.cursor) : UINT64_MAX;
    for (int row = 0; row < view.rows; ++row) {
        const uint64_t rowIndex = view.topRow + static_cast<uint64_t>(row);
        if (rowIndex >= totalRows) {
            break;
        }
        PaintRow(p, in, pane, view, row, rowIndex == cursorRow);
    }
    p.restore();
}

void CDataPainter::PaintAddress(QPainter& p, const PaintInputs& in, int y, uint64_t address, bool inverted) {
    const CViewGeometry& g = in.geometry;
    const int digits = g.addressDigits;
    QString text;
    if (in.decimalAddress) {
        text = QString::number(address).rightJustified(digits, ' ');
    } else {
        text = QString::number(address, 16).toUpper().rightJustified(16, '0').right(digits);
    }
    const uint32_t bk = in.bkColor[kAddress];
    const uint32_t fg = in.textColor[kAddress];
    p.fillRect(0, y, AddressEnd(g), g.RowHeight(), inverted ? Inverted(bk) : Color(bk));
    p.setPen(inverted ? Inverted(fg) : Color(fg));
    DrawGridText(p, *metrics, g.leftMargin, y, g.hexCharWidth, g.RowHeight(), text);
}

void CDataPainter::PaintRow(QPainter& p, const PaintInputs& in, int pane, const PaneView& view, int row,
                            bool cursorHere) {
    const CViewGeometry& g = in.geometry;
    const uint64_t rowIndex = view.topRow + static_cast<uint64_t>(row);
    const RowInfo info = in.layout.Row(rowIndex);
    const int y = g.RowY(pane, row);
    PaintAddress(p, in, y, info.start, cursorHere);

    p.save();
    p.setClipRect(QRect(AddressEnd(g), y, g.width - AddressEnd(g), g.RowHeight()), Qt::IntersectClip);
    p.fillRect(AddressEnd(g), y, g.width - AddressEnd(g), g.RowHeight(), Color(in.bkColor[kData]));
    if (!info.name.empty()) {
        PaintName(p, in, info, y);
    }
    const bool batch = gridMatchesFont && in.layout.TypeIndex() != 5;
    int runStart = -1;
    int unit = 0;
    for (; unit < info.unitsPerRow; ++unit) {
        const uint64_t first = info.start + static_cast<uint64_t>(unit) * info.unitSize;
        if (first < view.firstOffset || first - view.firstOffset + info.unitSize > view.count) {
            break;
        }
        if (batch && IsPlainUnit(in, view, first, first + info.unitSize)) {
            if (runStart < 0) {
                runStart = unit;
            }
            continue;
        }
        if (runStart >= 0) {
            PaintPlainRun(p, in, view, info, runStart, unit, y);
            runStart = -1;
        }
        PaintCell(p, in, pane, view, info, unit, y);
    }
    if (runStart >= 0) {
        PaintPlainRun(p, in, view, info, runStart, unit, y);
    }
    if (in.layout.HasTextColumn()) {
        PaintTextColumn(p, in, pane, view, info, y);
    }
    p.restore();
}

// Runs of printable single-byte characters in the plain data colours are drawn as one string when the font's
// advance matches the grid; everything else cell by cell.
void CDataPainter::PaintTextColumn(QPainter& p, const PaintInputs& in, int pane, const PaneView& view,
                                   const RowInfo& info, int y) {
    const bool batch =
        in.format.charSet == 0 && metrics->horizontalAdvance(QLatin1Char('W')) == in.geometry.maxCharWidth;
    uint32_t previousText = in.textColor[kData];
    bool nextIsTrail = false;
    int runStart = -1;
    QString run;
    auto flush = [&]() {
        if (runStart >= 0) {
            p.setPen(Color(in.textColor[kData]));
            p.drawText(in.geometry.TextCellX(runStart), y + baselineOffset, run);
            runStart = -1;
            run.clear();
        }
    };
    for (int i = 0; i < 16; ++i) {
        const uint64_t offset = info.start + static_cast<uint64_t>(i);
        if (offset < view.firstOffset || offset - view.firstOffset >= view.count) {
            break;
        }
        const unsigned char byte = view.bytes[static_cast<size_t>(offset - view.firstOffset)];
        const bool trail = nextIsTrail;
        nextIsTrail =
            !trail && CodePage932::IsLeadByte(byte) && i < 15 && offset - view.firstOffset + 1 < view.count;
        uint32_t bk = 0;
        const uint32_t fg = TextCellTextColor(in, pane, view, offset, bk);
        const bool plain = fg == in.textColor[kData] && bk == in.bkColor[kData];
        if (batch && plain && !trail && byte >= 0x20 && byte < 0x7F) {
            if (runStart < 0) {
                runStart = i;
            }
            run += QLatin1Char(static_cast<char>(byte));
            previousText = fg;
            continue;
        }
        flush();
        PaintTextCell(p, in, pane, view, info, i, y, previousText);
        previousText = fg;
    }
    flush();
}

void CDataPainter::PaintCell(QPainter& p, const PaintInputs& in, int pane, const PaneView& view,
                             const RowInfo& info, int unit, int y) {
    (void)pane;
    const CViewGeometry& g = in.geometry;
    const uint64_t first = info.start + static_cast<uint64_t>(unit) * info.unitSize;
    const uint64_t end = first + info.unitSize;
    QColor bk = Color(in.bkColor[kData]);
    QColor fg = Color(in.textColor[kData]);
    bool colourGap = true;
    const ColorValueHit strong = StrongColor(in, view, first);
    if (strong.found) {
        bk = Color(strong.bkColor);
        fg = Color(strong.textColor);
        // The last byte of an occurrence ends its band.
        colourGap = !strong.lastByte;
    }
    if (AnyInRange(in.marks, first, end)) {
        bk = Color(in.bkColor[kMark]);
        fg = Color(in.textColor[kMark]);
        colourGap = false;
    }
    if (in.dialogCursorMark != 0xFFFFFFFF && in.dialogCursorMark >= first && in.dialogCursorMark < end) {
        bk = Inverted(in.bkColor[kData]);
        fg = Inverted(in.textColor[kData]);
        colourGap = false;
    }
    if (AnyInRange(in.sortedDiffs, first, end)) {
        bk = Color(in.bkColor[kDifferent]);
        fg = Color(in.textColor[kDifferent]);
        colourGap = false;
    }
    if (InsideSelection(view.selection, first, end)) {
        bk = Color(in.bkColor[kSelect]);
        fg = Color(in.textColor[kSelect]);
        colourGap = unit != info.unitsPerRow - 1;
    }
    const int x = g.CellX(unit, info.cellChars);
    const int cellWidth = info.cellChars * g.hexCharWidth;
    p.fillRect(x, y, cellWidth, g.RowHeight(), bk);
    p.fillRect(x + cellWidth, y, g.hexCharWidth, g.RowHeight(), colourGap ? bk : Color(in.bkColor[kData]));

    std::string text;
    FormatUnit(view.bytes.data() + (first - view.firstOffset), in.layout.SizeIndex(), in.layout.TypeIndex(),
               static_cast<size_t>(info.unitSize), SymbolClassForSize(info.unitSize), in.format, text);
    QString shown;
    if (in.layout.TypeIndex() == 5) {
        // TEXT cells carry the data's own characters; a double-byte character takes two cells.
        for (size_t i = 0; i < text.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            if (in.format.charSet == 0 && CodePage932::IsLeadByte(c) && i + 1 < text.size()) {
                shown += PairText(c, static_cast<unsigned char>(text[i + 1]));
                shown += QChar(0x200B);
                ++i;
            } else {
                shown += c < 0x20 ? QString(QChar(' ')) : SingleByteText(c);
            }
        }
        p.setPen(fg);
        const int baseline = y + baselineOffset;
        int cx = x;
        for (QChar c : shown) {
            if (c.unicode() == 0x200B) {
                cx += g.hexCharWidth;
                continue;
            }
            p.drawText(cx, baseline, QString(c));
            cx += g.hexCharWidth;
        }
        return;
    }
    shown = QString::fromLatin1(text.data(), static_cast<int>(text.size()));
    p.setPen(fg);
    DrawGridText(p, *metrics, x, y, g.hexCharWidth, g.RowHeight(), shown);
}

uint32_t CDataPainter::TextCellTextColor(const PaintInputs& in, int pane, const PaneView& view,
                                         uint64_t offset, uint32_t& background) {
    uint32_t fg = in.textColor[kData];
    background = in.bkColor[kData];
    const ColorValueHit strong = StrongColor(in, view, offset);
    if (strong.found) {
        fg = strong.textColor;
        background = strong.bkColor;
    }
    if (AnyInRange(in.marks, offset, offset + 1)) {
        fg = in.textColor[kMark];
        background = in.bkColor[kMark];
    }
    if (pane == in.currentPane && view.selection.cursor == offset) {
        fg = ~in.textColor[kData] & 0xFFFFFF;
        background = ~in.bkColor[kData] & 0xFFFFFF;
    }
    if (InsideSelection(view.selection, offset, offset + 1)) {
        fg = in.textColor[kSelect];
        background = in.bkColor[kSelect];
    }
    return fg;
}

QString CDataPainter::SingleByteText(unsigned char byte) {
    if (!singleCacheReady) {
        for (int b = 0; b < 256; ++b) {
            if (b < 0x20 || b == 0x7F) {
                // Control bytes have no glyph of their own; a middle dot keeps the column readable.
                singleCache[b] = QString(QChar(0x00B7));
            } else if (b < 0x80) {
                singleCache[b] = QString(QChar(b));
            } else {
                std::u16string u = CodePage932::ToUtf16(std::string(1, static_cast<char>(b)));
                singleCache[b] =
                    u.size() == 1 && u[0] != 0xFFFD ? QString(QChar(u[0])) : QString(QChar(0x00B7));
            }
        }
        singleCacheReady = true;
    }
    return singleCache[byte];
}

QString CDataPainter::PairText(unsigned char lead, unsigned char trail) {
    const int key = (lead << 8) | trail;
    auto it = pairCache.constFind(key);
    if (it != pairCache.constEnd()) {
        return *it;
    }
    std::string bytes;
    bytes += static_cast<char>(lead);
    bytes += static_cast<char>(trail);
    std::u16string u = CodePage932::ToUtf16(bytes);
    QString text = QString::fromStdU16String(u);
    if (text.size() != 1 || text[0].unicode() == 0xFFFD) {
        text = QString(QChar(0x00B7));
    }
    pairCache.insert(key, text);
    return text;
}

QString CDataPainter::TextCellCharacters(const PaintInputs& in, const PaneView& view, const RowInfo& info,
                                         int index, bool& startsLeft, bool& spansTwo) {
    startsLeft = false;
    spansTwo = false;
    const uint64_t offset = info.start + static_cast<uint64_t>(index);
    const uint64_t at = offset - view.firstOffset;
    auto byteAt = [&](uint64_t i) { return view.bytes[static_cast<size_t>(i)]; };
    const bool hasNext = index < 15 && at + 1 < view.count;
    if (in.format.charSet == 1) {
        const bool second = index % 2 == 1;
        const uint64_t pairStart = second ? at - 1 : at;
        const bool complete = second || hasNext;
        if (!complete) {
            return SingleByteText(byteAt(at));
        }
        char16_t unit = static_cast<char16_t>(byteAt(pairStart) | (byteAt(pairStart + 1) << 8));
        std::string narrow = CodePage932::FromUtf16(std::u16string(1, unit));
        QString ch = QString(QChar(unit));
        if (narrow.size() == 1) {
            // A character that is one byte in the code page takes the first cell; the second shows a space.
            return second ? QString(" ") : ch;
        }
        startsLeft = second;
        spansTwo = true;
        return ch;
    }
    // Shift-JIS: a lead byte pairs with the next byte of the same row; the trail cell repeats the pair.
    if (index > 0 && at >= 1) {
        // Find whether this byte is the trail of a pair by walking from the row start.
        int i = 0;
        while (i < index) {
            const uint64_t pos = info.start + static_cast<uint64_t>(i) - view.firstOffset;
            const bool lead = CodePage932::IsLeadByte(byteAt(pos)) && i < 15 && pos + 1 < view.count;
            if (lead && i + 1 == index) {
                startsLeft = true;
                spansTwo = true;
                return PairText(byteAt(pos), byteAt(pos + 1));
            }
            i += lead ? 2 : 1;
        }
    }
    if (CodePage932::IsLeadByte(byteAt(at)) && hasNext) {
        spansTwo = true;
        return PairText(byteAt(at), byteAt(at + 1));
    }
    return SingleByteText(byteAt(at));
}

void CDataPainter::PaintTextCell(QPainter& p, const PaintInputs& in, int pane, const PaneView& view,
                                 const RowInfo& info, int index, int y, uint32_t previousText) {
    const CViewGeometry& g = in.geometry;
    const uint64_t offset = info.start + static_cast<uint64_t>(index);
    uint32_t bk = 0;
    const uint32_t fg = TextCellTextColor(in, pane, view, offset, bk);
    const QRect cell(g.TextCellX(index), y, g.maxCharWidth, g.RowHeight());
    p.fillRect(cell, Color(bk));
    bool startsLeft = false;
    bool spansTwo = false;
    const QString text = TextCellCharacters(in, view, info, index, startsLeft, spansTwo);
    p.save();
    // A wide character may paint over its neighbour only when both share the plain data colour.
    if (!(fg == in.textColor[kData] && previousText == in.textColor[kData]) || startsLeft) {
        p.setClipRect(cell, Qt::IntersectClip);
    }
    p.setPen(Color(fg));
    const int baseline = y + baselineOffset;
    const int x = startsLeft ? cell.x() - g.maxCharWidth : cell.x();
    p.drawText(x, baseline, text);
    p.restore();
}

void CDataPainter::PaintHeader(QPainter& p, const PaintInputs& in, const PaneView panes[2]) {
    const CViewGeometry& g = in.geometry;
    const int r = g.RowHeight();
    p.save();
    p.setClipRect(QRect(g.hScroll > 0 ? AddressEnd(g) : 0, 0, g.width, r));
    const QFontMetrics& fm = *metrics;
    const uint32_t bk = in.bkColor[kHeader];
    const uint32_t fg = in.textColor[kHeader];
    // The labels follow the cursor's row: in SYMBOL display the rows differ, and the cursor's row is the one
    // whose label is highlighted.
    const PaneView& current = panes[in.currentPane == 1 ? 1 : 0];
    const RowInfo cursorRow = in.layout.RowOf(current.selection.cursor);
    const RowInfo shape = in.layout.IsSymbol() ? cursorRow : in.layout.Row(0);
    if (in.layout.IsBit()) {
        p.setPen(Color(fg));
        const QString bits = QString::fromLatin1(BitHeader(shape.unitSize).c_str());
        for (int unit = 0; unit < shape.unitsPerRow; ++unit) {
            DrawGridText(p, fm, g.CellX(unit, shape.cellChars), 0, g.hexCharWidth, r, bits);
        }
        p.restore();
        return;
    }
    const uint64_t cursor = current.selection.cursor;
    const int cursorUnit =
        cursor >= cursorRow.start
            ? static_cast<int>(std::min<uint64_t>((cursor - cursorRow.start) / cursorRow.unitSize, INT32_MAX))
            : -1;
    for (int unit = 0; unit < shape.unitsPerRow; ++unit) {
        const int x = g.CellX(unit, shape.cellChars) + (shape.cellChars - 1) * g.hexCharWidth;
        const bool inverted = unit == cursorUnit;
        p.fillRect(x, 0, g.hexCharWidth, r, inverted ? Inverted(bk) : Color(bk));
        p.setPen(inverted ? Inverted(fg) : Color(fg));
        DrawGridText(p, fm, x, 0, g.hexCharWidth, r, HexDigit(unit * shape.unitSize));
    }
    if (in.layout.HasTextColumn()) {
        p.setPen(Color(fg));
        for (int i = 0; i < 16; ++i) {
            DrawGridText(p, fm, g.TextCellX(i), 0, g.maxCharWidth, r, HexDigit(i));
        }
    }
    p.restore();
}

QRect CDataPainter::CellRect(const PaintInputs& in, const PaneView& view, int pane, uint64_t offset) {
    const CViewGeometry& g = in.geometry;
    const uint64_t rowIndex = in.layout.RowIndexOf(offset);
    if (rowIndex < view.topRow || rowIndex - view.topRow >= static_cast<uint64_t>(view.rows)) {
        return QRect();
    }
    const RowInfo info = in.layout.Row(rowIndex);
    const int unit = static_cast<int>((offset - info.start) / info.unitSize);
    QRect cell(g.CellX(unit, info.cellChars), g.RowY(pane, static_cast<int>(rowIndex - view.topRow)),
               info.cellChars * g.hexCharWidth, g.RowHeight());
    return cell.intersected(QRect(AddressEnd(g), 0, g.width - AddressEnd(g), g.height));
}

QRect CDataPainter::TextCellRect(const PaintInputs& in, const PaneView& view, int pane, uint64_t offset) {
    const CViewGeometry& g = in.geometry;
    if (!in.layout.HasTextColumn()) {
        return QRect();
    }
    const uint64_t rowIndex = in.layout.RowIndexOf(offset);
    if (rowIndex < view.topRow || rowIndex - view.topRow >= static_cast<uint64_t>(view.rows)) {
        return QRect();
    }
    const RowInfo info = in.layout.Row(rowIndex);
    QRect cell(g.TextCellX(static_cast<int>(offset - info.start)),
               g.RowY(pane, static_cast<int>(rowIndex - view.topRow)), g.maxCharWidth, g.RowHeight());
    return cell.intersected(QRect(AddressEnd(g), 0, g.width - AddressEnd(g), g.height));
}

QRect CDataPainter::PaintChanges(QImage& image, const PaintInputs& in, int pane, const PaneView& view,
                                 const std::vector<unsigned char>& previous) {
    QRect changed;
    PrepareMetrics(in);
    QPainter p(&image);
    p.setFont(in.font);
    const CViewGeometry::Rect area = in.geometry.PaneRect(pane);
    p.setClipRect(QRect(area.x, area.y, area.w, area.h));
    // A changed byte may start or end a strong-data occurrence over its neighbours.
    const uint64_t reach = static_cast<uint64_t>(StrongReach(in));
    const uint64_t compared = std::min<uint64_t>(view.count, previous.size());
    for (int row = 0; row < view.rows; ++row) {
        const RowInfo info = in.layout.Row(view.topRow + static_cast<uint64_t>(row));
        if (info.start < view.firstOffset) {
            continue;
        }
        const uint64_t base = info.start - view.firstOffset;
        const int y = in.geometry.RowY(pane, row);
        uint32_t previousText = in.textColor[kData];
        for (int unit = 0; unit < info.unitsPerRow; ++unit) {
            const uint64_t at = base + static_cast<uint64_t>(unit) * info.unitSize;
            if (at + info.unitSize > view.count || at + info.unitSize > previous.size()) {
                break;
            }
            const uint64_t from = at > reach ? at - reach : 0;
            const uint64_t to = std::min(compared, at + info.unitSize + reach);
            if (std::equal(view.bytes.begin() + static_cast<std::ptrdiff_t>(from),
                           view.bytes.begin() + static_cast<std::ptrdiff_t>(to),
                           previous.begin() + static_cast<std::ptrdiff_t>(from))) {
                continue;
            }
            PaintCell(p, in, pane, view, info, unit, y);
            changed |= CellRect(in, view, pane, info.start + static_cast<uint64_t>(unit) * info.unitSize)
                           .adjusted(0, 0, in.geometry.hexCharWidth, 0);
            if (in.layout.HasTextColumn()) {
                // A changed byte may change the pair it belongs to: redraw its neighbours too.
                for (int i = std::max(0, unit - 1); i <= std::min(15, unit + 1); ++i) {
                    if (base + static_cast<uint64_t>(i) >= view.count) {
                        break;
                    }
                    uint32_t bk = 0;
                    PaintTextCell(p, in, pane, view, info, i, y, previousText);
                    previousText = TextCellTextColor(in, pane, view, info.start + i, bk);
                    changed |= TextCellRect(in, view, pane, info.start + static_cast<uint64_t>(i));
                }
            }
        }
    }
    return changed;
}
