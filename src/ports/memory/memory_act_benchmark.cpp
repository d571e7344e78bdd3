// Walking the largest group (32,000 members) through the in-memory ACT! as the members list
// builder does: member cursor, contact GoTo, two name fields per member.
#include <benchmark/benchmark.h>

#include "actdb/generate.h"
#include "ports/memory/memory_act.h"

namespace {

void BM_WalkLargestGroup(benchmark::State& state) {
    tamber::actdb::GenerateOptions o;
    o.groups = 2;
    o.subgroups = 1;
    o.contacts = static_cast<int>(state.range(0));
    o.bigGroup = static_cast<int>(state.range(0));
    tamber::act::MemoryAct act(tamber::actdb::Generate(o));
    auto db = act.automation().CreateDatabase();
    db->OpenEx("");
    auto group = db->Group();
    auto contact = db->Contact();
    for (auto _ : state) {
        group->MoveFirst();
        auto members = group->Members();
        members->MoveFirst();
        std::size_t chars = 0;
        while (!members->isEOF()) {
            contact->GoTo(members->Data(1));
            chars += contact->Data(79).size() + contact->Data(78).size();
            members->MoveNext();
        }
        benchmark::DoNotOptimize(chars);
        act.ClearCalls(); // the journal would otherwise grow with every round
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WalkLargestGroup)->Arg(1000)->Arg(32000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
