// Saving and reading back a list at the editor's limit, against one plain write of the
// same bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "common/scripted_dialogs.h"
#include "ini/ini_engine.h"
#include "ports/host/host_file_system.h"
#include "ports/platform.h"
#include "staticlists/listfiles/bench_lists.h"
#include "staticlists/listfiles/list_file.h"
#include "staticlists/listfiles/save_by_calls.h"
#include "staticlists/listfiles/static_lists.h"

namespace tamber {
namespace {

constexpr int kItems = 32767;

struct Env {
    Env() {
        folder = std::filesystem::temp_directory_path() / "tamber-lists-bench";
        std::filesystem::create_directories(folder);
        Sys().files = &files;
        SetAppDialogs(&dialogs);
        text = bench::RandomListText(kItems);
        file = (folder / "bench.lst").string();
        staticlists::SaveList(file, text);
        bytes = files.ReadAll(file).value();
    }
    std::filesystem::path folder;
    HostFileSystem files;
    ScriptedDialogs dialogs;
    std::string text, file, bytes;
};

Env& E() {
    static Env env;
    return env;
}

void BM_PlainWriteOfTheSameBytes(benchmark::State& state) {
    std::string path = (E().folder / "plain.lst").string();
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(E().bytes.data(), 1, E().bytes.size(), f);
        std::fclose(f);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(E().bytes.size()));
}
BENCHMARK(BM_PlainWriteOfTheSameBytes)->Unit(benchmark::kMillisecond);

// What reading a list back is measured against: the file's bytes read in one piece.
void BM_PlainReadOfTheSameBytes(benchmark::State& state) {
    std::string buffer(E().bytes.size() + 1, '\0');
    for (auto _ : state) {
        std::FILE* f = std::fopen(E().file.c_str(), "rb");
        std::size_t n = std::fread(buffer.data(), 1, buffer.size(), f);
        std::fclose(f);
        if (n != E().bytes.size()) state.SkipWithError("short read");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(E().bytes.size()));
}
BENCHMARK(BM_PlainReadOfTheSameBytes)->Unit(benchmark::kMillisecond);

void BM_SaveList(benchmark::State& state) {
    for (auto _ : state) {
        if (!staticlists::SaveList(E().file, E().text)) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(E().bytes.size()));
}
BENCHMARK(BM_SaveList)->Unit(benchmark::kMillisecond);

void BM_SplitAndSortOnly(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(staticlists::SortedItems(E().text));
}
BENCHMARK(BM_SplitAndSortOnly)->Unit(benchmark::kMillisecond);

void BM_SaveListWithoutSorting(benchmark::State& state) {
    std::vector<std::string> items = staticlists::SortedItems(E().text);
    for (auto _ : state) {
        IniLib::Batch batch(E().file);
        listfile::BatchWriter out(batch);
        staticlists::StageSave(out, items);
        if (!batch.Commit()) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveListWithoutSorting)->Unit(benchmark::kMillisecond);

void BM_ReadListFromDisk(benchmark::State& state) {
    for (auto _ : state) {
        ini::Profiles().Forget(); // parse the file again each time
        auto items = staticlists::ReadList(E().file);
        if (items.size() != static_cast<std::size_t>(kItems)) state.SkipWithError("short read");
    }
}
BENCHMARK(BM_ReadListFromDisk)->Unit(benchmark::kMillisecond);

// What the list window does on a user action: one reader, then every entry.
std::size_t ReadEveryEntry() {
    listfile::ListReader reader(E().file);
    std::size_t total = 0;
    for (std::int32_t n = 1, count = reader.Count(); n <= count; ++n)
        total += reader.Entry(n).size();
    return total;
}

// The file unchanged since the engine last read or wrote it.
void BM_ReaderOnUnchangedFile(benchmark::State& state) {
    ReadEveryEntry();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadEveryEntry());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(E().bytes.size()));
}
BENCHMARK(BM_ReaderOnUnchangedFile)->Unit(benchmark::kMillisecond);

// The file read and parsed afresh each time.
void BM_ReaderFromDisk(benchmark::State& state) {
    E();
    for (auto _ : state) {
        ini::Profiles().Forget();
        benchmark::DoNotOptimize(ReadEveryEntry());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(E().bytes.size()));
}
BENCHMARK(BM_ReaderFromDisk)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tamber

BENCHMARK_MAIN();
