#include "FakeCompareHost.h"

#include "compare/CCompareRequestHandler.h"
#include "platform/CCompareBlock.h"
#include "platform/InstanceMessages.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

using namespace InstanceMessages;

std::string TestBlockName(const char* tag) {
    return "/KIVRAN_COMPARE-request-test-" + std::to_string(::getpid()) + "-" + tag;
}

TEST(CompareRequestTest, EachCodeGetsItsAnswer) {
    FakeCompareHost host({1, 2, 3, 4, 5}, 3);
    host.differences = {7};
    const std::string none = TestBlockName("none");

    EXPECT_EQ(CCompareRequestHandler::Answer(host, kDataSize, 0, none), 5);
    EXPECT_EQ(CCompareRequestHandler::Answer(host, kIdentify, 0, none), -1446627105);
    EXPECT_EQ(CCompareRequestHandler::Answer(host, kIdentify, 0, none), static_cast<int32_t>(0xA9C638DF));
    EXPECT_EQ(CCompareRequestHandler::Answer(host, kCursor, 0, none), 3);

    EXPECT_EQ(CCompareRequestHandler::Answer(host, kMoveCursor, 1, none), 1);
    EXPECT_EQ(host.cursor, 1u);
    EXPECT_EQ(CCompareRequestHandler::Answer(host, kCursor, 0, none), 1);

    EXPECT_EQ(CCompareRequestHandler::Answer(host, kClearDifferences, 0, none), 1);
    EXPECT_TRUE(host.differences.empty());
    EXPECT_EQ(CCompareRequestHandler::Answer(host, kAddDifference, 4, none), 1);
    EXPECT_EQ(CCompareRequestHandler::Answer(host, kAddDifference, 2, none), 1);
    EXPECT_EQ(host.differences, (std::vector<uint64_t>{4, 2}));

    // No block of that name: the copy fails.
    EXPECT_EQ(CCompareRequestHandler::Answer(host, kCopyData, 0, none), 0);

    for (int64_t unknown : {7, 8, -1, 1000}) {
        EXPECT_EQ(CCompareRequestHandler::Answer(host, unknown, 5, none), 0) << unknown;
    }
    // Nothing else changed on the way.
    EXPECT_EQ(host.cursor, 1u);
    EXPECT_EQ(host.differences.size(), 2u);
}

TEST(CompareRequestTest, CopyDataFillsABlockOfExactlyTheDataSize) {
    FakeCompareHost host({0x10, 0x20, 0x30, 0x40});
    const std::string name = TestBlockName("exact");
    CCompareBlock block(name);
    ASSERT_TRUE(block.Create(4));
    EXPECT_EQ(CCompareRequestHandler::Answer(host, kCopyData, 0, name), 1);
    ASSERT_TRUE(block.IsOpen());
    EXPECT_EQ(std::vector<unsigned char>(block.Bytes(), block.Bytes() + 4), host.data);
}

TEST(CompareRequestTest, CopyDataRefusesABlockOfAnotherSize) {
    const std::string name = TestBlockName("size");
    // Smaller than the data: writing all of it would run past the block.
    FakeCompareHost larger(std::vector<unsigned char>(4096 + 1, 0xAA));
    {
        CCompareBlock block(name);
        ASSERT_TRUE(block.Create(4096));
        EXPECT_EQ(CCompareRequestHandler::Answer(larger, kCopyData, 0, name), 0);
        EXPECT_EQ(larger.reads, 0);
        EXPECT_EQ(block.Bytes()[4095], 0);
    }
    // Larger than the data: the rest of the block would be compared as if it were data.
    FakeCompareHost smaller({1, 2});
    CCompareBlock block(name);
    ASSERT_TRUE(block.Create(3));
    EXPECT_EQ(CCompareRequestHandler::Answer(smaller, kCopyData, 0, name), 0);
}

TEST(CompareRequestTest, ShortReadIsAFailedCopy) {
    // A data source that delivers fewer bytes than its size (a library that fails part way).
    class ShortHost : public FakeCompareHost {
    public:
        using FakeCompareHost::FakeCompareHost;
        uint64_t DataSize() const override { return 8; }
    };
    ShortHost host({1, 2, 3, 4});
    const std::string name = TestBlockName("short");
    CCompareBlock block(name);
    ASSERT_TRUE(block.Create(8));
    EXPECT_EQ(CCompareRequestHandler::Answer(host, kCopyData, 0, name), 0);
}

TEST(CompareRequestTest, NegativeOffsetsMoveNothing) {
    FakeCompareHost host({1, 2, 3}, 2);
    EXPECT_EQ(CCompareRequestHandler::Answer(host, kMoveCursor, -1, ""), 1);
    EXPECT_EQ(CCompareRequestHandler::Answer(host, kAddDifference, -5, ""), 1);
    EXPECT_EQ(host.cursor, 2u);
    EXPECT_TRUE(host.moves.empty());
    EXPECT_TRUE(host.differences.empty());
}

} // namespace
