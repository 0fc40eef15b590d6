// Speed of copying rows as text: the clipboard text of a 16 MB selection in the common layouts, built in one
// pass into room reserved once.
#include "data/CDataStore.h"
#include "data/CEditCommands.h"
#include "data/CRowLayout.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kSixteenMegabytes = 16 << 20;

CDataStore& SixteenMegabytes() {
    static CDataStore store;
    if (store.GetDataSize() == 0) {
        std::vector<unsigned char> bytes(kSixteenMegabytes);
        for (size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<unsigned char>(i * 31 + (i >> 8));
        }
        store.InsertData(0, bytes.data(), bytes.size(), 0, 0);
    }
    return store;
}

void CopyText(benchmark::State& state, int sizeIndex, int typeIndex) {
    CDataStore& store = SixteenMegabytes();
    CRowLayout layout(sizeIndex, typeIndex, 20);
    CEditCommands commands(store, layout);
    EditOptions options;
    uint64_t length = 0;
    for (auto _ : state) {
        std::string text;
        commands.CopyText(0, kSixteenMegabytes, options, std::numeric_limits<uint64_t>::max(),
                          CopyTextProgress(), text);
        length = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["text_bytes"] = static_cast<double>(length);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSixteenMegabytes));
}
BENCHMARK_CAPTURE(CopyText, OneByteHex, kSize1Byte, kTypeHex)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CopyText, TwoBytesUnsigned, kSize2Bytes, kTypeUnsign)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CopyText, FourBytesFloat, kSize4Bytes, kTypeFloat)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
