#include "data/DataSearch.h"

#include "data/CDataStore.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {

// Where the chunks of one scan come from: a window into the file-mode block, a block read from disk into a
// buffer that lives as long as the scan, or the bytes ReadData copied into a small buffer.
class ChunkReader {
public:
    explicit ChunkReader(const CDataStore& store) : store_(store) {
        const bool fileMode = store.Mode() == CDataStore::kModeFile;
        block_ = fileMode ? store.DataBlock() : nullptr;
        if (block_ != nullptr) {
            next_ = kSearchBlockSize;
        } else if (fileMode && (store.AccessFlags() & CDataStore::kAccessDirect)) {
            // Left uninitialised: only the bytes read are touched. Without the memory, small chunks do.
            buffer_.reset(new (std::nothrow) unsigned char[kSearchBlockSize]);
            if (buffer_) {
                next_ = kSearchFirstBlock;
                growing_ = true;
            }
        }
    }

    // The length of the next chunk to read: every chunk is at least kSearchChunkSize bytes.
    uint64_t NextLength() {
        const uint64_t length = next_;
        if (growing_ && next_ < kSearchBlockSize) {
            next_ = std::min(next_ * 2, kSearchBlockSize);
        }
        return length;
    }

    // Up to length (at most the last NextLength) bytes at an offset; got is how many there are.
    const unsigned char* Read(uint64_t at, uint64_t length, uint64_t& got) {
        if (block_ != nullptr) {
            const uint64_t size = store_.GetDataSize();
            got = at < size ? std::min(length, size - at) : 0;
            return got > 0 ? block_ + at : small_;
        }
        unsigned char* destination = buffer_ ? buffer_.get() : small_;
        got = store_.ReadData(at, destination, length);
        return destination;
    }

private:
    const CDataStore& store_;
    const unsigned char* block_ = nullptr;
    std::unique_ptr<unsigned char[]> buffer_;
    uint64_t next_ = kSearchChunkSize;
    bool growing_ = false;
    unsigned char small_[kSearchChunkSize];
};

// Candidates are the positions of the first pattern byte; only they are compared in full. When the first byte
// is frequent (many candidates fail), the rest of the chunk goes to memmem, whose time does not grow with the
// number of partial matches.
bool FirstMatch(const unsigned char* chunk, uint64_t size, const unsigned char* pattern, size_t n,
                uint64_t& position) {
    if (size < n) {
        return false;
    }
    const size_t kMissesBeforeMemmem = 256;
    const unsigned char* last = chunk + (size - n);
    const unsigned char* at = chunk;
    size_t misses = 0;
    while (at <= last) {
        if (misses > kMissesBeforeMemmem) {
            const void* hit = ::memmem(at, static_cast<size_t>(last - at) + n, pattern, n);
            if (hit == nullptr) {
                return false;
            }
            position = static_cast<uint64_t>(static_cast<const unsigned char*>(hit) - chunk);
            return true;
        }
        const void* hit = std::memchr(at, pattern[0], static_cast<size_t>(last - at) + 1);
        if (hit == nullptr) {
            return false;
        }
        at = static_cast<const unsigned char*>(hit);
        if (std::memcmp(at + 1, pattern + 1, n - 1) == 0) {
            position = static_cast<uint64_t>(at - chunk);
            return true;
        }
        ++misses;
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

bool GoOn(const SearchProgress* progress, uint64_t scanned, uint64_t total) {
    return progress == nullptr || !*progress || (*progress)(scanned, total);
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
                 uint64_t& offset, const SearchProgress* progress) {
    if (!UsablePattern(pattern, n)) {
        return false;
    }
    ChunkReader reader(store);
    const uint64_t size = store.GetDataSize();
    uint64_t at = start;
    while (at < size) {
        const uint64_t length = reader.NextLength();
        uint64_t got = 0;
        const unsigned char* chunk = reader.Read(at, length, got);
        uint64_t position = 0;
        if (FirstMatch(chunk, got, pattern, n, position)) {
            offset = at + position;
            return true;
        }
        if (got < length || got >= size - at) {
            return false;
        }
        at += got - n + 1;
        if (!GoOn(progress, at - start, size - start)) {
            return false;
        }
    }
    return false;
}

bool FindBackward(const CDataStore& store, uint64_t start, const unsigned char* pattern, size_t n,
                  uint64_t& offset, const SearchProgress* progress) {
    if (!UsablePattern(pattern, n)) {
        return false;
    }
    const uint64_t size = store.GetDataSize();
    if (size < n) {
        return false;
    }
    ChunkReader reader(store);
    // No occurrence starts after size - n; clamping also keeps start + n from overflowing.
    const uint64_t end = std::min(start, size - n) + n;
    uint64_t chunkEnd = end;
    for (;;) {
        const uint64_t length = reader.NextLength();
        const uint64_t chunkStart = chunkEnd > length ? chunkEnd - length : 0;
        uint64_t got = 0;
        const unsigned char* chunk = reader.Read(chunkStart, chunkEnd - chunkStart, got);
        uint64_t position = 0;
        if (LastMatch(chunk, got, pattern, n, position)) {
            offset = chunkStart + position;
            return true;
        }
        if (chunkStart == 0) {
            return false;
        }
        // The next chunk ends n - 1 bytes after this one's start, so the chunks overlap by n - 1 bytes.
        chunkEnd = chunkStart + n - 1;
        if (!GoOn(progress, end - chunkEnd, end)) {
            return false;
        }
    }
}

bool FindFromCursor(const CDataStore& store, uint64_t cursor, const SearchPattern& pattern, int direction,
                    uint64_t& offset, const SearchProgress* progress) {
    if (direction > 0) {
        return cursor < store.GetDataSize() &&
               FindForward(store, cursor + 1, pattern.bytes, pattern.length, offset, progress);
    }
    return cursor > 0 && FindBackward(store, cursor - 1, pattern.bytes, pattern.length, offset, progress);
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
