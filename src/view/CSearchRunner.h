#pragma once

#include <cstdint>

class CDataStore;
class QWidget;
struct SearchPattern;

// One search step from the cursor, run on the window's thread. A search still running after half a second
// shows a modal progress dialog (so nothing else changes the data meanwhile) and lets the window's events
// through between chunks; Cancel or Esc in the dialog ends the search as not found, so the cursor stays where
// it was.
class CSearchRunner {
public:
    // As FindFromCursor of the data core: forward from cursor + 1 or backward from cursor - 1. False when
    // nothing was found or the user stopped the search.
    static bool FindFromCursor(QWidget* parent, const CDataStore& store, uint64_t cursor,
                               const SearchPattern& pattern, int direction, uint64_t& offset);
};
