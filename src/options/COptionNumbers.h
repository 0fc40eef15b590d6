#pragma once

#include <cstdint>
#include <string>

// The number fields of the option pages: what a field's text holds, and the standard messages for a field
// that holds no number or one out of its range.
class COptionNumbers {
public:
    enum Result { kOk, kNotANumber, kOutOfRange };

    // Reads a decimal integer (optional sign, blanks around it allowed) and checks it against [low, high].
    static Result Parse(const std::string& text, int64_t low, int64_t high, int64_t& value);
    // "Please enter an integer." or "Please enter an integer between low and high." in the language.
    static std::string Message(Result result, int64_t low, int64_t high, int language);
};
