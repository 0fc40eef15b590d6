// Script runs over data (Google Benchmark): a symbol file of 10 000 "$" declarations over 1 MB, beside the
// same declarations as plain variables (the engine alone); a macro that reads every byte of 1 MB with
// GetByte(, beside a plain loop over the same bytes through ReadData.
#include "binding/CKvrVMan.h"
#include "binding/CScriptRun.h"
#include "binding/IScriptHost.h"
#include "data/CDataStore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint64_t kDataSize = 1024 * 1024;

class SilentHost : public IScriptHost {
public:
    int MessageBox(const std::string&, const std::string&, uint32_t) override { return 1; }
    bool InputData(const std::string&, const std::string&, int, std::string&) override { return false; }
    bool CopyText(const std::string&) override { return true; }
    std::string PasteText() override { return std::string(); }
    void Progress(int) override {}
    void SetRunning(CFlowManager*) override {}
};

// A data store holding 1 MB of a repeating pattern.
void FillStore(CDataStore& store) {
    std::vector<unsigned char> bytes(kDataSize);
    for (uint64_t i = 0; i < kDataSize; ++i) {
        bytes[i] = static_cast<unsigned char>(i * 7);
    }
    store.InsertData(0, bytes.data(), bytes.size(), 0, 0);
}

// Writes text to a temporary file that lives as long as the object.
class TempScript {
public:
    explicit TempScript(const std::string& text) {
        char name[] = "/tmp/kivran-bench-XXXXXX";
        int fd = mkstemp(name);
        if (fd >= 0) {
            close(fd);
            path = name;
            std::ofstream(path, std::ios::binary) << text;
        }
    }
    ~TempScript() {
        if (!path.empty()) {
            std::remove(path.c_str());
        }
    }
    std::string path;
};

std::string Declarations(const char* prefix) {
    const char* types[] = {"unsigned char", "unsigned short", "int",   "unsigned long",
                           "char",          "short",          "float", "double"};
    std::string text;
    for (int i = 0; i < 10000; ++i) {
        text += std::string(prefix) + types[i % 8] + " field" + std::to_string(i) +
                (i % 10 == 0 ? "[4]" : "") + ";\n";
    }
    return text;
}

void RunOver(benchmark::State& state, const std::string& text, CScriptRun::Kind kind) {
    CDataStore store;
    FillStore(store);
    CKvrVMan variables;
    variables.SetOwner(&store);
    SilentHost host;
    TempScript script(text);
    for (auto _ : state) {
        ScriptRunResult result = CScriptRun::Run(variables, host, script.path, kind, 1);
        if (!result.readable || result.error != 0) {
            state.SkipWithError("script failed");
            break;
        }
    }
}

void SymbolFile10000(benchmark::State& state) {
    RunOver(state, Declarations("$"), CScriptRun::kSymbolFile);
}
BENCHMARK(SymbolFile10000)->Unit(benchmark::kMillisecond);

// The same declarations as ordinary variables: what the engine costs without binding them to the data.
void SymbolFile10000_Baseline(benchmark::State& state) {
    RunOver(state, Declarations(""), CScriptRun::kSymbolFile);
}
BENCHMARK(SymbolFile10000_Baseline)->Unit(benchmark::kMillisecond);

void MacroGetByte1MB(benchmark::State& state) {
    const std::string text = "#maxloop 2000000\nunsigned int size = GetFileSize();\nunsigned int i = 0;\n"
                             "unsigned int sum = 0;\nwhile (i < size) {\n    sum = sum + GetByte(i);\n"
                             "    i++;\n}\n";
    RunOver(state, text, CScriptRun::kMacro);
}
BENCHMARK(MacroGetByte1MB)->Unit(benchmark::kMillisecond)->Iterations(1);

// A plain loop reading the same bytes one at a time through the data store.
void MacroGetByte1MB_Baseline(benchmark::State& state) {
    CDataStore store;
    FillStore(store);
    for (auto _ : state) {
        uint32_t sum = 0;
        for (uint64_t i = 0; i < kDataSize; ++i) {
            unsigned char byte = 0;
            store.ReadData(i, &byte, 1);
            sum += byte;
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(MacroGetByte1MB_Baseline)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
