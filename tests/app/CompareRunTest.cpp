#include "FakeCompareHost.h"

#include "compare/CCompareRequestHandler.h"
#include "compare/CCompareRun.h"
#include "compare/ICompareLink.h"
#include "compare/ICompareSteps.h"
#include "platform/CCompareBlock.h"
#include "platform/InstanceMessages.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using Offsets = std::vector<uint64_t>;

// The partner in this process: every request goes straight to the request handler over its own host, until
// it "vanishes" after a number of requests.
class DirectLink : public ICompareLink {
public:
    DirectLink(FakeCompareHost& partner, std::string blockName)
        : partner(partner), blockName(std::move(blockName)) {}
    std::optional<int64_t> Request(int64_t code, int64_t offset) override {
        codes.push_back(code);
        if (answersLeft == 0) {
            return std::nullopt;
        }
        if (answersLeft > 0) {
            --answersLeft;
        }
        return CCompareRequestHandler::Answer(partner, code, offset, blockName);
    }
    FakeCompareHost& partner;
    std::string blockName;
    std::vector<int64_t> codes;
    int answersLeft = -1; // -1: never vanishes
};

class ScriptedSteps : public ICompareSteps {
public:
    int AskNextStep() override {
        ++asked;
        EXPECT_EQ(waitDepth, 0) << "the wait cursor is shown over the step dialog";
        if (duringAsk) {
            duringAsk();
        }
        return answers.empty() ? kNext : answers[std::min(asked, static_cast<int>(answers.size())) - 1];
    }
    void ShowWaitCursor(bool shown) override {
        waitDepth += shown ? 1 : -1;
        EXPECT_GE(waitDepth, 0);
    }
    void ArrangeWindows() override { ++arranged; }

    std::vector<int> answers;
    std::function<void()> duringAsk;
    int asked = 0;
    int arranged = 0;
    int waitDepth = 0;
};

class CompareRunTest : public ::testing::Test {
protected:
    CompareRunTest() : blockName("/KIVRAN_COMPARE-run-test-" + std::to_string(::getpid())) {}

    int64_t Run(uint64_t ourStart = 0, uint64_t partnerStart = 0, bool putColor = true) {
        DirectLink link(partner, blockName);
        link.answersLeft = partnerAnswers;
        CCompareRun::Options options;
        options.ourStart = ourStart;
        options.partnerStart = partnerStart;
        options.putColor = putColor;
        options.blockName = blockName;
        const int64_t result = CCompareRun::Run(ours, link, steps, options);
        codes = link.codes;
        EXPECT_EQ(steps.waitDepth, 0) << "the wait cursor stays after the comparison";
        // Whatever happened, the block is gone: the next comparison can create it.
        CCompareBlock again(blockName);
        EXPECT_TRUE(again.Create(1));
        return result;
    }

    std::string blockName;
    FakeCompareHost ours;
    FakeCompareHost partner;
    ScriptedSteps steps;
    std::vector<int64_t> codes;
    int partnerAnswers = -1;
};

TEST_F(CompareRunTest, OneDifferenceAndTheLongerPartnerTailIsNotCompared) {
    ours.data = {0x00, 0x01, 0x02};
    partner.data = {0x00, 0xFF, 0x02, 0xFF};
    ours.differences = {9};
    partner.differences = {9};
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(ours.differences, Offsets{1});
    EXPECT_EQ(partner.differences, Offsets{1});
    EXPECT_EQ(ours.cursor, 1u);
    EXPECT_EQ(partner.cursor, 1u);
    EXPECT_EQ(steps.asked, 1);
    EXPECT_EQ(steps.arranged, 1);
    using namespace InstanceMessages;
    EXPECT_EQ(codes,
              (std::vector<int64_t>{kDataSize, kCopyData, kClearDifferences, kMoveCursor, kAddDifference}));
}

TEST_F(CompareRunTest, FromTheCursorsTheOffsetsKeepTheirDistance) {
    // Our 10 meets the partner's 4, 11 meets 5, ...: they differ at ours 12 / theirs 6 and ours 15 /
    // theirs 9.
    ours.data = Bytes(20, 0);
    partner.data = Bytes(10, 0);
    ours.data[12] = 1;
    partner.data[9] = 2;
    ours.data[3] = 7; // before the start: not compared
    steps.answers = {ICompareSteps::kNext, ICompareSteps::kNext};
    EXPECT_EQ(Run(10, 4), 2);
    EXPECT_EQ(ours.differences, (Offsets{12, 15}));
    EXPECT_EQ(partner.differences, (Offsets{6, 9}));
    EXPECT_EQ(ours.moves, (Offsets{12, 15}));
    EXPECT_EQ(partner.moves, (Offsets{6, 9}));
}

TEST_F(CompareRunTest, PartnerStartBeforeOursWorksToo) {
    ours.data = Bytes(8, 0);
    partner.data = Bytes(8, 0);
    ours.data[6] = 1;    // meets partner 2
    partner.data[4] = 1; // meets our 8: past our end
    EXPECT_EQ(Run(6, 2), 1);
    EXPECT_EQ(ours.differences, Offsets{6});
    EXPECT_EQ(partner.differences, Offsets{2});
}

TEST_F(CompareRunTest, OutcomesOfSizesAndEqualData) {
    struct Case {
        Bytes ours;
        Bytes partner;
        int64_t result;
    };
    const Case cases[] = {
        {{1, 2, 3}, {1, 2, 3}, 0},          // identical
        {{1, 2}, {1, 2, 3, 4}, 0},          // a size difference alone
        {{}, {5, 6}, 0},                    // our data empty: nothing compared
        {{5, 6}, {}, CCompareRun::kFailed}, // the partner's data empty
    };
    for (const Case& c : cases) {
        ours = FakeCompareHost(c.ours);
        partner = FakeCompareHost(c.partner);
        ours.differences = {3};
        steps = ScriptedSteps();
        EXPECT_EQ(Run(), c.result);
        EXPECT_EQ(steps.asked, 0);
        if (c.result == 0) {
            EXPECT_TRUE(ours.differences.empty());
            EXPECT_TRUE(partner.differences.empty());
            EXPECT_EQ(steps.arranged, 1);
        } else {
            // Nothing was started: the lists stay, the windows stay where they are.
            EXPECT_EQ(ours.differences, Offsets{3});
            EXPECT_EQ(steps.arranged, 0);
        }
    }
}

TEST_F(CompareRunTest, WithoutColourTheCursorsStillFollowButNothingIsRecorded) {
    ours.data = {1, 2, 3, 4};
    partner.data = {1, 0, 3, 0};
    steps.answers = {ICompareSteps::kNext};
    EXPECT_EQ(Run(0, 0, false), 2);
    EXPECT_TRUE(ours.differences.empty());
    EXPECT_TRUE(partner.differences.empty());
    EXPECT_EQ(ours.cursor, 3u);
    EXPECT_EQ(partner.cursor, 3u);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), InstanceMessages::kAddDifference), 0);
    EXPECT_EQ(partner.clears, 1);
}

TEST_F(CompareRunTest, NonStopAsksOnceAndEndsAtTheLastDifference) {
    ours.data = Bytes(100, 0);
    partner.data = Bytes(100, 1);
    steps.answers = {ICompareSteps::kNonStop};
    EXPECT_EQ(Run(), 100);
    EXPECT_EQ(steps.asked, 1);
    EXPECT_EQ(ours.cursor, 99u);
    EXPECT_EQ(partner.cursor, 99u);
    EXPECT_EQ(ours.differences.size(), 100u);
    EXPECT_EQ(partner.moves.size(), 100u);
}

TEST_F(CompareRunTest, CancelStopsAndKeepsWhatWasFound) {
    ours.data = Bytes(10, 0);
    partner.data = Bytes(10, 1);
    steps.answers = {ICompareSteps::kNext, ICompareSteps::kCancel};
    EXPECT_EQ(Run(), 2);
    EXPECT_EQ(steps.asked, 2);
    EXPECT_EQ(ours.differences, (Offsets{0, 1}));
    EXPECT_EQ(partner.differences, (Offsets{0, 1}));
}

TEST_F(CompareRunTest, OurDataIsReadLiveAfterEachDialog) {
    ours.data = {0, 0, 0};
    partner.data = {1, 0, 0};
    // While the first step dialog is open our byte 2 changes (a refreshed data source).
    steps.duringAsk = [this] { ours.data[2] = 9; };
    EXPECT_EQ(Run(), 2);
    EXPECT_EQ(ours.differences, (Offsets{0, 2}));
}

TEST_F(CompareRunTest, APartnerThatVanishesEndsTheComparisonAsAFailure) {
    ours.data = Bytes(10, 0);
    partner.data = Bytes(10, 1);
    // Data size, copy, clear, then move and add for offset 0, then the move for offset 1 goes unanswered.
    partnerAnswers = 5;
    EXPECT_EQ(Run(), CCompareRun::kFailed);
    EXPECT_EQ(steps.asked, 1);
    EXPECT_EQ(ours.differences, Offsets{0});
    // It was asked nothing more once it had gone.
    EXPECT_EQ(codes.size(), 6u);
}

TEST_F(CompareRunTest, APartnerThatCannotCopyIsAFailure) {
    ours.data = {1, 2};
    partner.data = {1, 2};
    for (int answers : {1, 2}) {
        // 1: the copy request goes unanswered; 2: the clear request does.
        partnerAnswers = answers;
        steps = ScriptedSteps();
        EXPECT_EQ(Run(), CCompareRun::kFailed) << answers;
        EXPECT_EQ(steps.arranged, 0);
    }
}

TEST_F(CompareRunTest, ASecondComparisonWhileTheBlockIsInUseIsRefused) {
    ours.data = {1, 2};
    partner.data = {1, 3};
    CCompareBlock running(blockName);
    ASSERT_TRUE(running.Create(7));
    DirectLink link(partner, blockName);
    CCompareRun::Options options;
    options.blockName = blockName;
    EXPECT_EQ(CCompareRun::Run(ours, link, steps, options), CCompareRun::kFailed);
    // The running comparison's block is untouched and still holds the name.
    EXPECT_EQ(running.Size(), 7u);
    EXPECT_TRUE(CCompareBlock::OpenForWriting(blockName).IsOpen());
    EXPECT_EQ(CCompareBlock::OpenForWriting(blockName).Size(), 7u);
    EXPECT_EQ(std::count(link.codes.begin(), link.codes.end(), InstanceMessages::kCopyData), 0);
}

} // namespace
