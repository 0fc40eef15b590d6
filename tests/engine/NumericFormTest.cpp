// Loop conditions, counters and sums over numeric variables run through their numeric forms. Each script runs
// straight from the text and through the compiled forms; both runs must end with the same error, error line
// and variables, including the scripts whose numeric forms have to give way (zero divisors, refused stores,
// indexes outside their arrays, strings, pointers, struct members, shadowing names, the nesting limits).
#include "EngineHarness.h"

#include "engine/FastPaths.h"
#include "engine/VariableDump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Outcome {
    int32_t error = 0;
    int64_t line = 0;
    std::string lineText;
    std::vector<std::string> variables;
    uint64_t numericRuns = 0;
};

Outcome RunIn(FastPaths::Mode mode, const std::string& script, int64_t maxLoop) {
    const FastPaths::Mode saved = FastPaths::GetMode();
    FastPaths::SetMode(mode);
    Outcome o;
    {
        EngineHarness h;
        h.flow.SetMaxLoop(maxLoop);
        ExecContext ctx = h.Run(script);
        o.error = ctx.error;
        o.line = ctx.line;
        o.lineText = ctx.lineText;
        o.variables = VariableDump::Lines(h.variables);
        o.numericRuns = h.calc.NumericRuns();
    }
    FastPaths::SetMode(saved);
    return o;
}

std::string Nested(int levels, const std::string& inner) {
    return std::string(static_cast<size_t>(levels), '(') + inner +
           std::string(static_cast<size_t>(levels), ')');
}

struct Case {
    const char* what;
    std::string script;
    int32_t error; // the error both runs end with
    bool numeric;  // the compiled run completes some evaluations through numeric forms
    int64_t maxLoop;
};

std::vector<Case> Cases() {
    return {
        {"sums and counters of every kind",
         "char c = 100; unsigned char uc = 250; short s = 32000; unsigned short us = 65530;\n"
         "unsigned int u = 4294967290; int n = 2147483640; float f = 0.5; double d = 1.25;\n"
         "int i = 0;\n"
         "while (i < 6) {\n  c = c + 10; uc = uc + 3; s += 500; us++; ++u; n = n + 3;\n"
         "  f = f * 3; d /= 2; i++;\n}\n",
         0, true, -1},
        {"mixed kinds: floats stored into integers, integers into floats",
         "int n = 1; float f = 0.75; double d = -2.5; unsigned char b = 0; int i = 0;\n"
         "while (i < 5) { n = n + f * 2; f = n / 3; d = d * n - f; b = d; i = i + 1; }\n",
         0, true, -1},
        {"operators: comparisons, logic, bits, shifts, unary, parentheses, remainder",
         "int i = 0; int r = 0; int q = 0; unsigned int m = 0;\n"
         "while (i < 9) {\n  r = r + !(i & 1) + ~i - -i + +i;\n  q = (i < 3) && (i != 1) || (i >= 7);\n"
         "  m = (m << 3) ^ (i | 5) >> 1;\n  r = r % 7 + (q == 0) + (i <= 4) + (i > 2);\n  i++;\n}\n",
         0, true, -1},
        {"prefix and postfix as values",
         "int i = 0; int a = 0; int b = 0; double x = 0.5;\n"
         "while (i++ < 5) { a = a + 1; --b; x++; }\nwhile (--i > 1) { b--; }\n"
         "int n = 3;\nwhile (n--) { a += 10; }\nwhile (++n) { if (a--) { b -= 2; } }\n"
         "while (x -= 0.5) { if (b += 3) { a++; } }\n",
         0, true, 1000},
        {"a zero divisor after some turns",
         "int d = 3; int x = 0;\nwhile (1) {\n  x = x + 10 / d;\n  d--;\n}\n", 3, true, -1},
        {"a zero remainder divisor",
         "int d = 2; int x = 7;\nwhile (d > -5) {\n  x = x % d;\n  x += 5;\n  d--;\n}\n", 3, true, -1},
        {"a compound remainder, which has no numeric form",
         "int d = 2; int x = 7;\nwhile (d > -5) {\n  x %= d;\n  x += 5;\n  d--;\n}\n", -1, false, -1},
        {"a compound division by zero", "double d = 2; int x = 7;\nwhile (1) {\n  x /= d;\n  d = d - 1;\n}\n",
         -1, true, -1},
        {"a store into a constant",
         "const int k = 1;\nint i = 0;\nwhile (i < 3) {\n  i++;\n  if (i == 2) {\n    k = i;\n  }\n}\n", 5,
         true, -1},
        {"an index beyond the array when stored",
         "int a[4];\nint i = 0;\nwhile (i < 10) {\n  a[i] = i * 2;\n  i++;\n}\n", -1, true, -1},
        {"an index beyond the array when read",
         "int a[4];\nint s = 0;\nint i = 0;\nwhile (i < 10) {\n  s = s + a[i] + 1;\n  i++;\n}\n", -1, true,
         -1},
        {"negative, fractional and computed indexes",
         "unsigned char buf[8]; int i = 0; int s = 0;\n"
         "while (i < 7) { buf[i + 1] = buf[(i)] + i; s += buf[i * 1.5 - i / 2]; i++; }\n"
         "i = 0;\nwhile (i > -3) { s = s + buf[i]; i--; }\n",
         -1, true, -1},
        {"indexed compound stores and counters",
         "int a[3]; int i = 0;\nwhile (i < 6) { a[i % 3] += i; a[i / 2]++; --a[0]; i++; }\n", 0, true, -1},
        {"strings are stored as strings",
         "string s = \"a\"; int i = 0;\nwhile (i < 3) { s = s + \"b\"; s = i; i++; }\n", -1, true, -1},
        {"pointers keep their own arithmetic",
         "int a[4]; int* p = &a[0]; int i = 0;\nwhile (i < 3) { p = p + 1; *p = i; i++; }\n", -1, true, -1},
        {"struct members are paths",
         "struct H { int size; unsigned char b[2]; };\nH h; int i = 0;\n"
         "while (i < 4) { h.size = h.size + i; h.b[1] += 3; i++; }\n",
         -1, true, -1},
        {"a block variable shadows the outer one on every turn",
         "int x = 1; int i = 0; int t = 0;\n"
         "while (i < 3) { int x = i; x = x + 5; t = t + x; i++; }\nx = x + 100;\n",
         0, true, -1},
        {"a name that is a variable first and a function later",
         "int f = 1; int i = 0; int x = 0;\nwhile (i < 4) {\n  x = x + f;\n  i++;\n  if (i == 2) {\n"
         "    int f(int a);\n  }\n}\n",
         -1, true, -1},
        {"the loop limit counts the condition tests",
         "int i = 0;\nint s = 0;\nwhile (i < 100) {\n  s += i;\n  i++;\n}\n", 22, true, 5},
        {"functions: numeric bodies, the call depth limit",
         "int f(int n);\nint r = f(20);\nint z = f(300);\nreturn;\n"
         "int f(int n) {\n  if (n < 1) {\n    return 0;\n  }\n  return f(n - 1) + 1;\n}\n",
         22, true, -1},
        {"returned values of every form, converted to the return type",
         "int f(int n);\ndouble g(double x);\nchar h(int n);\nint i = 0; int a = 0; double b = 0; int c = "
         "0;\n"
         "while (i < 6) { a = a + f(i) * 3; b = b + g(i * 0.5); c = c + h(i * 100) + f(f(i)); i++; }\n"
         "return;\nint f(int n) {\n  if (n % 3 == 0) { return (n); }\n  if (n % 3 == 1) { return +n * 2; }\n"
         "  return n++;\n}\ndouble g(double x) { return -x / 3; }\nchar h(int n) { return n + 1; }\n",
         0, true, -1},
        {"a returned division by zero",
         "int f(int n);\nint i = 3; int a = 0;\nwhile (i > -2) { a = a + f(i); i--; }\nreturn;\n"
         "int f(int n) {\n  return 12 / n;\n}\n",
         3, true, -1},
        {"nesting beyond the limit inside a loop",
         "int i = 0; int s = 0;\nwhile (i < 2) {\n  s = s + " + Nested(1001, "i") + ";\n  i++;\n}\n", 11,
         false, -1},
        {"nesting just inside the limit inside a loop",
         "int i = 0; int s = 0;\nwhile (i < 2) {\n  s = s + " + Nested(990, "i + 1") + ";\n  i++;\n}\n", -1,
         true, -1},
        {"for loops and if chains",
         "int i = 0; int e = 0; int o = 0; double h = 0;\n"
         "for (i = 0; i < 10; i++) {\n  if (i % 2 == 0) { e++; } else if (i % 3 == 0) { o += 2; } else { h "
         "-= 0.5; }\n}\n",
         0, true, -1},
        {"a statement that only reads", "int i = 0; int a[2];\nwhile (i < 3) { i; a[1]; i + 1; i++; }\n", -1,
         true, -1},
    };
}

TEST(NumericForms, TextAndCompiledRunsAgree) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.what);
        const Outcome text = RunIn(FastPaths::Mode::kText, c.script, c.maxLoop);
        const Outcome compiled = RunIn(FastPaths::Mode::kCompiled, c.script, c.maxLoop);
        const Outcome everywhere = RunIn(FastPaths::Mode::kCompiledEverywhere, c.script, c.maxLoop);
        if (c.error >= 0) {
            EXPECT_EQ(text.error, c.error);
        }
        for (const Outcome* o : {&compiled, &everywhere}) {
            EXPECT_EQ(o->error, text.error);
            EXPECT_EQ(o->line, text.line);
            EXPECT_EQ(o->lineText, text.lineText);
            EXPECT_EQ(o->variables, text.variables);
        }
        EXPECT_EQ(text.numericRuns, 0u);
        if (c.numeric) {
            EXPECT_GT(compiled.numericRuns, 0u);
            EXPECT_GT(everywhere.numericRuns, 0u);
        }
    }
}

TEST(NumericForms, ErrorsInsideLoopsReportTheirStatementsLine) {
    // The numeric forms give way to the compiled sequences for the failing turn: its error and line are those
    // of the failing statement.
    const std::string script = "int d = 2;\nint x = 0;\nwhile (1) {\n  x = x + 1;\n  x = x / d;\n  d--;\n}\n";
    const Outcome compiled = RunIn(FastPaths::Mode::kCompiled, script, -1);
    EXPECT_EQ(compiled.error, 3);
    EXPECT_EQ(compiled.line, 5);
    EXPECT_EQ(compiled.lineText, "  x = x / d;");
    EXPECT_GT(compiled.numericRuns, 0u);
}

} // namespace
