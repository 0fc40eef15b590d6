#pragma once

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

bool IsIntegerKind(int32_t kind);
bool IsRealKind(int32_t kind);
bool IsSignedIntegerKind(int32_t kind);
// Width in bytes of an integer kind (1, 2 or 4).
int IntegerWidth(int32_t kind);
// Wraps a 64-bit integer to the width and signedness of an integer kind.
int64_t NormalizeInteger(int32_t kind, int64_t value);

// The declared type name's kind: base names by exact comparison, any other name ending in "*" is a pointer,
// anything else (a struct or unknown name) is KindNone.
int32_t KindOfTypeName(const std::string& typeName);
// Bytes the value occupies when written into data.
int64_t SizeOfValue(const ScriptValue& value);

// The kind in which a binary operator computes, or KindNone.
int32_t CommonKind(int32_t left, int32_t right);
// Converts in place; always sets kind to the target and sets error 6 when the conversion is not allowed (the
// payload is then left as it was).
void ConvertTo(ScriptValue& value, int32_t kind);

// Float or double to a 32-bit or 64-bit signed integer by truncation; values outside the range and
// not-a-number give the integer indefinite pattern (0x80000000 or 0x8000000000000000), as the x86 conversion
// does.
int32_t TruncateToInt32(double x);
int64_t TruncateToInt64(double x);
