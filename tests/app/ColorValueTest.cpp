#include "settings/CColorValue.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kDefaultBk = 0x123456;

ColorValueRecord Pattern(uint32_t value, uint32_t mask, int size, uint32_t text, uint32_t bk = 0x000000) {
    ColorValueRecord r;
    r.value = value;
    r.mask = mask;
    r.size = static_cast<uint8_t>(size);
    r.textColor = text;
    r.bkColor = bk;
    return r;
}

// The colours of every byte of `view`, with the bytes around it; "-" for no match, otherwise the text
// colour's name and "|" after the last byte of an occurrence.
std::string Paint(const CColorValue& list, const Bytes& view, const Bytes& before = {},
                  const Bytes& after = {}) {
    ColorValueWindow w;
    w.bytes = view.data();
    w.count = view.size();
    w.before = before.data();
    w.beforeCount = static_cast<int>(before.size());
    w.after = after.data();
    w.afterCount = static_cast<int>(after.size());
    std::string out;
    for (uint64_t p = 0; p < view.size(); ++p) {
        const ColorValueHit hit = list.ColorOf(w, p, kDefaultBk);
        if (!out.empty()) {
            out += ' ';
        }
        if (!hit.found) {
            out += '-';
            continue;
        }
        out += hit.textColor == kRed     ? "R"
               : hit.textColor == kGreen ? "G"
               : hit.textColor == kBlue  ? "B"
                                         : "?";
        if (hit.lastByte) {
            out += '|';
        }
    }
    return out;
}

TEST(ColorValueTest, MatchingTable) {
    struct Case {
        const char* what;
        CColorValue list;
        Bytes view;
        Bytes before;
        Bytes after;
        const char* expected;
    };
    const Case cases[] = {
        {"FF over FF FF: each byte its own occurrence",
         {Pattern(0xFF, ~0u, 1, kRed)},
         {0xFF, 0xFF},
         {},
         {},
         "R| R|"},
        {"11 22: one band over both bytes",
         {Pattern(0x2211, ~0u, 2, kRed)},
         {0x11, 0x22, 0x33},
         {},
         {},
         "R R| -"},
        {"a longer pattern wins over a shorter one",
         {Pattern(0x11, ~0u, 1, kRed), Pattern(0x2211, ~0u, 2, kGreen)},
         {0x11, 0x22},
         {},
         {},
         "G G|"},
        {"the longer one wins whatever the order",
         {Pattern(0x2211, ~0u, 2, kGreen), Pattern(0x11, ~0u, 1, kRed)},
         {0x11, 0x22, 0x11},
         {},
         {},
         "G G| R|"},
        {"of two of equal length the earlier in the list wins",
         {Pattern(0x11, ~0u, 1, kRed), Pattern(0x11, ~0u, 1, kGreen)},
         {0x11},
         {},
         {},
         "R|"},
        {"overlapping occurrences: the later start decides, the band goes on",
         {Pattern(0xAAAA, ~0u, 2, kRed)},
         {0xAA, 0xAA, 0xAA, 0x00},
         {},
         {},
         "R R R| -"},
        {"overlapping different patterns of one length: the list order",
         {Pattern(0x2211, ~0u, 2, kRed), Pattern(0x3322, ~0u, 2, kBlue)},
         {0x11, 0x22, 0x33},
         {},
         {},
         "R R| B|"},
        {"an occurrence crossing the top of the view",
         {Pattern(0x33221100, ~0u, 4, kBlue)},
         {0x22, 0x33, 0x44},
         {0x99, 0x00, 0x11},
         {},
         "B B| -"},
        {"an occurrence crossing the bottom of the view",
         {Pattern(0x33221100, ~0u, 4, kBlue)},
         {0x44, 0x00, 0x11},
         {},
         {0x22, 0x33, 0x99},
         "- B B"},
        {"at the ends of the data a start without its bytes is skipped",
         {Pattern(0x2211, ~0u, 2, kRed)},
         {0x22, 0x11},
         {},
         {},
         "- -"},
        {"wildcard digits", {Pattern(0x0320, 0x0FF0, 2, kRed)}, {0x2F, 0x43, 0x2A, 0x44}, {}, {}, "R R| - -"},
        {"a record of size 0 never matches", {Pattern(0, 0, 0, kRed)}, {0x00, 0x00}, {}, {}, "- -"},
        {"nor does one of size 5", {Pattern(0, 0, 5, kRed)}, {0x00, 0x00}, {}, {}, "- -"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Paint(c.list, c.view, c.before, c.after), c.expected) << c.what;
    }
}

TEST(ColorValueTest, NoBackgroundKeepsTheDefault) {
    const CColorValue list{Pattern(0x41, ~0u, 1, kRed, ColorValueRecord::kNoBackground),
                           Pattern(0x4242, ~0u, 2, kRed, kBlue)};
    const Bytes view = {0x41, 0x42, 0x42};
    ColorValueWindow w;
    w.bytes = view.data();
    w.count = view.size();
    EXPECT_EQ(list.ColorOf(w, 0, kDefaultBk).bkColor, kDefaultBk);
    EXPECT_EQ(list.ColorOf(w, 1, kDefaultBk).bkColor, kBlue);
}

TEST(ColorValueTest, MatchLooksOnlyAtTheRecordsBytes) {
    // Nibbles beyond the pattern's size carry 0xF in the mask; they never take part.
    const ColorValueRecord r = Pattern(0x00000011, 0xFFFFFFFF, 1, kRed);
    const unsigned char bytes[4] = {0x11, 0x77, 0x88, 0x99};
    EXPECT_TRUE(CColorValue::Match(r, bytes));
    const unsigned char other[4] = {0x12, 0x00, 0x00, 0x00};
    EXPECT_FALSE(CColorValue::Match(r, other));
}

TEST(ColorValueTest, LongestSizeCountsOnlyRecordsThatCanMatch) {
    EXPECT_EQ(CColorValue().LongestSize(), 0);
    EXPECT_EQ(
        (CColorValue{Pattern(1, ~0u, 2, 0), Pattern(1, ~0u, 9, 0), Pattern(1, ~0u, 3, 0)}).LongestSize(), 3);
}

TEST(ColorValueTest, TextForm) {
    struct Case {
        ColorValueRecord record;
        const char* text;
    };
    const Case cases[] = {
        {Pattern(0xFF032711, 0xFF0FF0FF, 4, 0), "11 2* *3 FF"},
        {Pattern(0x000000AB, 0xFFFFFFFF, 1, 0), "AB"},
        {Pattern(0x00000000, 0xFFFFFF00, 1, 0), "**"},
        {Pattern(0x0000FF0A, 0xFFFFFFFF, 2, 0), "0A FF"},
        {Pattern(0x12345678, 0xFFFFFFFF, 0, 0), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CColorValue::TextForm(c.record), c.text);
    }
}

TEST(ColorValueTest, FieldsTable) {
    struct Case {
        std::array<std::string, 4> fields;
        bool ok;
        int bad;
        uint32_t value;
        uint32_t mask;
        int size;
    };
    const Case cases[] = {
        {{"11", "2*", "*3", "FF"}, true, -1, 0xFF032011, 0xFF0FF0FF, 4},
        {{"2*", "", "FF", ""}, true, -1, 0x00000020, 0xFFFFFFF0, 1}, // fields after an empty one are ignored
        {{"*", "ab", "", ""}, true, -1, 0x0000AB00, 0xFFFFFF00, 2},  // a lone "*" opens the byte; lower case
        {{"5", "", "", ""}, true, -1, 0x00000005, 0xFFFFFFFF, 1},    // one digit: the low nibble
        {{"", "", "", ""}, true, -1, 0, 0xFFFFFFFF, 0},
        {{"G1", "", "", ""}, false, 0, 0, 0, 0},
        {{"11", "22", "333", ""}, false, 2, 0, 0, 0},
        {{"11", "", "", "x"}, false, 3, 0, 0, 0}, // checked even after an empty field
        {{"1 ", "", "", ""}, false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        ColorValueRecord r = Pattern(0x77777777, 0x12345678, 3, kRed, kBlue);
        int bad = -2;
        EXPECT_EQ(CColorValue::ParseFields(c.fields, r, bad), c.ok) << c.fields[0];
        EXPECT_EQ(bad, c.bad) << c.fields[0];
        EXPECT_EQ(r.textColor, kRed);
        EXPECT_EQ(r.bkColor, kBlue);
        if (c.ok) {
            EXPECT_EQ(r.value, c.value) << c.fields[0];
            EXPECT_EQ(r.mask, c.mask) << c.fields[0];
            EXPECT_EQ(r.size, c.size) << c.fields[0];
        } else {
            EXPECT_EQ(r.value, 0x77777777u) << "a refused entry changes nothing";
        }
    }
}

TEST(ColorValueTest, ListEditing) {
    CColorValue list{Pattern(1, ~0u, 1, kRed), Pattern(2, ~0u, 1, kGreen), Pattern(3, ~0u, 1, kBlue)};
    EXPECT_TRUE(list.Replace(1, Pattern(9, ~0u, 1, kRed)));
    EXPECT_FALSE(list.Replace(3, Pattern(9, ~0u, 1, kRed)));
    EXPECT_TRUE(list.Remove(0));
    EXPECT_FALSE(list.Remove(5));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].value, 9u);
    EXPECT_EQ(list[1].value, 3u);
}

} // namespace
