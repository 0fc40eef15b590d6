#include "EngineHarness.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(CCalcManager, OperatorTableOrderAndPrecedences) {
    size_t count = 0;
    const OperatorRow* table = CCalcManager::BaseTable(count);
    ASSERT_EQ(count, 44u);
    EXPECT_STREQ(table[0].text, "strlen(");
    EXPECT_EQ(table[9].id, 5);
    EXPECT_EQ(table[10].precedence, 97);
    EXPECT_EQ(table[24].precedence, 80);
    EXPECT_EQ(table[31].id, 43);
    EXPECT_EQ(table[42].id, 22);
    EXPECT_EQ(table[43].id, 26);
}

TEST(CCalcManager, UnaryOrBinaryByThePrecedingCharacter) {
    EngineHarness h;
    std::string text(1, '\0');
    text += "a-b_-'x'-\"s\"*(1)&]+";
    const char* t = text.c_str() + 1;
    h.calc.Evaluate(ScriptValue(t, 1000));          // sets the expression start
    EXPECT_EQ(h.calc.FindOperator(t + 1)->id, 2);   // after a letter
    EXPECT_EQ(h.calc.FindOperator(t + 4)->id, 20);  // after "_"
    EXPECT_EQ(h.calc.FindOperator(t + 8)->id, 2);   // after a single quote
    EXPECT_EQ(h.calc.FindOperator(t + 12)->id, 1);  // after a double quote
    EXPECT_EQ(h.calc.FindOperator(t + 16)->id, 14); // after ")"
    EXPECT_EQ(h.calc.FindOperator(t + 18)->id, 0);  // after "]"
}

TEST(CCalcManager, ExpressionStartAlwaysTakesTheUnaryRow) {
    EngineHarness h;
    std::string text(1, '\0');
    text += "-1";
    ScriptValue v = h.calc.Evaluate(ScriptValue(text.c_str() + 1, 0));
    EXPECT_EQ(v.kind, KindInt);
    EXPECT_EQ(v.intValue, -1);
}

TEST(CCalcManager, PrecedenceEdgeCases) {
    EngineHarness h;
    struct {
        const char* expression;
        int64_t value;
    } cases[] = {
        {"2 + 3 * 4", 14}, {"2 * 3 + 4", 10}, {"1 + 2 == 3", 1}, {"(1 + 2) == 3", 1}, {"10 - 2 - 3", 5},
        {"2 * 3 % 4", 6},  {"-2 * 3", -6},    {"!0 + 1", 2},     {"1 && 0 || 1", 1},  {"7 / 2", 3},
        {"1 << 3 + 1", 9}, {"6 / 2 * 3", 9},  {"3 > 2 > 1", 0},
    };
    for (const auto& c : cases) {
        ScriptValue v = h.Eval(c.expression);
        EXPECT_EQ(v.error, 0) << c.expression;
        EXPECT_EQ(v.intValue, c.value) << c.expression;
    }
}

TEST(CCalcManager, LiteralKinds) {
    EngineHarness h;
    EXPECT_EQ(h.Eval("0x1F").kind, KindUInt);
    EXPECT_EQ(h.Eval("017").intValue, 15);
    EXPECT_EQ(h.Eval("08").intValue, 0);
    EXPECT_EQ(h.Eval("0").kind, KindUInt);
    EXPECT_EQ(h.Eval("1.5").kind, KindDouble);
    EXPECT_EQ(h.Eval("2147483647").kind, KindInt);
    EXPECT_EQ(h.Eval("2147483648").kind, KindDouble);
    EXPECT_EQ(h.Eval("0x").intValue, 0);
    EXPECT_EQ(h.Eval("'A'").kind, KindUChar);
    EXPECT_EQ(h.Eval("'ab'").error, 21);
    EXPECT_EQ(h.Eval("'\\n'").intValue, 10);
    EXPECT_EQ(h.Eval("'\"'").error, 21);
    EXPECT_EQ(h.Eval("\"abc").error, 7);
    EXPECT_EQ(h.Eval("\"a b\"").text, "a b");
}

TEST(CCalcManager, BlanksAreErrorsForTheEvaluatorItself) {
    EngineHarness h;
    std::string text(1, '\0');
    text += "1 +1";
    EXPECT_EQ(h.calc.Evaluate(ScriptValue(text.c_str() + 1, 0)).error, 5);
}

TEST(CCalcManager, VariablesAssignmentsAndIncrements) {
    EngineHarness h;
    h.variables.RegisterVariable("int", "x", 0, 0, -1);
    h.variables.SetNumber("x", 5);
    EXPECT_EQ(h.Eval("x++").intValue, 5);
    EXPECT_EQ(h.Eval("x").intValue, 6);
    EXPECT_EQ(h.Eval("++x").intValue, 7);
    EXPECT_EQ(h.Eval("x += 2").intValue, 9);
    EXPECT_EQ(h.Eval("x *= 2").intValue, 18);
    EXPECT_EQ(h.Eval("x = x + 1").intValue, 19);
    EXPECT_EQ(h.Eval("x").name, "x");
    EXPECT_EQ(h.Eval("x + 0").name, "");
    EXPECT_EQ(h.Eval("(x)").name, "x");
    EXPECT_EQ(h.Eval("(x) = 1").error, 0);
    EXPECT_EQ(h.Eval("x").intValue, 1);
    EXPECT_EQ(h.Eval("x = x = 1").error, 5);
    EXPECT_EQ(h.Eval("3 = 4").error, 5);
    EXPECT_EQ(h.Eval("y = 1").error, 5);
}

TEST(CCalcManager, Pointers) {
    EngineHarness h;
    h.variables.RegisterVariable("short", "a", 4, 0, -1);
    h.variables.RegisterVariable("short*", "p", 0, 0, -1);
    EXPECT_EQ(h.Eval("p = &a[1]").error, 0);
    ScriptValue p = h.Eval("p + 2");
    EXPECT_EQ(p.kind, KindPointer);
    EXPECT_EQ(p.intValue, 6);
    EXPECT_EQ(p.text, "short");
    EXPECT_EQ(h.Eval("2 + p").intValue, 6);
    EXPECT_EQ(h.Eval("p - 1").intValue, 0);
    EXPECT_EQ(h.Eval("1 - p").error, 2);
    EXPECT_EQ(h.Eval("p - p").error, 2);
    EXPECT_EQ(h.Eval("p + 1.5").error, 2);
    EXPECT_EQ(h.Eval("p * 2").error, 6);
    EXPECT_EQ(h.Eval("p < p").error, 6);
    EXPECT_EQ(h.Eval("*p = 7").error, 0);
    EXPECT_EQ(h.Eval("a[1]").intValue, 7);
    EXPECT_EQ(h.Eval("*5").error, 2);
    EXPECT_EQ(h.Eval("&5").error, 2);
    EXPECT_EQ(h.Eval("++p").error, 6);
    EXPECT_EQ(h.Eval("p *= 2").error, 2);
    // An unreadable target is error 20, except for a "*" at the start of the outermost expression.
    h.Eval("p = p + 100");
    EXPECT_EQ(h.Eval("0 + *p").error, 20);
    EXPECT_EQ(h.Eval("*p").error, 0);
}

TEST(CCalcManager, BuiltIns) {
    EngineHarness h;
    EXPECT_EQ(h.Eval("abs(-5)").intValue, 5);
    EXPECT_EQ(h.Eval("abs(1").error, 2);
    EXPECT_EQ(h.Eval("abs(\"x\")").error, 6);
    ScriptValue m = h.Eval("max(1, 2.5)");
    EXPECT_EQ(m.kind, KindDouble);
    EXPECT_EQ(m.realValue, 2.5);
    EXPECT_EQ(h.Eval("min(\"a\", \"b\")").error, 2);
    EXPECT_EQ(h.Eval("max(1 2)").error, 2);
    EXPECT_EQ(h.Eval("tohex(255)").text, "000000FF");
    EXPECT_EQ(h.Eval("tohex('A')").text, "41");
    EXPECT_EQ(h.Eval("tohex(1.0)").text, "3FF0000000000000");
    EXPECT_EQ(h.Eval("tostr(-3)").text, "-3");
    EXPECT_EQ(h.Eval("strlen(\"abc\")").intValue, 3);
    EXPECT_EQ(h.Eval("strlen(3)").error, 8);
    EXPECT_EQ(h.Eval("strupr(3)").error, 8);
    EXPECT_EQ(h.Eval("tohex(\"\")").text, "");
    EXPECT_EQ(h.Eval("sizeof(unsigned short)").intValue, 2);
    EXPECT_EQ(h.Eval("sizeof(nothing)").error, 5);
    EXPECT_EQ(h.Eval("sizeof(int").error, 4);
}

TEST(CCalcManager, CaseMappingKeepsDoubleByteCharacters) {
    EngineHarness h;
    h.variables.RegisterVariable("string", "s", 0, 0, -1);
    // 0x83 0x61 is a katakana whose trail byte is "a"; it must not be upper-cased.
    h.variables.SetString("s", "a\x83\x61z");
    EXPECT_EQ(h.Eval("strupr(&s)").error, 0);
    std::string text;
    h.variables.ReadString("s", text);
    EXPECT_EQ(text, "A\x83\x61Z");
}

class ExtendedCalc : public CCalcManager {
public:
    const OperatorRow* FindOperator(const char* position) override {
        static const OperatorRow row = {"Twice(", 44, 100};
        if (const OperatorRow* base = CCalcManager::FindOperator(position)) {
            return base;
        }
        return std::strncmp(position, row.text, 6) == 0 ? &row : nullptr;
    }
    ScriptValue CallExtension(int32_t id, const ScriptValue& input) override {
        if (id != 44) {
            return CCalcManager::CallExtension(id, input);
        }
        ScriptValue args[2];
        int32_t count = 2;
        const char* cursor = input.cursor;
        int32_t error = EvaluateArguments(cursor, args, count);
        if (error) {
            return ScriptValue::Error(error, cursor);
        }
        ScriptValue v =
            ScriptValue::Integer(KindInt, args[0].intValue * 2 + (count == 2 ? args[1].intValue : 0));
        v.cursor = cursor;
        return v;
    }
};

TEST(CCalcManager, ExtensionsThroughTheVirtualOperations) {
    CVariableManager vm;
    ExtendedCalc calc;
    CFlowManager flow;
    calc.SetVariableManager(&vm);
    calc.SetFlowManager(&flow);
    flow.SetCalcManager(&calc);
    flow.SetVariableManager(&vm);
    auto eval = [&](const std::string& e) {
        std::string text = CFlowManager::CompactExpression(e.data(), static_cast<int64_t>(e.size())) + ";";
        return calc.Evaluate(ScriptValue(text.c_str() + 1, 0));
    };
    EXPECT_EQ(eval("Twice(4) + 1").intValue, 9);
    EXPECT_EQ(eval("Twice(4, 1)").intValue, 9);
    EXPECT_EQ(eval("Twice(1, 2, 3)").error, 25);
    EXPECT_EQ(eval("Twice(1; 2)").error, 4);
    EXPECT_EQ(eval("Twice()").intValue, 0);
    // A statement may start with an extension function.
    std::string script = "int r; Twice(1); r = Twice(3);";
    ExecContext ctx(script.data(), 0, static_cast<int64_t>(script.size()) - 1);
    EXPECT_EQ(flow.RunStatements(ctx, -1, nullptr), 0);
    EXPECT_EQ(calc.RegisterFunction("Twice", "int", script.data(), 0, 0), 0);
}

TEST(CCalcManager, BaseCallExtensionIsUnknownFunction) {
    CCalcManager calc;
    EXPECT_EQ(calc.CallExtension(50, ScriptValue()).error, 1);
}

TEST(CCalcManager, FunctionRegistration) {
    EngineHarness h;
    std::string body = "{ return 1; }";
    EXPECT_EQ(h.calc.RegisterFunction("f", "int", body.data(), 1, 12), 1);
    EXPECT_EQ(h.calc.RegisterFunction("f", "int", body.data(), 1, 12), 0);
    EXPECT_EQ(h.calc.RegisterFunction("max", "int", body.data(), 1, 12), 0);
    h.variables.RegisterStruct("S");
    h.variables.AddStructMember("S", "int", "a", 0);
    EXPECT_EQ(h.calc.RegisterFunction("g", "S", body.data(), 1, 12), 0);
    EXPECT_EQ(h.calc.RegisterFunction("v", "void", body.data(), 1, 12), 1);
    EXPECT_EQ(h.calc.AddFunctionParameter("f", "S", "s"), 0);
    EXPECT_EQ(h.calc.AddFunctionParameter("nope", "int", "a"), 0);
    EXPECT_EQ(h.calc.AddFunctionParameter("f", "void", "x"), 1);
    EXPECT_TRUE(h.calc.FindFunction("f")->parameterTypes.empty());
    h.variables.AddTypedef("BYTE", "unsigned char");
    EXPECT_EQ(h.calc.RegisterFunction("b", "BYTE", body.data(), 1, 12), 1);
    EXPECT_EQ(h.calc.FindFunction("b")->returnType, "unsigned char");
}

TEST(CCalcManager, DepthReturnsToZero) {
    EngineHarness h;
    h.Eval("((1 + abs(-2)) * 3)");
    EXPECT_EQ(h.calc.Depth(), 0);
    h.Eval("(((((");
    EXPECT_EQ(h.calc.Depth(), 0);
}

} // namespace
