#include "data/CUndoManager.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kLinkNext = 1;
constexpr uint32_t kLinkPrevious = 2;
constexpr uint64_t kKindAt = 0;
constexpr uint64_t kLengthAt = 1;
constexpr uint64_t kOffsetAt = 9;
constexpr uint64_t kFlagsAt = 17;

void PutLittleEndian(unsigned char* out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

uint64_t GetLittleEndian(const unsigned char* in, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | in[i];
    }
    return value;
}

} // namespace

CUndoManager::CUndoManager() {
    store_.SetGrowthStep(100000);
}

uint64_t CUndoManager::RecordLength(UndoChange::Kind kind, uint64_t count) {
    return (kind == UndoChange::Overwrite ? 2 * count : count) + kOverhead;
}

uint64_t CUndoManager::RecordLengthAt(uint64_t offset) const {
    return GetLittleEndian(store_.Buffer() + offset + kLengthAt, 8);
}

uint32_t CUndoManager::FlagsAt(uint64_t offset) const {
    return static_cast<uint32_t>(GetLittleEndian(store_.Buffer() + offset + kFlagsAt, 4));
}

void CUndoManager::SetFlagsAt(uint64_t offset, uint32_t flags) {
    PutLittleEndian(store_.Buffer() + offset + kFlagsAt, flags, 4);
}

bool CUndoManager::Locate(int index, uint64_t& offset) {
    if (index < 0 || index >= count_) {
        return false;
    }
    int from = cachedIndex_;
    uint64_t position = cachedOffset_;
    if (index < cachedIndex_ / 2) {
        from = 0;
        position = 0;
    } else if (index > (cachedIndex_ + count_) / 2) {
        from = count_ - 1;
        position = store_.Length() - GetLittleEndian(store_.Buffer() + store_.Length() - 8, 8);
    }
    while (from < index) {
        position += RecordLengthAt(position);
        ++from;
    }
    while (from > index) {
        position -= GetLittleEndian(store_.Buffer() + position - 8, 8);
        --from;
    }
    cachedIndex_ = index;
    cachedOffset_ = position;
    offset = position;
    return true;
}

void CUndoManager::ReadRecord(uint64_t offset, UndoChange& change) const {
    const unsigned char* record = store_.Buffer() + offset;
    change.kind = static_cast<UndoChange::Kind>(record[kKindAt]);
    change.offset = GetLittleEndian(record + kOffsetAt, 8);
    uint64_t payload = RecordLengthAt(offset) - kOverhead;
    change.count = change.kind == UndoChange::Overwrite ? payload / 2 : payload;
    change.first = record + kHeaderSize;
    change.second = change.kind == UndoChange::Overwrite ? record + kHeaderSize + change.count : nullptr;
}

void CUndoManager::EraseRedoRecords() {
    if (current_ + 1 >= count_) {
        return;
    }
    uint64_t start = 0;
    Locate(current_ + 1, start);
    store_.Truncate(start);
    count_ = current_ + 1;
    if (cachedIndex_ > current_) {
        cachedIndex_ = 0;
        cachedOffset_ = 0;
    }
    newestStepStart_ = -1;
}

// Appends one whole record after the last one; a record that cannot be stored whole is cut off again, so no
// half-written record stays in the store.
bool CUndoManager::AppendRecord(const UndoChange& change, bool linkPrevious) {
    uint64_t total = RecordLength(change.kind, change.count);
    unsigned char header[kHeaderSize];
    header[kKindAt] = change.kind;
    PutLittleEndian(header + kLengthAt, total, 8);
    PutLittleEndian(header + kOffsetAt, change.offset, 8);
    PutLittleEndian(header + kFlagsAt, linkPrevious ? kLinkPrevious : 0, 4);
    unsigned char trailer[8];
    PutLittleEndian(trailer, total, 8);

    uint64_t oldLength = store_.Length();
    bool stored = store_.Append(header, kHeaderSize) && store_.Append(change.first, change.count);
    if (stored && change.kind == UndoChange::Overwrite) {
        stored = store_.Append(change.second, change.count);
    }
    stored = stored && store_.Append(trailer, 8);
    if (!stored) {
        store_.Truncate(oldLength);
    }
    return stored;
}

int CUndoManager::AddUndoRecord(const UndoChange& change, int link) {
    EraseRedoRecords();
    if (link && stepBroken_) {
        // The step this record belongs to could not be kept: recording the rest of it would make a step
        // whose Undo restores only part of the change.
        return 0;
    }
    stepBroken_ = false;
    // The record this one links to is found before anything is appended: the walk from the end of the store
    // must start at the last record that is really there.
    uint64_t previous = 0;
    bool linkPrevious = link && current_ >= 0 && Locate(current_, previous);
    bool stored = AppendRecord(change, linkPrevious);
    if (!stored && RoomAfterOlderSteps(change, linkPrevious)) {
        // No memory for the record, but the store can hold it in the room the older steps take.
        DropOldest(linkPrevious ? NewestStepStart() : count_);
        linkPrevious = link && current_ >= 0 && Locate(current_, previous);
        stored = AppendRecord(change, linkPrevious);
    }
    if (!stored) {
        if (linkPrevious) {
            DropNewestStep();
        }
        stepBroken_ = true;
        stepDropped_ = true;
        trimmed_ = 1;
        return 0;
    }
    if (linkPrevious) {
        SetFlagsAt(previous, FlagsAt(previous) | kLinkNext);
    }
    current_ += 1;
    count_ = current_ + 1;
    if (!linkPrevious) {
        newestStepStart_ = current_;
    }
    Trim();
    return 1;
}

bool CUndoManager::RoomAfterOlderSteps(const UndoChange& change, bool linkPrevious) {
    // The steps older than the one the record belongs to: all of them for a record that starts a step.
    const int older = linkPrevious ? NewestStepStart() : count_;
    if (older <= 0) {
        return false;
    }
    uint64_t olderEnd = store_.Length();
    if (older < count_ && !Locate(older, olderEnd)) {
        return false;
    }
    return RecordLength(change.kind, change.count) <= store_.Capacity() - (store_.Length() - olderEnd);
}

int CUndoManager::NewestStepStart() {
    if (count_ <= 0) {
        return 0;
    }
    if (newestStepStart_ >= 0 && newestStepStart_ < count_) {
        return newestStepStart_;
    }
    int index = count_ - 1;
    uint64_t offset = 0;
    while (index > 0 && Locate(index, offset) && (FlagsAt(offset) & kLinkPrevious)) {
        --index;
    }
    newestStepStart_ = index;
    return index;
}

void CUndoManager::DropOldest(int records) {
    if (records <= 0) {
        return;
    }
    uint64_t end = store_.Length();
    if (records < count_ && !Locate(records, end)) {
        return;
    }
    records = std::min(records, count_);
    store_.Erase(0, end);
    count_ -= records;
    current_ -= records;
    if (cachedIndex_ >= records) {
        cachedIndex_ -= records;
        cachedOffset_ -= end;
    } else {
        cachedIndex_ = 0;
        cachedOffset_ = 0;
    }
    newestStepStart_ = newestStepStart_ >= records ? newestStepStart_ - records : -1;
    // The first record left no longer continues a step whose start is gone.
    if (count_ > 0) {
        SetFlagsAt(0, FlagsAt(0) & ~kLinkPrevious);
    }
    trimmed_ = 1;
}

void CUndoManager::DropNewestStep() {
    const int start = NewestStepStart();
    uint64_t offset = 0;
    if (count_ <= 0 || !Locate(start, offset)) {
        return;
    }
    store_.Truncate(offset);
    count_ = start;
    current_ = start - 1;
    cachedIndex_ = 0;
    cachedOffset_ = 0;
    newestStepStart_ = -1;
}

void CUndoManager::Trim() {
    while (store_.Length() > limit_ && count_ > 1) {
        const int newest = NewestStepStart();
        if (newest <= 0) {
            // The newest step alone: it is kept whole even above the limit.
            break;
        }
        // The oldest tenth (below ten records one at a time so the loop always ends), up to the end of the
        // step it reaches into.
        int drop = std::min(std::max(count_ / 10, 1), newest);
        uint64_t offset = 0;
        while (drop < newest && Locate(drop, offset) && (FlagsAt(offset) & kLinkPrevious)) {
            ++drop;
        }
        DropOldest(drop);
    }
}

int CUndoManager::TakeUndoRecord(UndoChange& change, int& linked, int step) {
    uint64_t offset = 0;
    if (!Locate(current_, offset)) {
        return 0;
    }
    ReadRecord(offset, change);
    linked = (FlagsAt(offset) & kLinkPrevious) ? 1 : 0;
    if (step) {
        current_ -= 1;
    }
    return 1;
}

int CUndoManager::TakeRedoRecord(UndoChange& change, int& linked, int step) {
    uint64_t offset = 0;
    if (!Locate(current_ + 1, offset)) {
        return 0;
    }
    ReadRecord(offset, change);
    linked = (FlagsAt(offset) & kLinkNext) ? 1 : 0;
    if (step) {
        current_ += 1;
    }
    return 1;
}

void CUndoManager::ResetUndo() {
    store_.Clear();
    current_ = -1;
    count_ = 0;
    cachedIndex_ = 0;
    cachedOffset_ = 0;
    trimmed_ = 0;
    newestStepStart_ = -1;
    stepBroken_ = false;
    stepDropped_ = false;
}

bool CUndoManager::TakeStepDropped() {
    const bool dropped = stepDropped_;
    stepDropped_ = false;
    return dropped;
}

void CUndoManager::SetUndoLimit(uint64_t bytes) {
    limit_ = bytes;
    store_.SetGrowthStep(std::max<uint64_t>(4096, bytes / 10));
}

double CUndoManager::UsagePercent() const {
    if (limit_ == 0) {
        return store_.Length() > 0 ? 100.0 : 0.0;
    }
    double percent = static_cast<double>(store_.Length()) * 100.0 / static_cast<double>(limit_);
    return std::min(percent, 100.0);
}
