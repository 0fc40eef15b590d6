#include "FakeSymbolRows.h"

#include "data/CDataStore.h"
#include "data/CEditCommands.h"
#include "data/CNavigator.h"
#include "data/CRowLayout.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <new>
#include <random>
#include <string>
#include <vector>

// Every allocation of this test program is counted, so that a test can tell the most memory a call held at
// once beyond what was held before it.
namespace {
std::atomic<uint64_t> g_heldBytes{0};
std::atomic<uint64_t> g_peakBytes{0};

void* CountedAllocation(size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    const uint64_t held = g_heldBytes += malloc_usable_size(block);
    uint64_t peak = g_peakBytes.load();
    while (held > peak && !g_peakBytes.compare_exchange_weak(peak, held)) {
    }
    return block;
}

void CountedRelease(void* block) {
    if (block != nullptr) {
        g_heldBytes -= malloc_usable_size(block);
        std::free(block);
    }
}
} // namespace

void* operator new(size_t size) {
    return CountedAllocation(size);
}
void* operator new[](size_t size) {
    return CountedAllocation(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return CountedAllocation(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    try {
        return CountedAllocation(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* block) noexcept {
    CountedRelease(block);
}
void operator delete[](void* block) noexcept {
    CountedRelease(block);
}
void operator delete(void* block, size_t) noexcept {
    CountedRelease(block);
}
void operator delete[](void* block, size_t) noexcept {
    CountedRelease(block);
}

namespace {

using Bytes = std::vector<unsigned char>;

// The most memory held at once, beyond what was held when it was made, since it was made.
class PeakScope {
public:
    PeakScope() : base(g_heldBytes.load()) { g_peakBytes = base; }
    uint64_t Extra() const { return g_peakBytes.load() - base; }

private:
    uint64_t base;
};

Bytes Pattern(size_t count, uint32_t seed) {
    Bytes bytes(count);
    std::mt19937 random(seed);
    for (auto& b : bytes) {
        b = static_cast<unsigned char>(random());
    }
    return bytes;
}

// The rows as text, built the plain way: each row's bytes read whole, each unit formatted on its own. What
// CopyText must give for every layout.
std::string NaiveCopyText(const CDataStore& store, const CRowLayout& layout, uint64_t start, uint64_t end,
                          const EditOptions& options) {
    const uint64_t size = store.GetDataSize();
    end = std::min(end, size);
    if (start >= end) {
        return std::string();
    }
    const int digits = CNavigator::AddressDigits(size, options.decimalAddress);
    const bool nameColumn = layout.SizeIndex() == kSizeSymbol && options.nameColumnChars > 0;
    std::string text;
    for (uint64_t r = layout.RowIndexOf(start); r <= layout.RowIndexOf(end - 1); ++r) {
        RowInfo row = layout.Row(r);
        const uint64_t unit = static_cast<uint64_t>(std::max(row.unitSize, 1));
        Bytes rowBytes(static_cast<size_t>(row.Bytes()));
        const uint64_t available = store.ReadData(row.start, rowBytes.data(), rowBytes.size());
        text += CNavigator::AddressText(row.start, digits, options.decimalAddress) + " ";
        if (nameColumn) {
            std::string name = row.name;
            name.resize(std::max(name.size(), static_cast<size_t>(options.nameColumnChars)), ' ');
            text += " " + name;
        }
        for (uint64_t k = 0; k < static_cast<uint64_t>(row.unitsPerRow); ++k) {
            const uint64_t unitStart = row.start + k * unit;
            if (unitStart >= end || (k + 1) * unit > available) {
                break;
            }
            unsigned char bytes[16] = {};
            std::memcpy(bytes, rowBytes.data() + k * unit, std::min<uint64_t>(unit, 16));
            std::string cell;
            FormatUnit(bytes, layout.SizeIndex(), layout.TypeIndex(), unit,
                       SymbolClassForSize(static_cast<size_t>(unit)), options.format, cell);
            text += unitStart < start ? std::string(cell.size() + 1, ' ') : " " + cell;
        }
        text += "\r\n";
    }
    return text;
}

class CopyTextTest : public ::testing::Test {
protected:
    void Fill(const Bytes& bytes) {
        ASSERT_EQ(store.InsertData(0, bytes.data(), bytes.size(), 0, 0), 1);
        store.SetModified(0);
    }

    CDataStore store;
    CRowLayout layout{kSize1Byte, kTypeHex, 20};
    CEditCommands edit{store, layout};
    EditOptions options;
};

TEST_F(CopyTextTest, EveryLayoutGivesTheRowsAsTheScreenShowsThem) {
    Fill(Pattern(1000, 7));
    FakeSymbolRows symbols;
    symbols.Add(1, 3, "tag").Add(2, 5, "words").Add(4, 9, "longs").Add(8, 3, "quads").Add(3, 2, "odd");
    // An element wider than a row's 16 bytes shows its first 16.
    symbols.rows.push_back(SymbolRow{symbols.next, 1, 40, "blob"});
    symbols.next += 40;
    struct Range {
        uint64_t start, end;
    };
    const Range ranges[] = {{0, 1000}, {1, 2}, {5, 77}, {17, 531}, {998, 1000}, {3, 3}, {990, 5000}};
    int compared = 0;
    for (int sizeIndex = kSize1Byte; sizeIndex <= kSizeSymbol; ++sizeIndex) {
        for (int typeIndex = kTypeBit; typeIndex <= kTypeText; ++typeIndex) {
            if (!CRowLayout::IsAllowed(sizeIndex, typeIndex)) {
                continue;
            }
            for (int variant = 0; variant < 4; ++variant) {
                layout.Set(sizeIndex, typeIndex, 20);
                layout.SetSymbols(sizeIndex == kSizeSymbol ? &symbols : nullptr);
                options.nameColumnChars = layout.NameChars();
                options.format.littleEndian = variant & 1 ? 0 : 1;
                options.format.charSet = variant & 2 ? 1 : 0;
                options.decimalAddress = variant == 3 ? 1 : 0;
                options.format.floatPrecision = variant == 2 ? 19 : 3;
                for (const Range& r : ranges) {
                    SCOPED_TRACE("size " + std::to_string(sizeIndex) + " type " + std::to_string(typeIndex) +
                                 " variant " + std::to_string(variant) + " range " + std::to_string(r.start) +
                                 ".." + std::to_string(r.end));
                    const std::string expected = NaiveCopyText(store, layout, r.start, r.end, options);
                    std::string text;
                    ASSERT_EQ(edit.CopyText(r.start, r.end, options, UINT64_MAX, CopyTextProgress(), text),
                              CopyTextStatus::Done);
                    ASSERT_EQ(text, expected);
                    const uint64_t bound = edit.CopyTextLength(r.start, r.end, options);
                    // The bound is exact except where real numbers may be wider than their cells and
                    // UTF-16 characters without a code page 932 form narrower.
                    if (typeIndex == kTypeFloat || (typeIndex == kTypeText && options.format.charSet == 1)) {
                        EXPECT_GE(bound, text.size());
                    } else {
                        EXPECT_EQ(bound, text.size());
                    }
                    ++compared;
                }
            }
        }
    }
    EXPECT_GT(compared, 500);
}

TEST_F(CopyTextTest, RealCellsWiderThanTheirCellStayWithinTheBound) {
    // Values just below 1e11 are written in fixed form: with 19 decimals far wider than the 20-character
    // cell.
    const double values[] = {-99999999999.5, 1e-300, -1.5e308, 0.0 / 1.0, 12345.678};
    Bytes bytes(sizeof values);
    std::memcpy(bytes.data(), values, sizeof values);
    Fill(bytes);
    layout.Set(kSize8Bytes, kTypeFloat, 20);
    options.format.floatWidth = 20;
    options.format.floatPrecision = 19;
    std::string text;
    ASSERT_EQ(edit.CopyText(0, bytes.size(), options, UINT64_MAX, CopyTextProgress(), text),
              CopyTextStatus::Done);
    EXPECT_EQ(text, NaiveCopyText(store, layout, 0, bytes.size(), options));
    EXPECT_NE(text.find("-99999999999.5000000000000000000"), std::string::npos) << text;
    EXPECT_LE(text.size(), edit.CopyTextLength(0, bytes.size(), options));
    EXPECT_LE(text.capacity(), edit.CopyTextLength(0, bytes.size(), options) + 15);
}

TEST_F(CopyTextTest, ALargeSelectionTakesLittleMoreMemoryThanItsText) {
    const size_t size = 8 << 20;
    Fill(Pattern(size, 3));
    struct Case {
        int sizeIndex, typeIndex;
        bool symbols;
        uint64_t start, end;
    };
    FakeSymbolRows symbols;
    symbols.Add(4, 1000, "table").Add(2, 77, "words");
    // Decimal numbers are slower to format: fewer of them.
    const Case cases[] = {{kSize1Byte, kTypeHex, false, 1, size},
                          {kSize4Bytes, kTypeFloat, false, size - (1 << 20), size},
                          {kSize2Bytes, kTypeUnsign, false, size - (2 << 20), size},
                          {kSizeSymbol, kTypeSign, true, 1, 2 << 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.sizeIndex) + " type " + std::to_string(c.typeIndex));
        layout.Set(c.sizeIndex, c.typeIndex, 20);
        layout.SetSymbols(c.symbols ? &symbols : nullptr);
        options.nameColumnChars = layout.NameChars();
        std::string text;
        uint64_t extra = 0;
        {
            PeakScope peak;
            ASSERT_EQ(edit.CopyText(c.start, c.end, options, UINT64_MAX, CopyTextProgress(), text),
                      CopyTextStatus::Done);
            extra = peak.Extra();
        }
        ASSERT_GT(text.size(), 3 * (c.end - c.start));
        EXPECT_LE(text.capacity(), text.size() + text.size() / 10);
        // The text itself, a block of the data read at a time, and nothing of the text's size besides.
        EXPECT_LE(extra, text.size() + text.size() / 10 + (256 << 10)) << "text " << text.size();
        EXPECT_EQ(text.compare(text.size() - 2, 2, "\r\n"), 0);
    }
}

TEST_F(CopyTextTest, TheProgressIsToldAndCanStopTheCopy) {
    const size_t size = 4 << 20;
    Fill(Pattern(size, 5));
    std::vector<uint64_t> done;
    auto counting = [&](uint64_t d, uint64_t total) {
        EXPECT_EQ(total, size - 16);
        done.push_back(d);
        return true;
    };
    std::string text;
    ASSERT_EQ(edit.CopyText(16, size, options, UINT64_MAX, counting, text), CopyTextStatus::Done);
    ASSERT_GE(done.size(), 8u) << "a long copy reports as it goes";
    for (size_t i = 1; i < done.size(); ++i) {
        EXPECT_GT(done[i], done[i - 1]);
    }
    EXPECT_LE(done.back(), size - 16);

    int calls = 0;
    auto stopAtThird = [&](uint64_t, uint64_t) { return ++calls < 3; };
    text = "old";
    EXPECT_EQ(edit.CopyText(16, size, options, UINT64_MAX, stopAtThird, text), CopyTextStatus::Aborted);
    EXPECT_EQ(calls, 3) << "nothing more is done once told to stop";
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(text.capacity(), std::string().capacity()) << "the room of an abandoned text is given back";
}

TEST_F(CopyTextTest, ATextLongerThanTheLimitIsRefusedBeforeAnythingIsBuilt) {
    const size_t size = 1 << 20;
    Fill(Pattern(size, 9));
    const uint64_t length = edit.CopyTextLength(0, size, options);
    ASSERT_GT(length, 3 * size);
    std::string text = "old";
    {
        PeakScope peak;
        EXPECT_EQ(edit.CopyText(0, size, options, length - 1, CopyTextProgress(), text),
                  CopyTextStatus::TooLarge);
        EXPECT_LT(peak.Extra(), 4096u);
    }
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(edit.CopyText(0, size, options, length, CopyTextProgress(), text), CopyTextStatus::Done);
    EXPECT_EQ(text.size(), length);
}

TEST_F(CopyTextTest, AHugeSymbolElementIsNeverReadWhole) {
    Fill(Pattern(64, 1));
    // A damaged table may claim elements of a gigabyte; only the first 16 bytes of one are ever shown, and
    // one that runs past the end of the data not at all.
    FakeSymbolRows huge;
    huge.rows.push_back(SymbolRow{0, 1 << 16, 1 << 30, "h"});
    huge.next = uint64_t{1} << 46;
    huge.nameWidth = 1;
    layout.Set(kSizeSymbol, kTypeHex, 20);
    layout.SetSymbols(&huge);
    options.nameColumnChars = layout.NameChars();
    std::string text;
    uint64_t extra = 0;
    {
        PeakScope peak;
        ASSERT_EQ(edit.CopyText(0, 64, options, UINT64_MAX, CopyTextProgress(), text), CopyTextStatus::Done);
        extra = peak.Extra();
    }
    EXPECT_EQ(text, "00  h\r\n");
    EXPECT_LT(extra, 1u << 20);
}

} // namespace
