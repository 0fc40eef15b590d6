#include "data/CUndoManager.h"
#include "data/CDataStore.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

UndoChange Overwrite(uint64_t offset, const std::vector<unsigned char>& before,
                     const std::vector<unsigned char>& after) {
    UndoChange change;
    change.kind = UndoChange::Overwrite;
    change.offset = offset;
    change.first = before.data();
    change.second = after.data();
    change.count = before.size();
    return change;
}

uint64_t ReadLittleEndian(const unsigned char* at, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | at[i];
    }
    return value;
}

TEST(CUndoManager, RecordLengthsAndLayout) {
    CUndoManager undo;
    std::vector<unsigned char> old1 = {0x11}, new1 = {0x22};
    ASSERT_EQ(undo.AddUndoRecord(Overwrite(0x0102030405, old1, new1), 0), 1);
    EXPECT_EQ(undo.StoreLength(), 31u);

    std::vector<unsigned char> five = {1, 2, 3, 4, 5};
    UndoChange insert;
    insert.kind = UndoChange::Insert;
    insert.offset = 7;
    insert.first = five.data();
    insert.count = 5;
    ASSERT_EQ(undo.AddUndoRecord(insert, 1), 1);
    EXPECT_EQ(undo.StoreLength(), 31u + 34u);

    UndoChange taken;
    int linked = 0;
    ASSERT_EQ(undo.TakeUndoRecord(taken, linked, 0), 1);
    EXPECT_EQ(taken.kind, UndoChange::Insert);
    EXPECT_EQ(taken.offset, 7u);
    EXPECT_EQ(taken.count, 5u);
    EXPECT_EQ(std::vector<unsigned char>(taken.first, taken.first + 5), five);
    EXPECT_EQ(linked, 1);

    // The record on its own: kind, T, offset, flags, old, new, T.
    const unsigned char* first = taken.first - CUndoManager::kHeaderSize - 31;
    EXPECT_EQ(first[0], 2);
    EXPECT_EQ(ReadLittleEndian(first + 1, 8), 31u);
    EXPECT_EQ(ReadLittleEndian(first + 9, 8), 0x0102030405u);
    EXPECT_EQ(ReadLittleEndian(first + 17, 4), 1u) << "bit 0: the next record joins this step";
    EXPECT_EQ(first[21], 0x11);
    EXPECT_EQ(first[22], 0x22);
    EXPECT_EQ(ReadLittleEndian(first + 23, 8), 31u);
    EXPECT_EQ(ReadLittleEndian(first + 31 + 17, 4), 2u) << "bit 1: this record joins the previous step";
}

TEST(CUndoManager, TrimsTheOldestTenthAtTheLimit) {
    CUndoManager undo;
    undo.SetUndoLimit(1000);
    std::vector<unsigned char> one = {0};
    for (int i = 0; i < 20; ++i) {
        undo.AddUndoRecord(Overwrite(static_cast<uint64_t>(i), one, one), 0);
    }
    ASSERT_EQ(undo.StoreLength(), 620u);
    EXPECT_EQ(undo.Trimmed(), 0);
    std::vector<unsigned char> big(190, 0x5A);
    undo.AddUndoRecord(Overwrite(500, big, big), 0);
    EXPECT_EQ(undo.StoreLength(), 967u);
    EXPECT_EQ(undo.Current(), 18);
    EXPECT_EQ(undo.RecordCount(), 19);
    EXPECT_EQ(undo.Trimmed(), 1);

    // The oldest left is the third one recorded; walking from the newest back reaches it.
    UndoChange taken;
    int linked = 0;
    int steps = 0;
    uint64_t lastOffset = 0;
    while (undo.TakeUndoRecord(taken, linked, 1)) {
        lastOffset = taken.offset;
        ++steps;
    }
    EXPECT_EQ(steps, 19);
    EXPECT_EQ(lastOffset, 2u);
}

TEST(CUndoManager, BelowTenRecordsTrimmingDropsOneAtATimeAndKeepsTheNewest) {
    CUndoManager undo;
    undo.SetUndoLimit(100);
    std::vector<unsigned char> one = {0};
    for (int i = 0; i < 3; ++i) {
        undo.AddUndoRecord(Overwrite(static_cast<uint64_t>(i), one, one), 0); // 31 bytes each
    }
    EXPECT_EQ(undo.RecordCount(), 3);
    EXPECT_EQ(undo.Trimmed(), 0);
    undo.AddUndoRecord(Overwrite(3, one, one), 0); // 124 > 100: drops one
    EXPECT_EQ(undo.RecordCount(), 3);
    EXPECT_EQ(undo.StoreLength(), 93u);
    std::vector<unsigned char> big(200, 1);
    undo.AddUndoRecord(Overwrite(9, big, big), 0); // alone over the limit: only it stays
    EXPECT_EQ(undo.RecordCount(), 1);
    EXPECT_EQ(undo.StoreLength(), 429u);
    EXPECT_DOUBLE_EQ(undo.UsagePercent(), 100.0);
    UndoChange taken;
    int linked = 0;
    ASSERT_EQ(undo.TakeUndoRecord(taken, linked, 1), 1);
    EXPECT_EQ(taken.offset, 9u);
}

TEST(CUndoManager, CountsResetUsageAndGrowthStep) {
    CUndoManager undo;
    EXPECT_EQ(undo.UndoCount(), 0);
    EXPECT_EQ(undo.GrowthStep(), 100000u);
    undo.SetUndoLimit(40000);
    EXPECT_EQ(undo.GrowthStep(), 4096u);
    undo.SetUndoLimit(50000);
    EXPECT_EQ(undo.GrowthStep(), 5000u);
    undo.SetUndoLimit(1000);
    std::vector<unsigned char> one = {0};
    undo.AddUndoRecord(Overwrite(0, one, one), 0);
    EXPECT_EQ(undo.UndoCount(), 1);
    EXPECT_EQ(undo.RedoCount(), 0);
    EXPECT_DOUBLE_EQ(undo.UsagePercent(), 3.1);
    undo.ResetUndo();
    EXPECT_EQ(undo.UndoCount(), 0);
    EXPECT_EQ(undo.StoreLength(), 0u);
    EXPECT_DOUBLE_EQ(undo.UsagePercent(), 0.0);
}

TEST(CUndoManager, NewChangeAfterUndoErasesTheRedoBranch) {
    CDataStore store;
    unsigned char a = 'a', b = 'b';
    store.InsertData(0, &a, 1, 1, 0);
    uint64_t at = 99;
    ASSERT_TRUE(store.Undo(at));
    EXPECT_EQ(at, 0u);
    EXPECT_EQ(store.UndoHistory().RedoCount(), 1);
    store.InsertData(0, &b, 1, 1, 0);
    EXPECT_EQ(store.UndoHistory().RedoCount(), 0);
    EXPECT_FALSE(store.CanRedo());
    EXPECT_EQ(store.UndoHistory().StoreLength(), 30u);
}

TEST(CUndoManager, LinkedChangesAreOneStep) {
    CDataStore store;
    const unsigned char text[] = {'x', 'y', 'z'};
    store.InsertData(0, text, 3, 1, 0); // its own step
    const unsigned char one = '1', two[2] = {'2', '2'};
    store.WriteData(0, &one, 1, 1, 0);
    store.DeleteData(1, 1, 1, 1);
    store.InsertData(1, two, 2, 1, 1);
    auto contents = [&store] {
        std::vector<unsigned char> bytes(store.GetDataSize());
        store.ReadData(0, bytes.data(), bytes.size());
        return std::string(bytes.begin(), bytes.end());
    };
    ASSERT_EQ(contents(), "122z");
    uint64_t at = 0;
    ASSERT_TRUE(store.Undo(at));
    EXPECT_EQ(contents(), "xyz");
    EXPECT_EQ(at, 0u) << "the cursor goes where the step began";
    EXPECT_EQ(store.UndoHistory().UndoCount(), 1);
    ASSERT_TRUE(store.Redo(at));
    EXPECT_EQ(contents(), "122z");
    EXPECT_EQ(at, 1u);
    EXPECT_EQ(store.UndoHistory().RedoCount(), 0);
    ASSERT_TRUE(store.Undo(at));
    ASSERT_TRUE(store.Undo(at));
    EXPECT_EQ(contents(), "");
    EXPECT_FALSE(store.Undo(at));
}

TEST(CUndoManager, ReplayingIsNotRecordedButMarksTheDataModified) {
    CDataStore store;
    unsigned char byte = 5;
    store.InsertData(0, &byte, 1, 1, 0);
    store.SetModified(0);
    uint64_t length = store.UndoHistory().StoreLength();
    uint64_t at = 0;
    store.Undo(at);
    EXPECT_EQ(store.UndoHistory().StoreLength(), length);
    EXPECT_TRUE(store.IsModified());
}

TEST(CUndoManager, UndoPaneValues) {
    CDataStore store;
    store.SetUndoLimit(100);
    std::vector<unsigned char> bytes(60, 1);
    store.InsertData(0, bytes.data(), 30, 1, 0); // 59 bytes: 59 %
    EXPECT_DOUBLE_EQ(store.UndoUsagePercent(), 59.0);
    EXPECT_FALSE(store.UndoPaneRed());
    store.InsertData(0, bytes.data(), 30, 1, 0);
    EXPECT_TRUE(store.UndoPaneRed());
    store.NewBuffer();
    EXPECT_FALSE(store.UndoPaneRed());
    EXPECT_DOUBLE_EQ(store.UndoUsagePercent(), 0.0);
}

} // namespace

namespace {

std::string Contents(const CDataStore& store) {
    std::vector<unsigned char> bytes(store.GetDataSize());
    store.ReadData(0, bytes.data(), bytes.size());
    return std::string(bytes.begin(), bytes.end());
}

// A linked step that follows several single steps is still undone and redone as one step.
TEST(CUndoManager, LinkedStepAfterSingleStepsStaysOneStep) {
    CDataStore store;
    const unsigned char text[] = {'a', 'b', 'c', 'd', 'e', 'f'};
    store.InsertData(0, text, 6, 1, 0);
    const unsigned char x = 'x', y = 'y', z = 'z';
    store.WriteData(0, &x, 1, 1, 0);
    store.WriteData(1, &x, 1, 1, 0);
    store.WriteData(2, &y, 1, 1, 0); // one step of three records
    store.WriteData(3, &y, 1, 1, 1);
    store.WriteData(4, &y, 1, 1, 1);
    store.WriteData(5, &z, 1, 1, 0);
    ASSERT_EQ(Contents(store), "xxyyyz");
    uint64_t at = 0;
    ASSERT_TRUE(store.Undo(at));
    EXPECT_EQ(Contents(store), "xxyyyf");
    ASSERT_TRUE(store.Undo(at));
    EXPECT_EQ(Contents(store), "xxcdef");
    ASSERT_TRUE(store.Undo(at));
    EXPECT_EQ(Contents(store), "xbcdef");
    ASSERT_TRUE(store.Redo(at));
    ASSERT_TRUE(store.Redo(at));
    EXPECT_EQ(Contents(store), "xxyyyf");
    ASSERT_TRUE(store.Redo(at));
    EXPECT_EQ(Contents(store), "xxyyyz");
    EXPECT_FALSE(store.Redo(at));
}

// Random steps of one to four linked changes, undone and redone at random, always match the snapshots taken
// after each step.
TEST(CUndoManager, RandomLinkedStepsMatchSnapshots) {
    CDataStore store;
    std::vector<std::string> snapshots{Contents(store)};
    size_t position = 0; // index into snapshots
    unsigned seed = 12345;
    auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    for (int round = 0; round < 400; ++round) {
        const unsigned action = next(10);
        uint64_t at = 0;
        if (action < 2 && position > 0) {
            ASSERT_TRUE(store.Undo(at));
            --position;
        } else if (action < 3 && position + 1 < snapshots.size()) {
            ASSERT_TRUE(store.Redo(at));
            ++position;
        } else {
            const unsigned records = 1 + next(4);
            for (unsigned r = 0; r < records; ++r) {
                const uint64_t size = store.GetDataSize();
                const unsigned char byte = static_cast<unsigned char>('a' + next(26));
                const int link = r == 0 ? 0 : 1;
                switch (next(3)) {
                case 0:
                    store.InsertData(size ? next(static_cast<unsigned>(size + 1)) : 0, &byte, 1, 1, link);
                    break;
                case 1:
                    if (size) {
                        store.WriteData(next(static_cast<unsigned>(size)), &byte, 1, 1, link);
                    } else {
                        store.InsertData(0, &byte, 1, 1, link);
                    }
                    break;
                default:
                    if (size) {
                        store.DeleteData(next(static_cast<unsigned>(size)), 1, 1, link);
                    } else {
                        store.InsertData(0, &byte, 1, 1, link);
                    }
                    break;
                }
            }
            snapshots.resize(position + 1);
            snapshots.push_back(Contents(store));
            ++position;
        }
        ASSERT_EQ(Contents(store), snapshots[position]) << "round " << round;
    }
}

} // namespace

#include "data/CReplaceAllRunner.h"

#include <atomic>

namespace {

std::vector<unsigned char> Bytes(const CDataStore& store) {
    std::vector<unsigned char> bytes(store.GetDataSize());
    store.ReadData(0, bytes.data(), bytes.size());
    return bytes;
}

UndoChange InsertOf(uint64_t offset, const unsigned char* bytes, uint64_t count) {
    UndoChange change;
    change.kind = UndoChange::Insert;
    change.offset = offset;
    change.first = bytes;
    change.count = count;
    return change;
}

// With the default 1 MB of undo memory, a Replace All of 100 000 bytes (3.1 MB of records) stays one whole
// step: the older steps go first, the running step alone may exceed the limit, and one Undo restores all.
TEST(CUndoManager, AReplaceAllLargerThanTheLimitIsUndoneWhole) {
    CDataStore store;
    ASSERT_EQ(store.UndoHistory().Limit(), 1000000u);
    const std::vector<unsigned char> zeros(100000, 0x00);
    ASSERT_EQ(store.InsertData(0, zeros.data(), zeros.size(), 0, 0), 1);
    const unsigned char zero = 0;
    for (uint64_t offset : {10u, 20u, 30u}) {
        store.WriteData(offset, &zero, 1, 1, 0); // older steps of one record each
    }
    ReplaceAllRequest request;
    request.pattern.bytes[0] = 0x00;
    request.pattern.length = 1;
    request.replacement.bytes[0] = 0x01;
    request.replacement.length = 1;
    request.rangeEnd = zeros.size();
    std::atomic<bool> stop{false};
    ASSERT_EQ(CReplaceAllRunner::Run(store, request, stop, nullptr).count, zeros.size());
    EXPECT_EQ(Bytes(store), std::vector<unsigned char>(zeros.size(), 0x01));
    EXPECT_EQ(store.UndoHistory().RecordCount(), 100000) << "the older steps were dropped, the step kept";
    EXPECT_GT(store.UndoHistory().StoreLength(), store.UndoHistory().Limit());
    EXPECT_TRUE(store.UndoPaneRed()) << "older steps were discarded";
    EXPECT_FALSE(store.TakeUndoStepDropped());

    uint64_t at = 0;
    ASSERT_TRUE(store.Undo(at));
    EXPECT_EQ(Bytes(store), zeros) << "one Undo gives back every replaced byte";
    EXPECT_FALSE(store.CanUndo());
    ASSERT_TRUE(store.Redo(at));
    EXPECT_EQ(Bytes(store), std::vector<unsigned char>(zeros.size(), 0x01));
    EXPECT_FALSE(store.CanRedo());
}

// Trimming drops the oldest tenth rounded up to the end of the step it reaches into, never part of a step.
TEST(CUndoManager, TrimmingDropsWholeSteps) {
    CUndoManager undo;
    undo.SetUndoLimit(1000);
    std::vector<unsigned char> one = {0};
    for (int i = 0; i < 10; ++i) {
        undo.AddUndoRecord(Overwrite(static_cast<uint64_t>(i), one, one), i == 0 ? 0 : 1); // one step
    }
    for (int i = 0; i < 22; ++i) {
        undo.AddUndoRecord(Overwrite(static_cast<uint64_t>(100 + i), one, one), 0);
    }
    ASSERT_EQ(undo.StoreLength(), 992u);
    ASSERT_EQ(undo.Trimmed(), 0);
    undo.AddUndoRecord(Overwrite(200, one, one), 0); // 1023 bytes: a tenth is 3 records, inside the step
    EXPECT_EQ(undo.RecordCount(), 23) << "the whole first step went, not three of its records";
    EXPECT_EQ(undo.StoreLength(), 713u);
    EXPECT_EQ(undo.Trimmed(), 1);
    UndoChange taken;
    int linked = 0;
    int records = 0;
    while (undo.TakeUndoRecord(taken, linked, 1)) {
        EXPECT_EQ(linked, 0) << "every record left is a step of its own";
        ++records;
    }
    EXPECT_EQ(records, 23);
    EXPECT_EQ(taken.offset, 100u);
}

// A record that cannot be stored at all takes its whole step with it, the rest of that step is not
// recorded, the history is marked and the loss is reported once; the next step is recorded again.
TEST(CUndoManager, AStepWhoseRecordCannotBeStoredIsDroppedWhole) {
    CUndoManager undo;
    std::vector<unsigned char> one = {7};
    ASSERT_EQ(undo.AddUndoRecord(Overwrite(1, one, one), 0), 1); // an older step
    ASSERT_EQ(undo.AddUndoRecord(Overwrite(2, one, one), 0), 1); // the step that will be lost
    ASSERT_EQ(undo.AddUndoRecord(Overwrite(3, one, one), 1), 1);
    // No block of a petabyte can be had: the store cannot grow for this record.
    const uint64_t huge = uint64_t(1) << 50;
    EXPECT_EQ(undo.AddUndoRecord(InsertOf(4, one.data(), huge), 1), 0);
    EXPECT_EQ(undo.RecordCount(), 1) << "the lost step is gone whole, the older one stays";
    EXPECT_EQ(undo.StoreLength(), 31u);
    EXPECT_EQ(undo.Trimmed(), 1);
    EXPECT_TRUE(undo.TakeStepDropped());
    EXPECT_FALSE(undo.TakeStepDropped()) << "reported once";
    EXPECT_EQ(undo.AddUndoRecord(Overwrite(5, one, one), 1), 0) << "the rest of the lost step is not kept";
    EXPECT_EQ(undo.RecordCount(), 1);

    ASSERT_EQ(undo.AddUndoRecord(Overwrite(6, one, one), 0), 1) << "a new step is recorded again";
    ASSERT_EQ(undo.AddUndoRecord(Overwrite(7, one, one), 1), 1);
    UndoChange taken;
    int linked = 0;
    ASSERT_EQ(undo.TakeUndoRecord(taken, linked, 1), 1);
    EXPECT_EQ(taken.offset, 7u);
    EXPECT_EQ(linked, 1);
    ASSERT_EQ(undo.TakeUndoRecord(taken, linked, 1), 1);
    EXPECT_EQ(taken.offset, 6u);
    EXPECT_EQ(linked, 0);
    ASSERT_EQ(undo.TakeUndoRecord(taken, linked, 1), 1);
    EXPECT_EQ(taken.offset, 1u);
    EXPECT_EQ(undo.TakeUndoRecord(taken, linked, 1), 0);

    // A step that starts with a record that cannot be stored is lost the same way.
    EXPECT_EQ(undo.AddUndoRecord(InsertOf(8, one.data(), huge), 0), 0);
    EXPECT_TRUE(undo.TakeStepDropped());
    EXPECT_EQ(undo.AddUndoRecord(Overwrite(9, one, one), 1), 0);
}

} // namespace
