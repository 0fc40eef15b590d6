#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Display sizes and types of a unit, as chosen on the size and type bar.
enum UnitSizeIndex { kSize1Byte = 0, kSize2Bytes = 1, kSize4Bytes = 2, kSize8Bytes = 3, kSizeSymbol = 4 };
enum UnitTypeIndex {
    kTypeBit = 0,
    kTypeHex = 1,
    kTypeSign = 2,
    kTypeUnsign = 3,
    kTypeFloat = 4,
    kTypeText = 5
};

// How values are shown: byte order, character set of TEXT cells and the two real-number formats
// ("%<width>.<precision>le" and "...lf"), built from width and precision after clamping them.
struct ValueFormatOptions {
    int littleEndian = 1;
    int charSet = 0; // 0 code page 932, 1 UTF-16
    int floatWidth = 20;
    int floatPrecision = 3;
};

// Clamps the width to at most 20 (and at least 0) and the precision to at most width - 1 (and at least 0).
void ClampFloatFormat(int& width, int& precision);

// Reverses count bytes in place; fewer than two bytes stay as they are.
void ReverseBytes(size_t count, unsigned char* buffer);

// A value right-aligned in exactly width characters: digits from the right, spaces to the left, "-" just
// left of a negative value's highest digit. A value with more digits than width is written whole. The most
// negative 1-, 2- and 4-byte values are written as their literals.
std::string FormatUnsignedFixed(uint64_t value, int width);
std::string FormatSignedFixed(int64_t value, int width);

// Two upper-case hexadecimal digits per byte, starting with the last byte of the buffer.
std::string FormatHexText(const unsigned char* bytes, size_t count);
// Eight bits per byte, starting with the last byte, a space after each fourth bit and between bytes.
std::string FormatBitText(const unsigned char* bytes, size_t count);
// Exponent form, or fixed form when the exponent lies between -10 and 10; always in "C" notation.
std::string FormatReal(double value, int floatWidth, int floatPrecision);

// 0 for 1 byte, 1 for 2, 2 for 4, 3 for 8, 4 for any other size of a symbol.
int SymbolClassForSize(size_t unitSize);

// The text of one unit of data, in code page 932 bytes (TEXT cells carry the data's own bytes). unitSize is
// used for SYMBOL only, with its symbolClass. Returns 0 when no bytes are given, 1 otherwise.
int FormatUnit(const unsigned char* bytes, int sizeIndex, int typeIndex, size_t unitSize, int symbolClass,
               const ValueFormatOptions& options, std::string& output);
