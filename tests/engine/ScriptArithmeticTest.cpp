// The numeric operators of the compiled evaluation against the value operators they stand in for: every pair
// of numeric kinds, with values at the edges of each kind, through every operator.
#include "engine/ScriptArithmetic.h"
#include "engine/ScriptOperators.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

using ScriptArithmetic::Number;
using namespace ScriptOperators;

std::vector<ScriptValue> Samples() {
    std::vector<ScriptValue> values;
    const int64_t integers[] = {0,   1,     -1,     2,     7,     -7,         127,           -128,        255,
                                300, 32767, -32768, 65535, 70000, 2147483647, -2147483648LL, 4294967295LL};
    for (int32_t kind = KindChar; kind <= KindInt; ++kind) {
        for (int64_t x : integers) {
            values.push_back(ScriptValue::Integer(kind, x));
        }
    }
    const double reals[] = {0.0,
                            -0.0,
                            0.5,
                            -3.9,
                            3.9,
                            1e10,
                            -1e10,
                            4000000000.0,
                            1e300,
                            0.1 + 0.2,
                            std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity()};
    for (int32_t kind : {KindFloat, KindDouble}) {
        for (double x : reals) {
            values.push_back(ScriptValue::Real(kind, x));
        }
    }
    return values;
}

Number NumberOf(const ScriptValue& v) {
    Number n;
    n.kind = v.kind;
    n.i = v.intValue;
    n.r = v.realValue;
    return n;
}

// Same kind and the same bits of the payload (NaNs compare by their bits).
void ExpectSame(const ScriptValue& expected, const Number& actual, const char* what, const ScriptValue& a,
                const ScriptValue& b) {
    ASSERT_EQ(expected.error, 0) << what;
    EXPECT_EQ(expected.kind, actual.kind) << what << " " << a.kind << "/" << b.kind;
    if (IsRealKind(expected.kind)) {
        EXPECT_EQ(std::memcmp(&expected.realValue, &actual.r, sizeof(double)), 0)
            << what << " " << a.kind << ":" << a.intValue << "/" << a.realValue << " " << b.kind << ":"
            << b.intValue << "/" << b.realValue << " -> " << expected.realValue << " vs " << actual.r;
    } else {
        EXPECT_EQ(expected.intValue, actual.i)
            << what << " " << a.kind << ":" << a.intValue << "/" << a.realValue << " " << b.kind << ":"
            << b.intValue << "/" << b.realValue;
    }
}

TEST(ScriptArithmetic, BinaryOperatorsMatchTheValueOperators) {
    const std::vector<ScriptValue> values = Samples();
    const Arith ariths[] = {Arith::Add, Arith::Mul, Arith::Sub, Arith::Div};
    const Compare compares[] = {Compare::Eq, Compare::Gt, Compare::Lt, Compare::Ge, Compare::Le, Compare::Ne};
    const int32_t compareIds[] = {5, 6, 7, 8, 9, 12};
    const Bitwise bits[] = {Bitwise::And, Bitwise::Or, Bitwise::Xor, Bitwise::Shl, Bitwise::Shr};
    const int32_t bitIds[] = {14, 15, 16, 17, 18};
    int compared = 0;
    for (const ScriptValue& a : values) {
        for (const ScriptValue& b : values) {
            for (int op = 0; op < 4; ++op) {
                ScriptValue expected = Arithmetic(ariths[op], a, b);
                Number n;
                const bool ok = ScriptArithmetic::Arithmetic(op, NumberOf(a), NumberOf(b), n);
                EXPECT_EQ(ok, expected.error == 0) << op;
                if (ok && expected.error == 0) {
                    ExpectSame(expected, n, "arithmetic", a, b);
                } else {
                    EXPECT_EQ(expected.error, 3);
                }
            }
            for (int c = 0; c < 6; ++c) {
                ScriptValue expected = Comparison(compares[c], a, b);
                ExpectSame(expected,
                           ScriptArithmetic::Integer(
                               KindInt, ScriptArithmetic::Compare(compareIds[c], NumberOf(a), NumberOf(b))),
                           "comparison", a, b);
            }
            for (int k = 0; k < 5; ++k) {
                ExpectSame(Bits(bits[k], a, b), ScriptArithmetic::Bits(bitIds[k], NumberOf(a), NumberOf(b)),
                           "bits", a, b);
            }
            ScriptValue remainder = Remainder(a, b);
            Number r;
            if (ScriptArithmetic::Remainder(NumberOf(a), NumberOf(b), r)) {
                ExpectSame(remainder, r, "remainder", a, b);
            } else {
                EXPECT_EQ(remainder.error, 3);
            }
            ExpectSame(LogicalAnd(a, b), ScriptArithmetic::Logical(10, NumberOf(a), NumberOf(b)), "and", a,
                       b);
            ExpectSame(LogicalOr(a, b), ScriptArithmetic::Logical(11, NumberOf(a), NumberOf(b)), "or", a, b);
            ++compared;
        }
    }
    EXPECT_GT(compared, 10000);
}

TEST(ScriptArithmetic, UnaryOperatorsAndConversionsMatch) {
    for (const ScriptValue& a : Samples()) {
        ExpectSame(Negate(a), ScriptArithmetic::Unary(20, NumberOf(a)), "negate", a, a);
        ExpectSame(Complement(a), ScriptArithmetic::Unary(19, NumberOf(a)), "complement", a, a);
        ExpectSame(LogicalNot(a), ScriptArithmetic::Unary(13, NumberOf(a)), "not", a, a);
        for (int32_t kind = KindChar; kind <= KindDouble; ++kind) {
            ScriptValue converted = a;
            ConvertTo(converted, kind);
            ExpectSame(converted, ScriptArithmetic::Convert(NumberOf(a), kind), "convert", a, a);
        }
        ScriptValue d = a;
        ConvertTo(d, KindDouble);
        const double x = ScriptArithmetic::ToDouble(NumberOf(a));
        EXPECT_EQ(std::memcmp(&d.realValue, &x, sizeof x), 0);
    }
}

} // namespace
