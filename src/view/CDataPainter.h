#pragma once

#include "data/CDataStore.h"
#include "data/CRowLayout.h"
#include "data/ValueFormat.h"
#include "settings/CColorValue.h"
#include "view/CViewGeometry.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class QImage;
class QPainter;

// The bytes and selection of one pane as they are drawn.
struct PaneView {
    uint64_t topRow = 0;
    int rows = 0;
    uint64_t firstOffset = 0;
    std::vector<unsigned char> bytes; // the visible rows, from the top row's start to the last row's end
    uint64_t count = 0;               // bytes actually read (fewer at the end of the data)
    PaneSelection selection;
    // With strong data, up to 4 bytes just before the view and just after the bytes read (fewer at the ends
    // of the data), so that a pattern crossing the edge of the view is still found.
    std::array<unsigned char, 4> edgeBefore{};
    int edgeBeforeCount = 0;
    std::array<unsigned char, 4> edgeAfter{};
    int edgeAfterCount = 0;
};

// Everything the painter needs to know besides the bytes.
struct PaintInputs {
    CViewGeometry geometry;
    CRowLayout layout;
    std::array<uint32_t, 6> textColor{};
    std::array<uint32_t, 6> bkColor{};
    ValueFormatOptions format;
    int decimalAddress = 0;
    uint64_t dataSize = 0;
    int currentPane = 0;
    const std::vector<uint32_t>* marks = nullptr;
    const std::vector<uint32_t>* sortedDiffs = nullptr;
    const CColorValue* strongData = nullptr;
    uint64_t dialogCursorMark = 0xFFFFFFFF;
    QFont font;
    QColor buttonFace;
    QColor buttonHighlight;
    QColor buttonShadow;
};

// Draws the data area: backgrounds, the rows of both panes with address, cells and text column, the split bar
// and the header row, into an off-screen image.
class CDataPainter {
public:
    CDataPainter() = default;
    ~CDataPainter();
    CDataPainter(const CDataPainter&) = delete;
    CDataPainter& operator=(const CDataPainter&) = delete;

    enum ColorElement { kData, kAddress, kHeader, kSelect, kMark, kDifferent };

    static QColor Color(uint32_t bgr);
    static QColor Inverted(uint32_t bgr);

    void PaintAll(QImage& image, const PaintInputs& in, const PaneView panes[2]);
    // Redraws only the cells whose bytes differ between the two views; returns the union of what was drawn.
    QRect PaintChanges(QImage& image, const PaintInputs& in, int pane, const PaneView& view,
                       const std::vector<unsigned char>& previous);

    // The hex cell that holds an offset in a pane, and its text-column cell (1BYTE HEX); empty when the
    // offset is not on a visible row.
    static QRect CellRect(const PaintInputs& in, const PaneView& view, int pane, uint64_t offset);
    static QRect TextCellRect(const PaintInputs& in, const PaneView& view, int pane, uint64_t offset);

private:
    void PaintBackgrounds(QPainter& p, const PaintInputs& in);
    void PaintPane(QPainter& p, const PaintInputs& in, int pane, const PaneView& view);
    void PaintRow(QPainter& p, const PaintInputs& in, int pane, const PaneView& view, int row,
                  bool cursorHere);
    void PaintName(QPainter& p, const PaintInputs& in, const RowInfo& info, int y);
    void PaintAddress(QPainter& p, const PaintInputs& in, int y, uint64_t address, bool inverted);
    void PaintCell(QPainter& p, const PaintInputs& in, int pane, const PaneView& view, const RowInfo& info,
                   int unit, int y);
    void PaintTextColumn(QPainter& p, const PaintInputs& in, int pane, const PaneView& view,
                         const RowInfo& info, int y);
    void PaintTextCell(QPainter& p, const PaintInputs& in, int pane, const PaneView& view,
                       const RowInfo& info, int index, int y, uint32_t previousText);
    void PaintHeader(QPainter& p, const PaintInputs& in, const PaneView panes[2]);
    void PaintSplitBar(QPainter& p, const PaintInputs& in);
    QString SingleByteText(unsigned char byte);
    QString PairText(unsigned char lead, unsigned char trail);
    // The characters shown in text cell `index` of a row, and whether it spans two cells starting one cell to
    // the left (the trail half of a pair).
    QString TextCellCharacters(const PaintInputs& in, const PaneView& view, const RowInfo& info, int index,
                               bool& startsLeft, bool& spansTwo);
    uint32_t TextCellTextColor(const PaintInputs& in, int pane, const PaneView& view, uint64_t offset,
                               uint32_t& background);

    // The strong-data colours of a byte; only 1BYTE HEX display shows them.
    static ColorValueHit StrongColor(const PaintInputs& in, const PaneView& view, uint64_t offset);
    // How many bytes on either side of a changed byte may change colour with it.
    static int StrongReach(const PaintInputs& in);
    // Whether a unit is drawn in the plain data colours (no mark, dialog cursor, difference or selection).
    bool IsPlainUnit(const PaintInputs& in, const PaneView& view, uint64_t first, uint64_t end) const;
    void PaintPlainRun(QPainter& p, const PaintInputs& in, const PaneView& view, const RowInfo& info,
                       int firstUnit, int endUnit, int y);
    void PrepareMetrics(const PaintInputs& in);

    QHash<int, QString> pairCache;
    QFont metricsFont;
    QFontMetrics* metrics = nullptr;
    int baselineOffset = 0;
    bool gridMatchesFont = false;
    QString singleCache[256];
    bool singleCacheReady = false;
};
