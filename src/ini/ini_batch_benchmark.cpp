// A list of 32,767 entries saved through one batch against a plain write of the same bytes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ini/ini_engine.h"
#include "ports/host/host_file_system.h"

namespace {

using tamber::HostFileSystem;
using tamber::ini::Engine;

constexpr int kEntries = 32767;

std::string Folder() {
    static std::string dir = [] {
        std::string t = (std::filesystem::temp_directory_path() / "ini-bench-XXXXXX").string();
        return std::string(mkdtemp(t.data()));
    }();
    return dir;
}

void SaveList(Engine& engine, const std::string& file) {
    Engine::Batch batch = engine.Begin(file);
    batch.DeleteSection("Items");
    batch.DeleteSection("Index");
    for (int i = 1; i <= kEntries; ++i)
        batch.Write("Items", std::to_string(i), "Entry number " + std::to_string(i));
    batch.Write("Index", "Count", std::to_string(kEntries));
    batch.Commit();
}

void BM_BatchedSave(benchmark::State& state) {
    HostFileSystem files;
    Engine engine(files);
    const std::string file = Folder() + "/batched.dat";
    for (auto _ : state)
        SaveList(engine, file);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
}
BENCHMARK(BM_BatchedSave)->Unit(benchmark::kMillisecond);

void BM_PlainWrite(benchmark::State& state) {
    HostFileSystem files;
    Engine engine(files);
    SaveList(engine, Folder() + "/reference.dat");
    const std::string bytes = *files.ReadAll(Folder() + "/reference.dat");
    const std::string file = Folder() + "/plain.dat";
    for (auto _ : state) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);

// Reading the saved list back entry by entry through the parsed copy.
void BM_ReadEveryEntry(benchmark::State& state) {
    HostFileSystem files;
    Engine engine(files);
    const std::string file = Folder() + "/batched.dat";
    SaveList(engine, file);
    for (auto _ : state) {
        std::size_t total = 0;
        for (int i = 1; i <= kEntries; ++i)
            total += engine.Value(file, "Items", std::to_string(i))->size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ReadEveryEntry)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
