#include "data/CDataStore.h"
#include "data/CEditCommands.h"
#include "data/CNavigator.h"
#include "data/CRowLayout.h"
#include "data/ValueParse.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class NavigatorTest : public ::testing::Test {
protected:
    void FillZeros(uint64_t size) {
        std::vector<unsigned char> zeros(size, 0);
        ASSERT_EQ(store.InsertData(0, zeros.data(), size, 0, 0), 1);
    }
    void Put(uint64_t offset, std::vector<unsigned char> bytes) {
        ASSERT_EQ(store.WriteData(offset, bytes.data(), bytes.size(), 0, 0), bytes.size());
    }
    void SetCursor(uint64_t offset) {
        store.Pane(store.CurrentPane()) = PaneSelection{offset, offset, offset};
    }
    void SetMarks(std::vector<uint32_t> marks) {
        store.ClearMarks();
        for (uint32_t mark : marks) {
            store.AddMark(mark);
        }
    }

    CDataStore store;
    CRowLayout layout{kSize1Byte, kTypeHex, 20};
    CNavigator navigator{store, layout};
};

TEST_F(NavigatorTest, JumpFieldsInBothRadixes) {
    struct Case {
        int decimalAddress;
        std::string address;
        std::string offset;
        int result;
        uint64_t target;
    };
    const Case cases[] = {
        {0, "100", "20", kParseOk, 0x120},
        {1, "100", "20", kParseOk, 120},
        {0, "FFFFFFFFFFFFFFFF", "0000", kParseOk, 0xFFFFFFFFFFFFFFFF},
        {0, "1G", "0", kParseIllegalCharacter, 0},
        {0, "12345678901234567", "0", kParseTooManyCharacters, 0},
        {1, "-5", "0", kParseIllegalCharacter, 0},
        {1, "0x10", "0", kParseIllegalCharacter, 0},
    };
    for (const Case& c : cases) {
        uint64_t address = 0;
        uint64_t offset = 0;
        int result = CNavigator::ParseJumpField(c.address, c.decimalAddress, address);
        if (result == kParseOk) {
            result = CNavigator::ParseJumpField(c.offset, c.decimalAddress, offset);
        }
        EXPECT_EQ(result, c.result) << c.address;
        if (result == kParseOk) {
            EXPECT_EQ(address + offset, c.target) << c.address;
        }
    }
}

TEST_F(NavigatorTest, JumpTargetsBeyondTheEndLandOnTheLastByte) {
    const uint64_t targets[][2] = {
        {0x10, 0x10}, {0x1FE, 0x1FE}, {0x1FF, 0x1FF}, {0x200, 0x1FF}, {~0ull, 0x1FF}};
    for (const auto& t : targets) {
        EXPECT_EQ(CNavigator::ClampJumpTarget(t[0], 0x200), t[1]) << t[0];
    }
    EXPECT_EQ(CNavigator::ClampJumpTarget(5, 0), 0u);
}

TEST_F(NavigatorTest, AddressDigitsAndTexts) {
    EXPECT_EQ(CNavigator::AddressDigits(0x1000, 0), 4);
    EXPECT_EQ(CNavigator::AddressDigits(0xFFF, 0), 3);
    EXPECT_EQ(CNavigator::AddressDigits(4096, 1), 4);
    EXPECT_EQ(CNavigator::AddressDigits(0, 0), 1);
    EXPECT_EQ(CNavigator::InitialAddressText(0x1A, 0x1000, 0), "000000000000001A");
    EXPECT_EQ(CNavigator::InitialOffsetText(0), "0000");
    EXPECT_EQ(CNavigator::InitialAddressText(26, 1000, 1), "  26");
    EXPECT_EQ(CNavigator::InitialOffsetText(1), "0");
}

TEST_F(NavigatorTest, JumpTopAndEndNeedData) {
    uint64_t target = 7;
    EXPECT_FALSE(navigator.JumpTopTarget(target));
    EXPECT_FALSE(navigator.JumpEndTarget(target));
    FillZeros(10);
    ASSERT_TRUE(navigator.JumpTopTarget(target));
    EXPECT_EQ(target, 0u);
    ASSERT_TRUE(navigator.JumpEndTarget(target));
    EXPECT_EQ(target, 9u);
}

TEST_F(NavigatorTest, OffsetJumps) {
    struct Case {
        const char* name;
        uint64_t size;
        uint64_t cursor;
        std::vector<unsigned char> bytes;
        int width;
        bool relative;
        int littleEndian;
        bool success;
        uint64_t target;
    };
    const Case cases[] = {
        {"2byte Abs little-endian", 0x300, 0, {0x10, 0x00}, 2, false, 1, true, 0x10},
        {"2byte Abs big-endian beyond the data", 0x300, 0, {0x10, 0x00}, 2, false, 0, false, 0},
        {"2byte Abs big-endian", 0x2000, 0, {0x10, 0x00}, 2, false, 0, true, 0x1000},
        {"1byte Relative FF", 0x300, 0x100, {0xFF}, 1, true, 1, true, 0x1FF},
        {"1byte Relative FF just past the end", 0x1FF, 0x100, {0xFF}, 1, true, 1, false, 0},
        {"1byte Relative 0 stays", 0x300, 0x100, {0x00}, 1, true, 1, true, 0x100},
        {"4byte Abs 3 bytes before the end", 0x300, 0x2FD, {0x01, 0x00, 0x00}, 4, false, 1, false, 0},
        {"4byte Abs little-endian", 0x300, 0x10, {0xFF, 0x02, 0x00, 0x00}, 4, false, 1, true, 0x2FF},
        {"4byte Abs big-endian", 0x300, 0x10, {0x00, 0x00, 0x02, 0xFF}, 4, false, 0, true, 0x2FF},
        {"4byte Abs at the data size", 0x300, 0x10, {0x00, 0x03, 0x00, 0x00}, 4, false, 1, false, 0},
        {"4byte Relative", 0x300, 0x10, {0x00, 0x01, 0x00, 0x00}, 4, true, 1, true, 0x110},
        {"cursor at the end", 0x300, 0x300, {}, 1, false, 1, false, 0},
    };
    for (const Case& c : cases) {
        CDataStore fresh;
        CNavigator jumps(fresh, layout);
        std::vector<unsigned char> zeros(c.size, 0);
        ASSERT_EQ(fresh.InsertData(0, zeros.data(), zeros.size(), 0, 0), 1);
        if (!c.bytes.empty()) {
            fresh.WriteData(c.cursor, c.bytes.data(), c.bytes.size(), 0, 0);
        }
        fresh.Pane(0) = PaneSelection{c.cursor, c.cursor, c.cursor};
        uint64_t target = 12345;
        EXPECT_EQ(jumps.OffsetJump(c.width, c.relative, c.littleEndian, target), c.success) << c.name;
        EXPECT_EQ(target, c.success ? c.target : 12345u) << c.name;
    }
}

TEST_F(NavigatorTest, ToggleMarkCoversTheCursorUnit) {
    FillZeros(64);
    SetCursor(8);
    ASSERT_TRUE(navigator.ToggleMark());
    EXPECT_EQ(store.Marks(), std::vector<uint32_t>{8});
    ASSERT_TRUE(navigator.ToggleMark());
    EXPECT_TRUE(store.Marks().empty());

    layout.Set(kSize4Bytes, kTypeHex, 20);
    SetMarks({9, 10, 12});
    ASSERT_TRUE(navigator.ToggleMark());
    EXPECT_EQ(store.Marks(), std::vector<uint32_t>{12});
    ASSERT_TRUE(navigator.ToggleMark());
    EXPECT_EQ(store.Marks(), (std::vector<uint32_t>{8, 12}));
}

TEST_F(NavigatorTest, NextAndPrevMarkStepOverTheCursorUnit) {
    struct Case {
        int sizeIndex;
        uint64_t cursor;
        bool nextFound;
        uint64_t next;
        bool prevFound;
        uint64_t prev;
    };
    const Case cases[] = {
        {kSize1Byte, 20, true, 30, true, 10},
        {kSize8Bytes, 16, true, 30, true, 10}, // 20 lies inside the unit 16..23
        {kSize1Byte, 30, false, 0, true, 20},  // no wrap-around past the last mark
        {kSize1Byte, 10, true, 20, false, 0},
        {kSize1Byte, 5, true, 10, false, 0},
    };
    FillZeros(40);
    SetMarks({10, 20, 30, 50}); // 50 lies beyond the data and is never visited
    for (const Case& c : cases) {
        layout.Set(c.sizeIndex, kTypeHex, 20);
        SetCursor(c.cursor);
        uint64_t next = 999;
        uint64_t prev = 999;
        EXPECT_EQ(navigator.NextMark(next), c.nextFound) << c.cursor;
        EXPECT_EQ(navigator.PrevMark(prev), c.prevFound) << c.cursor;
        EXPECT_EQ(next, c.nextFound ? c.next : 999u) << c.cursor;
        EXPECT_EQ(prev, c.prevFound ? c.prev : 999u) << c.cursor;
    }
    SetCursor(60);
    uint64_t prev = 0;
    EXPECT_FALSE(navigator.NextMark(prev));
    ASSERT_TRUE(navigator.RemoveAllMarks());
    EXPECT_TRUE(store.Marks().empty());
    EXPECT_FALSE(navigator.RemoveAllMarks());
}

TEST_F(NavigatorTest, MarksFollowPasteAndDeleteUnlessDynamicMarkIsOff) {
    struct Case {
        int optionFlags;
        std::vector<uint32_t> afterPaste;
        std::vector<uint32_t> afterDelete;
    };
    const Case cases[] = {
        {0, {10, 24, 34}, {10, 25}},
        {CDataStore::kOptionDynamicMarkOff, {10, 20, 30}, {10, 20, 30}},
    };
    for (const Case& c : cases) {
        CDataStore fresh;
        CEditCommands edit(fresh, layout);
        std::vector<unsigned char> zeros(64, 0);
        ASSERT_EQ(fresh.InsertData(0, zeros.data(), zeros.size(), 0, 0), 1);
        fresh.SetOptionFlags(c.optionFlags);
        for (uint32_t mark : {10u, 20u, 30u}) {
            fresh.AddMark(mark);
        }
        fresh.Pane(0) = PaneSelection{20, 20, 20};
        const unsigned char four[] = {1, 2, 3, 4};
        edit.PasteBytes(four, 4);
        EXPECT_EQ(fresh.Marks(), c.afterPaste) << c.optionFlags;
        uint64_t undone = 0;
        fresh.Undo(undone);
        fresh.ClearMarks();
        for (uint32_t mark : {10u, 20u, 30u}) {
            fresh.AddMark(mark);
        }
        fresh.Pane(0) = PaneSelection{23, 18, 23};
        edit.DeleteSelectionOrUnit();
        EXPECT_EQ(fresh.Marks(), c.afterDelete) << c.optionFlags;
    }
}

} // namespace
