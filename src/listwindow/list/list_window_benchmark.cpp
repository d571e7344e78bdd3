// Opening lists in the list window: a cache file of 10 entries against one of 32,767 whose
// pre-selected value ends a 20,000-entry run of one first letter; the pre-select and a key
// press on the large list against one read of the file; 32,000 groups read from the group
// table and shown, against reading the table and sorting the names once; members of a
// 5,000-member group through the in-memory ACT!; a three-key prefix typed on the large list,
// each key answered from the one parse of the open.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "actdb/generate.h"
#include "common/scripted_dialogs.h"
#include "forms/runtime/collate.h"
#include "forms/runtime/headless.h"
#include "ini/ini_engine.h"
#include "inilib/inilib.h"
#include "listwindow/list/frm_list.h"
#include "module1/module1.h"
#include "ports/act.h"
#include "ports/dbf/dbf_group_tables.h"
#include "ports/dbf/dbf_writer.h"
#include "ports/host/host_file_system.h"
#include "ports/memory/fake_desktop.h"
#include "ports/memory/fake_process_launcher.h"
#include "ports/memory/memory_act.h"
#include "ports/memory/memory_list_window_ports.h"
#include "ports/memory/memory_settings_store.h"
#include "ports/memory/recording_keyboard.h"
#include "ports/platform.h"

namespace tamber {
namespace {

constexpr int kBig = 32767;
constexpr int kRun = 20000;

// Counts the reads of list files: each is a parse.
class CountingFiles : public HostFileSystem {
  public:
    std::optional<std::string> ReadAll(const std::string& path) override {
        if (path.ends_with(".dat")) ++listReads;
        return HostFileSystem::ReadAll(path);
    }
    long long listReads = 0;
};

std::string ListText(int n, int run) {
    // n entries in order: "a0000000" ... for the first `run`, then other letters.
    std::string items = "[Items]\r\n";
    char name[32];
    for (int i = 1; i <= n; ++i) {
        char letter = i <= run ? 'm' : static_cast<char>('n' + (i - run) * 10 / (n - run + 1));
        std::snprintf(name, sizeof name, "%c%07d", letter, i);
        items += std::to_string(i) + "=" + name + "\r\n";
    }
    std::string index = "[Index]\r\nCount=" + std::to_string(n) + "\r\n";
    char last = 0;
    for (int i = 1; i <= n; ++i) {
        char letter = i <= run ? 'm' : static_cast<char>('n' + (i - run) * 10 / (n - run + 1));
        if (letter != last) index += std::string(1, letter) + "=" + std::to_string(i) + "\r\n";
        last = letter;
    }
    return items + index;
}

struct Env {
    Env() {
        folder = std::filesystem::temp_directory_path() / "tamber-listwindow-bench";
        std::filesystem::create_directories(folder);
        dir = folder.string() + "/";
        files.WriteAll(dir + "Small_000001.dat", ListText(10, 5));
        files.WriteAll(dir + "Big_000001.dat", ListText(kBig, kRun));
        std::vector<GroupTableRow> rows = {{"TOP", "", "Top"}};
        char id[16], name[32];
        for (int i = 0; i < 32000; ++i) {
            std::snprintf(id, sizeof id, "S%07d", i);
            std::snprintf(name, sizeof name, "Group %05d", (i * 7919) % 32000);
            rows.push_back({id, "TOP", name});
        }
        files.WriteAll(dir + "Big.gdb", WriteGroupTable(rows));
        Sys() = Platform{.settings = &settings,
                         .files = &files,
                         .desktop = &desktop,
                         .keyboard = &keyboard,
                         .processes = &processes,
                         .groupTables = groupTables.get(),
                         .automation = &act.automation()};
        SetAppDialogs(&dialogs);
        SetAppTitle("Tamberlist");
        Module1& m = M();
        m.SettingsDir = dir;
        m.IniFile = dir + "bench.ini";
        m.ListsIniFile = dir + "bench_lists.ini";
        m.FieldId = 25;
        m.FieldIdText = "25";
        m.FieldRect = {100, 180, 300, 200};
        m.ActApp = act.automation().CreateApp();
        m.ActView = m.ActApp->Views()->Create(1, "CV");
        m.GroupConnection = groupTables->Open("Provider=CodeBase", folder.string(), "Big.gdb");
        m.ActDatabase = act.automation().CreateDatabase();
        m.ActDatabase->OpenEx("");
        m.ActGroup = m.ActDatabase->Group();
        m.ActContact = m.ActDatabase->Contact();
        form = std::make_unique<frmList>(frmList::Ports{hook, locale, stack, typing});
    }
    std::filesystem::path folder;
    std::string dir;
    forms::HeadlessHost host;
    CountingFiles files;
    MemorySettingsStore settings;
    FakeDesktop desktop;
    FakeProcessLauncher processes;
    RecordingKeyboard keyboard;
    MemoryKeyboardHook hook;
    FixedLocale locale;
    RecordingWindowStack stack;
    ManualTypingTime typing;
    std::unique_ptr<GroupTables> groupTables = MakeDbfGroupTables(files);
    act::MemoryAct act{actdb::Generate(
        {.groups = 40, .subgroups = 18, .contacts = 5000, .bigGroup = 5000, .seed = 1})};
    ScriptedDialogs dialogs;
    std::unique_ptr<frmList> form;
};

Env& E() {
    static Env env;
    return env;
}

void OpenCacheList(benchmark::State& state, const char* db, const std::string& value) {
    Env& e = E();
    M().DbName = db;
    M().ActView->SetField(25, value);
    for (auto _ : state) {
        e.form->Build_List(0, "25", false, "", false);
        if (e.form->lstDynamic.ListIndex() < 0) state.SkipWithError("nothing pre-selected");
    }
}

void BM_OpenCacheList10(benchmark::State& state) {
    OpenCacheList(state, "Small", "m0000005");
}
BENCHMARK(BM_OpenCacheList10)->Unit(benchmark::kMicrosecond);

void BM_OpenCacheList32767(benchmark::State& state) {
    char last[16];
    std::snprintf(last, sizeof last, "m%07d", kRun);
    OpenCacheList(state, "Big", last);
}
BENCHMARK(BM_OpenCacheList32767)->Unit(benchmark::kMicrosecond);

// Pre-select the run's last entry, then a key press that jumps through the index.
void BM_PreselectAndTypeAhead32767(benchmark::State& state) {
    Env& e = E();
    M().DbName = "Big";
    e.form->Build_List(0, "25", false, "", false);
    char last[16];
    std::snprintf(last, sizeof last, "m%07d", kRun);
    for (auto _ : state) {
        e.form->Select_Default(last);
        int key = 'p';
        e.form->lstDynamic_KeyPress(key);
    }
}
BENCHMARK(BM_PreselectAndTypeAhead32767)->Unit(benchmark::kMicrosecond);

// The same after the file changed: the open parses it once and the key press reuses that parse.
void BM_OpenPreselectAndTypeAheadChangedFile32767(benchmark::State& state) {
    Env& e = E();
    M().DbName = "Big";
    char last[16];
    std::snprintf(last, sizeof last, "m%07d", kRun);
    M().ActView->SetField(25, last);
    for (auto _ : state) {
        ini::Profiles().Forget();
        e.form->Build_List(0, "25", false, "", false);
        int key = 'p';
        e.form->lstDynamic_KeyPress(key);
    }
}
BENCHMARK(BM_OpenPreselectAndTypeAheadChangedFile32767)->Unit(benchmark::kMicrosecond);

// Three keys typed within the interval, "w00", whose first match lies near the list's end, and
// "wz0", which none matches: every entry is searched for the last two keys. Per key: "key".
void TypeThreeKeys(benchmark::State& state, const char* keys, bool changedFile) {
    Env& e = E();
    M().DbName = "Big";
    M().ActView->SetField(25, "");
    e.form->Build_List(0, "25", false, "", false);
    const long long readsBefore = e.files.listReads;
    long long opens = 0;
    for (auto _ : state) {
        if (changedFile) {
            ini::Profiles().Forget();
            e.form->Build_List(0, "25", false, "", false);
            ++opens;
        }
        e.typing.Wait();
        for (const char* k = keys; *k; ++k) {
            int key = *k;
            e.form->lstDynamic_KeyPress(key);
        }
        if (keys[1] == '0' && e.form->lstDynamic.ListIndex() < kRun)
            state.SkipWithError("not in the w run");
    }
    // Per key while the list stays open; with an open each time, the parses are the figure.
    if (!opens)
        state.counters["key"] =
            benchmark::Counter(3.0 * static_cast<double>(state.iterations()),
                               benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    else
        state.counters["parses_per_open"] =
            static_cast<double>(e.files.listReads - readsBefore) / static_cast<double>(opens);
}

void BM_ThreeKeyPrefix32767(benchmark::State& state) {
    TypeThreeKeys(state, "w00", false);
}
BENCHMARK(BM_ThreeKeyPrefix32767)->Unit(benchmark::kMicrosecond);

void BM_ThreeKeyPrefixNoMatch32767(benchmark::State& state) {
    TypeThreeKeys(state, "wz0", false);
}
BENCHMARK(BM_ThreeKeyPrefixNoMatch32767)->Unit(benchmark::kMicrosecond);

// The file changed before each open: the open parses it once, the keys reuse that parse.
void BM_OpenAndThreeKeyPrefixChangedFile32767(benchmark::State& state) {
    TypeThreeKeys(state, "w00", true);
}
BENCHMARK(BM_OpenAndThreeKeyPrefixChangedFile32767)->Unit(benchmark::kMicrosecond);

void BM_ReadTheWholeFile32767(benchmark::State& state) {
    const std::string path = E().dir + "Big_000001.dat";
    for (auto _ : state)
        benchmark::DoNotOptimize(E().files.ReadAll(path));
}
BENCHMARK(BM_ReadTheWholeFile32767)->Unit(benchmark::kMicrosecond);

// 32,000 subgroups of one group, direct mode, built each time the list opens.
void BM_BuildAndShow32000Groups(benchmark::State& state) {
    Env& e = E();
    M().DbName = "Big";
    M().UseActDatabase = false;
    for (auto _ : state) {
        e.form->Build_List(1, "25", false, "TOP ", true);
        if (e.form->lstDynamic.ListCount() != 32000) state.SkipWithError("not 32,000");
    }
}
BENCHMARK(BM_BuildAndShow32000Groups)->Unit(benchmark::kMillisecond);

void BM_ReadTableAndSortOnce32000(benchmark::State& state) {
    for (auto _ : state) {
        auto rows = M().GroupConnection->OpenTable("Big.gdb");
        rows->SetFilter("PERANTID='TOP'");
        std::vector<std::string> names;
        while (!rows->AtEof()) {
            names.push_back(rows->Field("GRP_NAME"));
            rows->MoveNext();
        }
        std::stable_sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
            return forms::CompareListText(a, b) < 0;
        });
        benchmark::DoNotOptimize(names);
    }
}
BENCHMARK(BM_ReadTableAndSortOnce32000)->Unit(benchmark::kMillisecond);

// The first group of the generated database has 5,000 members.
void BM_Members5000(benchmark::State& state) {
    Env& e = E();
    M().UseActDatabase = true;
    const std::string group = e.act.db().groups.front().id + " ";
    for (auto _ : state) {
        e.act.ClearCalls();
        e.form->Build_List(2, "25", false, group, true);
    }
    state.counters["calls_per_member"] =
        static_cast<double>(e.act.calls().size()) / e.form->lstSorted.ListCount();
    state.counters["members"] = e.form->lstSorted.ListCount();
}
BENCHMARK(BM_Members5000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tamber

BENCHMARK_MAIN();
