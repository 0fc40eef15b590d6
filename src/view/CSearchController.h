#pragma once

#include "data/CSearchHistory.h"

class ISearchHost;

// The Search, Forward Search, Backward Search and Replace commands of the main window, which owns one
// controller for its whole life (the search history lives here). Each command checks its own enabling
// again, so a key bound to a disabled command does nothing.
class CSearchController {
public:
    // Search: the data size is not 0.
    bool CanSearch(ISearchHost& host) const;
    // Forward and Backward Search: as Search, and the history is not empty.
    bool CanRepeatSearch(ISearchHost& host) const;
    // Replace: the data size is not 0 and, in file mode, the data may be changed (no access flags).
    bool CanReplace(ISearchHost& host) const;

    // Opens the Search dialog and returns when it is closed.
    void OnSearch(ISearchHost& host);
    // Repeats the first history entry forward from the cursor + 1 (backward from the cursor - 1) and moves
    // the cursor to what it finds. A history text that no longer parses is ignored. True when found.
    bool OnForwardSearch(ISearchHost& host);
    bool OnBackwardSearch(ISearchHost& host);
    // Opens the Replace dialog and returns when it is closed.
    void OnReplace(ISearchHost& host);

    CSearchHistory& History() { return history_; }
    const CSearchHistory& History() const { return history_; }

private:
    bool RepeatSearch(ISearchHost& host, int direction);

    CSearchHistory history_;
};
