// Interpreter speed (Google Benchmark): a 1000-iteration loop summing into a variable, a recursive fib(15),
// a loop of 1 000 000 reads of an unsigned char array, and a symbol-file-like script that declares 10 000
// variables. Each iteration runs the whole text with fresh engine objects, as a script run does. Beside each
// of the first three, "X_Baseline" runs the same program in Lua 5.4 (a fresh state per iteration, compiled
// from its text and run), so that run-bench.sh prints the engine's time as a multiple of Lua's. Without Lua
// the baselines are skipped with a message.
#include "engine/CCalcManager.h"
#include "engine/CFlowManager.h"
#include "engine/CVariableManager.h"

#include <benchmark/benchmark.h>

#include <string>

#ifdef KIVRAN_HAVE_LUA
extern "C" {
#include <lauxlib.h>
#include <lua.h>
}
#endif

namespace {

int32_t RunScript(const std::string& text, int64_t maxLoop = 1000) {
    CVariableManager variables;
    CCalcManager calc;
    CFlowManager flow;
    calc.SetVariableManager(&variables);
    calc.SetFlowManager(&flow);
    flow.SetCalcManager(&calc);
    flow.SetVariableManager(&variables);
    flow.SetMaxLoop(maxLoop);
    flow.SetTolerance(3);
    flow.SetDbcsNames(1);
    ExecContext ctx(text.data(), 0, static_cast<int64_t>(text.size()) - 1);
    return flow.RunStatements(ctx, -1, nullptr);
}

// Runs a Lua program in a fresh state; false (with the message in the benchmark) when it fails.
void RunLua(benchmark::State& state, const char* program) {
#ifdef KIVRAN_HAVE_LUA
    for (auto _ : state) {
        lua_State* lua = luaL_newstate();
        if (!lua || luaL_loadstring(lua, program) != LUA_OK || lua_pcall(lua, 0, 0, 0) != LUA_OK) {
            state.SkipWithError("Lua program failed");
            if (lua) {
                lua_close(lua);
            }
            break;
        }
        lua_close(lua);
    }
#else
    (void)program;
    state.SkipWithError("Lua 5.4 not installed (liblua5.4-dev): no baseline");
#endif
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

void ScriptLoop1000_Baseline(benchmark::State& state) {
    RunLua(state, "local sum = 0\nlocal i = 0\nwhile i < 1000 do\n    sum = sum + i\n    i = i + 1\nend\n");
}
BENCHMARK(ScriptLoop1000_Baseline)->Unit(benchmark::kMicrosecond);

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
BENCHMARK(ScriptFib15)->Unit(benchmark::kMicrosecond);

void ScriptFib15_Baseline(benchmark::State& state) {
    RunLua(state,
           "local function fib(n)\n    if n < 2 then return n end\n    return fib(n - 1) + fib(n - 2)\n"
           "end\nlocal r = fib(15)\n");
}
BENCHMARK(ScriptFib15_Baseline)->Unit(benchmark::kMicrosecond);

// One million reads of an array of one million bytes, summed; the array is declared by the script (Lua builds
// its table of zeros the same way).
void ScriptArraySum1M(benchmark::State& state) {
    const std::string text = "unsigned char buf[1000000];\nunsigned int i = 0;\nunsigned int sum = 0;\n"
                             "while (i < 1000000) {\n    sum = sum + buf[i];\n    i++;\n}\n";
    for (auto _ : state) {
        if (RunScript(text, -1) != 0) {
            state.SkipWithError("script failed");
        }
    }
}
BENCHMARK(ScriptArraySum1M)->Unit(benchmark::kMillisecond);

void ScriptArraySum1M_Baseline(benchmark::State& state) {
    RunLua(state, "local buf = {}\nfor k = 0, 999999 do buf[k] = 0 end\nlocal i = 0\nlocal sum = 0\n"
                  "while i < 1000000 do\n    sum = sum + buf[i]\n    i = i + 1\nend\n");
}
BENCHMARK(ScriptArraySum1M_Baseline)->Unit(benchmark::kMillisecond);

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
