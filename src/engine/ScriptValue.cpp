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
