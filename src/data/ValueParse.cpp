#include "data/ValueParse.h"

#include "platform/CodePage932.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace {

// Upper-cased, leading white space removed.
std::string Prepare(const std::string& text) {
    size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t' || text[start] == '\r' ||
                                   text[start] == '\n' || text[start] == '\v' || text[start] == '\f')) {
        ++start;
    }
    return CodePage932::ToUpper(text.substr(start));
}

// Decimal conversion that does not depend on the application's locale.
double ToDouble(const std::string& text) {
    static locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", nullptr);
    return cLocale != nullptr ? ::strtod_l(text.c_str(), nullptr, cLocale)
                              : std::strtod(text.c_str(), nullptr);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

void StoreLittleEndian(uint64_t value, size_t size, unsigned char* destination) {
    for (size_t i = 0; i < size; ++i) {
        destination[i] = static_cast<unsigned char>(i < 8 ? value >> (8 * i) : 0);
    }
}

struct IntegerRange {
    double low;
    double high;
};

IntegerRange RangeOf(size_t size, bool isSigned) {
    const double twoTo63 = 9223372036854775808.0;
    switch (size) {
    case 1:
        return isSigned ? IntegerRange{-128, 127} : IntegerRange{0, 255};
    case 2:
        return isSigned ? IntegerRange{-32768, 32767} : IntegerRange{0, 65535};
    case 4:
        return isSigned ? IntegerRange{-2147483648.0, 2147483647.0} : IntegerRange{0, 4294967295.0};
    default:
        return isSigned ? IntegerRange{-twoTo63, twoTo63} : IntegerRange{0, twoTo63};
    }
}

int ParseText(const std::string& text, size_t& count, size_t capacity, unsigned char* destination,
              int charSet) {
    if (text.empty()) {
        return kParseIllegalCharacter;
    }
    if (charSet != 1) {
        count = text.size();
        if (text.size() >= capacity) {
            return kParseTooManyCharacters;
        }
        std::memcpy(destination, text.data(), text.size());
        return kParseOk;
    }
    std::u16string wide = CodePage932::ToUtf16(text);
    count = 2 * wide.size();
    if (wide.empty() || 2 * (wide.size() + 1) > capacity) {
        return kParseTooManyCharacters;
    }
    for (size_t i = 0; i < wide.size(); ++i) {
        destination[2 * i] = static_cast<unsigned char>(wide[i] & 0xFF);
        destination[2 * i + 1] = static_cast<unsigned char>(wide[i] >> 8);
    }
    return kParseOk;
}

size_t InputSize(int inputType) {
    switch (inputType) {
    case kInputChar:
    case kInputUnsignedChar:
    case kInputBit:
        return 1;
    case kInputShort:
    case kInputUnsignedShort:
        return 2;
    case kInputLong:
    case kInputUnsignedLong:
    case kInputFloat:
        return 4;
    case kInputDouble:
        return 8;
    default:
        return 0;
    }
}

int ParseNumber(int inputType, const std::string& text, size_t size, unsigned char* destination) {
    switch (inputType) {
    case kInputChar:
    case kInputShort:
    case kInputLong:
        return ParseIntegerText(text, size, true, destination);
    case kInputUnsignedChar:
    case kInputUnsignedShort:
    case kInputUnsignedLong:
        return ParseIntegerText(text, size, false, destination);
    case kInputBit:
        return ParseBitText(text, size, destination);
    case kInputFloat: {
        float current;
        std::memcpy(&current, destination, sizeof current);
        double value = current;
        int result = ParseRealText(text, value);
        if (result == kParseOk && !Prepare(text).empty()) {
            // No range check: values beyond single precision become infinities.
            auto single = static_cast<float>(value);
            std::memcpy(destination, &single, sizeof single);
        }
        return result;
    }
    case kInputDouble: {
        double value;
        std::memcpy(&value, destination, sizeof value);
        int result = ParseRealText(text, value);
        if (result == kParseOk) {
            std::memcpy(destination, &value, sizeof value);
        }
        return result;
    }
    default:
        return kParseIllegalCharacter;
    }
}

} // namespace

int ParseHexText(const std::string& text, size_t size, unsigned char* destination, size_t& count) {
    std::string digits = Prepare(text);
    count = (digits.size() + 1) / 2;
    if (digits.size() > 2 * size) {
        return kParseTooManyCharacters;
    }
    for (char c : digits) {
        if (HexDigit(c) < 0) {
            return kParseIllegalCharacter;
        }
    }
    std::memset(destination, 0, count);
    size_t byte = 0;
    for (size_t end = digits.size(); end > 0; ++byte) {
        size_t start = end >= 2 ? end - 2 : 0;
        int value = 0;
        for (size_t i = start; i < end; ++i) {
            value = value * 16 + HexDigit(digits[i]);
        }
        destination[byte] = static_cast<unsigned char>(value);
        end = start;
    }
    return kParseOk;
}

int ParseIntegerText(const std::string& text, size_t size, bool isSigned, unsigned char* destination) {
    std::string digits = Prepare(text);
    for (size_t i = 0; i < digits.size(); ++i) {
        char c = digits[i];
        bool sign = i == 0 && (c == '+' || (c == '-' && isSigned));
        if (!sign && (c < '0' || c > '9')) {
            return kParseIllegalCharacter;
        }
    }
    double value = ToDouble(digits);
    IntegerRange range = RangeOf(size, isSigned);
    if (value < range.low || value > range.high) {
        return kParseOverRange;
    }
    value = std::trunc(value);
    // Negative values go through the signed type, the rest through the unsigned one, so that 2^63 fits.
    uint64_t bits =
        value < 0 ? static_cast<uint64_t>(static_cast<int64_t>(value)) : static_cast<uint64_t>(value);
    StoreLittleEndian(bits, size, destination);
    return kParseOk;
}

int ParseRealText(const std::string& text, double& value) {
    std::string prepared = Prepare(text);
    bool inExponent = false;
    bool digitSeen = false, plusSeen = false, minusSeen = false, pointSeen = false;
    for (char c : prepared) {
        if (c == 'E') {
            if (inExponent) {
                return kParseIllegalCharacter;
            }
            inExponent = true;
            digitSeen = plusSeen = minusSeen = false;
        } else if (c >= '0' && c <= '9') {
            digitSeen = true;
        } else if (c == ' ' && !digitSeen) {
        } else if (c == '+' && !digitSeen && !plusSeen) {
            plusSeen = true;
        } else if (c == '-' && !digitSeen && !minusSeen) {
            minusSeen = true;
        } else if (c == '.' && !inExponent && !pointSeen) {
            pointSeen = true;
        } else {
            return kParseIllegalCharacter;
        }
    }
    if (!prepared.empty()) {
        value = ToDouble(prepared);
    }
    return kParseOk;
}

int ParseBitText(const std::string& text, size_t size, unsigned char* destination) {
    std::string bits;
    for (char c : text) {
        if (c != ' ') {
            bits += c;
        }
    }
    if (bits.size() > 8 * size) {
        return kParseTooManyCharacters;
    }
    for (char c : bits) {
        if (c != '0' && c != '1') {
            return kParseIllegalCharacter;
        }
    }
    std::memset(destination, 0, size);
    size_t byte = 0;
    for (size_t end = bits.size(); end > 0; ++byte) {
        size_t start = end >= 8 ? end - 8 : 0;
        int value = 0;
        for (size_t i = start; i < end; ++i) {
            value = value * 2 + (bits[i] - '0');
        }
        destination[byte] = static_cast<unsigned char>(value);
        end = start;
    }
    return kParseOk;
}

int ParseValue(int inputType, const std::string& text, size_t& byteCount, size_t capacity,
               unsigned char* destination, int keepOrder, int charSet) {
    byteCount = 0;
    if (destination == nullptr) {
        return kParseTooManyCharacters;
    }
    int result = kParseIllegalCharacter;
    if (inputType == kInputText) {
        return ParseText(text, byteCount, capacity, destination, charSet);
    }
    if (inputType == kInputHex) {
        std::string digits = Prepare(text);
        byteCount = (digits.size() + 1) / 2;
        if (byteCount > capacity) {
            return kParseTooManyCharacters;
        }
        result = ParseHexText(text, byteCount, destination, byteCount);
    } else {
        byteCount = InputSize(inputType);
        if (byteCount == 0) {
            return kParseIllegalCharacter;
        }
        // The destination must hold the value; a smaller one is refused rather than overrun.
        if (byteCount > capacity) {
            return kParseTooManyCharacters;
        }
        result = ParseNumber(inputType, text, byteCount, destination);
    }
    if (result == kParseOk && keepOrder != 1) {
        std::reverse(destination, destination + byteCount);
    }
    return result;
}

std::string ParseErrorText(int code, int language) {
    bool english = language == 1;
    switch (code) {
    case kParseIllegalCharacter:
        return english ? "Find illegal charactor" : "変な文字があります";
    case kParseTooManyCharacters:
        return english ? "Too many charactor" : "文字数が多すぎます";
    case kParseOverRange:
        return english ? "Over range" : "範囲を越えています";
    default:
        return std::string();
    }
}
