#pragma once

#include "print/PageState.h"

#include <QString>

// Draws one page: the title, the column headings, the data rows of the page (address, SYMBOL name, cells and,
// for byte-wise hexadecimal, the text column) and the page number "- n / m -", everything clipped to the
// margin rectangle. A page without room for a data row carries its title, page number and a message instead.
void RenderPage(const PageState& state);

// The page number line of a page.
QString PageFooterText(int64_t pageNumber, int64_t pageCount);
