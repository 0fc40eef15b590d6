// Speed of search and replace over 10 MB in file mode, each beside the C library or a plain loop doing the
// same work over the same bytes: the ratio of each pair (printed by run-bench.sh) is the figure to watch.
#include "data/CDataStore.h"
#include "data/CReplaceAllRunner.h"
#include "data/DataSearch.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr uint64_t kTenMegabytes = 10 * 1000 * 1000;
const unsigned char kPattern[4] = {0x4B, 0x49, 0x56, 0x52};
constexpr unsigned char kOldByte = 0xAA;
constexpr unsigned char kNewByte = 0xBB;
constexpr uint64_t kOccurrences = 100000;

// Random bytes with the 4-byte pattern only at the very end: every 256th byte or so is a candidate.
const std::vector<unsigned char>& SearchData() {
    static std::vector<unsigned char> bytes;
    if (bytes.empty()) {
        bytes.resize(kTenMegabytes);
        std::mt19937 random(1);
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(random());
        }
        for (size_t at = 0; at + 4 <= bytes.size(); ++at) {
            if (std::memcmp(bytes.data() + at, kPattern, 4) == 0) {
                bytes[at] ^= 1;
            }
        }
        std::memcpy(bytes.data() + bytes.size() - 4, kPattern, 4);
    }
    return bytes;
}

// 10 MB without the old byte except at every hundredth position.
const std::vector<unsigned char>& ReplaceData() {
    static std::vector<unsigned char> bytes;
    if (bytes.empty()) {
        bytes.resize(kTenMegabytes);
        std::mt19937 random(2);
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(random() % 0xA0);
        }
        for (uint64_t i = 0; i < kOccurrences; ++i) {
            bytes[i * (kTenMegabytes / kOccurrences)] = kOldByte;
        }
    }
    return bytes;
}

void Load(CDataStore& store, const std::vector<unsigned char>& bytes) {
    store.NewBuffer();
    store.InsertData(0, bytes.data(), bytes.size(), 0, 0);
}

void ForwardSearch4BytesAtEndOf10MB(benchmark::State& state) {
    CDataStore store;
    Load(store, SearchData());
    for (auto _ : state) {
        uint64_t offset = 0;
        bool found = FindForward(store, 0, kPattern, sizeof kPattern, offset);
        benchmark::DoNotOptimize(found);
        benchmark::DoNotOptimize(offset);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTenMegabytes));
}
BENCHMARK(ForwardSearch4BytesAtEndOf10MB)->Unit(benchmark::kMicrosecond);

void ForwardSearch4BytesAtEndOf10MB_Baseline(benchmark::State& state) {
    const std::vector<unsigned char>& bytes = SearchData();
    for (auto _ : state) {
        const void* hit = ::memmem(bytes.data(), bytes.size(), kPattern, sizeof kPattern);
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTenMegabytes));
}
BENCHMARK(ForwardSearch4BytesAtEndOf10MB_Baseline)->Unit(benchmark::kMicrosecond);

// The worker's loop itself (without the thread), with undo recording as in the editor.
void ReplaceAll1ByteBy1Byte100000In10MB(benchmark::State& state) {
    CDataStore store;
    ReplaceAllRequest request;
    request.pattern.bytes[0] = kOldByte;
    request.pattern.length = 1;
    request.replacement.bytes[0] = kNewByte;
    request.replacement.length = 1;
    request.rangeEnd = kTenMegabytes;
    std::atomic<bool> stop{false};
    for (auto _ : state) {
        state.PauseTiming();
        Load(store, ReplaceData());
        state.ResumeTiming();
        ReplaceAllResult result = CReplaceAllRunner::Run(store, request, stop, nullptr);
        benchmark::DoNotOptimize(result.count);
    }
}
BENCHMARK(ReplaceAll1ByteBy1Byte100000In10MB)->Unit(benchmark::kMillisecond);

void ReplaceAll1ByteBy1Byte100000In10MB_Baseline(benchmark::State& state) {
    std::vector<unsigned char> bytes;
    for (auto _ : state) {
        state.PauseTiming();
        bytes = ReplaceData();
        state.ResumeTiming();
        uint64_t count = 0;
        for (unsigned char& byte : bytes) {
            if (byte == kOldByte) {
                byte = kNewByte;
                ++count;
            }
        }
        benchmark::DoNotOptimize(count);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ReplaceAll1ByteBy1Byte100000In10MB_Baseline)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
