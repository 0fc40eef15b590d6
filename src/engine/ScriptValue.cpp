#include "engine/ScriptValue.h"

#include <cmath>

ScriptValue ScriptValue::Integer(int32_t kind, int64_t value) {
    ScriptValue v;
    v.kind = kind;
    v.intValue = NormalizeInteger(kind, value);
    return v;
}

ScriptValue ScriptValue::Real(int32_t kind, double value) {
    ScriptValue v;
    v.kind = kind;
    v.realValue = kind == KindFloat ? static_cast<double>(static_cast<float>(value)) : value;
    return v;
}

ScriptValue ScriptValue::String(const std::string& text) {
    ScriptValue v;
    v.kind = KindString;
    v.text = text;
    return v;
}

ScriptValue ScriptValue::Pointer(int64_t offset, const std::string& pointedType) {
    ScriptValue v;
    v.kind = KindPointer;
    v.intValue = offset;
    v.text = pointedType;
    return v;
}

ScriptValue ScriptValue::Error(int32_t code, const char* cursor) {
    ScriptValue v(cursor);
    v.error = code;
    return v;
}

bool IsIntegerKind(int32_t kind) {
    return kind >= KindChar && kind <= KindInt;
}

bool IsRealKind(int32_t kind) {
    return kind == KindFloat || kind == KindDouble;
}

bool IsSignedIntegerKind(int32_t kind) {
    return kind == KindChar || kind == KindShort || kind == KindInt;
}

int IntegerWidth(int32_t kind) {
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

int64_t NormalizeInteger(int32_t kind, int64_t value) {
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

int32_t TruncateToInt32(double x) {
    if (!(x > -2147483649.0 && x < 2147483648.0)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(x);
}

int64_t TruncateToInt64(double x) {
    if (!(x >= -9223372036854775808.0 && x < 9223372036854775808.0)) {
        return INT64_MIN;
    }
    return static_cast<int64_t>(x);
}

int32_t KindOfTypeName(const std::string& t) {
    if (t.empty()) {
        return KindNone;
    }
    static const struct {
        const char* name;
        int32_t kind;
    } names[] = {
        {"char", KindChar},     {"unsigned char", KindUChar},
        {"short", KindShort},   {"unsigned short", KindUShort},
        {"long", KindInt},      {"unsigned long", KindUInt},
        {"int", KindInt},       {"unsigned int", KindUInt},
        {"unsigned", KindUInt}, {"float", KindFloat},
        {"double", KindDouble}, {"string", KindString},
        {"void", KindVoid},
    };
    for (const auto& n : names) {
        if (t == n.name) {
            return n.kind;
        }
    }
    return t.back() == '*' ? KindPointer : KindNone;
}

int64_t SizeOfValue(const ScriptValue& v) {
    switch (v.kind) {
    case KindChar:
    case KindUChar:
        return 1;
    case KindUShort:
    case KindShort:
        return 2;
    case KindUInt:
    case KindInt:
    case KindFloat:
        return 4;
    case KindDouble:
    case KindPointer:
        return 8;
    case KindString:
        return static_cast<int64_t>(v.text.size());
    default:
        return 0;
    }
}

int32_t CommonKind(int32_t left, int32_t right) {
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

namespace {

// The text of a 16-bit value: its two bytes, low byte first, ending at the first zero byte.
std::string SixteenBitText(uint32_t v) {
    std::string s;
    char low = static_cast<char>(v & 0xFF);
    char high = static_cast<char>((v >> 8) & 0xFF);
    if (low == 0) {
        return s;
    }
    s += low;
    if (high != 0) {
        s += high;
    }
    return s;
}

bool IntegerToString(const ScriptValue& v, std::string& out) {
    switch (v.kind) {
    case KindChar:
    case KindUChar: {
        char c = static_cast<char>(v.intValue & 0xFF);
        out = c == 0 ? std::string() : std::string(1, c);
        return true;
    }
    case KindUShort:
    case KindShort:
        out = SixteenBitText(static_cast<uint32_t>(v.intValue) & 0xFFFF);
        return true;
    default: {
        uint32_t u = static_cast<uint32_t>(v.intValue);
        if (u >= 65536) {
            return false;
        }
        out = SixteenBitText(u);
        return true;
    }
    }
}

} // namespace

void ConvertTo(ScriptValue& v, int32_t kind) {
    int32_t from = v.kind;
    bool ok = false;
    if (kind < 0 || kind > KindVoid) {
        ok = false;
    } else if (IsIntegerKind(from)) {
        if (IsIntegerKind(kind)) {
            v.intValue = NormalizeInteger(kind, v.intValue);
            ok = true;
        } else if (kind == KindFloat) {
            v.realValue = static_cast<double>(static_cast<float>(v.intValue));
            ok = true;
        } else if (kind == KindDouble) {
            v.realValue = static_cast<double>(v.intValue);
            ok = true;
        } else if (kind == KindString) {
            std::string s;
            ok = IntegerToString(v, s);
            if (ok) {
                v.text = s;
            }
        }
    } else if (IsRealKind(from)) {
        if (IsIntegerKind(kind)) {
            int64_t i =
                IsSignedIntegerKind(kind) ? TruncateToInt32(v.realValue) : TruncateToInt64(v.realValue);
            v.intValue = NormalizeInteger(kind, i);
            ok = true;
        } else if (kind == KindFloat) {
            v.realValue = static_cast<double>(static_cast<float>(v.realValue));
            ok = true;
        } else if (kind == KindDouble) {
            ok = true;
        }
    } else if (from == KindString) {
        ok = kind == KindString;
    } else if (from == KindVoid) {
        ok = kind == KindVoid;
    }
    v.kind = kind;
    if (!ok) {
        v.error = 6;
    }
}
