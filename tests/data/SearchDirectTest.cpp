#include "data/CDataStore.h"
#include "data/DataSearch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

// Searching a file that is read from disk on demand (DIRECT): the blocks grow from kSearchFirstBlock to
// kSearchBlockSize and overlap by n - 1 bytes, the result is that of the in-memory scanner, and a progress
// callback sees the scan and can stop it.
namespace {

using Bytes = std::vector<unsigned char>;
const unsigned char kMarker[5] = {0x4B, 0x56, 0x52, 0x4D, 0x4B};

class SparseFile {
public:
    // A file of size bytes that takes no disk space; false when the file system refuses the size.
    bool Create(uint64_t size) {
        char pattern[] = "/tmp/kivran-direct-XXXXXX";
        fd_ = ::mkstemp(pattern);
        if (fd_ < 0) {
            return false;
        }
        path_ = pattern;
        size_ = size;
        return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
    }
    ~SparseFile() {
        if (fd_ >= 0) {
            ::close(fd_);
            ::unlink(path_.c_str());
        }
    }
    void Write(uint64_t at, const void* bytes, size_t n) {
        ASSERT_EQ(::pwrite(fd_, bytes, n, static_cast<off_t>(at)), static_cast<ssize_t>(n));
    }
    void Clear(uint64_t at, size_t n) {
        const Bytes zeros(n, 0);
        Write(at, zeros.data(), n);
    }
    // Opens the file in a store whose memory limit keeps it on disk.
    void OpenDirect(CDataStore& store) const {
        DataSourceSettings settings;
        settings.maxFileSizeForMemory = 16;
        store.SetSettings(settings);
        ASSERT_TRUE(store.OpenFile(path_).success);
        ASSERT_EQ(store.AccessFlags(), CDataStore::kAccessDirect);
        ASSERT_EQ(store.GetDataSize(), size_);
    }
    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
    uint64_t size_ = 0;
};

// The ends of the first forward blocks for an n-byte pattern searched from 0: each block begins n - 1 bytes
// before the end of the one before it and is twice as long, up to the largest block.
std::vector<uint64_t> ForwardBlockEnds(size_t n, uint64_t size, uint64_t first) {
    std::vector<uint64_t> ends;
    uint64_t at = 0;
    uint64_t length = first;
    while (at + length < size) {
        ends.push_back(at + length);
        at += length - n + 1;
        length = std::min(length * 2, kSearchBlockSize);
    }
    return ends;
}

std::vector<uint64_t> BackwardBlockStarts(size_t n, uint64_t size, uint64_t first) {
    std::vector<uint64_t> starts;
    uint64_t end = size;
    uint64_t length = first;
    while (end > length) {
        starts.push_back(end - length);
        end = end - length + n - 1;
        length = std::min(length * 2, kSearchBlockSize);
    }
    return starts;
}

// Occurrences ending at, straddling and starting at each boundary of the chunks, put there one at a time.
void BoundaryCases(CDataStore& store, uint64_t size, uint64_t first,
                   const std::function<void(uint64_t, const unsigned char*)>& put) {
    const size_t n = sizeof kMarker;
    const unsigned char zeros[sizeof kMarker] = {};
    // Each boundary is tried with the direction whose chunks have it; the data is searched from its far end.
    struct Case {
        uint64_t position;
        int direction;
    };
    std::vector<Case> cases = {{0, 1}, {0, -1}, {size - n, 1}, {size - n, -1}};
    for (uint64_t end : ForwardBlockEnds(n, size, first)) {
        for (uint64_t back = 0; back <= n; ++back) {
            cases.push_back({end - back, 1});
        }
    }
    for (uint64_t start : BackwardBlockStarts(n, size, first)) {
        for (uint64_t back = 0; back <= n; ++back) {
            cases.push_back({start - back, -1});
        }
    }
    ASSERT_GT(cases.size(), first == kSearchFirstBlock ? 60u : 10u);
    for (const Case& c : cases) {
        if (c.position > size - n) {
            continue;
        }
        put(c.position, kMarker);
        uint64_t offset = 0;
        const bool found = c.direction > 0 ? FindForward(store, 0, kMarker, n, offset)
                                           : FindBackward(store, size - 1, kMarker, n, offset);
        ASSERT_TRUE(found) << c.position << " direction " << c.direction;
        EXPECT_EQ(offset, c.position) << "direction " << c.direction;
        // Starting just past it finds nothing; the block that holds it is the first one read.
        EXPECT_FALSE(c.direction > 0
                         ? FindForward(store, c.position + 1, kMarker, n, offset)
                         : c.position > 0 && FindBackward(store, c.position - 1, kMarker, n, offset))
            << c.position;
        put(c.position, zeros);
    }
}

// Data on disk is read in growing blocks, data in memory scanned in windows of the largest block size.
TEST(SearchDirect, OccurrencesAcrossEveryBlockBoundaryAreFoundInBothDirections) {
    // Large enough for the blocks to reach their largest size and go on with it.
    const uint64_t size = 2 * kSearchBlockSize + 12345;
    SparseFile file;
    ASSERT_TRUE(file.Create(size));
    CDataStore direct;
    file.OpenDirect(direct);
    CDataStore memory;
    DataSourceSettings settings;
    settings.maxFileSizeForMemory = size;
    memory.SetSettings(settings);
    ASSERT_TRUE(memory.OpenFile(file.Path()).success);
    ASSERT_TRUE(memory.HasDataBlock());
    for (CDataStore* store : {&direct, &memory}) {
        SCOPED_TRACE(store == &direct ? "on disk" : "in memory");
        const uint64_t first = store == &direct ? kSearchFirstBlock : kSearchBlockSize;
        auto put = [&](uint64_t at, const unsigned char* bytes) {
            if (store == &direct) {
                file.Write(at, bytes, sizeof kMarker);
            } else {
                ASSERT_EQ(memory.WriteData(at, bytes, sizeof kMarker, 0, 0), sizeof kMarker);
            }
        };
        BoundaryCases(*store, size, first, put);
    }
}

TEST(SearchDirect, GivesTheInMemoryResultOnRandomData) {
    // Three byte values make partial matches frequent; the data crosses several growing blocks.
    std::mt19937 random(11);
    const uint64_t size = 4 * kSearchFirstBlock + 777;
    Bytes data(size);
    for (unsigned char& byte : data) {
        byte = static_cast<unsigned char>(random() % 3);
    }
    SparseFile file;
    ASSERT_TRUE(file.Create(size));
    file.Write(0, data.data(), data.size());
    CDataStore direct;
    file.OpenDirect(direct);
    CDataStore memory;
    DataSourceSettings settings;
    settings.maxFileSizeForMemory = size;
    memory.SetSettings(settings);
    ASSERT_TRUE(memory.OpenFile(file.Path()).success);
    ASSERT_TRUE(memory.HasDataBlock());
    for (int query = 0; query < 200; ++query) {
        Bytes pattern(1 + random() % 12);
        for (unsigned char& byte : pattern) {
            byte = static_cast<unsigned char>(random() % 3);
        }
        const uint64_t start = random() % (size + 2);
        uint64_t expected = 0;
        uint64_t found = 0;
        bool exists = false;
        // The reference: the first and last occurrence by brute force.
        for (uint64_t at = start; !exists && at + pattern.size() <= size; ++at) {
            if (std::memcmp(data.data() + at, pattern.data(), pattern.size()) == 0) {
                exists = true;
                expected = at;
            }
        }
        ASSERT_EQ(FindForward(direct, start, pattern.data(), pattern.size(), found), exists) << start;
        if (exists) {
            ASSERT_EQ(found, expected) << start;
        }
        ASSERT_EQ(FindForward(memory, start, pattern.data(), pattern.size(), found), exists) << start;
        if (exists) {
            ASSERT_EQ(found, expected) << start;
        }
        exists = false;
        const uint64_t last = std::min<uint64_t>(start, size - pattern.size());
        for (uint64_t at = last + 1; !exists && at-- > 0;) {
            if (std::memcmp(data.data() + at, pattern.data(), pattern.size()) == 0) {
                exists = true;
                expected = at;
            }
        }
        ASSERT_EQ(FindBackward(direct, start, pattern.data(), pattern.size(), found), exists) << start;
        if (exists) {
            ASSERT_EQ(found, expected) << start;
        }
        ASSERT_EQ(FindBackward(memory, start, pattern.data(), pattern.size(), found), exists) << start;
        if (exists) {
            ASSERT_EQ(found, expected) << start;
        }
    }
}

TEST(SearchDirect, FrequentFirstBytesStillFindTheFirstOccurrence) {
    // Zeros everywhere: every position is a candidate for 00 00 00 01 until the one at the end.
    const uint64_t size = kSearchBlockSize + 4096;
    Bytes data(size, 0);
    data[size - 1] = 1;
    data[kSearchBlockSize / 2 + 3] = 1;
    SparseFile file;
    ASSERT_TRUE(file.Create(size));
    file.Write(0, data.data(), data.size());
    CDataStore store;
    DataSourceSettings settings;
    settings.maxFileSizeForMemory = size;
    store.SetSettings(settings);
    ASSERT_TRUE(store.OpenFile(file.Path()).success);
    const unsigned char pattern[4] = {0, 0, 0, 1};
    uint64_t offset = 0;
    ASSERT_TRUE(FindForward(store, 0, pattern, 4, offset));
    EXPECT_EQ(offset, kSearchBlockSize / 2);
    ASSERT_TRUE(FindForward(store, offset + 1, pattern, 4, offset));
    EXPECT_EQ(offset, size - 4);
    const unsigned char early[2] = {0, 1};
    ASSERT_TRUE(FindForward(store, 0, early, 2, offset));
    EXPECT_EQ(offset, kSearchBlockSize / 2 + 2);
}

TEST(SearchDirect, AMarkerAtTheEndOfAHugeFileIsFound) {
    const uint64_t size = uint64_t{100} << 30;
    SparseFile file;
    if (!file.Create(size)) {
        GTEST_SKIP() << "the file system refuses a sparse file of 100 GiB";
    }
    const uint64_t position = size - 3 * kSearchBlockSize - 17;
    file.Write(position, kMarker, sizeof kMarker);
    CDataStore store;
    file.OpenDirect(store);
    uint64_t offset = 0;
    ASSERT_TRUE(FindForward(store, size - 5 * kSearchBlockSize, kMarker, sizeof kMarker, offset));
    EXPECT_EQ(offset, position);
    ASSERT_TRUE(FindBackward(store, size - 1, kMarker, sizeof kMarker, offset));
    EXPECT_EQ(offset, position);
}

TEST(SearchDirect, ProgressSeesTheScanAndStopsIt) {
    const uint64_t size = 2 * kSearchBlockSize + 100;
    SparseFile file;
    ASSERT_TRUE(file.Create(size));
    file.Write(size - sizeof kMarker, kMarker, sizeof kMarker);
    CDataStore store;
    file.OpenDirect(store);
    struct Call {
        uint64_t scanned, total;
    };
    for (int direction : {1, -1}) {
        std::vector<Call> calls;
        const SearchProgress watch = [&](uint64_t scanned, uint64_t total) {
            calls.push_back({scanned, total});
            return true;
        };
        const unsigned char* marker = kMarker;
        uint64_t offset = 0;
        const uint64_t start = direction > 0 ? 10 : size - 1;
        // Backward, the marker is at the start of the scan: put one at the far end instead.
        const unsigned char far[5] = {1, 2, 3, 4, 5};
        if (direction < 0) {
            file.Write(3, far, sizeof far);
            marker = far;
        }
        const bool found = direction > 0 ? FindForward(store, start, marker, 5, offset, &watch)
                                         : FindBackward(store, start, marker, 5, offset, &watch);
        ASSERT_TRUE(found) << direction;
        EXPECT_EQ(offset, direction > 0 ? size - 5 : 3u);
        ASSERT_GE(calls.size(), 3u) << direction;
        for (size_t i = 0; i < calls.size(); ++i) {
            EXPECT_EQ(calls[i].total, direction > 0 ? size - start : size) << i;
            EXPECT_LE(calls[i].scanned, calls[i].total) << i;
            if (i > 0) {
                EXPECT_GT(calls[i].scanned, calls[i - 1].scanned) << i;
            }
        }

        // Stopped after the second report: not found, although the marker is there.
        int reports = 0;
        const SearchProgress stop = [&](uint64_t, uint64_t) { return ++reports < 2; };
        offset = 99;
        EXPECT_FALSE(direction > 0 ? FindForward(store, start, marker, 5, offset, &stop)
                                   : FindBackward(store, start, marker, 5, offset, &stop));
        EXPECT_EQ(reports, 2);
        EXPECT_EQ(offset, 99u);
    }
    // The step from the cursor passes the callback on.
    SearchPattern pattern;
    std::memcpy(pattern.bytes, kMarker, sizeof kMarker);
    pattern.length = sizeof kMarker;
    const SearchProgress refuse = [](uint64_t, uint64_t) { return false; };
    uint64_t offset = 0;
    EXPECT_TRUE(FindFromCursor(store, 0, pattern, 1, offset));
    EXPECT_FALSE(FindFromCursor(store, 0, pattern, 1, offset, &refuse));
}

} // namespace
