#include "data/SearchPattern.h"
#include "SearchTestSupport.h"
#include "data/CDataStore.h"
#include "data/CSearchHistory.h"
#include "data/DataSearch.h"
#include "data/ValueFormat.h"
#include "data/ValueParse.h"

#include <gtest/gtest.h>

using namespace search_test;

namespace {

Bytes PatternBytes(const SearchPattern& pattern) {
    return Bytes(pattern.bytes, pattern.bytes + pattern.length);
}

struct PatternCase {
    int inputType;
    const char* text;
    int littleEndian;
    int charSet;
    Bytes expected;
};

TEST(SearchPattern, FollowsTheByteOrderAndTheCharacterSet) {
    const PatternCase cases[] = {
        {kInputHex, "1234", 1, 0, {0x34, 0x12}},
        {kInputHex, "1234", 0, 0, {0x12, 0x34}},
        {kInputShort, "-2", 1, 0, {0xFE, 0xFF}},
        {kInputShort, "-2", 0, 0, {0xFF, 0xFE}},
        {kInputUnsignedLong, "4294967295", 0, 0, {0xFF, 0xFF, 0xFF, 0xFF}},
        {kInputFloat, "1.5", 0, 0, {0x3F, 0xC0, 0x00, 0x00}},
        {kInputText, "AB", 0, 0, {0x41, 0x42}},
        {kInputText, "AB", 0, 1, {0x41, 0x00, 0x42, 0x00}},
    };
    for (const PatternCase& c : cases) {
        SearchPattern pattern;
        ASSERT_EQ(BuildSearchPattern(c.inputType, c.text, c.littleEndian, c.charSet, pattern), kParseOk)
            << c.text;
        EXPECT_EQ(PatternBytes(pattern), c.expected) << c.text << " order " << c.littleEndian;
    }
}

TEST(SearchPattern, HexDigitsFindTheBytesOfTheCurrentByteOrder) {
    CDataStore store;
    Load(store, Bytes{0x00, 0x12, 0x34, 0x12, 0x00});
    SearchPattern pattern;
    uint64_t offset = 0;
    ASSERT_EQ(BuildSearchPattern(kInputHex, "1234", 1, 0, pattern), kParseOk);
    ASSERT_TRUE(FindForward(store, 0, pattern.bytes, pattern.length, offset));
    EXPECT_EQ(offset, 2u) << "little-endian looks for 34 12";
    ASSERT_EQ(BuildSearchPattern(kInputHex, "1234", 0, 0, pattern), kParseOk);
    ASSERT_TRUE(FindForward(store, 0, pattern.bytes, pattern.length, offset));
    EXPECT_EQ(offset, 1u) << "big-endian looks for 12 34";
}

TEST(SearchPattern, UnicodeTextLooksForUtf16Units) {
    CDataStore store;
    Load(store, Bytes{0x41, 0x41, 0x00, 0x42});
    SearchPattern pattern;
    ASSERT_EQ(BuildSearchPattern(kInputText, "A", 1, 1, pattern), kParseOk);
    uint64_t offset = 0;
    ASSERT_TRUE(FindForward(store, 0, pattern.bytes, pattern.length, offset));
    EXPECT_EQ(offset, 1u);
}

TEST(SearchPattern, RejectsMoreThanSixteenBytesWithTheTooManyMessage) {
    SearchPattern pattern;
    EXPECT_EQ(BuildSearchPattern(kInputHex, std::string(32, 'A'), 1, 0, pattern), kParseOk);
    EXPECT_EQ(pattern.length, 16u);
    EXPECT_EQ(BuildSearchPattern(kInputHex, std::string(33, 'A'), 1, 0, pattern), kParseTooManyCharacters);
    EXPECT_EQ(pattern.length, 0u);
    EXPECT_EQ(ParseErrorText(kParseTooManyCharacters, 1), "Too many charactor");
}

struct ReplaceParseCase {
    int inputType;
    std::string search;
    std::string replace;
    int expected;
};

TEST(SearchPattern, ReplaceTextsReportTheLargerErrorAndAnEmptyReplacementIsNoBytes) {
    const ReplaceParseCase cases[] = {
        {kInputUnsignedChar, "1-", "300", kParseOverRange},
        {kInputUnsignedChar, "300", "1-", kParseOverRange},
        {kInputUnsignedChar, "12", "x", kParseIllegalCharacter},
        {kInputHex, std::string(40, '1'), "G", kParseTooManyCharacters},
        {kInputUnsignedChar, "12", "", kParseOk},
    };
    for (const ReplaceParseCase& c : cases) {
        SearchPattern pattern;
        SearchPattern replacement = Pattern({9, 9});
        EXPECT_EQ(BuildReplacePatterns(c.inputType, c.search, c.replace, 1, 0, pattern, replacement),
                  c.expected)
            << c.search << " / " << c.replace;
        if (c.expected == kParseOk) {
            EXPECT_EQ(PatternBytes(pattern), Bytes{12});
            EXPECT_EQ(replacement.length, 0u);
        }
    }
}

TEST(SearchHistory, KeepsTheMostRecentFirstWithItsTypeAndNoDuplicates) {
    CSearchHistory history;
    EXPECT_EQ(history.First(), nullptr);
    history.Remember("12", kInputHex);
    history.Remember("ab", kInputText);
    history.Remember("12", kInputShort);
    history.Remember("AB", kInputText);
    ASSERT_EQ(history.Entries().size(), 3u);
    EXPECT_EQ(history.Entries()[0].text, "AB");
    EXPECT_EQ(history.Entries()[1].text, "12");
    EXPECT_EQ(history.Entries()[1].inputType, kInputShort) << "the earlier text left with its type";
    EXPECT_EQ(history.Entries()[2].text, "ab") << "texts are compared exactly, case included";
    EXPECT_EQ(history.InitialInputType(kSize4Bytes, kTypeFloat), kInputText);
}

TEST(SearchHistory, WithoutHistoryTheTypeComesFromTheDisplaySizeAndType) {
    struct Case {
        int size;
        int type;
        int expected;
    };
    const Case cases[] = {
        {0, 2, kInputChar},  {0, 3, kInputUnsignedChar},  {0, 4, kInputHex},  {0, 5, kInputText},
        {1, 2, kInputShort}, {1, 3, kInputUnsignedShort}, {2, 2, kInputLong}, {2, 3, kInputUnsignedLong},
        {2, 4, kInputFloat}, {3, 4, kInputDouble},        {3, 2, kInputHex},  {4, 5, kInputHex},
        {2, 0, kInputHex},   {3, 5, kInputText},          {9, 9, kInputHex},
    };
    CSearchHistory history;
    for (const Case& c : cases) {
        EXPECT_EQ(history.InitialInputType(c.size, c.type), c.expected) << c.size << "," << c.type;
    }
}

} // namespace
