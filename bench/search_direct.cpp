// Speed of a search through a file read from disk on demand (DIRECT): a marker at the end of a 2 GiB sparse
// file, beside reading the same file in blocks of the same size as dd would (the _Baseline). Both read the
// file through the page cache; the ratio printed by run-bench.sh is the figure to watch.
#include "data/CDataStore.h"
#include "data/DataSearch.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr uint64_t kFileSize = uint64_t{2} << 30;
const unsigned char kMarker[8] = {'K', 'I', 'V', 'R', 'A', 'N', 'E', 'D'};

// The sparse file, made once for the program and removed at its end; empty when it cannot be made.
class SparseFile {
public:
    SparseFile() {
        const char* dir = std::getenv("TMPDIR");
        std::string pattern =
            std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/kivran-bench-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) {
            return;
        }
        const off_t markerAt = static_cast<off_t>(kFileSize - sizeof kMarker);
        const bool made =
            ::ftruncate(fd, static_cast<off_t>(kFileSize)) == 0 &&
            ::pwrite(fd, kMarker, sizeof kMarker, markerAt) == static_cast<ssize_t>(sizeof kMarker);
        ::close(fd);
        if (made) {
            path = pattern;
            WarmPageCache();
        } else {
            ::unlink(pattern.c_str());
        }
    }
    ~SparseFile() {
        if (!path.empty()) {
            ::unlink(path.c_str());
        }
    }
    std::string path;

private:
    // The holes of a fresh sparse file are zero-filled into the page cache on first read; both benchmarks
    // measure reads of cached pages, so the file is read once before either runs.
    void WarmPageCache() const {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return;
        }
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[1 << 22]);
        while (::read(fd, buffer.get(), 1 << 22) > 0) {
        }
        ::close(fd);
    }
};

const std::string& FilePath() {
    static SparseFile file;
    return file.path;
}

void DirectSearchMarkerAtEndOf2GiB(benchmark::State& state) {
    if (FilePath().empty()) {
        state.SkipWithError("cannot make a sparse file of 2 GiB");
        return;
    }
    CDataStore store;
    DataSourceSettings settings;
    settings.maxFileSizeForMemory = 1 << 20;
    store.SetSettings(settings);
    if (!store.OpenFile(FilePath()).success || store.AccessFlags() != CDataStore::kAccessDirect) {
        state.SkipWithError("the file did not open DIRECT");
        return;
    }
    for (auto _ : state) {
        uint64_t offset = 0;
        const bool found = FindForward(store, 0, kMarker, sizeof kMarker, offset);
        if (!found || offset != kFileSize - sizeof kMarker) {
            state.SkipWithError("the marker was not found");
            return;
        }
        benchmark::DoNotOptimize(offset);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(DirectSearchMarkerAtEndOf2GiB)->Unit(benchmark::kMillisecond);

// What dd does: open, read every block of the largest search block size into one buffer, close.
void DirectSearchMarkerAtEndOf2GiB_Baseline(benchmark::State& state) {
    if (FilePath().empty()) {
        state.SkipWithError("cannot make a sparse file of 2 GiB");
        return;
    }
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[kSearchBlockSize]);
    for (auto _ : state) {
        const int fd = ::open(FilePath().c_str(), O_RDONLY);
        uint64_t total = 0;
        ssize_t got = 0;
        while ((got = ::read(fd, buffer.get(), kSearchBlockSize)) > 0) {
            total += static_cast<uint64_t>(got);
        }
        ::close(fd);
        benchmark::DoNotOptimize(total);
        benchmark::DoNotOptimize(buffer[0]);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(DirectSearchMarkerAtEndOf2GiB_Baseline)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
