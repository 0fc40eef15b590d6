#include "data/ValueParse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct Parsed {
    int code;
    std::vector<unsigned char> bytes;
};

Parsed Parse(int type, const std::string& text, int keepOrder = 1, int charSet = 0, size_t capacity = 16) {
    unsigned char buffer[32];
    std::memset(buffer, 0xCC, sizeof buffer);
    size_t count = 99;
    int code = ParseValue(type, text, count, capacity, buffer, keepOrder, charSet);
    if (code != kParseOk) {
        return {code, {}};
    }
    return {code, std::vector<unsigned char>(buffer, buffer + count)};
}

using Bytes = std::vector<unsigned char>;

TEST(ValueParse, Table) {
    struct Case {
        int type;
        const char* text;
        int keepOrder;
        int code;
        Bytes bytes;
    };
    const Case cases[] = {
        {kInputHex, "1234", 1, kParseOk, {0x34, 0x12}},
        {kInputHex, "1234", 0, kParseOk, {0x12, 0x34}},
        {kInputHex, "123", 1, kParseOk, {0x23, 0x01}},
        {kInputHex, "  abCD", 1, kParseOk, {0xCD, 0xAB}},
        {kInputHex, "", 1, kParseOk, {}},
        {kInputHex, "12G4", 1, kParseIllegalCharacter, {}},
        {kInputHex, "12 4", 1, kParseIllegalCharacter, {}},
        {kInputHex, "112233445566778899AABBCCDDEEFF001", 1, kParseTooManyCharacters, {}},
        {kInputUnsignedChar, "256", 1, kParseOverRange, {}},
        {kInputUnsignedChar, "255", 1, kParseOk, {0xFF}},
        {kInputUnsignedChar, "-1", 1, kParseIllegalCharacter, {}},
        {kInputUnsignedChar, "+7", 1, kParseOk, {7}},
        {kInputChar, "-129", 1, kParseOverRange, {}},
        {kInputChar, "-128", 1, kParseOk, {0x80}},
        {kInputChar, "1-", 1, kParseIllegalCharacter, {}},
        {kInputChar, "", 1, kParseOk, {0}},
        {kInputShort, "-2", 0, kParseOk, {0xFF, 0xFE}},
        {kInputUnsignedShort, "65536", 1, kParseOverRange, {}},
        {kInputLong, "-2147483648", 1, kParseOk, {0, 0, 0, 0x80}},
        {kInputLong, "2147483648", 1, kParseOverRange, {}},
        {kInputUnsignedLong, "4294967295", 1, kParseOk, {0xFF, 0xFF, 0xFF, 0xFF}},
        {kInputUnsignedLong, "1.5", 1, kParseIllegalCharacter, {}},
        {kInputBit, "1010 0101", 1, kParseOk, {0xA5}},
        {kInputBit, "1 0100 0001", 1, kParseTooManyCharacters, {}},
        {kInputBit, "102", 1, kParseIllegalCharacter, {}},
        {kInputBit, "11", 1, kParseOk, {3}},
        {kInputDouble, "1.5.0", 1, kParseIllegalCharacter, {}},
        {kInputDouble, "1E5E2", 1, kParseIllegalCharacter, {}},
        {kInputDouble, "1-5", 1, kParseIllegalCharacter, {}},
        {kInputDouble, "1.5X", 1, kParseIllegalCharacter, {}},
        {kInputDouble, "1E2.5", 1, kParseIllegalCharacter, {}},
        {kInputText, "", 1, kParseIllegalCharacter, {}},
        {kInputText, "ABC", 0, kParseOk, {'A', 'B', 'C'}},
        {kInputText, "0123456789ABCDEF", 1, kParseTooManyCharacters, {}},
    };
    for (const Case& c : cases) {
        Parsed parsed = Parse(c.type, c.text, c.keepOrder);
        EXPECT_EQ(parsed.code, c.code) << c.type << " '" << c.text << "'";
        EXPECT_EQ(parsed.bytes, c.bytes) << c.type << " '" << c.text << "'";
    }
}

TEST(ValueParse, RealNumbers) {
    Parsed parsed = Parse(kInputDouble, "1.5E-3");
    ASSERT_EQ(parsed.code, kParseOk);
    double value;
    std::memcpy(&value, parsed.bytes.data(), 8);
    EXPECT_DOUBLE_EQ(value, 1.5e-3);

    parsed = Parse(kInputFloat, " -2.25e+1");
    ASSERT_EQ(parsed.code, kParseOk);
    ASSERT_EQ(parsed.bytes.size(), 4u);
    float single;
    std::memcpy(&single, parsed.bytes.data(), 4);
    EXPECT_FLOAT_EQ(single, -22.5f);

    parsed = Parse(kInputFloat, "1E300");
    ASSERT_EQ(parsed.code, kParseOk);
    std::memcpy(&single, parsed.bytes.data(), 4);
    EXPECT_TRUE(std::isinf(single));

    double kept = 7.0;
    EXPECT_EQ(ParseRealText("", kept), kParseOk);
    EXPECT_EQ(kept, 7.0) << "an empty text leaves the value";
}

TEST(ValueParse, UnicodeText) {
    Parsed parsed = Parse(kInputText, "ABC", 0, 1);
    EXPECT_EQ(parsed.code, kParseOk);
    EXPECT_EQ(parsed.bytes, (Bytes{0x41, 0, 0x42, 0, 0x43, 0}));
    EXPECT_EQ(Parse(kInputText, "\x82\xA0", 1, 1).bytes, (Bytes{0x42, 0x30})) << "hiragana a";
    EXPECT_EQ(Parse(kInputText, "12345678", 1, 1).code, kParseTooManyCharacters)
        << "8 units + terminator > 16";
    EXPECT_EQ(Parse(kInputText, "1234567", 1, 1).code, kParseOk);
    EXPECT_EQ(Parse(kInputText, "123456", 1, 1, 14).code, kParseOk);
}

TEST(ValueParse, EightByteIntegersForAddresses) {
    unsigned char bytes[8];
    EXPECT_EQ(ParseIntegerText("9223372036854775808", 8, false, bytes), kParseOk);
    EXPECT_EQ(bytes[7], 0x80);
    EXPECT_EQ(ParseIntegerText("18446744073709551615", 8, false, bytes), kParseOverRange);
    size_t count = 0;
    EXPECT_EQ(ParseHexText("FFFFFFFFFFFFFFFF", 8, bytes, count), kParseOk);
    EXPECT_EQ(count, 8u);
    EXPECT_EQ(ParseHexText("1FFFFFFFFFFFFFFFF", 8, bytes, count), kParseTooManyCharacters);
}

TEST(ValueParse, SmallDestinationIsRefusedNotOverrun) {
    unsigned char bytes[4] = {};
    size_t count = 0;
    EXPECT_EQ(ParseValue(kInputDouble, "1", count, 4, bytes, 1, 0), kParseTooManyCharacters);
    EXPECT_EQ(ParseValue(kInputHex, "123456789A", count, 4, bytes, 1, 0), kParseTooManyCharacters);
}

TEST(ValueParse, ErrorTexts) {
    EXPECT_EQ(ParseErrorText(kParseIllegalCharacter, 1), "Find illegal charactor");
    EXPECT_EQ(ParseErrorText(kParseTooManyCharacters, 1), "Too many charactor");
    EXPECT_EQ(ParseErrorText(kParseOverRange, 1), "Over range");
    EXPECT_EQ(ParseErrorText(kParseIllegalCharacter, 0), "変な文字があります");
    EXPECT_EQ(ParseErrorText(kParseTooManyCharacters, 0), "文字数が多すぎます");
    EXPECT_EQ(ParseErrorText(kParseOverRange, 0), "範囲を越えています");
    EXPECT_EQ(ParseErrorText(kParseOk, 1), "");
    EXPECT_EQ(ParseErrorText(4, 0), "");
}

} // namespace
