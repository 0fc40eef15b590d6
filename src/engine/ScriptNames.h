#pragma once

#include <cstddef>
#include <string>

// How the evaluator reads names from compacted expression text.
namespace ScriptNames {

inline bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool IsNameChar(char c) {
    return IsAsciiLetter(c) || IsDigit(c) || c == '_';
}

// Longest name the evaluator reads; the rest is read as what follows.
constexpr size_t kMaxName = 101;

// Letters, digits and "_" from p, at most kMaxName bytes; with dbcs a Shift-JIS lead byte and the byte after
// it count as one character.
inline std::string Read(const char* p, bool dbcs) {
    std::string name;
    while (name.size() < kMaxName) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (IsNameChar(static_cast<char>(c))) {
            name += static_cast<char>(c);
            ++p;
        } else if (dbcs && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && p[1] != '\0') {
            name.append(p, 2);
            p += 2;
        } else {
            break;
        }
    }
    return name;
}

} // namespace ScriptNames
