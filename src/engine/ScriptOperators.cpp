#include "engine/ScriptOperators.h"

#include "platform/CodePage932.h"

#include <cmath>

namespace ScriptOperators {

namespace {

// The float comparison tolerance: 2^-52, in the precision of the operands.
constexpr double kDoubleTolerance = 2.220446049250313e-16;

ScriptValue Failed(int32_t code, const ScriptValue& right) {
    ScriptValue v(right.cursor);
    v.error = code;
    return v;
}

ScriptValue WithCursor(ScriptValue v, const ScriptValue& right) {
    v.cursor = right.cursor;
    return v;
}

// Converts both operands to the common kind; false (and the error code) when there is none or a conversion
// fails.
bool Promote(ScriptValue& left, ScriptValue& right, int32_t& common, int32_t& error) {
    common = CommonKind(left.kind, right.kind);
    if (common == KindNone) {
        error = 6;
        return false;
    }
    ConvertTo(left, common);
    ConvertTo(right, common);
    error = left.error > right.error ? left.error : right.error;
    return error == 0;
}

bool IsZero(const ScriptValue& v) {
    if (IsRealKind(v.kind)) {
        return v.realValue == 0.0;
    }
    return v.intValue == 0;
}

// The larger error code of two operands converted for an integer operator (0 when both converted).
int32_t ConvertPair(ScriptValue& left, ScriptValue& right, int32_t kind) {
    ConvertTo(left, kind);
    ConvertTo(right, kind);
    return left.error > right.error ? left.error : right.error;
}

} // namespace

int CompareMultibyte(const std::string& a, const std::string& b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        unsigned ca = static_cast<unsigned char>(a[i++]);
        if (CodePage932::IsLeadByte(static_cast<unsigned char>(ca)) && i < a.size()) {
            ca = (ca << 8) | static_cast<unsigned char>(a[i++]);
        }
        unsigned cb = static_cast<unsigned char>(b[j++]);
        if (CodePage932::IsLeadByte(static_cast<unsigned char>(cb)) && j < b.size()) {
            cb = (cb << 8) | static_cast<unsigned char>(b[j++]);
        }
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (i < a.size()) {
        return 1;
    }
    if (j < b.size()) {
        return -1;
    }
    return 0;
}

ScriptValue Arithmetic(Arith op, ScriptValue left, ScriptValue right) {
    int32_t common = KindNone;
    int32_t error = 0;
    if (!Promote(left, right, common, error)) {
        return Failed(error, right);
    }
    if (common == KindString) {
        if (op != Arith::Add) {
            return Failed(2, right);
        }
        if (left.text.size() + right.text.size() > kMaxStringLength) {
            return Failed(32, right);
        }
        return WithCursor(ScriptValue::String(left.text + right.text), right);
    }
    if (op == Arith::Div && IsZero(right)) {
        return Failed(3, right);
    }
    if (common == KindFloat) {
        float a = static_cast<float>(left.realValue);
        float b = static_cast<float>(right.realValue);
        float r = op == Arith::Add ? a + b : op == Arith::Sub ? a - b : op == Arith::Mul ? a * b : a / b;
        return WithCursor(ScriptValue::Real(KindFloat, r), right);
    }
    if (common == KindDouble) {
        double a = left.realValue;
        double b = right.realValue;
        double r = op == Arith::Add ? a + b : op == Arith::Sub ? a - b : op == Arith::Mul ? a * b : a / b;
        return WithCursor(ScriptValue::Real(KindDouble, r), right);
    }
    // Integer kinds: the normalised values fit in 33 bits, so 64-bit unsigned arithmetic wraps correctly and
    // the division of normalised values is exact (unsigned kinds are non-negative, signed ones truncate
    // toward zero).
    uint64_t a = static_cast<uint64_t>(left.intValue);
    uint64_t b = static_cast<uint64_t>(right.intValue);
    int64_t r = 0;
    switch (op) {
    case Arith::Add:
        r = static_cast<int64_t>(a + b);
        break;
    case Arith::Sub:
        r = static_cast<int64_t>(a - b);
        break;
    case Arith::Mul:
        r = static_cast<int64_t>(a * b);
        break;
    case Arith::Div:
        r = left.intValue / right.intValue;
        break;
    }
    return WithCursor(ScriptValue::Integer(common, r), right);
}

ScriptValue Remainder(ScriptValue left, ScriptValue right) {
    int32_t error = ConvertPair(left, right, KindInt);
    if (error) {
        return Failed(error, right);
    }
    if (right.intValue == 0) {
        return Failed(3, right);
    }
    return WithCursor(ScriptValue::Integer(KindInt, left.intValue % right.intValue), right);
}

ScriptValue Bits(Bitwise op, ScriptValue left, ScriptValue right) {
    int32_t error = ConvertPair(left, right, KindUInt);
    if (error) {
        return Failed(error, right);
    }
    uint32_t a = static_cast<uint32_t>(left.intValue);
    uint32_t b = static_cast<uint32_t>(right.intValue);
    uint32_t r = 0;
    switch (op) {
    case Bitwise::Shl:
        r = a << (b % 32);
        break;
    case Bitwise::Shr:
        r = (b % 64) >= 32 ? 0 : a >> (b % 64);
        break;
    case Bitwise::And:
        r = a & b;
        break;
    case Bitwise::Or:
        r = a | b;
        break;
    case Bitwise::Xor:
        r = a ^ b;
        break;
    }
    return WithCursor(ScriptValue::Integer(KindUInt, r), right);
}

ScriptValue Comparison(Compare op, ScriptValue left, ScriptValue right) {
    int32_t common = KindNone;
    int32_t error = 0;
    if (!Promote(left, right, common, error)) {
        return Failed(error, right);
    }
    bool result = false;
    if (common == KindString) {
        int c = CompareMultibyte(left.text, right.text);
        switch (op) {
        case Compare::Eq:
            result = c == 0;
            break;
        case Compare::Ne:
            result = c != 0;
            break;
        case Compare::Lt:
            result = c < 0;
            break;
        case Compare::Le:
            result = c <= 0;
            break;
        case Compare::Gt:
            result = c > 0;
            break;
        case Compare::Ge:
            result = c >= 0;
            break;
        }
    } else if (common == KindFloat) {
        float a = static_cast<float>(left.realValue);
        float b = static_cast<float>(right.realValue);
        float tolerance = static_cast<float>(kDoubleTolerance);
        switch (op) {
        case Compare::Eq:
            result = std::fabs(a - b) <= tolerance;
            break;
        case Compare::Ne:
            result = std::fabs(a - b) > tolerance;
            break;
        case Compare::Lt:
            result = a < b;
            break;
        case Compare::Le:
            result = a <= b;
            break;
        case Compare::Gt:
            result = a > b;
            break;
        case Compare::Ge:
            result = a >= b;
            break;
        }
    } else if (common == KindDouble) {
        double a = left.realValue;
        double b = right.realValue;
        switch (op) {
        case Compare::Eq:
            result = std::fabs(a - b) <= kDoubleTolerance;
            break;
        case Compare::Ne:
            result = std::fabs(a - b) > kDoubleTolerance;
            break;
        case Compare::Lt:
            result = a < b;
            break;
        case Compare::Le:
            result = a <= b;
            break;
        case Compare::Gt:
            result = a > b;
            break;
        case Compare::Ge:
            result = a >= b;
            break;
        }
    } else {
        // Normalised values: unsigned kinds are non-negative, so one signed comparison serves both.
        int64_t a = left.intValue;
        int64_t b = right.intValue;
        switch (op) {
        case Compare::Eq:
            result = a == b;
            break;
        case Compare::Ne:
            result = a != b;
            break;
        case Compare::Lt:
            result = a < b;
            break;
        case Compare::Le:
            result = a <= b;
            break;
        case Compare::Gt:
            result = a > b;
            break;
        case Compare::Ge:
            result = a >= b;
            break;
        }
    }
    return WithCursor(ScriptValue::Integer(KindInt, result ? 1 : 0), right);
}

namespace {

ScriptValue Logical(bool isAnd, ScriptValue left, ScriptValue right) {
    if (left.kind == KindString || right.kind == KindString) {
        return Failed(6, right);
    }
    int32_t common = CommonKind(left.kind, right.kind);
    if (common == KindNone) {
        return WithCursor(ScriptValue::Integer(KindInt, 0), right);
    }
    ConvertTo(left, common);
    ConvertTo(right, common);
    bool a = !IsZero(left);
    bool b = !IsZero(right);
    return WithCursor(ScriptValue::Integer(KindInt, (isAnd ? (a && b) : (a || b)) ? 1 : 0), right);
}

} // namespace

ScriptValue LogicalAnd(ScriptValue left, ScriptValue right) {
    return Logical(true, std::move(left), std::move(right));
}

ScriptValue LogicalOr(ScriptValue left, ScriptValue right) {
    return Logical(false, std::move(left), std::move(right));
}

ScriptValue Negate(ScriptValue v) {
    if (IsIntegerKind(v.kind)) {
        return WithCursor(
            ScriptValue::Integer(v.kind, static_cast<int64_t>(0 - static_cast<uint64_t>(v.intValue))), v);
    }
    if (IsRealKind(v.kind)) {
        return WithCursor(ScriptValue::Real(v.kind, -v.realValue), v);
    }
    if (v.kind == KindString || v.kind == KindPointer) {
        return Failed(2, v);
    }
    ScriptValue r(v.cursor);
    r.kind = v.kind;
    return r;
}

ScriptValue Complement(ScriptValue v) {
    if (IsIntegerKind(v.kind)) {
        return WithCursor(ScriptValue::Integer(v.kind, ~v.intValue), v);
    }
    if (IsRealKind(v.kind)) {
        ConvertTo(v, KindInt);
        return WithCursor(ScriptValue::Integer(KindInt, ~v.intValue), v);
    }
    if (v.kind == KindString || v.kind == KindPointer) {
        return Failed(2, v);
    }
    ScriptValue r(v.cursor);
    r.kind = v.kind;
    return r;
}

ScriptValue LogicalNot(ScriptValue v) {
    ConvertTo(v, KindInt);
    if (v.error) {
        return Failed(v.error, v);
    }
    return WithCursor(ScriptValue::Integer(KindInt, v.intValue == 0 ? 1 : 0), v);
}

ScriptValue UnaryPlus(ScriptValue v) {
    ScriptValue r = v;
    r.name.clear();
    return r;
}

} // namespace ScriptOperators
