#include "engine/ScriptValue.h"
#include "engine/ScriptOperators.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

using namespace ScriptOperators;

// The promotion table of the engine, row by row (11 = no common kind).
constexpr int kCommon[9][9] = {
    {0, 0, 2, 3, 4, 5, 6, 7, 8},  {0, 1, 2, 3, 4, 5, 6, 7, 8},  {2, 2, 2, 3, 4, 5, 6, 7, 8},
    {3, 3, 3, 3, 4, 5, 6, 7, 8},  {4, 4, 4, 4, 4, 5, 6, 7, 8},  {5, 5, 5, 5, 5, 5, 6, 7, 8},
    {6, 6, 6, 6, 6, 6, 6, 7, 11}, {7, 7, 7, 7, 7, 7, 7, 7, 11}, {8, 8, 8, 8, 8, 8, 11, 11, 8},
};

TEST(CommonKind, MatchesThePromotionTable) {
    for (int l = 0; l < 9; ++l) {
        for (int r = 0; r < 9; ++r) {
            EXPECT_EQ(CommonKind(l, r), kCommon[l][r]) << l << "," << r;
        }
    }
}

TEST(CommonKind, PointerVoidAndNoneHaveNone) {
    for (int k = 0; k <= KindNone; ++k) {
        EXPECT_EQ(CommonKind(KindPointer, k), KindNone);
        EXPECT_EQ(CommonKind(k, KindVoid), KindNone);
        EXPECT_EQ(CommonKind(KindNone, k), KindNone);
    }
}

TEST(KindOfTypeName, MapsTheDeclaredNames) {
    struct {
        const char* name;
        int32_t kind;
    } cases[] = {
        {"", KindNone},
        {"char", KindChar},
        {"unsigned char", KindUChar},
        {"short", KindShort},
        {"unsigned short", KindUShort},
        {"long", KindInt},
        {"unsigned long", KindUInt},
        {"int", KindInt},
        {"unsigned int", KindUInt},
        {"unsigned", KindUInt},
        {"float", KindFloat},
        {"double", KindDouble},
        {"string", KindString},
        {"void", KindVoid},
        {"int*", KindPointer},
        {"S*", KindPointer},
        {"S", KindNone},
        {"BYTE", KindNone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KindOfTypeName(c.name), c.kind) << c.name;
    }
}

TEST(SizeOfValue, ByKind) {
    EXPECT_EQ(SizeOfValue(ScriptValue::Integer(KindChar, 1)), 1);
    EXPECT_EQ(SizeOfValue(ScriptValue::Integer(KindUShort, 1)), 2);
    EXPECT_EQ(SizeOfValue(ScriptValue::Integer(KindInt, 1)), 4);
    EXPECT_EQ(SizeOfValue(ScriptValue::Real(KindFloat, 1)), 4);
    EXPECT_EQ(SizeOfValue(ScriptValue::Real(KindDouble, 1)), 8);
    EXPECT_EQ(SizeOfValue(ScriptValue::Pointer(0, "int")), 8);
    EXPECT_EQ(SizeOfValue(ScriptValue::String("abc")), 3);
    EXPECT_EQ(SizeOfValue(ScriptValue()), 0);
}

ScriptValue Converted(ScriptValue v, int32_t kind) {
    ConvertTo(v, kind);
    return v;
}

TEST(ConvertTo, BetweenIntegerKindsExtendsBySourceSignedness) {
    EXPECT_EQ(Converted(ScriptValue::Integer(KindChar, -1), KindUShort).intValue, 65535);
    EXPECT_EQ(Converted(ScriptValue::Integer(KindUChar, 255), KindShort).intValue, 255);
    EXPECT_EQ(Converted(ScriptValue::Integer(KindShort, -2), KindUInt).intValue, 4294967294LL);
    EXPECT_EQ(Converted(ScriptValue::Integer(KindInt, 0x12345678), KindUChar).intValue, 0x78);
    EXPECT_EQ(Converted(ScriptValue::Integer(KindUInt, 0xFFFFFFFF), KindInt).intValue, -1);
}

TEST(ConvertTo, IntegerToFloatingBySignedness) {
    EXPECT_EQ(Converted(ScriptValue::Integer(KindInt, -1), KindDouble).realValue, -1.0);
    EXPECT_EQ(Converted(ScriptValue::Integer(KindUInt, 0xFFFFFFFF), KindDouble).realValue, 4294967295.0);
    EXPECT_EQ(Converted(ScriptValue::Integer(KindUChar, 200), KindFloat).realValue, 200.0);
}

TEST(ConvertTo, FloatingToIntegerTruncates) {
    EXPECT_EQ(Converted(ScriptValue::Real(KindFloat, 3.9), KindInt).intValue, 3);
    EXPECT_EQ(Converted(ScriptValue::Real(KindDouble, -3.9), KindInt).intValue, -3);
    EXPECT_EQ(Converted(ScriptValue::Real(KindDouble, 4000000000.0), KindUInt).intValue, 4000000000LL);
    EXPECT_EQ(Converted(ScriptValue::Real(KindDouble, 300.0), KindChar).intValue, 44);
    EXPECT_EQ(Converted(ScriptValue::Real(KindDouble, -1.0), KindUShort).intValue, 65535);
}

TEST(ConvertTo, ToString) {
    EXPECT_EQ(Converted(ScriptValue::Integer(KindInt, 65), KindString).text, "A");
    EXPECT_EQ(Converted(ScriptValue::Integer(KindInt, 0x4142), KindString).text, "BA");
    EXPECT_EQ(Converted(ScriptValue::Integer(KindChar, 0), KindString).text, "");
    EXPECT_EQ(Converted(ScriptValue::Integer(KindShort, 0x41), KindString).text, "A");
    EXPECT_EQ(Converted(ScriptValue::Integer(KindUShort, 0x4100), KindString).text, "");
    EXPECT_EQ(Converted(ScriptValue::Integer(KindInt, 70000), KindString).error, 6);
    EXPECT_EQ(Converted(ScriptValue::Real(KindDouble, 1), KindString).error, 6);
}

TEST(ConvertTo, RefusedConversionsKeepThePayloadAndSetTheKind) {
    ScriptValue s = Converted(ScriptValue::String("x"), KindInt);
    EXPECT_EQ(s.error, 6);
    EXPECT_EQ(s.kind, KindInt);
    EXPECT_EQ(s.text, "x");
    ScriptValue p = Converted(ScriptValue::Pointer(16, "int"), KindPointer);
    EXPECT_EQ(p.error, 6);
    EXPECT_EQ(p.intValue, 16);
    EXPECT_EQ(Converted(ScriptValue(), KindVoid).error, 0);
    EXPECT_EQ(Converted(ScriptValue(), KindInt).error, 6);
    EXPECT_EQ(Converted(ScriptValue::Integer(KindInt, 1), KindVoid).error, 6);
    EXPECT_EQ(Converted(ScriptValue::Integer(KindInt, 1), KindNone).error, 6);
    EXPECT_EQ(Converted(ScriptValue::Integer(KindInt, 1), -1).error, 6);
    EXPECT_EQ(Converted(ScriptValue::String("x"), KindString).error, 0);
}

TEST(Operators, ArithmeticKindsAndWrapAround) {
    ScriptValue a =
        Arithmetic(Arith::Add, ScriptValue::Integer(KindInt, 1), ScriptValue::Integer(KindUChar, 'A'));
    EXPECT_EQ(a.kind, KindInt);
    EXPECT_EQ(a.intValue, 66);
    ScriptValue b =
        Arithmetic(Arith::Add, ScriptValue::Integer(KindUChar, 'A'), ScriptValue::Integer(KindUChar, 'B'));
    EXPECT_EQ(b.kind, KindUChar);
    EXPECT_EQ(b.intValue, 131);
    ScriptValue c =
        Arithmetic(Arith::Add, ScriptValue::Integer(KindChar, 100), ScriptValue::Integer(KindUChar, 100));
    EXPECT_EQ(c.kind, KindChar);
    EXPECT_EQ(c.intValue, -56);
    ScriptValue d =
        Arithmetic(Arith::Mul, ScriptValue::Integer(KindShort, 200), ScriptValue::Integer(KindShort, 200));
    EXPECT_EQ(d.intValue, -25536);
    ScriptValue e = Arithmetic(Arith::Mul, ScriptValue::Integer(KindUInt, 0xFFFFFFFF),
                               ScriptValue::Integer(KindUInt, 0xFFFFFFFF));
    EXPECT_EQ(e.intValue, 1);
    ScriptValue f =
        Arithmetic(Arith::Div, ScriptValue::Integer(KindInt, INT32_MIN), ScriptValue::Integer(KindInt, -1));
    EXPECT_EQ(f.error, 0);
    EXPECT_EQ(f.intValue, INT32_MIN);
}

TEST(Operators, DivisionAndRemainder) {
    EXPECT_EQ(
        Arithmetic(Arith::Div, ScriptValue::Integer(KindInt, -7), ScriptValue::Integer(KindInt, 2)).intValue,
        -3);
    EXPECT_EQ(Remainder(ScriptValue::Integer(KindInt, 7), ScriptValue::Integer(KindInt, -3)).intValue, 1);
    EXPECT_EQ(Remainder(ScriptValue::Integer(KindInt, -7), ScriptValue::Integer(KindInt, 3)).intValue, -1);
    EXPECT_EQ(
        Arithmetic(Arith::Div, ScriptValue::Integer(KindInt, 5), ScriptValue::Integer(KindInt, 0)).error, 3);
    EXPECT_EQ(Remainder(ScriptValue::Integer(KindInt, 5), ScriptValue::Integer(KindInt, 0)).error, 3);
    EXPECT_EQ(
        Arithmetic(Arith::Div, ScriptValue::Real(KindDouble, 5), ScriptValue::Real(KindDouble, 0)).error, 3);
    EXPECT_EQ(Remainder(ScriptValue::String("a"), ScriptValue::Pointer(0, "int")).error, 6);
    EXPECT_EQ(Remainder(ScriptValue::Integer(KindInt, INT32_MIN), ScriptValue::Integer(KindInt, -1)).intValue,
              0);
}

TEST(Operators, Strings) {
    EXPECT_EQ(Arithmetic(Arith::Add, ScriptValue::String("AB"), ScriptValue::Integer(KindInt, 67)).text,
              "ABC");
    EXPECT_EQ(Arithmetic(Arith::Sub, ScriptValue::String("abc"), ScriptValue::String("a")).error, 2);
    EXPECT_EQ(Comparison(Compare::Eq, ScriptValue::String("abc"), ScriptValue::Real(KindDouble, 1.5)).error,
              6);
    EXPECT_EQ(Comparison(Compare::Lt, ScriptValue::String("abc"), ScriptValue::String("abd")).intValue, 1);
    EXPECT_EQ(LogicalAnd(ScriptValue::String("x"), ScriptValue::Integer(KindInt, 1)).error, 6);
    std::string big(kMaxStringLength, 'x');
    EXPECT_EQ(Arithmetic(Arith::Add, ScriptValue::String(big), ScriptValue::String("y")).error, 32);
}

TEST(Operators, MultibyteComparisonTreatsDoubleByteCharactersAsUnits) {
    // 0x81 0x40 (a double-byte space) is the unit 0x8140, which sorts after the single byte 0xA1.
    EXPECT_GT(CompareMultibyte("\x81\x40", "\xA1"), 0);
    EXPECT_LT(CompareMultibyte("a", "ab"), 0);
    EXPECT_EQ(CompareMultibyte("\x82\xA0", "\x82\xA0"), 0);
}

TEST(Operators, ShiftsAndBitwise) {
    EXPECT_EQ(
        Bits(Bitwise::Shl, ScriptValue::Integer(KindInt, 1), ScriptValue::Integer(KindInt, 33)).intValue, 2);
    EXPECT_EQ(
        Bits(Bitwise::Shr, ScriptValue::Integer(KindUInt, 0x80000000), ScriptValue::Integer(KindInt, 31))
            .intValue,
        1);
    EXPECT_EQ(
        Bits(Bitwise::Shr, ScriptValue::Integer(KindInt, 1), ScriptValue::Integer(KindInt, 32)).intValue, 0);
    EXPECT_EQ(
        Bits(Bitwise::Shr, ScriptValue::Integer(KindInt, 4), ScriptValue::Integer(KindInt, 65)).intValue, 2);
    EXPECT_EQ(Bits(Bitwise::And, ScriptValue::Integer(KindInt, -1), ScriptValue::Integer(KindInt, 0xFF)).kind,
              KindUInt);
    EXPECT_EQ(Bits(Bitwise::Or, ScriptValue::String("a"), ScriptValue()).error, 6);
}

TEST(Operators, FloatingComparisonTolerance) {
    EXPECT_EQ(
        Comparison(Compare::Eq, ScriptValue::Real(KindDouble, 0.1 + 0.2), ScriptValue::Real(KindDouble, 0.3))
            .intValue,
        1);
    EXPECT_EQ(Comparison(Compare::Ne, ScriptValue::Real(KindDouble, 1.0),
                         ScriptValue::Real(KindDouble, 1.0 + 1e-15))
                  .intValue,
              1);
    double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Comparison(Compare::Lt, ScriptValue::Real(KindDouble, nan), ScriptValue::Real(KindDouble, 1))
                  .intValue,
              0);
    EXPECT_EQ(Comparison(Compare::Gt, ScriptValue::Real(KindDouble, nan), ScriptValue::Real(KindDouble, 1))
                  .intValue,
              0);
}

TEST(Operators, LogicalWithoutCommonKindIsZero) {
    ScriptValue v = LogicalOr(ScriptValue::Pointer(0, "int"), ScriptValue::Integer(KindInt, 1));
    EXPECT_EQ(v.error, 0);
    EXPECT_EQ(v.intValue, 0);
    EXPECT_EQ(LogicalAnd(ScriptValue::Real(KindDouble, 0.5), ScriptValue::Integer(KindInt, 2)).intValue, 1);
}

TEST(Operators, Unary) {
    EXPECT_EQ(Negate(ScriptValue::Integer(KindUChar, 1)).intValue, 255);
    EXPECT_EQ(Negate(ScriptValue::Integer(KindInt, INT32_MIN)).intValue, INT32_MIN);
    EXPECT_EQ(Negate(ScriptValue::Real(KindDouble, 1.5)).realValue, -1.5);
    EXPECT_EQ(Negate(ScriptValue::String("a")).error, 2);
    EXPECT_EQ(Negate(ScriptValue::Pointer(0, "int")).error, 2);
    EXPECT_EQ(Negate(ScriptValue()).kind, KindVoid);
    EXPECT_EQ(Complement(ScriptValue::Integer(KindUInt, 0)).intValue, 0xFFFFFFFFLL);
    ScriptValue c = Complement(ScriptValue::Real(KindDouble, 1.5));
    EXPECT_EQ(c.kind, KindInt);
    EXPECT_EQ(c.intValue, -2);
    EXPECT_EQ(Complement(ScriptValue::String("a")).error, 2);
    EXPECT_EQ(LogicalNot(ScriptValue::Real(KindDouble, 0.5)).intValue, 1);
    EXPECT_EQ(LogicalNot(ScriptValue()).error, 6);
    EXPECT_EQ(LogicalNot(ScriptValue::String("")).error, 6);
}

} // namespace
