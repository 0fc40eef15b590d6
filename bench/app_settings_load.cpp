// Speed of reading the settings at start-up: a settings file and a per-user typed store of 100 000 keys,
// each beside a plain read of the same file.
#include "settings/KivranSettings.h"
#include "settings/SettingsStore.h"
#include "settings/TypedStore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr int kKeys = 100000;

std::string WriteOnce(const std::string& name, const std::string& text) {
    const std::string path = "/tmp/kivran-bench-" + std::to_string(::getpid()) + "-" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

const std::string& IniPath() {
    static const std::string path = [] {
        std::string text = "[Bulk]\n";
        char line[64];
        for (int i = 0; i < kKeys; ++i) {
            std::snprintf(line, sizeof line, "Key%d=value %d\n", i, i);
            text += line;
        }
        return WriteOnce("Kivran.ini", text + "[Option]\nLanguage=1\n");
    }();
    return path;
}

const std::string& TypedPath() {
    static const std::string path = [] {
        std::string text = "[\"Bulk\"]\n";
        char line[64];
        for (int i = 0; i < kKeys; ++i) {
            std::snprintf(line, sizeof line, "\"Key%d\"=dword:%08x\n", i, static_cast<unsigned>(i));
            text += line;
        }
        return WriteOnce("registry", text + "[\"Option\"]\n\"Language\"=dword:00000001\n");
    }();
    return path;
}

std::string PlainRead(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The start-up's work: open the settings file, read every setting, close it.
void LoadSettingsFile100000Keys(benchmark::State& state) {
    const std::string& path = IniPath();
    for (auto _ : state) {
        SettingsStore store;
        store.Open(0, path);
        KivranSettings settings;
        settings.Load(store, "/tmp");
        benchmark::DoNotOptimize(settings.language);
    }
}
BENCHMARK(LoadSettingsFile100000Keys)->Unit(benchmark::kMillisecond);

void LoadSettingsFile100000Keys_Baseline(benchmark::State& state) {
    const std::string& path = IniPath();
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlainRead(path).size());
    }
}
BENCHMARK(LoadSettingsFile100000Keys_Baseline)->Unit(benchmark::kMillisecond);

void LoadTypedStore100000Keys(benchmark::State& state) {
    const std::string& path = TypedPath();
    for (auto _ : state) {
        TypedStore store(path);
        store.Load();
        TypedStore::Value value;
        benchmark::DoNotOptimize(store.Query("bulk", "key99999", value));
    }
}
BENCHMARK(LoadTypedStore100000Keys)->Unit(benchmark::kMillisecond);

void LoadTypedStore100000Keys_Baseline(benchmark::State& state) {
    const std::string& path = TypedPath();
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlainRead(path).size());
    }
}
BENCHMARK(LoadTypedStore100000Keys_Baseline)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(IniPath().c_str());
    std::remove(TypedPath().c_str());
    return 0;
}
