#include "data/DataSearch.h"

#include "data/CDataStore.h"

#include <algorithm>
#include <cstring>

namespace {

// One chunk of the data: a window into the file-mode block, or the bytes ReadData copied into buffer.
const unsigned char* ReadChunk(const CDataStore& store, uint64_t at, uint64_t length, unsigned char* buffer,
                               uint64_t& got) {
    const unsigned char* block = store.DataBlock();
    if (store.Mode() == CDataStore::kModeFile && block != nullptr) {
        uint64_t size = store.GetDataSize();
        got = at < size ? std::min(length, size - at) : 0;
        return got > 0 ? block + at : buffer;
    }
    got = store.ReadData(at, buffer, length);
    return buffer;
}

// Candidates are the positions of the first pattern byte; only they are compared in full.
bool FirstMatch(const unsigned char* chunk, uint64_t size, const unsigned char* pattern, size_t n,
                uint64_t& position) {
    if (size < n) {
        return false;
    }
    const unsigned char* last = chunk + (size - n);
    const unsigned char* at = chunk;
    while (at <= last) {
        const void* hit = std::memchr(at, pattern[0], static_cast<size_t>(last - at) + 1);
        if (hit == nullptr) {
            return false;
        }
        at = static_cast<const unsigned char*>(hit);
        if (std::memcmp(at + 1, pattern + 1, n - 1) == 0) {
            position = static_cast<uint64_t>(at - chunk);
            return true;
        }
        ++at;
    }
    return false;
}

bool LastMatch(const unsigned char* chunk, uint64_t size, const unsigned char* pattern, size_t n,
               uint64_t& position) {
    if (size < n) {
        return false;
    }
    size_t candidates = static_cast<size_t>(size - n) + 1;
    while (candidates > 0) {
        const void* hit = ::memrchr(chunk, pattern[0], candidates);
        if (hit == nullptr) {
            return false;
        }
        const unsigned char* at = static_cast<const unsigned char*>(hit);
        if (std::memcmp(at + 1, pattern + 1, n - 1) == 0) {
            position = static_cast<uint64_t>(at - chunk);
            return true;
        }
        candidates = static_cast<size_t>(at - chunk);
    }
    return false;
}

bool UsablePattern(const unsigned char* pattern, size_t n) {
    return pattern != nullptr && n > 0 && n <= kSearchChunkSize;
}

// True when the bytes at offset are the replacement; an empty replacement is always there.
bool ReplacementAt(const CDataStore& store, uint64_t offset, const SearchPattern& replacement) {
    if (replacement.length == 0) {
        return true;
    }
    unsigned char bytes[SearchPattern::kCapacity];
    return store.ReadData(offset, bytes, replacement.length) == replacement.length &&
           std::memcmp(bytes, replacement.bytes, replacement.length) == 0;
}

} // namespace

bool FindForward(const CDataStore& store, uint64_t start, const unsigned char* pattern, size_t n,
                 uint64_t& offset) {
    if (!UsablePattern(pattern, n)) {
        return false;
    }
    unsigned char buffer[kSearchChunkSize];
    uint64_t size = store.GetDataSize();
    uint64_t at = start;
    while (at < size) {
        uint64_t got = 0;
        const unsigned char* chunk = ReadChunk(store, at, kSearchChunkSize, buffer, got);
        uint64_t position = 0;
        if (FirstMatch(chunk, got, pattern, n, position)) {
            offset = at + position;
            return true;
        }
        if (got < kSearchChunkSize) {
            return false;
        }
        at += got - n + 1;
    }
    return false;
}

bool FindBackward(const CDataStore& store, uint64_t start, const unsigned char* pattern, size_t n,
                  uint64_t& offset) {
    if (!UsablePattern(pattern, n)) {
        return false;
    }
    uint64_t size = store.GetDataSize();
    if (size < n) {
        return false;
    }
    // No occurrence starts after size - n; clamping also keeps start + n from overflowing.
    uint64_t end = std::min(start, size - n) + n;
    uint64_t chunkStart = end > kSearchChunkSize ? end - kSearchChunkSize : 0;
    uint64_t length = end - chunkStart;
    unsigned char buffer[kSearchChunkSize];
    for (;;) {
        uint64_t got = 0;
        const unsigned char* chunk = ReadChunk(store, chunkStart, length, buffer, got);
        uint64_t position = 0;
        if (LastMatch(chunk, got, pattern, n, position)) {
            offset = chunkStart + position;
            return true;
        }
        if (chunkStart == 0) {
            return false;
        }
        // The next chunk ends n - 1 bytes after this one's start, so the chunks overlap by n - 1 bytes.
        if (chunkStart > kSearchChunkSize + 1 - n) {
            chunkStart = chunkStart + n - 1 - kSearchChunkSize;
            length = kSearchChunkSize;
        } else {
            length = chunkStart + n - 1;
            chunkStart = 0;
        }
    }
}

bool FindFromCursor(const CDataStore& store, uint64_t cursor, const SearchPattern& pattern, int direction,
                    uint64_t& offset) {
    if (direction > 0) {
        return cursor < store.GetDataSize() &&
               FindForward(store, cursor + 1, pattern.bytes, pattern.length, offset);
    }
    return cursor > 0 && FindBackward(store, cursor - 1, pattern.bytes, pattern.length, offset);
}

ReplaceOutcome ReplaceOccurrence(CDataStore& store, uint64_t offset, const SearchPattern& pattern,
                                 const SearchPattern& replacement, int link) {
    const size_t n = pattern.length;
    const size_t m = replacement.length;
    ReplaceOutcome outcome;
    outcome.found = true;
    outcome.offset = offset;
    outcome.lengthInData = n;
    // The first record actually made carries the caller's link; an empty overwrite records nothing, and the
    // delete that follows must not join the step before it.
    int nextLink = link;
    size_t overwrite = std::min(m, n);
    if (overwrite > 0 && store.WriteData(offset, replacement.bytes, overwrite, 1, link) > 0) {
        nextLink = 1;
    }
    if (m < n) {
        if (store.DeleteData(offset + m, n - m, 1, nextLink) == 1) {
            outcome.lengthInData = m;
        }
    } else if (m > n) {
        if (store.InsertData(offset + n, replacement.bytes + n, m - n, 1, nextLink) == 1) {
            outcome.lengthInData = m;
        }
    }
    return outcome;
}

ReplaceOutcome ReplaceAt(CDataStore& store, uint64_t start, const SearchPattern& pattern,
                         const SearchPattern& replacement, int direction, int link) {
    uint64_t offset = 0;
    bool found = direction > 0 ? FindForward(store, start, pattern.bytes, pattern.length, offset)
                               : FindBackward(store, start, pattern.bytes, pattern.length, offset);
    if (!found) {
        return ReplaceOutcome();
    }
    return ReplaceOccurrence(store, offset, pattern, replacement, link);
}

ReplaceOutcome ReplaceNext(CDataStore& store, uint64_t cursor, const SearchPattern& pattern,
                           const SearchPattern& replacement, int direction) {
    uint64_t start = cursor;
    if (ReplacementAt(store, cursor, replacement)) {
        if (direction > 0) {
            start = cursor + replacement.length;
        } else if (replacement.length < cursor) {
            start = cursor - replacement.length;
        }
    }
    return ReplaceAt(store, start, pattern, replacement, direction, 0);
}
