#include "options/COptionNumbers.h"

#include <cctype>
#include <limits>

COptionNumbers::Result COptionNumbers::Parse(const std::string& text, int64_t low, int64_t high,
                                             int64_t& value) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= n || !std::isdigit(static_cast<unsigned char>(text[i]))) {
        return kNotANumber;
    }
    // Accumulated as a magnitude that may exceed the 64-bit range only by being out of range.
    uint64_t magnitude = 0;
    bool overflow = false;
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) {
        const uint64_t digit = static_cast<uint64_t>(text[i] - '0');
        if (magnitude > (limit - digit) / 10) {
            overflow = true;
        } else {
            magnitude = magnitude * 10 + digit;
        }
        ++i;
    }
    while (i < n && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    if (i != n) {
        return kNotANumber;
    }
    if (overflow || (!negative && magnitude == limit)) {
        return kOutOfRange;
    }
    value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return value < low || value > high ? kOutOfRange : kOk;
}

std::string COptionNumbers::Message(Result result, int64_t low, int64_t high, int language) {
    if (result == kNotANumber) {
        return language == 1 ? "Please enter an integer." : "整数を入力してください。";
    }
    if (result == kOutOfRange) {
        const std::string lo = std::to_string(low);
        const std::string hi = std::to_string(high);
        return language == 1 ? "Please enter an integer between " + lo + " and " + hi + "."
                             : lo + " から " + hi + " までの整数を入力してください。";
    }
    return std::string();
}
