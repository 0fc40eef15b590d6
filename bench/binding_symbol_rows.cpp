// The symbol table with 100 000 declarations (Google Benchmark): declaring them, painting a page of 60
// SYMBOL rows at scattered scroll positions, mapping scattered offsets to rows, and a symbol search that
// walks the whole table. The page is compared with copying 60 rows computed in advance.
#include "binding/CKvrVMan.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kSymbols = 100000;
constexpr uint64_t kPageRows = 60;

void Declare(CKvrVMan& vm) {
    vm.Reset();
    if (!vm.FindStruct("Entry")) {
        vm.RegisterStruct("Entry");
        vm.AddStructMember("Entry", "unsigned short", "tag", 0);
        vm.AddStructMember("Entry", "char", "text", 24);
        vm.AddStructMember("Entry", "double", "value", 0);
    }
    static const char* types[] = {"unsigned char", "int", "Entry", "short", "double"};
    vm.SetBindNext(1);
    for (int i = 0; i < kSymbols; ++i) {
        vm.RegisterVariable(types[i % 5], "field" + std::to_string(i), i % 4 == 0 ? 6 : 0, 0, -1);
    }
    vm.SetBindNext(0);
}

// Scroll positions spread over the whole table.
uint64_t ScatteredRow(uint64_t k, uint64_t rows) {
    return (k * 2654435761u) % (rows - kPageRows);
}

void DeclareSymbols100k(benchmark::State& state) {
    CKvrVMan vm;
    for (auto _ : state) {
        Declare(vm);
        benchmark::DoNotOptimize(vm.GetSymbolRows());
    }
}
BENCHMARK(DeclareSymbols100k)->Unit(benchmark::kMillisecond);

void SymbolRowsPage100k(benchmark::State& state) {
    CKvrVMan vm;
    Declare(vm);
    const uint64_t rows = vm.GetSymbolRows();
    uint64_t k = 0;
    SymbolRow row;
    for (auto _ : state) {
        const uint64_t top = ScatteredRow(++k, rows);
        for (uint64_t r = top; r < top + kPageRows; ++r) {
            vm.LookupRow(r, row);
            benchmark::DoNotOptimize(row.offset);
        }
    }
}
BENCHMARK(SymbolRowsPage100k)->Unit(benchmark::kMicrosecond);

void SymbolRowsPage100k_Baseline(benchmark::State& state) {
    CKvrVMan vm;
    Declare(vm);
    const uint64_t rows = vm.GetSymbolRows();
    std::vector<SymbolRow> all(rows);
    for (uint64_t r = 0; r < rows; ++r) {
        vm.LookupRow(r, all[r]);
    }
    uint64_t k = 0;
    SymbolRow row;
    for (auto _ : state) {
        const uint64_t top = ScatteredRow(++k, rows);
        for (uint64_t r = top; r < top + kPageRows; ++r) {
            row = all[r];
            benchmark::DoNotOptimize(row.offset);
        }
    }
}
BENCHMARK(SymbolRowsPage100k_Baseline)->Unit(benchmark::kMicrosecond);

void SymbolRowOfOffset100k(benchmark::State& state) {
    CKvrVMan vm;
    Declare(vm);
    const uint64_t end = vm.GetNextOffset();
    uint64_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(vm.RowOfOffset((++k * 2654435761u) % end));
    }
}
BENCHMARK(SymbolRowOfOffset100k)->Unit(benchmark::kMicrosecond);

void FindSymbolWholeTable100k(benchmark::State& state) {
    CKvrVMan vm;
    Declare(vm);
    uint64_t offset = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(vm.FindSymbol(0, "nosuchname", 1, 2, offset));
    }
}
BENCHMARK(FindSymbolWholeTable100k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
