#pragma once

#include <cstdint>

// How the data store tells its owner what changed, so that the window repaints only what it must and
// refreshes its title and status panes. Every method has an empty default; override what you need.
class CDataStoreListener {
public:
    virtual ~CDataStoreListener() = default;
    // Bytes in [offset, offset + length) may differ from what was shown (after an insert or delete this
    // runs to the end of the data).
    virtual void OnBytesChanged(uint64_t offset, uint64_t length) {
        (void)offset;
        (void)length;
    }
    virtual void OnSizeChanged(uint64_t newSize) { (void)newSize; }
    virtual void OnModifiedChanged(bool modified) { (void)modified; }
    virtual void OnMarksChanged() {}
    // Undo or redo counts, usage or the trimmed state changed.
    virtual void OnUndoChanged() {}
    // Mode, file path, access flags or the attached source changed; the data was replaced as a whole.
    virtual void OnSourceChanged() {}
};
