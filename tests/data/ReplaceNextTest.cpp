#include "SearchTestSupport.h"
#include "data/CDataStore.h"
#include "data/DataSearch.h"

#include <gtest/gtest.h>

using namespace search_test;

namespace {

// A store holding data after one earlier, separate edit (so that linking into it would show).
void LoadAfterAnEdit(CDataStore& store, const Bytes& data) {
    Bytes before = data;
    before[0] ^= 0xFF;
    Load(store, before);
    ASSERT_EQ(store.WriteData(0, data.data(), 1, 1, 0), 1u);
    ASSERT_EQ(store.UndoHistory().UndoCount(), 1);
}

struct OccurrenceCase {
    SearchPattern replacement;
    Bytes expected;
};

TEST(ReplaceNext, EachReplacementIsOneUndoStepOfItsOwn) {
    const Bytes original{0xAA, 0xBB, 0xCC, 0xDD, 0xEE};
    const OccurrenceCase cases[] = {
        {Pattern({0x11, 0x22}), {0xAA, 0x11, 0x22, 0xDD, 0xEE}},
        {Pattern({0x11}), {0xAA, 0x11, 0xDD, 0xEE}},
        {Pattern({}), {0xAA, 0xDD, 0xEE}},
        {Pattern({0x11, 0x22, 0x33}), {0xAA, 0x11, 0x22, 0x33, 0xDD, 0xEE}},
    };
    for (const OccurrenceCase& c : cases) {
        CDataStore store;
        LoadAfterAnEdit(store, original);
        ReplaceOutcome outcome = ReplaceAt(store, 0, Pattern({0xBB, 0xCC}), c.replacement, 1, 0);
        ASSERT_TRUE(outcome.found);
        EXPECT_EQ(outcome.offset, 1u);
        EXPECT_EQ(outcome.lengthInData, c.replacement.length);
        EXPECT_EQ(Contents(store), c.expected) << "replacement of " << c.replacement.length;
        uint64_t lastOffset = 0;
        ASSERT_TRUE(store.Undo(lastOffset));
        EXPECT_EQ(Contents(store), original) << "one Undo restores, replacement of " << c.replacement.length;
        EXPECT_EQ(store.UndoHistory().UndoCount(), 1) << "the earlier edit stays its own step";
    }
}

TEST(ReplaceNext, AnEmptyReplaceTextDeletesTheOccurrence) {
    CDataStore store;
    Load(store, Bytes{1, 2, 3, 4, 2, 3});
    ReplaceOutcome outcome = ReplaceNext(store, 2, Pattern({2, 3}), Pattern({}), 1);
    ASSERT_TRUE(outcome.found);
    EXPECT_EQ(outcome.offset, 4u);
    EXPECT_EQ(Contents(store), (Bytes{1, 2, 3, 4}));
    uint64_t lastOffset = 0;
    ASSERT_TRUE(store.Undo(lastOffset));
    EXPECT_EQ(Contents(store), (Bytes{1, 2, 3, 4, 2, 3}));
    EXPECT_FALSE(store.CanUndo());
}

struct StepCase {
    int direction;
    Bytes start;
    uint64_t cursor;
    SearchPattern pattern;
    SearchPattern replacement;
    std::vector<uint64_t> offsets; // of the successive replacements; the next press finds nothing
    Bytes end;
};

TEST(ReplaceNext, RepeatedPressesPassOverTheReplacementUnderTheCursor) {
    const StepCase cases[] = {
        {1, {0, 0, 0}, 0, Pattern({0}), Pattern({0, 0xFF}), {0, 2, 4}, {0, 0xFF, 0, 0xFF, 0, 0xFF}},
        {-1, {0, 0, 0}, 2, Pattern({0}), Pattern({0x11}), {2, 1, 0}, {0x11, 0x11, 0x11}},
        // Replacing a value by itself still ends instead of finding the same occurrence forever.
        {1, {5, 0, 5, 0}, 0, Pattern({0}), Pattern({0}), {1, 3}, {5, 0, 5, 0}},
    };
    for (const StepCase& c : cases) {
        CDataStore store;
        Load(store, c.start);
        uint64_t cursor = c.cursor;
        for (uint64_t expected : c.offsets) {
            ReplaceOutcome outcome = ReplaceNext(store, cursor, c.pattern, c.replacement, c.direction);
            ASSERT_TRUE(outcome.found) << "direction " << c.direction << " expected " << expected;
            EXPECT_EQ(outcome.offset, expected);
            cursor = outcome.offset;
        }
        EXPECT_FALSE(ReplaceNext(store, cursor, c.pattern, c.replacement, c.direction).found);
        EXPECT_EQ(Contents(store), c.end) << "direction " << c.direction;
    }
}

TEST(ReplaceNext, ALibraryTakesOnlyTheOverwrite) {
    CDataStore store;
    AttachLibrary(store, Bytes{7, 1, 2, 7, 7, 7, 7, 7});
    ReplaceOutcome outcome = ReplaceAt(store, 0, Pattern({1, 2}), Pattern({9}), 1, 0);
    ASSERT_TRUE(outcome.found);
    EXPECT_EQ(outcome.lengthInData, 2u) << "the size cannot change";
    outcome = ReplaceAt(store, 0, Pattern({7, 7}), Pattern({3, 4, 5}), 1, 0);
    ASSERT_TRUE(outcome.found);
    Bytes expected{7, 9, 2, 3, 4, 7, 7, 7};
    EXPECT_EQ(Contents(store), expected);
}

} // namespace
