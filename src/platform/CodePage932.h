#pragma once

#include <string>

// Text in code page 932 (windows-31j, the Japanese Windows code page): the byte strings that scripts, file
// names from Windows and the character column use. A double-byte character's lead and trail byte always stay
// together.
class CodePage932 {
public:
    // Lead bytes of double-byte characters: 0x81-0x9F and 0xE0-0xFC.
    static bool IsLeadByte(unsigned char byte) {
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    }

    // Conversions; a byte sequence that has no counterpart becomes "?" (or U+FFFD towards Unicode).
    static std::u16string ToUtf16(const std::string& text);
    static std::string FromUtf16(const std::u16string& text);
    // Like FromUtf16, but false (and out empty) when any character has no code page 932 form.
    static bool FromUtf16Exact(const std::u16string& text, std::string& out);
    static std::string ToUtf8(const std::string& text);
    static std::string FromUtf8(const std::string& utf8);

    static bool IsValidUtf8(const std::string& text);

    // Upper-cases single-byte letters; double-byte characters are kept as they are.
    static std::string ToUpper(const std::string& text);
    // Case-insensitive comparison of single-byte letters; <0, 0, >0 like strcmp.
    static int CompareNoCase(const std::string& a, const std::string& b);
};
