#include "binding/CInputValue.h"

#include "data/ValueFormat.h"
#include "data/ValueParse.h"
#include "engine/ScriptValue.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct TypeInfo {
    size_t size;
    bool isSigned;
    int width; // of the fixed-width decimal text
};

TypeInfo InfoOf(int type) {
    switch (type) {
    case CInputValue::kChar:
        return {1, true, 4};
    case CInputValue::kUnsignedChar:
        return {1, false, 3};
    case CInputValue::kShort:
        return {2, true, 6};
    case CInputValue::kUnsignedShort:
        return {2, false, 5};
    case CInputValue::kLong:
        return {4, true, 11};
    case CInputValue::kUnsignedLong:
        return {4, false, 10};
    case CInputValue::kFloat:
        return {4, true, 0};
    case CInputValue::kDouble:
        return {8, true, 0};
    default:
        return {0, false, 0};
    }
}

bool IsInteger(int type) {
    return type >= CInputValue::kChar && type <= CInputValue::kUnsignedLong;
}

// Wraps to the width and signedness of an integer type.
int64_t Wrap(int type, int64_t value) {
    TypeInfo info = InfoOf(type);
    const int bits = static_cast<int>(info.size * 8);
    uint64_t u = static_cast<uint64_t>(value) & ((uint64_t{1} << bits) - 1);
    if (info.isSigned && (u >> (bits - 1)) != 0) {
        return static_cast<int64_t>(u | ~((uint64_t{1} << bits) - 1));
    }
    return static_cast<int64_t>(u);
}

std::string RealText(double value) {
    char text[512];
    std::snprintf(text, sizeof text, "%le", value);
    const char* e = std::strchr(text, 'e');
    if (e) {
        long exponent = std::strtol(e + 1, nullptr, 10);
        if (exponent >= -10 && exponent <= 10) {
            std::snprintf(text, sizeof text, "%lf", value);
        }
    }
    return text;
}

std::string WithoutLeadingBlanks(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

} // namespace

CInputValue::CInputValue(int valueType)
    : type(valueType >= kChar && valueType <= kText ? valueType : kLong) {}

CInputValue CInputValue::FromScriptValue(const ScriptValue& value) {
    CInputValue v;
    switch (value.kind) {
    case KindChar:
        v.type = kChar;
        break;
    case KindUChar:
        v.type = kUnsignedChar;
        break;
    case KindShort:
        v.type = kShort;
        break;
    case KindUShort:
        v.type = kUnsignedShort;
        break;
    case KindInt:
        v.type = kLong;
        break;
    case KindUInt:
        v.type = kUnsignedLong;
        break;
    case KindFloat:
        v.type = kFloat;
        v.SetReal(value.realValue);
        return v;
    case KindDouble:
        v.type = kDouble;
        v.SetReal(value.realValue);
        return v;
    case KindString:
        v.type = kText;
        v.textValue = value.text;
        return v;
    default:
        v.type = kLong;
        return v;
    }
    v.SetInt(value.intValue);
    return v;
}

void CInputValue::SetInt(int64_t value) {
    intValue = IsInteger(type) ? Wrap(type, value) : value;
}

void CInputValue::SetReal(double value) {
    realValue = type == kFloat ? static_cast<double>(static_cast<float>(value)) : value;
}

std::string CInputValue::InitialText() const {
    if (type == kText) {
        return textValue;
    }
    if (type == kFloat || type == kDouble) {
        return RealText(realValue);
    }
    TypeInfo info = InfoOf(type);
    std::string text = info.isSigned ? FormatSignedFixed(intValue, info.width)
                                     : FormatUnsignedFixed(static_cast<uint64_t>(intValue), info.width);
    return WithoutLeadingBlanks(text);
}

int CInputValue::Parse(const std::string& text) {
    if (type == kText) {
        textValue = text;
        return kParseOk;
    }
    // The parser leaves a real as it was for an empty text, so it starts from the current value.
    unsigned char bytes[8] = {};
    Bytes(bytes);
    size_t count = 0;
    int result = ParseValue(type, text, count, sizeof bytes, bytes, 1, 0);
    if (result != kParseOk) {
        return result;
    }
    if (type == kFloat) {
        float f;
        std::memcpy(&f, bytes, sizeof f);
        realValue = f;
    } else if (type == kDouble) {
        std::memcpy(&realValue, bytes, sizeof realValue);
    } else {
        uint64_t bits = 0;
        for (size_t i = 0; i < count && i < 8; ++i) {
            bits |= static_cast<uint64_t>(bytes[i]) << (8 * i);
        }
        intValue = Wrap(type, static_cast<int64_t>(bits));
    }
    return kParseOk;
}

std::string CInputValue::IllegalCharacterText(int language) {
    return ParseErrorText(kParseIllegalCharacter, language == 1 ? 1 : 0);
}

size_t CInputValue::Bytes(unsigned char out[8]) const {
    std::memset(out, 0, 8);
    if (type == kText) {
        return 0;
    }
    if (type == kFloat) {
        auto f = static_cast<float>(realValue);
        std::memcpy(out, &f, sizeof f);
        return 4;
    }
    if (type == kDouble) {
        std::memcpy(out, &realValue, sizeof realValue);
        return 8;
    }
    const size_t size = InfoOf(type).size;
    WideBytes(out);
    std::memset(out + size, 0, 8 - size);
    return size;
}

void CInputValue::WideBytes(unsigned char wide[8]) const {
    std::memset(wide, 0, 8);
    if (!IsInteger(type)) {
        Bytes(wide);
        return;
    }
    auto bits = static_cast<uint64_t>(intValue);
    for (int i = 0; i < 8; ++i) {
        wide[i] = static_cast<unsigned char>(bits >> (8 * i));
    }
}
