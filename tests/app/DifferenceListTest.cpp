#include "view/CDifferenceList.h"

#include <gtest/gtest.h>

namespace {

TEST(DifferenceListTest, KeepsTheOrderFoundAndASortedCopy) {
    CDifferenceList list;
    for (uint64_t at : {12, 7, 7, 30}) {
        EXPECT_TRUE(list.Add(at));
    }
    EXPECT_FALSE(list.Add(0x100000000ull)) << "offsets are 32-bit";
    EXPECT_EQ(list.Offsets(), (std::vector<uint32_t>{12, 7, 7, 30}));
    EXPECT_EQ(list.Sorted(), (std::vector<uint32_t>{7, 7, 12, 30}));
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_TRUE(list.Sorted().empty());
}

TEST(DifferenceListTest, NextAfterTakesTheFirstInTheOrderFound) {
    CDifferenceList list;
    for (uint64_t at : {12, 7, 30}) {
        list.Add(at);
    }
    struct Case {
        uint64_t cursor;
        bool found;
        uint64_t next;
    };
    const Case cases[] = {{0, true, 12}, {4, true, 12}, {12, true, 30}, {29, true, 30}, {30, false, 0}};
    for (const Case& c : cases) {
        uint64_t next = 99;
        EXPECT_EQ(list.NextAfter(c.cursor, next), c.found) << c.cursor;
        if (c.found) {
            EXPECT_EQ(next, c.next) << c.cursor;
        }
    }
}

} // namespace
