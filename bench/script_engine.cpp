// Interpreter speed (Google Benchmark): a 1000-iteration loop summing into a variable, a recursive fib(15),
// and a symbol-file-like script that declares 10 000 variables. Each iteration runs the whole text with fresh
// engine objects, as a script run does. Meant for bench/ (it needs kivran_engine in the bench link).
#include "engine/CCalcManager.h"
#include "engine/CFlowManager.h"
#include "engine/CVariableManager.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

int32_t RunScript(const std::string& text) {
    CVariableManager variables;
    CCalcManager calc;
    CFlowManager flow;
    calc.SetVariableManager(&variables);
    calc.SetFlowManager(&flow);
    flow.SetCalcManager(&calc);
    flow.SetVariableManager(&variables);
    flow.SetMaxLoop(1000);
    flow.SetTolerance(3);
    flow.SetDbcsNames(1);
    ExecContext ctx(text.data(), 0, static_cast<int64_t>(text.size()) - 1);
    return flow.RunStatements(ctx, -1, nullptr);
}

void ScriptLoop1000(benchmark::State& state) {
    const std::string text =
        "int sum = 0;\nint i = 0;\nwhile (i < 1000) {\n    sum = sum + i;\n    i++;\n}\n";
    for (auto _ : state) {
        if (RunScript(text) != 0) {
            state.SkipWithError("script failed");
        }
    }
}
BENCHMARK(ScriptLoop1000)->Unit(benchmark::kMicrosecond);

void ScriptFib15(benchmark::State& state) {
    const std::string text =
        "int fib(int n);\nint r = fib(15);\nreturn;\n"
        "int fib(int n) {\n    if (n < 2) { return n; }\n    return fib(n - 1) + fib(n - 2);\n}\n";
    for (auto _ : state) {
        if (RunScript(text) != 0) {
            state.SkipWithError("script failed");
        }
    }
}
BENCHMARK(ScriptFib15)->Unit(benchmark::kMillisecond);

void ScriptDeclare10000(benchmark::State& state) {
    std::string text =
        "typedef unsigned char BYTE;\nstruct Header { BYTE magic[4]; unsigned short version; int size; };\n"
        "Header header;\n";
    const char* types[] = {"BYTE", "unsigned short", "int",   "unsigned long",
                           "char", "short",          "float", "double"};
    for (int i = 0; i < 10000; ++i) {
        text += std::string(types[i % 8]) + " field" + std::to_string(i) + (i % 10 == 0 ? "[4]" : "") + ";\n";
    }
    for (auto _ : state) {
        if (RunScript(text) != 0) {
            state.SkipWithError("script failed");
        }
    }
}
BENCHMARK(ScriptDeclare10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
