#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Input types of the search, replace and data input dialogs.
enum ValueInputType {
    kInputHex = 0,
    kInputChar = 1,
    kInputUnsignedChar = 2,
    kInputShort = 3,
    kInputUnsignedShort = 4,
    kInputLong = 5,
    kInputUnsignedLong = 6,
    kInputFloat = 7,
    kInputDouble = 8,
    kInputText = 9,
    kInputBit = 10,
};

enum ParseResult {
    kParseOk = 0,
    kParseIllegalCharacter = 1,
    kParseTooManyCharacters = 2,
    kParseOverRange = 3
};

// Turns text (code page 932 bytes) into bytes by input type. byteCount receives the number of bytes made;
// at most capacity bytes are written to destination. keepOrder 1 leaves numbers little-endian, 0 reverses
// them for big-endian data (text is never reversed). charSet 1 makes text UTF-16.
int ParseValue(int inputType, const std::string& text, size_t& byteCount, size_t capacity,
               unsigned char* destination, int keepOrder, int charSet);

// The message of a parse result in UTF-8 for language 0 (Japanese) or 1 (English); empty for success and
// unknown codes.
std::string ParseErrorText(int code, int language);

// The single parses, also used by the jump dialog. Hexadecimal: the text is one number stored little-endian
// in count = ceil(digits / 2) bytes of a destination of size bytes. Integer: decimal, checked against the
// range of a signed or unsigned value of size bytes (8-byte values up to 2^63), stored in size bytes.
int ParseHexText(const std::string& text, size_t size, unsigned char* destination, size_t& count);
int ParseIntegerText(const std::string& text, size_t size, bool isSigned, unsigned char* destination);
// Real: checks the characters, then converts; an empty text leaves value as it was.
int ParseRealText(const std::string& text, double& value);
// Bits: spaces ignored, groups of eight from the right, stored from the first byte upward.
int ParseBitText(const std::string& text, size_t size, unsigned char* destination);
