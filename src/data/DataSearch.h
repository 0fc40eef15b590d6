#pragma once

#include "data/SearchPattern.h"

#include <cstddef>
#include <cstdint>
#include <functional>

class CDataStore;

// Exact byte search over the data of any source, and the replacement of single occurrences.
//
// The scanners go through the data in chunks: data held in memory is scanned in place, windows of
// kSearchBlockSize bytes; a file read from disk on demand (DIRECT) is read in blocks that grow from
// kSearchFirstBlock to kSearchBlockSize bytes, so that a near occurrence is found after a short read and a
// far one at the speed of reading the file; DLL and shared-memory data are read through ReadData in chunks
// of kSearchChunkSize bytes, so they are searched without holding all of it. Consecutive chunks overlap by
// n - 1 bytes, so an occurrence across a chunk boundary is found. Bytes beyond the data size are never read,
// and a search never wraps around at either end.

constexpr uint64_t kSearchChunkSize = 1024;
constexpr uint64_t kSearchFirstBlock = uint64_t{64} << 10;
constexpr uint64_t kSearchBlockSize = uint64_t{4} << 20;

// Called between chunks of a scan with the bytes scanned so far and the bytes the scan covers at most.
// Returning false stops the scan, which then reports nothing found.
using SearchProgress = std::function<bool(uint64_t scanned, uint64_t total)>;

// The first occurrence of the n pattern bytes that starts at or after start. False for an empty pattern
// or one longer than kSearchChunkSize bytes, and when progress stopped the scan.
bool FindForward(const CDataStore& store, uint64_t start, const unsigned char* pattern, size_t n,
                 uint64_t& offset, const SearchProgress* progress = nullptr);
// The last occurrence that starts at or before start.
bool FindBackward(const CDataStore& store, uint64_t start, const unsigned char* pattern, size_t n,
                  uint64_t& offset, const SearchProgress* progress = nullptr);

// One search step of the dialogs and of Forward/Backward Search: forward from cursor + 1, backward from
// cursor - 1, so that the occurrence under the cursor is passed over. direction > 0 is forward.
bool FindFromCursor(const CDataStore& store, uint64_t cursor, const SearchPattern& pattern, int direction,
                    uint64_t& offset, const SearchProgress* progress = nullptr);

struct ReplaceOutcome {
    bool found = false;
    uint64_t offset = 0;
    // The length the occurrence has in the data afterwards: the replacement's length, or the pattern's when
    // the source cannot change its size (DLL and shared memory take only the overwrite).
    uint64_t lengthInData = 0;
};

// Replaces the occurrence at offset: the overlapping part is overwritten, the rest deleted or inserted. All
// records form one undo step; link 1 also joins it to the step recorded before.
ReplaceOutcome ReplaceOccurrence(CDataStore& store, uint64_t offset, const SearchPattern& pattern,
                                 const SearchPattern& replacement, int link);

// Finds with the scanner of the direction (forward from start, or backward from start) and replaces.
ReplaceOutcome ReplaceAt(CDataStore& store, uint64_t start, const SearchPattern& pattern,
                         const SearchPattern& replacement, int direction, int link);

// Replace-next from the cursor, as one undo step. A replacement already under the cursor (the one made by
// the previous step) is passed over, so that repeated presses walk through the data.
ReplaceOutcome ReplaceNext(CDataStore& store, uint64_t cursor, const SearchPattern& pattern,
                           const SearchPattern& replacement, int direction);
