#include "SearchTestSupport.h"
#include "data/CDataStore.h"
#include "data/CDataStoreListener.h"
#include "data/CReplaceAllRunner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

using namespace search_test;

namespace {

ReplaceAllRequest Request(SearchPattern pattern, SearchPattern replacement, uint64_t start, uint64_t end) {
    ReplaceAllRequest request;
    request.pattern = pattern;
    request.replacement = replacement;
    request.rangeStart = start;
    request.rangeEnd = end;
    return request;
}

// Records progress; optionally asks the run to stop once a percentage is reached.
class RecordingObserver : public IReplaceAllObserver {
public:
    void OnReplaceProgress(int percent) override {
        percents.push_back(percent);
        if (stopFlag != nullptr && percent >= stopAt) {
            stopFlag->store(true);
        }
    }
    void OnReplaceFinished() override { ++finished; }

    std::vector<int> percents;
    std::atomic<int> finished{0};
    std::atomic<bool>* stopFlag = nullptr;
    int stopAt = 101;
};

// Notes every notification and the thread it came from.
class ThreadCheckingListener : public CDataStoreListener {
public:
    void OnBytesChanged(uint64_t offset, uint64_t) override { Note(), lastBytesOffset = offset; }
    void OnSizeChanged(uint64_t newSize) override { Note(), lastSize = newSize; }
    void OnModifiedChanged(bool value) override { Note(), modified = value; }
    void OnUndoChanged() override { Note(); }

    void Note() {
        std::lock_guard<std::mutex> lock(mutex);
        ++calls;
        if (std::this_thread::get_id() != owner) {
            ++foreignCalls;
        }
    }

    std::mutex mutex;
    std::thread::id owner = std::this_thread::get_id();
    int calls = 0;
    int foreignCalls = 0;
    uint64_t lastBytesOffset = UINT64_MAX;
    uint64_t lastSize = 0;
    bool modified = false;
};

TEST(ReplaceAll, GrowingReplacementsAreCountedAndUndoneAsOneStep) {
    CDataStore store;
    Load(store, Bytes{0, 0, 0});
    std::atomic<bool> stop{false};
    ReplaceAllResult result =
        CReplaceAllRunner::Run(store, Request(Pattern({0}), Pattern({0, 0xFF}), 0, 3), stop, nullptr);
    EXPECT_EQ(result.count, 3u);
    EXPECT_EQ(result.rangeEnd, 6u);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(Contents(store), (Bytes{0, 0xFF, 0, 0xFF, 0, 0xFF}));
    uint64_t lastOffset = 0;
    ASSERT_TRUE(store.Undo(lastOffset));
    EXPECT_EQ(Contents(store), (Bytes{0, 0, 0}));
    EXPECT_FALSE(store.CanUndo());
    ASSERT_TRUE(store.Redo(lastOffset));
    EXPECT_EQ(Contents(store), (Bytes{0, 0xFF, 0, 0xFF, 0, 0xFF}));
}

struct RangeCase {
    const char* name;
    Bytes data;
    SearchPattern pattern;
    SearchPattern replacement;
    uint64_t start;
    uint64_t end;
    Bytes expected;
    uint64_t count;
    uint64_t movedEnd;
};

TEST(ReplaceAll, OnlyOccurrencesStartingInsideTheRangeAreReplaced) {
    const Bytes tenA(10, 0xAA);
    const RangeCase cases[] = {
        {"bytes 2-5",
         tenA,
         Pattern({0xAA}),
         Pattern({0xBB}),
         2,
         6,
         {0xAA, 0xAA, 0xBB, 0xBB, 0xBB, 0xBB, 0xAA, 0xAA, 0xAA, 0xAA},
         4,
         6},
        {"pairs starting at 2 and 4",
         tenA,
         Pattern({0xAA, 0xAA}),
         Pattern({0xBB, 0xBB}),
         2,
         6,
         {0xAA, 0xAA, 0xBB, 0xBB, 0xBB, 0xBB, 0xAA, 0xAA, 0xAA, 0xAA},
         2,
         6},
        {"last pair runs past the end",
         tenA,
         Pattern({0xAA, 0xAA}),
         Pattern({0xBB, 0xBB}),
         2,
         5,
         {0xAA, 0xAA, 0xBB, 0xBB, 0xBB, 0xBB, 0xAA, 0xAA, 0xAA, 0xAA},
         2,
         6},
        {"shrinking",
         tenA,
         Pattern({0xAA, 0xAA}),
         Pattern({0xCC}),
         2,
         6,
         {0xAA, 0xAA, 0xCC, 0xCC, 0xAA, 0xAA, 0xAA, 0xAA},
         2,
         4},
        {"deleting the only byte of the range",
         Bytes{0, 0, 0},
         Pattern({0}),
         Pattern({}),
         0,
         1,
         {0, 0},
         1,
         0},
        {"deleting a pair that runs past the end",
         Bytes{0, 0, 0},
         Pattern({0, 0}),
         Pattern({}),
         0,
         1,
         {0},
         1,
         0},
        {"nothing in range", Bytes{1, 2, 3, 1}, Pattern({1}), Pattern({9}), 1, 3, {1, 2, 3, 1}, 0, 3},
    };
    for (const RangeCase& c : cases) {
        CDataStore store;
        Load(store, c.data);
        std::atomic<bool> stop{false};
        ReplaceAllResult result =
            CReplaceAllRunner::Run(store, Request(c.pattern, c.replacement, c.start, c.end), stop, nullptr);
        EXPECT_EQ(Contents(store), c.expected) << c.name;
        EXPECT_EQ(result.count, c.count) << c.name;
        EXPECT_EQ(result.rangeEnd, c.movedEnd) << c.name;
    }
}

TEST(ReplaceAll, StoppingKeepsTheReplacementsMadeSoFarAsOneStep) {
    CDataStore store;
    Load(store, Bytes(1000, 0x01));
    std::atomic<bool> stop{false};
    RecordingObserver observer;
    observer.stopFlag = &stop;
    observer.stopAt = 30;
    ReplaceAllResult result =
        CReplaceAllRunner::Run(store, Request(Pattern({0x01}), Pattern({0x02}), 0, 1000), stop, &observer);
    EXPECT_TRUE(result.stopped);
    ASSERT_GT(result.count, 0u);
    ASSERT_LT(result.count, 1000u);
    Bytes data = Contents(store);
    for (size_t i = 0; i < data.size(); ++i) {
        ASSERT_EQ(data[i], i < result.count ? 0x02 : 0x01) << i;
    }
    EXPECT_EQ(observer.percents.back(), 30);
    uint64_t lastOffset = 0;
    ASSERT_TRUE(store.Undo(lastOffset));
    EXPECT_EQ(Contents(store), Bytes(1000, 0x01));
}

TEST(ReplaceAll, ProgressIsSentOnlyWhenThePercentageChanges) {
    CDataStore store;
    Load(store, Bytes(1000, 0x01));
    std::atomic<bool> stop{false};
    RecordingObserver observer;
    CReplaceAllRunner::Run(store, Request(Pattern({0x01}), Pattern({0x02, 0x03}), 0, 1000), stop, &observer);
    ASSERT_FALSE(observer.percents.empty());
    for (size_t i = 1; i < observer.percents.size(); ++i) {
        ASSERT_GT(observer.percents[i], observer.percents[i - 1]);
    }
    EXPECT_EQ(observer.percents.back(), 100);
    EXPECT_EQ(CReplaceAllRunner::ProgressPercent(5, 5, 6), 100) << "a one-byte range";
    EXPECT_EQ(CReplaceAllRunner::ProgressPercent(50, 0, 101), 50);
}

// A library's memory cannot grow or shrink: a replacement of another length is refused as a whole instead
// of counting occurrences it never replaced, while one of the pattern's length overwrites them all.
TEST(ReplaceAll, ALibraryRefusesALengthChangeAndOverwritesInPlace) {
    CDataStore store;
    AttachLibrary(store, Bytes(64, 0x05));
    std::atomic<bool> stop{false};
    const SearchPattern replacements[] = {Pattern({}), Pattern({0x06, 0x07})};
    for (const SearchPattern& replacement : replacements) {
        const ReplaceAllRequest request = Request(Pattern({0x05}), replacement, 0, 64);
        EXPECT_FALSE(CReplaceAllRunner::CanReplaceAll(store, request)) << replacement.length;
        ReplaceAllResult result = CReplaceAllRunner::Run(store, request, stop, nullptr);
        EXPECT_EQ(result.count, 0u) << replacement.length;
        CReplaceAllRunner runner;
        EXPECT_FALSE(runner.Start(store, request, nullptr, nullptr)) << replacement.length;
        EXPECT_EQ(Contents(store), Bytes(64, 0x05));
    }
    const ReplaceAllRequest same = Request(Pattern({0x05, 0x05}), Pattern({0x06, 0x07}), 0, 64);
    ASSERT_TRUE(CReplaceAllRunner::CanReplaceAll(store, same));
    ReplaceAllResult result = CReplaceAllRunner::Run(store, same, stop, nullptr);
    EXPECT_EQ(result.count, 32u);
    Bytes expected(64);
    for (size_t i = 0; i < expected.size(); ++i) {
        expected[i] = i % 2 == 0 ? 0x06 : 0x07;
    }
    EXPECT_EQ(Contents(store), expected);
}

TEST(ReplaceAll, TheWorkerNeverNotifiesFromItsThreadAndReportsOnceAtTheEnd) {
    CDataStore store;
    ThreadCheckingListener listener;
    Load(store, Bytes(5000, 0x00));
    store.SetListener(&listener);
    RecordingObserver observer;
    CReplaceAllRunner runner;
    ASSERT_TRUE(runner.Start(store, Request(Pattern({0x00}), Pattern({}), 1000, 5000), &observer, &listener));
    EXPECT_TRUE(runner.IsRunning());
    ReplaceAllResult result = runner.Finish();
    EXPECT_FALSE(runner.IsRunning());
    EXPECT_EQ(observer.finished.load(), 1);
    EXPECT_EQ(result.count, 4000u);
    EXPECT_EQ(store.GetDataSize(), 1000u);
    EXPECT_EQ(listener.foreignCalls, 0);
    EXPECT_GT(listener.calls, 0);
    EXPECT_EQ(listener.lastBytesOffset, 1000u);
    EXPECT_EQ(listener.lastSize, 1000u);
    EXPECT_TRUE(listener.modified);

    int before = listener.calls;
    const unsigned char one = 1;
    store.WriteData(0, &one, 1, 1, 0);
    EXPECT_GT(listener.calls, before) << "the listener is attached again";
}

TEST(ReplaceAll, DestroyingARunningRunnerStopsAndJoinsIt) {
    CDataStore store;
    Load(store, Bytes(200000, 0x00));
    {
        CReplaceAllRunner runner;
        ASSERT_TRUE(runner.Start(store, Request(Pattern({0x00}), Pattern({0x01, 0x02}), 0, 200000), nullptr,
                                 nullptr));
        EXPECT_FALSE(runner.Start(store, Request(Pattern({0x00}), Pattern({0x01}), 0, 1), nullptr, nullptr));
    }
    Bytes data = Contents(store);
    size_t replaced = data.size() - 200000;
    EXPECT_LT(replaced, 200000u) << "the run was stopped, not completed";
    for (size_t i = 0; i < 2 * replaced; i += 2) {
        ASSERT_EQ(data[i], 0x01) << i;
        ASSERT_EQ(data[i + 1], 0x02) << i;
    }
    for (size_t i = 2 * replaced; i < data.size(); ++i) {
        ASSERT_EQ(data[i], 0x00) << i;
    }
}

TEST(ReplaceAll, TheSelectionIsMadeToCoverTheMovedRange) {
    CDataStore store;
    Load(store, Bytes(10, 0));
    PaneSelection& pane = store.Pane(0);
    pane.selAnchor = 6;
    pane.selEnd = 2;
    pane.cursor = 9;
    std::atomic<bool> stop{false};
    ReplaceAllResult result =
        CReplaceAllRunner::Run(store, Request(Pattern({0}), Pattern({}), 2, 6), stop, nullptr);
    ApplyReplaceAllResult(store, result);
    EXPECT_EQ(store.GetDataSize(), 6u);
    EXPECT_EQ(pane.selAnchor, 2u);
    EXPECT_EQ(pane.selEnd, 2u) << "the whole selected range was removed";
    EXPECT_EQ(pane.cursor, 6u) << "the cursor is pulled back to the end of the data";
}

} // namespace
