// Opening and filtering a large group table, as the subgroup builder does on every list open.
#include <benchmark/benchmark.h>

#include "ports/dbf/dbf_group_tables.h"
#include "ports/dbf/dbf_writer.h"
#include "ports/memory/memory_file_system.h"

namespace tamber {
namespace {

std::string Id(int n) {
    std::string id = std::to_string(n);
    id.insert(id.begin(), 'G');
    return id;
}

std::string LargeTable(int groups) {
    std::vector<GroupTableRow> rows;
    for (int i = 0; i < groups; ++i)
        rows.push_back({Id(i), i % 10 ? Id(i % 100) : std::string(), "Group " + Id(i)});
    return WriteGroupTable(rows);
}

void OpenAndFilter(benchmark::State& state) {
    MemoryFileSystem fs;
    fs.MakeFolders("C:\\ACT");
    fs.WriteAll("C:\\ACT\\Big.gdb", LargeTable(static_cast<int>(state.range(0))));
    auto connection = MakeDbfGroupTables(fs)->Open("", "C:\\ACT", "Big.gdb");
    for (auto _ : state) {
        auto rs = connection->OpenTable("Big.gdb");
        rs->SetFilter("PERANTID='G7 '");
        long names = 0;
        for (; !rs->AtEof(); rs->MoveNext())
            names += static_cast<long>(rs->Field("GRP_NAME").size());
        benchmark::DoNotOptimize(names);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(OpenAndFilter)->Arg(1000)->Arg(32767);

} // namespace
} // namespace tamber

BENCHMARK_MAIN();
