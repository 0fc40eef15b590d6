#include "binding/CInputValue.h"
#include "data/ValueParse.h"
#include "engine/ScriptValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(CInputValue, TypeAndInitialTextFromAScriptValue) {
    struct {
        ScriptValue value;
        int type;
        const char* text;
    } cases[] = {
        {ScriptValue::Integer(KindChar, -128), CInputValue::kChar, "-128"},
        {ScriptValue::Integer(KindUChar, 255), CInputValue::kUnsignedChar, "255"},
        {ScriptValue::Integer(KindShort, -32768), CInputValue::kShort, "-32768"},
        {ScriptValue::Integer(KindUShort, 7), CInputValue::kUnsignedShort, "7"},
        {ScriptValue::Integer(KindInt, -2147483647 - 1), CInputValue::kLong, "-2147483648"},
        {ScriptValue::Integer(KindUInt, 4294967295), CInputValue::kUnsignedLong, "4294967295"},
        {ScriptValue::Real(KindFloat, 1.5), CInputValue::kFloat, "1.500000"},
        {ScriptValue::Real(KindFloat, 1e11), CInputValue::kFloat, "1.000000e+11"},
        {ScriptValue::Real(KindDouble, 1e10), CInputValue::kDouble, "10000000000.000000"},
        {ScriptValue::Real(KindDouble, 1e-10), CInputValue::kDouble, "0.000000"},
        {ScriptValue::Real(KindDouble, 1e-11), CInputValue::kDouble, "1.000000e-11"},
        {ScriptValue::Real(KindDouble, -2.5e100), CInputValue::kDouble, "-2.500000e+100"},
        {ScriptValue::String("  text "), CInputValue::kText, "  text "},
        {ScriptValue::Pointer(8, "int"), CInputValue::kLong, "0"},
        {ScriptValue(), CInputValue::kLong, "0"},
    };
    for (const auto& c : cases) {
        CInputValue v = CInputValue::FromScriptValue(c.value);
        EXPECT_EQ(v.GetType(), c.type) << c.text;
        EXPECT_EQ(v.InitialText(), c.text);
        EXPECT_EQ(v.IsNumeric(), c.type != CInputValue::kText);
    }
}

TEST(CInputValue, ParseStoresTheValueOrKeepsTheOldOne) {
    struct {
        int type;
        const char* text;
        int result;
        int64_t intValue; // the value after the parse (the initial value is 5)
    } cases[] = {
        {CInputValue::kChar, "-128", kParseOk, -128},
        {CInputValue::kChar, "128", kParseOverRange, 5},
        {CInputValue::kUnsignedChar, "-1", kParseIllegalCharacter, 5},
        {CInputValue::kShort, "-300", kParseOk, -300},
        {CInputValue::kUnsignedShort, "65536", kParseOverRange, 5},
        {CInputValue::kLong, "12x", kParseIllegalCharacter, 5},
        {CInputValue::kLong, "-2147483648", kParseOk, -2147483648LL},
        {CInputValue::kUnsignedLong, "4294967295", kParseOk, 4294967295LL},
        {CInputValue::kUnsignedLong, "4294967296", kParseOverRange, 5},
    };
    for (const auto& c : cases) {
        CInputValue v(c.type);
        v.SetInt(5);
        EXPECT_EQ(v.Parse(c.text), c.result) << c.text;
        EXPECT_EQ(v.IntValue(), c.intValue) << c.text;
    }
}

TEST(CInputValue, RealsAndText) {
    CInputValue f(CInputValue::kFloat);
    f.SetReal(2.0);
    EXPECT_EQ(f.Parse("0.1"), kParseOk);
    EXPECT_EQ(f.RealValue(), static_cast<double>(0.1f));
    EXPECT_EQ(f.Parse("1.2.3"), kParseIllegalCharacter);
    EXPECT_EQ(f.RealValue(), static_cast<double>(0.1f));
    EXPECT_EQ(f.Parse(""), kParseOk);
    EXPECT_EQ(f.RealValue(), static_cast<double>(0.1f));

    CInputValue d(CInputValue::kDouble);
    EXPECT_EQ(d.Parse("-1.5E3"), kParseOk);
    EXPECT_EQ(d.RealValue(), -1500.0);

    CInputValue t(CInputValue::kText);
    const std::string any = std::string(10000, 'z') + "\x82\xa0";
    EXPECT_EQ(t.Parse(any), kParseOk);
    EXPECT_EQ(t.TextValue(), any);
}

TEST(CInputValue, BytesInTheValuesOwnRepresentation) {
    unsigned char bytes[8];
    CInputValue s(CInputValue::kShort);
    s.SetInt(-2);
    ASSERT_EQ(s.Bytes(bytes), 2u);
    EXPECT_EQ(bytes[0], 0xFE);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0x00);
    s.WideBytes(bytes);
    EXPECT_EQ(bytes[7], 0xFF);

    CInputValue u(CInputValue::kUnsignedLong);
    u.SetInt(-1);
    EXPECT_EQ(u.IntValue(), 4294967295LL);
    u.WideBytes(bytes);
    EXPECT_EQ(bytes[3], 0xFF);
    EXPECT_EQ(bytes[4], 0x00);

    CInputValue f(CInputValue::kFloat);
    f.SetReal(1.5);
    ASSERT_EQ(f.Bytes(bytes), 4u);
    EXPECT_EQ(bytes[3], 0x3F);
    EXPECT_EQ(bytes[2], 0xC0);

    CInputValue t(CInputValue::kText);
    EXPECT_EQ(t.Bytes(bytes), 0u);
}

TEST(CInputValue, UnknownTypesAreLong) {
    EXPECT_EQ(CInputValue(0).GetType(), CInputValue::kLong);
    EXPECT_EQ(CInputValue(10).GetType(), CInputValue::kLong);
    EXPECT_EQ(CInputValue().GetType(), CInputValue::kLong);
}

TEST(CInputValue, IllegalCharacterMessageInBothLanguages) {
    EXPECT_EQ(CInputValue::IllegalCharacterText(1), "Find illegal charactor");
    EXPECT_EQ(CInputValue::IllegalCharacterText(0), "変な文字があります");
}

} // namespace
