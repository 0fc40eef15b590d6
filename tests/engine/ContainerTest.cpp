#include "engine/CAlmightyArray.h"
#include "engine/CSmartArray.h"
#include "engine/CSmartArray2D.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(CAlmightyArray, GrowsByHundredAndKeepsTheContents) {
    CAlmightyArray a(8);
    for (int64_t i = 0; i < 100; ++i) {
        ASSERT_EQ(a.Add(&i), 1);
    }
    EXPECT_EQ(a.GetCapacity(), 100);
    const uint8_t* before = a.GetData();
    int64_t more = 100;
    ASSERT_EQ(a.Add(&more), 1);
    EXPECT_EQ(a.GetCapacity(), 200);
    EXPECT_NE(a.GetData(), before);
    for (int64_t i = 0; i <= 100; ++i) {
        int64_t v = -1;
        ASSERT_EQ(a.GetAt(static_cast<int32_t>(i), &v), 1);
        EXPECT_EQ(v, i);
    }
}

TEST(CAlmightyArray, GetAtBeyondCountFailsWithZeros) {
    CAlmightyArray a(4);
    uint32_t v = 7;
    a.Add(&v);
    uint32_t out = 0xFFFFFFFF;
    EXPECT_EQ(a.GetAt(1, &out), 0);
    EXPECT_EQ(out, 0u);
    EXPECT_EQ(a.GetAt(-1, &out), 0);
}

TEST(CAlmightyArray, SetAtWorksUpToCapacityWithoutChangingCount) {
    CAlmightyArray a(4);
    uint32_t v = 1;
    a.Add(&v);
    uint32_t w = 9;
    EXPECT_EQ(a.SetAt(50, &w), 1);
    EXPECT_EQ(a.GetCount(), 1);
    EXPECT_EQ(a.SetAt(100, &w), 0);
}

TEST(CAlmightyArray, RemoveAllForgetsTheElementSize) {
    CAlmightyArray a(4);
    uint32_t v = 1;
    a.Add(&v);
    a.RemoveAll();
    EXPECT_EQ(a.GetCount(), 0);
    EXPECT_EQ(a.Add(&v), 0);
    EXPECT_EQ(a.SetElementSize(4), 1);
    EXPECT_EQ(a.SetElementSize(8), 0);
    EXPECT_EQ(a.Add(&v), 1);
}

TEST(CAlmightyArray, RemoveAtMovesLaterElementsDown) {
    CAlmightyArray a(4);
    for (uint32_t v : {10u, 20u, 30u}) {
        a.Add(&v);
    }
    EXPECT_EQ(a.RemoveAt(0), 1);
    EXPECT_EQ(a.RemoveAt(5), 0);
    uint32_t out = 0;
    a.GetAt(0, &out);
    EXPECT_EQ(out, 20u);
    a.GetAt(1, &out);
    EXPECT_EQ(out, 30u);
    EXPECT_EQ(a.GetCount(), 2);
}

TEST(CAlmightyArray, CopyFromTakesSizeGrowthAndElements) {
    CAlmightyArray source(2);
    source.SetGrowBy(7);
    for (uint16_t v : {1, 2, 3}) {
        source.Add(&v);
    }
    CAlmightyArray copy;
    EXPECT_EQ(copy.CopyFrom(source), 1);
    EXPECT_EQ(copy.GetElementSize(), 2);
    EXPECT_EQ(copy.GetGrowBy(), 7);
    EXPECT_EQ(copy.GetCount(), 3);
    EXPECT_EQ(copy.GetCapacity(), 3);
    uint16_t out = 0;
    copy.GetAt(2, &out);
    EXPECT_EQ(out, 3);
    EXPECT_EQ(copy.CopyFrom(copy), 0);
}

TEST(CSmartArray, WritingFarAwayGrowsAndZeroFills) {
    CSmartArray<long long> a;
    a.SetAtGrow(5000, 42);
    EXPECT_EQ(a.GetCapacity(), 5001);
    EXPECT_EQ(a.GetCount(), 5001);
    for (int i = 0; i < 5000; ++i) {
        ASSERT_EQ(a.GetAt(i), 0);
    }
    EXPECT_EQ(a.GetAt(5000), 42);
    // Reading beyond the count grows as well and yields 0.
    EXPECT_EQ(a.GetAt(6000), 0);
    EXPECT_EQ(a.GetCount(), 6001);
}

TEST(CSmartArray, SmallWritesGrowByAtLeastTheStep) {
    CSmartArray<void*> a;
    a.SetAtGrow(0, nullptr);
    EXPECT_EQ(a.GetCapacity(), 1024);
    EXPECT_EQ(a.GetCount(), 1);
}

TEST(CSmartArray2D, RowsAreCreatedOnDemandAndIndependent) {
    CSmartArray2D<long long> table;
    table.GetRow(3)->SetAtGrow(2, 9);
    EXPECT_EQ(table.GetRowCount(), 4);
    EXPECT_EQ(table.GetRow(3)->GetAt(2), 9);
    EXPECT_EQ(table.GetRow(0)->GetCount(), 0);
    EXPECT_EQ(table.GetRow(3), table.GetRow(3));
}

} // namespace
