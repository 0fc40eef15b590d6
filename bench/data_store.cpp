// Speed of the data core: opening a file, inserting into a large buffer, reading a screen of rows from each
// source, and recording many small undo steps.
#include "data/CDataStore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <semaphore.h>
#include <string>
#include <sys/mman.h>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint64_t kTenMegabytes = 10 * 1000 * 1000;
constexpr uint64_t kScreenBytes = 50 * 16; // fifty rows of sixteen bytes

std::string TenMegabyteFile() {
    static std::string path;
    if (path.empty()) {
        path = "/tmp/kivran-bench-" + std::to_string(::getpid()) + ".bin";
        std::vector<char> bytes(kTenMegabytes, 'k');
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    return path;
}

void OpenTenMegabyteFile(benchmark::State& state) {
    std::string path = TenMegabyteFile();
    CDataStore store;
    for (auto _ : state) {
        DataOutcome outcome = store.OpenFile(path);
        benchmark::DoNotOptimize(outcome.success);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTenMegabytes));
}
BENCHMARK(OpenTenMegabyteFile)->Unit(benchmark::kMillisecond);

void InsertAtStartOfTenMegabytes(benchmark::State& state) {
    CDataStore store;
    std::vector<unsigned char> bytes(kTenMegabytes, 1);
    store.InsertData(0, bytes.data(), bytes.size(), 0, 0);
    unsigned char one = 2;
    for (auto _ : state) {
        store.InsertData(0, &one, 1, 1, 0);
    }
}
BENCHMARK(InsertAtStartOfTenMegabytes)->Unit(benchmark::kMicrosecond);

void ReadScreenFileMode(benchmark::State& state) {
    CDataStore store;
    std::vector<unsigned char> bytes(kTenMegabytes, 1);
    store.InsertData(0, bytes.data(), bytes.size(), 0, 0);
    unsigned char screen[kScreenBytes];
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.ReadData(5000000, screen, kScreenBytes));
    }
}
BENCHMARK(ReadScreenFileMode);

void ReadScreenDirectMode(benchmark::State& state) {
    CDataStore store;
    DataSourceSettings settings;
    settings.maxFileSizeForMemory = 1000;
    store.SetSettings(settings);
    store.OpenFile(TenMegabyteFile());
    unsigned char screen[kScreenBytes];
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.ReadData(5000000, screen, kScreenBytes));
    }
}
BENCHMARK(ReadScreenDirectMode)->Unit(benchmark::kMicrosecond);

void ReadScreenDllMode(benchmark::State& state) {
    CDataStore store;
    DataSourceSettings settings;
    settings.dllFileName = std::string(KIVRAN_LIB_DIR) + "/libkvrdll.so";
    settings.dllMemorySize = 4096;
    store.SetSettings(settings);
    if (!store.AttachSource(CDataStore::kModeDll).success) {
        state.SkipWithError("build the kvrdll example library first");
        return;
    }
    unsigned char screen[kScreenBytes];
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.ReadData(1024, screen, kScreenBytes));
    }
}
BENCHMARK(ReadScreenDllMode);

// The block and semaphore are made here, as their owner would make them.
void ReadScreenSharedMemoryMode(benchmark::State& state, bool withMutex) {
    std::string block = "kivran-bench-block-" + std::to_string(::getpid());
    std::string mutex = withMutex ? "kivran-bench-mutex-" + std::to_string(::getpid()) : std::string();
    int fd = ::shm_open(("/" + block).c_str(), O_RDWR | O_CREAT, 0600);
    if (fd < 0 || ::ftruncate(fd, 65536) != 0) {
        state.SkipWithError("no shared memory");
        return;
    }
    ::close(fd);
    sem_t* semaphore = withMutex ? ::sem_open(("/" + mutex).c_str(), O_CREAT, 0600, 1) : nullptr;
    CDataStore store;
    DataSourceSettings settings;
    settings.mmfName = block;
    settings.mutexName = mutex;
    settings.mmfMemorySize = 65536;
    store.SetSettings(settings);
    store.AttachSource(CDataStore::kModeSharedMemory);
    unsigned char screen[kScreenBytes];
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.ReadData(1024, screen, kScreenBytes));
    }
    ::shm_unlink(("/" + block).c_str());
    if (semaphore != nullptr) {
        ::sem_close(semaphore);
        ::sem_unlink(("/" + mutex).c_str());
    }
}
BENCHMARK_CAPTURE(ReadScreenSharedMemoryMode, NoMutex, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadScreenSharedMemoryMode, WithMutex, true)->Unit(benchmark::kMicrosecond);

void AppendOneByteUndoRecords(benchmark::State& state) {
    for (auto _ : state) {
        CUndoManager undo;
        undo.SetUndoLimit(CUndoManager::kDefaultLimit);
        unsigned char before = 1, after = 2;
        UndoChange change;
        change.kind = UndoChange::Overwrite;
        change.first = &before;
        change.second = &after;
        change.count = 1;
        for (int i = 0; i < 100000; ++i) {
            change.offset = static_cast<uint64_t>(i);
            undo.AddUndoRecord(change, 0);
        }
        benchmark::DoNotOptimize(undo.RecordCount());
    }
}
BENCHMARK(AppendOneByteUndoRecords)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(TenMegabyteFile().c_str());
    return 0;
}
