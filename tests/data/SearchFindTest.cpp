#include "SearchTestSupport.h"
#include "data/CDataStore.h"
#include "data/DataSearch.h"

#include <gtest/gtest.h>

#include <random>

using namespace search_test;

namespace {

const unsigned char kMarker[4] = {0xDE, 0xAD, 0xBE, 0xEF};

// The first and last occurrence by brute force, as the reference for the chunked scanners.
bool NaiveForward(const Bytes& data, uint64_t start, const Bytes& pattern, uint64_t& offset) {
    for (uint64_t at = start; at + pattern.size() <= data.size(); ++at) {
        if (std::memcmp(data.data() + at, pattern.data(), pattern.size()) == 0) {
            offset = at;
            return true;
        }
    }
    return false;
}

bool NaiveBackward(const Bytes& data, uint64_t start, const Bytes& pattern, uint64_t& offset) {
    if (data.size() < pattern.size()) {
        return false;
    }
    for (uint64_t at = std::min<uint64_t>(start, data.size() - pattern.size()) + 1; at-- > 0;) {
        if (std::memcmp(data.data() + at, pattern.data(), pattern.size()) == 0) {
            offset = at;
            return true;
        }
    }
    return false;
}

Bytes WithMarkerAt(size_t size, size_t position) {
    Bytes data(size, 0);
    std::memcpy(data.data() + position, kMarker, sizeof kMarker);
    return data;
}

// Positions around the boundaries of both scanners' chunks for a 4-byte pattern in 4096 bytes: forward chunks
// start at 0, 1021, 2042, 3063; backward chunks end at 4096, 3075, 2054, 1033.
const size_t kBoundaryPositions[] = {0,    1018, 1020, 1021, 1022, 1023, 1024, 1029, 1030, 1031, 2040,
                                     2041, 2042, 2043, 2050, 2051, 2052, 3060, 3063, 3071, 3072, 4092};

TEST(SearchFind, PatternsAcrossChunkBoundariesAreFoundByBothScannersInFileMode) {
    CDataStore store;
    for (size_t position : kBoundaryPositions) {
        Load(store, WithMarkerAt(4096, position));
        uint64_t offset = 0;
        ASSERT_TRUE(FindForward(store, 0, kMarker, 4, offset)) << position;
        EXPECT_EQ(offset, position);
        ASSERT_TRUE(FindBackward(store, 4095, kMarker, 4, offset)) << position;
        EXPECT_EQ(offset, position);
    }
}

TEST(SearchFind, PatternsAcrossChunkBoundariesAreFoundThroughReadDataOfALibrary) {
    CDataStore store;
    for (size_t position : kBoundaryPositions) {
        AttachLibrary(store, WithMarkerAt(4096, position));
        uint64_t offset = 0;
        ASSERT_TRUE(FindForward(store, 0, kMarker, 4, offset)) << position;
        EXPECT_EQ(offset, position);
        ASSERT_TRUE(FindBackward(store, 4095, kMarker, 4, offset)) << position;
        EXPECT_EQ(offset, position);
    }
}

TEST(SearchFind, MatchesABruteForceSearchOnRandomData) {
    std::mt19937 random(7);
    CDataStore store;
    for (int round = 0; round < 40; ++round) {
        // Three byte values make partial matches frequent; sizes cross several chunks.
        Bytes data(random() % 5000);
        for (unsigned char& byte : data) {
            byte = static_cast<unsigned char>(random() % 3);
        }
        bool viaLibrary = round % 2 == 1 && !data.empty() && data.size() <= 4096;
        if (viaLibrary) {
            AttachLibrary(store, data);
        } else {
            store.AttachSource(CDataStore::kModeFile);
            Load(store, data);
        }
        for (int query = 0; query < 50; ++query) {
            Bytes pattern(1 + random() % 7);
            for (unsigned char& byte : pattern) {
                byte = static_cast<unsigned char>(random() % 3);
            }
            uint64_t start = random() % (data.size() + 2);
            uint64_t expected = 0;
            uint64_t found = 0;
            bool exists = NaiveForward(data, start, pattern, expected);
            ASSERT_EQ(FindForward(store, start, pattern.data(), pattern.size(), found), exists)
                << "round " << round << " start " << start;
            if (exists) {
                ASSERT_EQ(found, expected) << "round " << round;
            }
            exists = NaiveBackward(data, start, pattern, expected);
            ASSERT_EQ(FindBackward(store, start, pattern.data(), pattern.size(), found), exists)
                << "round " << round << " start " << start;
            if (exists) {
                ASSERT_EQ(found, expected) << "round " << round;
            }
        }
    }
}

TEST(SearchFind, StepsFromTheCursorPassOverTheOccurrenceUnderItAndNeverWrap) {
    CDataStore store;
    Bytes data(64, 0);
    for (size_t at : {10, 20, 30}) {
        data[at] = 0x41;
        data[at + 1] = 0x42;
    }
    Load(store, data);
    SearchPattern pattern = Pattern({0x41, 0x42});
    struct Case {
        uint64_t cursor;
        int direction;
        bool found;
        uint64_t offset;
    };
    const Case cases[] = {
        {10, 1, true, 20},  {20, -1, true, 10}, {0, 1, true, 10},  {11, -1, true, 10}, {30, 1, false, 0},
        {10, -1, false, 0}, {64, 1, false, 0},  {0, -1, false, 0}, {63, -1, true, 30}, {9, 1, true, 10},
    };
    for (const Case& c : cases) {
        uint64_t offset = 99;
        EXPECT_EQ(FindFromCursor(store, c.cursor, pattern, c.direction, offset), c.found)
            << "cursor " << c.cursor << " direction " << c.direction;
        if (c.found) {
            EXPECT_EQ(offset, c.offset) << "cursor " << c.cursor << " direction " << c.direction;
        }
    }
}

TEST(SearchFind, RefusesEmptyAndOverlongPatternsAndReadsNothingBeyondTheData) {
    CDataStore store;
    Load(store, Bytes{1, 2, 3});
    Bytes longPattern(1025, 1);
    uint64_t offset = 0;
    EXPECT_FALSE(FindForward(store, 0, longPattern.data(), longPattern.size(), offset));
    EXPECT_FALSE(FindBackward(store, 2, longPattern.data(), longPattern.size(), offset));
    EXPECT_FALSE(FindForward(store, 0, longPattern.data(), 0, offset));
    const unsigned char tail[] = {3, 0};
    EXPECT_FALSE(FindForward(store, 0, tail, 2, offset)) << "the zero spare byte after the data is not data";
    EXPECT_FALSE(FindBackward(store, UINT64_MAX, tail, 2, offset));
    const unsigned char last[] = {2, 3};
    ASSERT_TRUE(FindBackward(store, UINT64_MAX, last, 2, offset));
    EXPECT_EQ(offset, 1u);
}

} // namespace
