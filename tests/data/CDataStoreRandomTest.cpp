#include "data/CDataStore.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// Runs random inserts, deletes, writes, undos and redos against the store and against a plain vector that
// keeps every earlier state, and compares after every step.
TEST(CDataStoreRandom, MatchesAPlainVectorModel) {
    std::mt19937 random(20240611);
    CDataStore store;
    std::vector<std::vector<unsigned char>> history{{}}; // states after each recorded step
    size_t position = 0;                                 // index of the current state in history
    auto pick = [&random](uint64_t below) {
        return below == 0 ? 0 : std::uniform_int_distribution<uint64_t>(0, below - 1)(random);
    };
    for (int step = 0; step < 6000; ++step) {
        std::vector<unsigned char> model = history[position];
        uint64_t size = model.size();
        std::vector<unsigned char> bytes(1 + pick(40));
        for (unsigned char& b : bytes) {
            b = static_cast<unsigned char>(pick(256));
        }
        bool recorded = true;
        switch (pick(6)) {
        case 0:
        case 1: {
            uint64_t at = pick(size + 1);
            ASSERT_EQ(store.InsertData(at, bytes.data(), bytes.size(), 1, 0), 1);
            model.insert(model.begin() + static_cast<long>(at), bytes.begin(), bytes.end());
            break;
        }
        case 2: {
            uint64_t at = pick(size + 1);
            uint64_t count = pick(size - at + 1);
            ASSERT_EQ(store.DeleteData(at, count, 1, 0), 1);
            model.erase(model.begin() + static_cast<long>(at), model.begin() + static_cast<long>(at + count));
            break;
        }
        case 3: {
            uint64_t at = pick(size + 2);
            uint64_t written = store.WriteData(at, bytes.data(), bytes.size(), 1, 0);
            uint64_t expected = at < size ? std::min<uint64_t>(bytes.size(), size - at) : 0;
            ASSERT_EQ(written, expected);
            std::copy(bytes.begin(), bytes.begin() + static_cast<long>(written),
                      model.begin() + static_cast<long>(std::min(at, size)));
            recorded = written > 0;
            break;
        }
        case 4: {
            uint64_t at = 0;
            ASSERT_EQ(store.Undo(at), position > 0);
            position = position > 0 ? position - 1 : 0;
            model = history[position];
            recorded = false;
            break;
        }
        default: {
            uint64_t at = 0;
            ASSERT_EQ(store.Redo(at), position + 1 < history.size());
            position = std::min(position + 1, history.size() - 1);
            model = history[position];
            recorded = false;
            break;
        }
        }
        if (recorded) {
            history.resize(position + 1);
            history.push_back(model);
            ++position;
        }
        ASSERT_EQ(store.GetDataSize(), model.size()) << "step " << step;
        std::vector<unsigned char> contents(model.size());
        ASSERT_EQ(store.ReadData(0, contents.data(), contents.size()), model.size());
        ASSERT_EQ(contents, model) << "step " << step;
        ASSERT_EQ(store.UndoHistory().UndoCount(), static_cast<int>(position));
    }
}

// The same under a small limit: the history loses old steps but what is left still replays exactly.
TEST(CDataStoreRandom, TrimmedHistoryStillReplaysItsNewestSteps) {
    std::mt19937 random(7);
    CDataStore store;
    store.SetUndoLimit(2000);
    std::vector<std::vector<unsigned char>> states{{}};
    for (int step = 0; step < 400; ++step) {
        std::vector<unsigned char> bytes(1 + random() % 20, static_cast<unsigned char>(step));
        uint64_t at = random() % (store.GetDataSize() + 1);
        store.InsertData(at, bytes.data(), bytes.size(), 1, 0);
        std::vector<unsigned char> now(store.GetDataSize());
        store.ReadData(0, now.data(), now.size());
        states.push_back(now);
    }
    ASSERT_TRUE(store.UndoPaneRed());
    int left = store.UndoHistory().UndoCount();
    ASSERT_GT(left, 10);
    ASSERT_LE(store.UndoHistory().StoreLength(), 2000u);
    uint64_t at = 0;
    for (int i = 0; i < left; ++i) {
        ASSERT_TRUE(store.Undo(at));
    }
    EXPECT_FALSE(store.Undo(at));
    std::vector<unsigned char> now(store.GetDataSize());
    store.ReadData(0, now.data(), now.size());
    EXPECT_EQ(now, states[states.size() - 1 - static_cast<size_t>(left)]);
}

} // namespace
