#include "data/CDataStore.h"
#include "data/CDataStoreListener.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(size_t count, unsigned char first = 1) {
    std::vector<unsigned char> bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

// Fills a fresh store with size bytes 1, 2, 3, ...
void Fill(CDataStore& store, uint64_t size) {
    std::vector<unsigned char> bytes = Bytes(size);
    ASSERT_EQ(store.InsertData(0, bytes.data(), size, 0, 0), 1);
    store.SetModified(0);
}

std::vector<unsigned char> Contents(const CDataStore& store) {
    std::vector<unsigned char> bytes(store.GetDataSize());
    EXPECT_EQ(store.ReadData(0, bytes.data(), bytes.size()), bytes.size());
    return bytes;
}

TEST(CDataStoreBuffer, StartsEmptyWithSpareRoom) {
    CDataStore store;
    EXPECT_EQ(store.GetDataSize(), 0u);
    EXPECT_EQ(store.DataCapacity(), 1024u);
    EXPECT_FALSE(store.IsModified());
    unsigned char byte = 0;
    EXPECT_EQ(store.ReadData(0, &byte, 1), 0u);
}

struct GrowthCase {
    uint64_t firstInsert; // brings the store to this size from capacity 1024
    uint64_t secondInsert;
    uint64_t expectedCapacity;
};

TEST(CDataStoreBuffer, GrowsByAtLeast1024AndKeepsSpareBytesZero) {
    const GrowthCase cases[] = {
        {1000, 24, 1024},  // fits exactly
        {1000, 100, 2048}, // grows by the minimum step
        {1000, 25, 2048},
    };
    for (const GrowthCase& c : cases) {
        CDataStore store;
        Fill(store, c.firstInsert);
        std::vector<unsigned char> more = Bytes(c.secondInsert, 7);
        ASSERT_EQ(store.InsertData(store.GetDataSize(), more.data(), more.size(), 1, 0), 1);
        EXPECT_EQ(store.DataCapacity(), c.expectedCapacity) << c.firstInsert << "+" << c.secondInsert;
        const unsigned char* block = store.DataBlock();
        for (uint64_t i = store.GetDataSize(); i < store.DataCapacity(); ++i) {
            ASSERT_EQ(block[i], 0) << i;
        }
    }
}

TEST(CDataStoreBuffer, LargeInsertGrowsByWhatIsMissing) {
    CDataStore store;
    Fill(store, 1000);
    std::vector<unsigned char> hundred = Bytes(100);
    ASSERT_EQ(store.InsertData(0, hundred.data(), 100, 0, 0), 1); // 1100 bytes in 2048
    ASSERT_EQ(store.DataCapacity(), 2048u);
    std::vector<unsigned char> big = Bytes(3000);
    ASSERT_EQ(store.InsertData(50, big.data(), big.size(), 1, 0), 1);
    EXPECT_EQ(store.DataCapacity(), 4100u);
    EXPECT_EQ(store.GetDataSize(), 4100u);
}

TEST(CDataStoreBuffer, InsertAtSizeAppendsAndBeyondIsRefusedWithoutSideEffects) {
    CDataStore store;
    Fill(store, 10);
    store.AddMark(5);
    unsigned char value = 0xAB;
    EXPECT_EQ(store.InsertData(11, &value, 1, 1, 0), 0);
    EXPECT_EQ(store.GetDataSize(), 10u);
    EXPECT_EQ(store.UndoHistory().RecordCount(), 0);
    EXPECT_FALSE(store.IsModified());
    EXPECT_EQ(store.Marks(), std::vector<uint32_t>{5});

    EXPECT_EQ(store.InsertData(10, &value, 1, 1, 0), 1);
    std::vector<unsigned char> expected = Bytes(10);
    expected.push_back(0xAB);
    EXPECT_EQ(Contents(store), expected);
    EXPECT_TRUE(store.IsModified());
}

TEST(CDataStoreBuffer, DeleteToTheEndSucceedsOneMoreIsRefused) {
    CDataStore store;
    Fill(store, 10);
    EXPECT_EQ(store.DeleteData(4, 7, 1, 0), 0);
    EXPECT_EQ(store.GetDataSize(), 10u);
    EXPECT_EQ(store.DeleteData(4, 6, 1, 0), 1);
    EXPECT_EQ(Contents(store), Bytes(4));
    EXPECT_EQ(store.DataCapacity(), 1024u);
    EXPECT_EQ(store.DataBlock()[4], 0) << "removed bytes leave zeros behind";
}

TEST(CDataStoreBuffer, ReadsAndWritesAreClippedToTheSize) {
    CDataStore store;
    Fill(store, 10);
    unsigned char buffer[8] = {};
    EXPECT_EQ(store.ReadData(10, buffer, 1), 0u);
    EXPECT_EQ(store.ReadData(7, buffer, 8), 3u);
    EXPECT_EQ(buffer[0], 8);
    EXPECT_EQ(buffer[2], 10);

    const unsigned char four[4] = {0xA1, 0xA2, 0xA3, 0xA4};
    EXPECT_EQ(store.WriteData(8, four, 4, 1, 0), 2u);
    EXPECT_EQ(store.GetDataSize(), 10u);
    EXPECT_EQ(store.DataBlock()[9], 0xA2);
    EXPECT_EQ(store.DataBlock()[10], 0);
    EXPECT_EQ(store.UndoHistory().StoreLength(), 2 * 2 + 29u);
    EXPECT_EQ(store.WriteData(10, four, 1, 1, 0), 0u);
}

TEST(CDataStoreBuffer, ZeroCountInsertAndDeleteRecordAnEmptyStep) {
    CDataStore store;
    Fill(store, 4);
    EXPECT_EQ(store.InsertData(2, nullptr, 0, 1, 0), 1);
    EXPECT_EQ(store.DeleteData(4, 0, 1, 0), 1);
    EXPECT_EQ(store.UndoHistory().RecordCount(), 2);
    EXPECT_EQ(store.UndoHistory().StoreLength(), 2 * 29u);
    EXPECT_TRUE(store.IsModified());
    EXPECT_EQ(Contents(store), Bytes(4));
}

TEST(CDataStoreBuffer, InsertOfBytesTakenFromTheBufferItselfCopiesThemFirst) {
    CDataStore store;
    Fill(store, 1020);
    // Growth frees the old block, and the tail move overwrites the source: both must not matter.
    ASSERT_EQ(store.InsertData(0, store.DataBlock() + 1, 10, 1, 0), 1);
    std::vector<unsigned char> contents = Contents(store);
    std::vector<unsigned char> expected = Bytes(10, 2);
    std::vector<unsigned char> rest = Bytes(1020);
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(contents, expected);
}

TEST(CDataStoreBuffer, InsertAndDeleteAreRefusedForViewDirectDllAndSharedMemory) {
    // A file opened read-only (VIEW) or left on disk (DIRECT) is covered by the file tests; the flag
    // check is shared, so here the modes are covered.
    for (int32_t mode : {int32_t(CDataStore::kModeDll), int32_t(CDataStore::kModeSharedMemory), int32_t(7)}) {
        CDataStore store;
        DataSourceSettings settings;
        settings.dllFileName.clear();
        settings.mmfName.clear();
        store.SetSettings(settings);
        store.AttachSource(mode);
        unsigned char value = 1;
        EXPECT_EQ(store.InsertData(0, &value, 1, 1, 0), 0) << mode;
        EXPECT_EQ(store.DeleteData(0, 0, 1, 0), 0) << mode;
        EXPECT_EQ(store.UndoHistory().RecordCount(), 0);
        EXPECT_FALSE(store.IsModified());
    }
}

TEST(CDataStoreBuffer, SizeFollowsTheMode) {
    CDataStore store;
    DataSourceSettings settings;
    settings.dllFileName = std::string(KIVRAN_LIB_DIR) + "/libkvrdll.so";
    settings.dllMemorySize = 300;
    settings.mmfMemorySize = 500;
    store.SetSettings(settings);
    ASSERT_TRUE(store.AttachSource(CDataStore::kModeDll).success) << settings.dllFileName;
    EXPECT_EQ(store.GetDataSize(), 300u);
    EXPECT_EQ(store.AttachedSource(), CDataStore::kModeDll);
    // Without a library nothing is attached: no size over a view that cannot show a byte.
    settings.dllFileName.clear();
    store.SetSettings(settings);
    store.AttachSource(CDataStore::kModeDll);
    EXPECT_EQ(store.GetDataSize(), 0u);
    EXPECT_EQ(store.AttachedSource(), -1);
    store.AttachSource(CDataStore::kModeSharedMemory);
    EXPECT_EQ(store.GetDataSize(), 500u);
    EXPECT_FALSE(store.HasDataBlock());
    store.AttachSource(9);
    EXPECT_EQ(store.GetDataSize(), 0u);
    store.AttachSource(CDataStore::kModeFile);
    EXPECT_EQ(store.GetDataSize(), 0u);
    EXPECT_FALSE(store.HasDataBlock()) << "file mode has no block until New or Open";
    store.NewBuffer();
    EXPECT_EQ(store.DataCapacity(), 1024u);
}

TEST(CDataStoreBuffer, DynamicMarksFollowInsertAndDelete) {
    struct Case {
        bool insertion;
        uint64_t position;
        uint64_t count;
        int32_t optionFlags;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {true, 20, 4, 0, {10, 24, 34}},
        {false, 18, 5, 0, {10, 25}},
        {true, 20, 4, CDataStore::kOptionDynamicMarkOff, {10, 20, 30}},
        {false, 18, 5, CDataStore::kOptionDynamicMarkOff, {10, 20, 30}},
        {true, 11, 1, 0, {10, 21, 31}}, // the mark just before p stays
    };
    for (const Case& c : cases) {
        CDataStore store;
        Fill(store, 40);
        store.SetOptionFlags(c.optionFlags);
        for (uint32_t mark : {10u, 20u, 30u}) {
            store.AddMark(mark);
        }
        std::vector<unsigned char> bytes(c.count, 0xEE);
        if (c.insertion) {
            ASSERT_EQ(store.InsertData(c.position, bytes.data(), c.count, 1, 0), 1);
        } else {
            ASSERT_EQ(store.DeleteData(c.position, c.count, 1, 0), 1);
        }
        EXPECT_EQ(store.Marks(), c.expected) << c.insertion << " at " << c.position;
    }
}

TEST(CDataStoreBuffer, AddMarkKeepsOrderWithoutDuplicates) {
    CDataStore store;
    EXPECT_TRUE(store.AddMark(30));
    EXPECT_TRUE(store.AddMark(10));
    EXPECT_FALSE(store.AddMark(30));
    EXPECT_FALSE(store.AddMark(0x100000000ull)) << "the 32-bit list cannot hold it";
    EXPECT_EQ(store.Marks(), (std::vector<uint32_t>{10, 30}));
}

TEST(CDataStoreBuffer, SplitViewMovesTheOtherPaneOnly) {
    struct Case {
        bool insertion;
        uint64_t position;
        uint64_t count;
        PaneSelection before;
        PaneSelection expected;
    };
    const Case cases[] = {
        {true, 10, 5, {12, 8, 12}, {17, 8, 17}},   // selection end and cursor behind p move
        {true, 10, 5, {10, 10, 10}, {15, 15, 15}}, // a cursor at p moves
        {false, 10, 5, {12, 8, 20}, {10, 8, 15}},  // inside the deletion lands on p, beyond drops by n
        {false, 10, 5, {15, 15, 15}, {10, 10, 10}}, {false, 10, 5, {9, 9, 9}, {9, 9, 9}},
    };
    for (const Case& c : cases) {
        CDataStore store;
        Fill(store, 40);
        store.SetSplit(true);
        store.SetCurrentPane(0);
        store.Pane(0) = {3, 3, 3};
        store.Pane(1) = c.before;
        std::vector<unsigned char> bytes(c.count, 1);
        if (c.insertion) {
            store.InsertData(c.position, bytes.data(), c.count, 0, 0);
        } else {
            store.DeleteData(c.position, c.count, 0, 0);
        }
        EXPECT_EQ(store.Pane(1).cursor, c.expected.cursor);
        EXPECT_EQ(store.Pane(1).selAnchor, c.expected.selAnchor);
        EXPECT_EQ(store.Pane(1).selEnd, c.expected.selEnd);
        EXPECT_EQ(store.Pane(0).cursor, 3u) << "the current pane is the caller's business";
    }
    CDataStore unsplit;
    Fill(unsplit, 40);
    unsplit.Pane(1) = {20, 20, 20};
    unsigned char byte = 0;
    unsplit.InsertData(0, &byte, 1, 0, 0);
    EXPECT_EQ(unsplit.Pane(1).cursor, 20u);
}

class RecordingListener : public CDataStoreListener {
public:
    void OnBytesChanged(uint64_t offset, uint64_t length) override { bytes.push_back({offset, length}); }
    void OnSizeChanged(uint64_t newSize) override { sizes.push_back(newSize); }
    void OnModifiedChanged(bool modified) override { modifiedChanges.push_back(modified); }
    std::vector<std::pair<uint64_t, uint64_t>> bytes;
    std::vector<uint64_t> sizes;
    std::vector<bool> modifiedChanges;
};

TEST(CDataStoreBuffer, ListenerHearsWhatChanged) {
    CDataStore store;
    RecordingListener listener;
    store.SetListener(&listener);
    std::vector<unsigned char> bytes = Bytes(8);
    store.InsertData(0, bytes.data(), 8, 1, 0);
    store.WriteData(2, bytes.data(), 3, 1, 0);
    store.DeleteData(6, 2, 1, 0);
    store.SetModified(1); // already set: not announced again
    using Range = std::pair<uint64_t, uint64_t>;
    EXPECT_EQ(listener.bytes, (std::vector<Range>{{0, 8}, {2, 3}, {6, 2}}));
    EXPECT_EQ(listener.sizes, (std::vector<uint64_t>{8, 6}));
    EXPECT_EQ(listener.modifiedChanges, std::vector<bool>{true});
}

} // namespace
