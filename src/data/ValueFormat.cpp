#include "data/ValueFormat.h"

#include "platform/CodePage932.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <locale.h>

namespace {

// Real numbers are always written with a "." whatever locale the application runs in.
class CLocaleScope {
public:
    CLocaleScope() : cLocale_(::newlocale(LC_ALL_MASK, "C", nullptr)) {
        previous_ = cLocale_ != nullptr ? ::uselocale(cLocale_) : nullptr;
    }
    ~CLocaleScope() {
        if (cLocale_ != nullptr) {
            ::uselocale(previous_);
            ::freelocale(cLocale_);
        }
    }

private:
    locale_t cLocale_;
    locale_t previous_ = nullptr;
};

std::string Digits(uint64_t value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::string PadLeft(const std::string& text, int width) {
    if (static_cast<int>(text.size()) >= width) {
        return text;
    }
    return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
}

// The exponent after the first "E" or "e": its digits accumulated, negative when a "-" appears.
bool ExponentOf(const std::string& text, long& exponent) {
    size_t e = text.find_first_of("Ee");
    if (e == std::string::npos) {
        return false;
    }
    long value = 0;
    bool negative = false;
    for (size_t i = e + 1; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            value = value * 10 + (text[i] - '0');
        } else if (text[i] == '-') {
            negative = true;
        }
    }
    exponent = negative ? -value : value;
    return true;
}

template <typename T> T LittleEndianValue(const unsigned char* bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

std::string TwoByteText(const unsigned char* bytes, int charSet) {
    std::string text;
    if (charSet == 1) {
        std::u16string unit(1, static_cast<char16_t>(bytes[0] | (bytes[1] << 8)));
        CodePage932::FromUtf16Exact(unit, text);
    } else {
        text.assign(reinterpret_cast<const char*>(bytes), 2);
    }
    if (text.size() == 1) {
        text += ' ';
    }
    return text;
}

std::string FormatFixedUnit(const unsigned char* b, int sizeIndex, int typeIndex,
                            const ValueFormatOptions& o) {
    static const size_t kSizes[] = {1, 2, 4, 8};
    size_t size = kSizes[sizeIndex];
    switch (typeIndex) {
    case kTypeBit:
        return FormatBitText(b, size);
    case kTypeSign:
        switch (sizeIndex) {
        case kSize1Byte:
            return FormatSignedFixed(static_cast<int8_t>(b[0]), 4);
        case kSize2Bytes:
            return FormatSignedFixed(LittleEndianValue<int16_t>(b), 6);
        case kSize4Bytes:
            return FormatSignedFixed(LittleEndianValue<int32_t>(b), 11);
        default:
            return FormatHexText(b, size);
        }
    case kTypeUnsign:
        switch (sizeIndex) {
        case kSize1Byte:
            return FormatUnsignedFixed(b[0], 3);
        case kSize2Bytes:
            return FormatUnsignedFixed(LittleEndianValue<uint16_t>(b), 5);
        case kSize4Bytes:
            return FormatUnsignedFixed(LittleEndianValue<uint32_t>(b), 10);
        default:
            return FormatHexText(b, size);
        }
    case kTypeFloat:
        if (sizeIndex == kSize4Bytes) {
            return FormatReal(LittleEndianValue<float>(b), o.floatWidth, o.floatPrecision);
        }
        if (sizeIndex == kSize8Bytes) {
            return FormatReal(LittleEndianValue<double>(b), o.floatWidth, o.floatPrecision);
        }
        return FormatHexText(b, size);
    case kTypeText:
        if (sizeIndex == kSize1Byte) {
            return std::string(1, static_cast<char>(b[0]));
        }
        if (sizeIndex == kSize2Bytes) {
            return TwoByteText(b, o.charSet);
        }
        return FormatHexText(b, size);
    default:
        return FormatHexText(b, size);
    }
}

} // namespace

void ClampFloatFormat(int& width, int& precision) {
    width = std::max(0, std::min(width, 20));
    precision = std::max(0, std::min(precision, width - 1));
}

void ReverseBytes(size_t count, unsigned char* buffer) {
    if (count >= 2 && buffer != nullptr) {
        std::reverse(buffer, buffer + count);
    }
}

std::string FormatUnsignedFixed(uint64_t value, int width) {
    return PadLeft(Digits(value), width);
}

std::string FormatSignedFixed(int64_t value, int width) {
    switch (value) {
    case INT8_MIN:
        return "-128";
    case INT16_MIN:
        return "-32768";
    case INT32_MIN:
        return "-2147483648";
    default:
        break;
    }
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits = Digits(magnitude);
    return PadLeft(value < 0 ? "-" + digits : digits, width);
}

std::string FormatHexText(const unsigned char* bytes, size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 2);
    for (size_t i = count; i-- > 0;) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::string FormatBitText(const unsigned char* bytes, size_t count) {
    std::string text;
    for (size_t i = count; i-- > 0;) {
        if (i + 1 != count) {
            text += ' ';
        }
        for (int bit = 7; bit >= 0; --bit) {
            text += (bytes[i] >> bit) & 1 ? '1' : '0';
            if (bit == 4) {
                text += ' ';
            }
        }
    }
    return text;
}

std::string FormatReal(double value, int floatWidth, int floatPrecision) {
    ClampFloatFormat(floatWidth, floatPrecision);
    CLocaleScope cLocale;
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%*.*e", floatWidth, floatPrecision, value);
    long exponent = 0;
    if (ExponentOf(buffer, exponent) && exponent >= -10 && exponent <= 10) {
        std::snprintf(buffer, sizeof buffer, "%*.*f", floatWidth, floatPrecision, value);
    }
    return buffer;
}

int SymbolClassForSize(size_t unitSize) {
    switch (unitSize) {
    case 1:
        return 0;
    case 2:
        return 1;
    case 4:
        return 2;
    case 8:
        return 3;
    default:
        return 4;
    }
}

int FormatUnit(const unsigned char* bytes, int sizeIndex, int typeIndex, size_t unitSize, int symbolClass,
               const ValueFormatOptions& options, std::string& output) {
    output.clear();
    if (bytes == nullptr || sizeIndex < kSize1Byte || sizeIndex > kSizeSymbol) {
        return 0;
    }
    if (sizeIndex == kSizeSymbol) {
        // Raw bytes: at most the first 16 of the symbol.
        size_t count = std::min<size_t>(unitSize, 16);
        unsigned char raw[16] = {};
        std::memcpy(raw, bytes, count);
        if (!options.littleEndian) {
            ReverseBytes(count, raw);
        }
        if (typeIndex == kTypeBit) {
            output = FormatBitText(raw, count);
            return 1;
        }
        if (typeIndex == kTypeHex || symbolClass < 0 || symbolClass >= 4 ||
            count < (size_t{1} << symbolClass)) {
            output = FormatHexText(raw, count);
            return 1;
        }
        output = FormatFixedUnit(raw, symbolClass, typeIndex, options);
        return 1;
    }
    static const size_t kSizes[] = {1, 2, 4, 8};
    unsigned char unit[8] = {};
    std::memcpy(unit, bytes, kSizes[sizeIndex]);
    if (!options.littleEndian) {
        ReverseBytes(kSizes[sizeIndex], unit);
    }
    output = FormatFixedUnit(unit, sizeIndex, typeIndex, options);
    return 1;
}
