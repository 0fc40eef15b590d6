#pragma once

#include <cstdint>

class QImage;

// The requests of the print preview to the window that owns it.
class IPreviewHost {
public:
    virtual ~IPreviewHost() = default;

    // Request 1: the preview was closed.
    virtual void PreviewClosed() = 0;
    // Request 2: draw the page with this 0-based index into surface (the page's size in screen pixels).
    virtual void RenderPreviewPage(QImage& surface, int64_t pageIndex) = 0;
    // Request 3 (posted): the Layout dialog, then the pages computed again.
    virtual void PreviewLayout() = 0;
    // Request 4 (posted): the Print command.
    virtual void PreviewPrint() = 0;
    // Request 5: the page (0-based) that holds a data offset.
    virtual int64_t PreviewPageOfOffset(uint64_t offset) = 0;
};
