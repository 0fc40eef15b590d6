// Faults found in the containers while building the interpreter on them.
#include "engine/CAlmightyArray.h"
#include "engine/CSmartArray.h"
#include "engine/CSmartArray2D.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace {

TEST(CSmartArrayFault, NegativeIndexTouchesNothing) {
    CSmartArray<long long> a;
    a.SetAtGrow(0, 5);
    a.SetAtGrow(-1, 9);
    EXPECT_EQ(a.GetAt(-1), 0);
    EXPECT_EQ(a.GetAt(0), 5);
    EXPECT_EQ(a.GetCount(), 1);
    CSmartArray2D<long long> table;
    EXPECT_EQ(table.GetRow(-3), nullptr);
    EXPECT_EQ(table.GetRowCount(), 0);
}

TEST(CAlmightyArrayFault, CopyFromRefusesAnotherElementSize) {
    CAlmightyArray small(2);
    uint16_t v = 7;
    small.Add(&v);
    CAlmightyArray wide(8);
    uint64_t w = 1;
    wide.Add(&w);
    wide.RemoveAll();
    wide.SetElementSize(8);
    EXPECT_EQ(wide.CopyFrom(small), 0);
    EXPECT_EQ(wide.GetCount(), 0);
    CAlmightyArray same(2);
    EXPECT_EQ(same.CopyFrom(small), 1);
    EXPECT_EQ(same.GetCount(), 1);
}

} // namespace
