#include "data/ValueFormat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::string Unit(std::vector<unsigned char> bytes, int sizeIndex, int typeIndex, int littleEndian = 1,
                 int charSet = 0) {
    ValueFormatOptions options;
    options.littleEndian = littleEndian;
    options.charSet = charSet;
    std::string text;
    EXPECT_EQ(FormatUnit(bytes.data(), sizeIndex, typeIndex, bytes.size(), SymbolClassForSize(bytes.size()),
                         options, text),
              1);
    return text;
}

std::vector<unsigned char> FloatBytes(float value) {
    std::vector<unsigned char> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

std::vector<unsigned char> DoubleBytes(double value) {
    std::vector<unsigned char> bytes(8);
    std::memcpy(bytes.data(), &value, 8);
    return bytes;
}

TEST(ValueFormat, FixedUnitTexts) {
    struct Case {
        std::vector<unsigned char> bytes;
        int size;
        int type;
        int littleEndian;
        std::string expected;
    };
    const Case cases[] = {
        {{0xFF}, kSize1Byte, kTypeSign, 1, "  -1"},
        {{0x80}, kSize1Byte, kTypeSign, 1, "-128"},
        {{0x7F}, kSize1Byte, kTypeSign, 1, " 127"},
        {{0x00}, kSize1Byte, kTypeSign, 1, "   0"},
        {{0x00}, kSize1Byte, kTypeUnsign, 1, "  0"},
        {{0xFF}, kSize1Byte, kTypeUnsign, 1, "255"},
        {{0x00, 0x80}, kSize2Bytes, kTypeSign, 1, "-32768"},
        {{0xFE, 0xFF}, kSize2Bytes, kTypeSign, 1, "    -2"},
        {{0x39, 0x30}, kSize2Bytes, kTypeUnsign, 1, "12345"},
        {{0x00, 0x00, 0x00, 0x80}, kSize4Bytes, kTypeSign, 1, "-2147483648"},
        {{0xFF, 0xFF, 0xFF, 0xFF}, kSize4Bytes, kTypeUnsign, 1, "4294967295"},
        {{0xFF, 0xFF, 0xFF, 0xFF}, kSize4Bytes, kTypeSign, 1, "         -1"},
        {{0x34, 0x12}, kSize2Bytes, kTypeHex, 1, "1234"},
        {{0x34, 0x12}, kSize2Bytes, kTypeHex, 0, "3412"},
        {{0xA5}, kSize1Byte, kTypeBit, 1, "1010 0101"},
        {{0x01, 0x80}, kSize2Bytes, kTypeBit, 1, "1000 0000 0000 0001"},
        {{0xAB}, kSize1Byte, kTypeFloat, 1, "AB"},
        {{1, 2, 3, 4, 5, 6, 7, 8}, kSize8Bytes, kTypeHex, 1, "0807060504030201"},
        {{1, 2, 3, 4, 5, 6, 7, 8}, kSize8Bytes, kTypeSign, 1, "0807060504030201"},
        {{0x41}, kSize1Byte, kTypeText, 1, "A"},
        {{0x41, 0x42}, kSize2Bytes, kTypeText, 1, "AB"},
        {{0x41, 0x42}, kSize2Bytes, kTypeText, 0, "BA"},
        {{0x41, 0x00}, kSize2Bytes, kTypeText, 1, std::string("A\0", 2)},
        {{0x01, 0x02, 0x03, 0x04}, kSize4Bytes, kTypeText, 1, "04030201"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Unit(c.bytes, c.size, c.type, c.littleEndian), c.expected) << c.expected;
    }
    EXPECT_EQ(Unit({0x41, 0x00}, kSize2Bytes, kTypeText), std::string("A\0", 2));
}

TEST(ValueFormat, BitTextLengths) {
    const unsigned char bytes[8] = {};
    EXPECT_EQ(FormatBitText(bytes, 1).size(), 9u);
    EXPECT_EQ(FormatBitText(bytes, 2).size(), 19u);
    EXPECT_EQ(FormatBitText(bytes, 4).size(), 39u);
    EXPECT_EQ(FormatBitText(bytes, 8).size(), 79u);
}

TEST(ValueFormat, UnicodeTextCells) {
    // U+3042 (hiragana a) is 0x82 0xA0 in code page 932; "A" gets a space to fill the cell; a character that
    // has no code page 932 form shows nothing.
    EXPECT_EQ(Unit({0x42, 0x30}, kSize2Bytes, kTypeText, 1, 1), "\x82\xA0");
    EXPECT_EQ(Unit({0x41, 0x00}, kSize2Bytes, kTypeText, 1, 1), "A ");
    EXPECT_EQ(Unit({0x00, 0x41}, kSize2Bytes, kTypeText, 0, 1), "A ");
    EXPECT_EQ(Unit({0x00, 0xD8}, kSize2Bytes, kTypeText, 1, 1), "");
    EXPECT_EQ(Unit({0x01, 0x4E}, kSize2Bytes, kTypeText, 1, 1).size(), 2u) << "U+4E01 is a kanji";
}

TEST(ValueFormat, RealNumbersSwitchBetweenFixedAndExponentForm) {
    EXPECT_EQ(Unit(FloatBytes(1.5f), kSize4Bytes, kTypeFloat), std::string(15, ' ') + "1.500");
    EXPECT_EQ(Unit(DoubleBytes(1.0e10), kSize8Bytes, kTypeFloat), "     10000000000.000");
    EXPECT_EQ(Unit(DoubleBytes(1.0e11), kSize8Bytes, kTypeFloat), "           1.000e+11");
    EXPECT_EQ(Unit(DoubleBytes(-2.5e-10), kSize8Bytes, kTypeFloat), "              -0.000");
    EXPECT_EQ(Unit(DoubleBytes(2.5e-11), kSize8Bytes, kTypeFloat), "           2.500e-11");
    EXPECT_EQ(FormatReal(3.25, 8, 1), "     3.2");
}

TEST(ValueFormat, FloatFormatClamping) {
    int width = 20, precision = 25;
    ClampFloatFormat(width, precision);
    EXPECT_EQ(width, 20);
    EXPECT_EQ(precision, 19);
    width = 30;
    precision = 3;
    ClampFloatFormat(width, precision);
    EXPECT_EQ(width, 20);
}

TEST(ValueFormat, SymbolUnitsByClass) {
    struct Case {
        std::vector<unsigned char> bytes;
        int type;
        int littleEndian;
        std::string expected;
    };
    const Case cases[] = {
        {{0xFF}, kTypeSign, 1, "  -1"},
        {{0xFF}, kTypeFloat, 1, "FF"},
        {{0x41}, kTypeText, 1, "A"},
        {{0xFE, 0xFF}, kTypeUnsign, 1, "65534"},
        {{0xFE, 0xFF}, kTypeUnsign, 0, "65279"},
        {{0x00, 0x00, 0xC0, 0x3F}, kTypeFloat, 1, std::string(15, ' ') + "1.500"},
        {{0x01, 0x02, 0x03, 0x04}, kTypeText, 1, "04030201"},
        {{1, 2, 3, 4, 5, 6, 7, 8}, kTypeUnsign, 1, "0807060504030201"},
        {{1, 2, 3}, kTypeSign, 1, "030201"},
        {{1, 2, 3}, kTypeSign, 0, "010203"},
        {{0xA5, 0x0F, 0x00}, kTypeBit, 1, "0000 0000 0000 1111 1010 0101"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Unit(c.bytes, kSizeSymbol, c.type, c.littleEndian), c.expected) << c.expected;
    }
    std::vector<unsigned char> twenty(20, 0xAB);
    EXPECT_EQ(Unit(twenty, kSizeSymbol, kTypeHex).size(), 32u) << "at most the first 16 bytes";
}

TEST(ValueFormat, NoBytesGivesNoText) {
    std::string text = "x";
    EXPECT_EQ(FormatUnit(nullptr, kSize1Byte, kTypeHex, 1, 0, ValueFormatOptions(), text), 0);
    EXPECT_TRUE(text.empty());
}

TEST(ValueFormat, FixedWidthHelpers) {
    EXPECT_EQ(FormatUnsignedFixed(0, 6), "     0");
    EXPECT_EQ(FormatUnsignedFixed(1234567, 4), "1234567") << "never cut";
    EXPECT_EQ(FormatSignedFixed(-5, 4), "  -5");
    unsigned char bytes[3] = {1, 2, 3};
    ReverseBytes(3, bytes);
    EXPECT_EQ(bytes[0], 3);
    ReverseBytes(1, bytes);
    EXPECT_EQ(bytes[0], 3);
}

} // namespace
