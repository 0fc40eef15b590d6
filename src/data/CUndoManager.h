#pragma once

#include "data/CKvrMemManager.h"

#include <cstdint>

// One recorded change, as handed to and taken from the undo history. The data pointers of a taken record
// point into the history's store and stay valid until the next record is added, the history is reset or
// the limit changes.
struct UndoChange {
    enum Kind : unsigned char { Insert = 0, Delete = 1, Overwrite = 2 };
    Kind kind = Insert;
    uint64_t offset = 0;
    const unsigned char* first = nullptr;  // inserted, removed, or (overwrite) old bytes
    const unsigned char* second = nullptr; // overwrite only: the new bytes
    uint64_t count = 0;
};

// The linear undo history: variable-length records back to back in one byte store, each carrying its total
// length at both ends so that the history can be walked in both directions. Layout of a record
// (little-endian, packed): kind (1), total length T (8), data offset (8), link flags (4), n bytes, for an
// overwrite another n bytes, T again (8); T = n + 29, or 2n + 29 for an overwrite. Link bit 0: the next
// record belongs to the same step; bit 1: this record belongs to the step of the previous one.
//
// Steps are kept whole, so that one Undo restores all of a change or nothing. When the store outgrows the
// limit the oldest tenth of the records is dropped (one at a time below ten records), rounded up to the end
// of a step and never reaching into the newest step: the newest step alone may exceed the limit. When a
// record cannot be stored at all (no memory), the older steps are dropped when the room they take can hold
// it; otherwise the whole step it belongs to is dropped, the rest of that step is not recorded, and the
// history is marked trimmed and reports the lost step once.
class CUndoManager {
public:
    static constexpr uint64_t kHeaderSize = 21;
    static constexpr uint64_t kOverhead = 29;
    static constexpr uint64_t kDefaultLimit = 1000000;

    CUndoManager();
    virtual ~CUndoManager() = default;
    CUndoManager(const CUndoManager&) = delete;
    CUndoManager& operator=(const CUndoManager&) = delete;

    // 1 when the record was stored. A record that cannot be stored takes its whole step with it (redo
    // records are gone too: a new change always ends the redo branch); later records linked to that step
    // are refused until an unlinked record starts a new step.
    int AddUndoRecord(const UndoChange& change, int link);
    // The record that the next Undo applies; linked is its bit 1. With step the current index moves back.
    int TakeUndoRecord(UndoChange& change, int& linked, int step);
    // The record that the next Redo applies; linked is its bit 0. With step the current index moves on.
    int TakeRedoRecord(UndoChange& change, int& linked, int step);
    void ResetUndo();
    void SetUndoLimit(uint64_t bytes);

    int UndoCount() const { return current_ + 1; }
    int RedoCount() const { return count_ - current_ - 1; }
    int RecordCount() const { return count_; }
    int Current() const { return current_; }
    uint64_t Limit() const { return limit_; }
    uint64_t StoreLength() const { return store_.Length(); }
    uint64_t GrowthStep() const { return store_.GrowthStep(); }
    // Store length as a percentage of the limit, at most 100; shown in the undo pane.
    double UsagePercent() const;
    // 1 once records were dropped because of the limit; the undo pane then turns red.
    int Trimmed() const { return trimmed_; }
    // True once after a step had to be dropped because its records could not be stored; reading clears it.
    bool TakeStepDropped();
    // Total length of a record of this kind and byte count.
    static uint64_t RecordLength(UndoChange::Kind kind, uint64_t count);

private:
    bool Locate(int index, uint64_t& offset);
    uint64_t RecordLengthAt(uint64_t offset) const;
    uint32_t FlagsAt(uint64_t offset) const;
    void SetFlagsAt(uint64_t offset, uint32_t flags);
    void ReadRecord(uint64_t offset, UndoChange& change) const;
    void EraseRedoRecords();
    bool AppendRecord(const UndoChange& change, bool linkPrevious);
    int NewestStepStart();
    bool RoomAfterOlderSteps(const UndoChange& change, bool linkPrevious);
    void Trim();
    void DropOldest(int records);
    void DropNewestStep();

    int current_ = -1;
    int count_ = 0;
    uint64_t limit_ = kDefaultLimit;
    CKvrMemManager store_;
    int cachedIndex_ = 0;
    uint64_t cachedOffset_ = 0;
    int trimmed_ = 0;
    // Index of the first record of the step that ends with the newest record; -1 when not known.
    int newestStepStart_ = -1;
    // A step lost its records: its later linked records are not stored.
    bool stepBroken_ = false;
    bool stepDropped_ = false;
};
