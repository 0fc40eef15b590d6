#pragma once

#include "engine/ScriptValue.h"

#include <cmath>
#include <cstdint>

// The operators of ScriptOperators for numeric operands (the integer kinds, float and double) on bare
// numbers, with the same results: the compiled evaluation uses them and leaves strings, pointers and void to
// ScriptOperators.
namespace ScriptArithmetic {

struct Number {
    int32_t kind = KindInt;
    int64_t i = 0; // integer kinds, normalised to the kind
    double r = 0;  // float (single precision value) and double
};

inline bool IsNumeric(int32_t kind) {
    return kind >= KindChar && kind <= KindDouble;
}

// ConvertTo between numeric kinds.
inline Number Convert(const Number& n, int32_t kind) {
    Number out;
    out.kind = kind;
    if (IsIntegerKind(n.kind)) {
        if (IsIntegerKind(kind)) {
            out.i = NormalizeInteger(kind, n.i);
        } else if (kind == KindFloat) {
            out.r = static_cast<double>(static_cast<float>(n.i));
        } else {
            out.r = static_cast<double>(n.i);
        }
    } else if (IsIntegerKind(kind)) {
        const int64_t t = IsSignedIntegerKind(kind) ? TruncateToInt32(n.r) : TruncateToInt64(n.r);
        out.i = NormalizeInteger(kind, t);
    } else {
        out.r = kind == KindFloat ? static_cast<double>(static_cast<float>(n.r)) : n.r;
    }
    return out;
}

inline double ToDouble(const Number& n) {
    return IsIntegerKind(n.kind) ? static_cast<double>(n.i) : n.r;
}

inline bool IsZero(const Number& n) {
    return IsRealKind(n.kind) ? n.r == 0.0 : n.i == 0;
}

inline Number Integer(int32_t kind, int64_t value) {
    Number n;
    n.kind = kind;
    n.i = NormalizeInteger(kind, value);
    return n;
}

inline Number Real(int32_t kind, double value) {
    Number n;
    n.kind = kind;
    n.r = kind == KindFloat ? static_cast<double>(static_cast<float>(value)) : value;
    return n;
}

// Arithmetic "+" (0), "*" (1), "-" (2), "/" (3): false (error 3) for a zero divisor.
inline bool Arithmetic(int32_t op, const Number& left, const Number& right, Number& out) {
    const int32_t common = CommonKind(left.kind, right.kind);
    if (IsIntegerKind(common)) {
        // Two integers: the conversions only wrap.
        const auto x = static_cast<uint64_t>(NormalizeInteger(common, left.i));
        const auto y = static_cast<uint64_t>(NormalizeInteger(common, right.i));
        if (op == 3 && y == 0) {
            return false;
        }
        const int64_t r = op == 0   ? static_cast<int64_t>(x + y)
                          : op == 2 ? static_cast<int64_t>(x - y)
                          : op == 1 ? static_cast<int64_t>(x * y)
                                    : static_cast<int64_t>(x) / static_cast<int64_t>(y);
        out.kind = common;
        out.i = NormalizeInteger(common, r);
        out.r = 0;
        return true;
    }
    const Number a = Convert(left, common);
    const Number b = Convert(right, common);
    if (op == 3 && IsZero(b)) {
        return false;
    }
    if (common == KindFloat) {
        const auto x = static_cast<float>(a.r);
        const auto y = static_cast<float>(b.r);
        const float r = op == 0 ? x + y : op == 2 ? x - y : op == 1 ? x * y : x / y;
        out = Real(KindFloat, r);
    } else if (common == KindDouble) {
        const double r = op == 0 ? a.r + b.r : op == 2 ? a.r - b.r : op == 1 ? a.r * b.r : a.r / b.r;
        out = Real(KindDouble, r);
    } else {
        const auto x = static_cast<uint64_t>(a.i);
        const auto y = static_cast<uint64_t>(b.i);
        const int64_t r = op == 0   ? static_cast<int64_t>(x + y)
                          : op == 2 ? static_cast<int64_t>(x - y)
                          : op == 1 ? static_cast<int64_t>(x * y)
                                    : a.i / b.i;
        out = Integer(common, r);
    }
    return true;
}

// Comparisons by operator id: 5 "==", 12 "!=", 6 ">", 7 "<", 8 ">=", 9 "<=".
inline int64_t Compare(int32_t id, const Number& left, const Number& right) {
    const int32_t common = CommonKind(left.kind, right.kind);
    if (IsIntegerKind(common)) {
        const int64_t x = NormalizeInteger(common, left.i);
        const int64_t y = NormalizeInteger(common, right.i);
        switch (id) {
        case 5:
            return x == y;
        case 12:
            return x != y;
        case 6:
            return x > y;
        case 7:
            return x < y;
        case 8:
            return x >= y;
        default:
            return x <= y;
        }
    }
    const Number a = Convert(left, common);
    const Number b = Convert(right, common);
    bool result = false;
    if (common == KindFloat) {
        const auto x = static_cast<float>(a.r);
        const auto y = static_cast<float>(b.r);
        const auto tolerance = static_cast<float>(2.220446049250313e-16);
        switch (id) {
        case 5:
            result = std::fabs(x - y) <= tolerance;
            break;
        case 12:
            result = std::fabs(x - y) > tolerance;
            break;
        case 6:
            result = x > y;
            break;
        case 7:
            result = x < y;
            break;
        case 8:
            result = x >= y;
            break;
        default:
            result = x <= y;
            break;
        }
    } else if (common == KindDouble) {
        const double tolerance = 2.220446049250313e-16;
        switch (id) {
        case 5:
            result = std::fabs(a.r - b.r) <= tolerance;
            break;
        case 12:
            result = std::fabs(a.r - b.r) > tolerance;
            break;
        case 6:
            result = a.r > b.r;
            break;
        case 7:
            result = a.r < b.r;
            break;
        case 8:
            result = a.r >= b.r;
            break;
        default:
            result = a.r <= b.r;
            break;
        }
    } else {
        switch (id) {
        case 5:
            result = a.i == b.i;
            break;
        case 12:
            result = a.i != b.i;
            break;
        case 6:
            result = a.i > b.i;
            break;
        case 7:
            result = a.i < b.i;
            break;
        case 8:
            result = a.i >= b.i;
            break;
        default:
            result = a.i <= b.i;
            break;
        }
    }
    return result ? 1 : 0;
}

// "%": false (error 3) for a zero divisor.
inline bool Remainder(const Number& left, const Number& right, Number& out) {
    const Number a = Convert(left, KindInt);
    const Number b = Convert(right, KindInt);
    if (b.i == 0) {
        return false;
    }
    out = Integer(KindInt, a.i % b.i);
    return true;
}

// Bitwise and shifts by operator id: 14 "&", 15 "|", 16 "^", 17 "<<", 18 ">>".
inline Number Bits(int32_t id, const Number& left, const Number& right) {
    const auto a = static_cast<uint32_t>(Convert(left, KindUInt).i);
    const auto b = static_cast<uint32_t>(Convert(right, KindUInt).i);
    uint32_t r = 0;
    switch (id) {
    case 17:
        r = a << (b % 32);
        break;
    case 18:
        r = (b % 64) >= 32 ? 0 : a >> (b % 64);
        break;
    case 14:
        r = a & b;
        break;
    case 15:
        r = a | b;
        break;
    default:
        r = a ^ b;
        break;
    }
    return Integer(KindUInt, r);
}

// "&&" (10) and "||" (11).
inline Number Logical(int32_t id, const Number& left, const Number& right) {
    const int32_t common = CommonKind(left.kind, right.kind);
    const bool a = !IsZero(Convert(left, common));
    const bool b = !IsZero(Convert(right, common));
    return Integer(KindInt, (id == 10 ? (a && b) : (a || b)) ? 1 : 0);
}

// Unary "-" (20), "~" (19), "!" (13); "+" leaves the number as it is.
inline Number Unary(int32_t id, const Number& n) {
    switch (id) {
    case 20:
        return IsIntegerKind(n.kind) ? Integer(n.kind, static_cast<int64_t>(0 - static_cast<uint64_t>(n.i)))
                                     : Real(n.kind, -n.r);
    case 19:
        return IsIntegerKind(n.kind) ? Integer(n.kind, ~n.i) : Integer(KindInt, ~Convert(n, KindInt).i);
    case 13:
        return Integer(KindInt, Convert(n, KindInt).i == 0 ? 1 : 0);
    default:
        return n;
    }
}

} // namespace ScriptArithmetic
