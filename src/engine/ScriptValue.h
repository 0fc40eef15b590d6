#pragma once

#include <climits>
#include <cstdint>
#include <string>

// The kinds a script value can have. Note the order within the pairs: for 8 bits the signed kind has the
// lower tag, for 16 and 32 bits the unsigned kind has.
enum ValueKind : int32_t {
    KindChar = 0,
    KindUChar = 1,
    KindUShort = 2,
    KindShort = 3,
    KindUInt = 4,
    KindInt = 5,
    KindFloat = 6,
    KindDouble = 7,
    KindString = 8,
    KindPointer = 9,
    KindVoid = 10,
    KindNone = 11,
};

// The one value type of the script language: every literal, variable read, operator result and function
// result. Integer kinds keep their value in intValue normalised to their width and signedness (an unsigned
// char 200 is 200, a char 200 is -56); float keeps its single-precision value in realValue.
struct ScriptValue {
    int32_t error = 0;
    int32_t level = 0;
    const char* cursor = nullptr;
    std::string name;
    int32_t kind = KindVoid;
    int64_t intValue = 0;
    double realValue = 0.0;
    std::string text;

    ScriptValue() = default;
    explicit ScriptValue(const char* cursor, int32_t level = 0) : level(level), cursor(cursor) {}

    static ScriptValue Integer(int32_t kind, int64_t value);
    static ScriptValue Real(int32_t kind, double value);
    static ScriptValue String(const std::string& text);
    static ScriptValue Pointer(int64_t offset, const std::string& pointedType);
    static ScriptValue Error(int32_t code, const char* cursor);
};

inline bool IsIntegerKind(int32_t kind) {
    return kind >= KindChar && kind <= KindInt;
}

inline bool IsRealKind(int32_t kind) {
    return kind == KindFloat || kind == KindDouble;
}

inline bool IsSignedIntegerKind(int32_t kind) {
    return kind == KindChar || kind == KindShort || kind == KindInt;
}

// Width in bytes of an integer kind (1, 2 or 4).
inline int IntegerWidth(int32_t kind) {
    switch (kind) {
    case KindChar:
    case KindUChar:
        return 1;
    case KindUShort:
    case KindShort:
        return 2;
    default:
        return 4;
    }
}

// Wraps a 64-bit integer to the width and signedness of an integer kind.
inline int64_t NormalizeInteger(int32_t kind, int64_t value) {
    uint64_t bits = static_cast<uint64_t>(value);
    switch (kind) {
    case KindChar:
        return static_cast<int8_t>(static_cast<uint8_t>(bits));
    case KindUChar:
        return static_cast<uint8_t>(bits);
    case KindUShort:
        return static_cast<uint16_t>(bits);
    case KindShort:
        return static_cast<int16_t>(static_cast<uint16_t>(bits));
    case KindUInt:
        return static_cast<uint32_t>(bits);
    case KindInt:
        return static_cast<int32_t>(static_cast<uint32_t>(bits));
    default:
        return value;
    }
}

// The declared type name's kind: base names by exact comparison, any other name ending in "*" is a pointer,
// anything else (a struct or unknown name) is KindNone.
int32_t KindOfTypeName(const std::string& typeName);
// Bytes the value occupies when written into data.
int64_t SizeOfValue(const ScriptValue& value);

// The kind in which a binary operator computes, or KindNone.
inline int32_t CommonKind(int32_t left, int32_t right) {
    static const int8_t table[9][9] = {
        {0, 0, 2, 3, 4, 5, 6, 7, 8},  {0, 1, 2, 3, 4, 5, 6, 7, 8},  {2, 2, 2, 3, 4, 5, 6, 7, 8},
        {3, 3, 3, 3, 4, 5, 6, 7, 8},  {4, 4, 4, 4, 4, 5, 6, 7, 8},  {5, 5, 5, 5, 5, 5, 6, 7, 8},
        {6, 6, 6, 6, 6, 6, 6, 7, 11}, {7, 7, 7, 7, 7, 7, 7, 7, 11}, {8, 8, 8, 8, 8, 8, 11, 11, 8},
    };
    if (left < 0 || left > 8 || right < 0 || right > 8) {
        return KindNone;
    }
    return table[left][right];
}
// Converts in place; always sets kind to the target and sets error 6 when the conversion is not allowed (the
// payload is then left as it was).
void ConvertTo(ScriptValue& value, int32_t kind);

// Float or double to a 32-bit or 64-bit signed integer by truncation; values outside the range and
// not-a-number give the integer indefinite pattern (0x80000000 or 0x8000000000000000), as the x86 conversion
// does.
inline int32_t TruncateToInt32(double x) {
    if (!(x > -2147483649.0 && x < 2147483648.0)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(x);
}

inline int64_t TruncateToInt64(double x) {
    if (!(x >= -9223372036854775808.0 && x < 9223372036854775808.0)) {
        return INT64_MIN;
    }
    return static_cast<int64_t>(x);
}
