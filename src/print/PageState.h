#pragma once

#include "data/CRowLayout.h"
#include "data/ValueFormat.h"
#include "print/PageGeometry.h"

#include <QRect>
#include <QString>
#include <cstdint>

class CDataStore;
class QPainter;

// One page to draw: the surface (a printer page or a preview image, with the print font selected), what to
// show (the data in the chosen unit and type with its symbol rows, byte order, character set and address
// radix), the rows of the page, the rectangles of the last geometry computation in the surface's units, and
// the title and page number.
struct PageState {
    QPainter* device = nullptr;
    const CDataStore* data = nullptr;
    CRowLayout layout;
    ValueFormatOptions format;
    int decimalAddress = 0;
    uint64_t firstRow = 0;
    int64_t linesPerPage = 0;
    int headerLines = 3;
    int footerLines = 2;
    QRect printArea;
    QRect marginRect;
    int32_t flags = kPrintTitle | kPrintPageNumber;
    // File name and extension of the data's file; empty for a new buffer.
    QString title;
    int64_t pageNumber = 1;
    int64_t pageCount = 1;
    // UI language of the message a page without room for data rows carries.
    int language = 0;
};
