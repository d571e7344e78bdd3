// Several users on one settings folder: `drill work <folder> <worker> <count>` names groups
// and saves their cache files as fast as it can, through the same code as the add-on, while
// another worker (another process, or another computer) does the same in the same folder;
// `drill check <folder> <workers> <count>` then verifies what they left behind. Both print
// what is wrong and exit 1.
//
// In each round worker w names its own group "W<w>..." (members and subgroups lists) and the
// next worker's group of the same round, saving each list's cache file after its name, then
// saves the list of all groups that every worker shares and reads it back. Each save is a
// build of its own (entries "b<w>.<round> e<k>", a size of its own).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/scripted_dialogs.h"
#include "inilib/inilib.h"
#include "listbuild/cache/list_cache.h"
#include "listbuild/listnames/list_names.h"
#include "listbuild/progress/progress_channel.h"
#include "module1/module1.h"
#include "ports/memory/fake_process_launcher.h"
#include "ports/memory/memory_settings_store.h"
#include "ports/platform.h"
#include "staticlists/listfiles/list_file.h"

#if defined(_WIN32)
#include "ports/win32/win32_storage.h"
#else
#include "ports/host/host_file_system.h"
#endif

namespace tamber {
namespace {

FileSystem& Files() {
#if defined(_WIN32)
    return Win32Files();
#else
    static HostFileSystem files;
    return files;
#endif
}

std::string Reference(int worker, int round) {
    char id[16];
    std::snprintf(id, sizeof id, "W%d%09d ", worker, round); // twelve characters, as ACT!'s
    return id;
}

std::string Entry(const std::string& build, int k) {
    return build + " e" + std::to_string(k);
}

int EntriesOf(int round) {
    return 40 + (round * 37) % 160;
}

// "" when file holds one whole build, else what is wrong.
std::string WholeBuild(const std::string& file) {
    listfile::ListReader list(file);
    const std::int32_t n = list.Count();
    if (n <= 0) return "no entries";
    std::string first(list.Entry(1));
    const auto blank = first.find(' ');
    if (blank == std::string::npos) return "entry 1 is \"" + first + "\"";
    const std::string build = first.substr(0, blank);
    const int round = std::atoi(build.substr(build.find('.') + 1).c_str());
    if (n != EntriesOf(round)) return build + " with a count of " + std::to_string(n);
    for (int k = 1; k <= n; ++k)
        if (list.Entry(k) != Entry(build, k))
            return build + ": entry " + std::to_string(k) + " is \"" + std::string(list.Entry(k)) +
                   "\"";
    return {};
}

void Setup(const std::string& folder) {
    Module1& m = M();
    m.SettingsDir = folder + "\\";
    m.DbName = "Contacts";
    m.ListsIniFile = m.SettingsDir + "Contacts_lists.ini";
    SetAppTitle("Tamberlist");
}

// Starting a program under Wine takes a while, and longer in a fresh prefix: the workers
// begin together.
bool MeetTheOtherWorker(const std::string& folder, int worker) {
    Files().WriteAll(folder + "\\ready" + std::to_string(worker), "");
    const std::string other = folder + "\\ready" + std::to_string((worker + 1) % 2);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!Files().Exists(other)) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

int Work(const std::string& folder, int worker, int count) {
    MemorySettingsStore settings;
    FakeProcessLauncher processes;
    ScopedPlatform sys({.settings = &settings, .files = &Files(), .processes = &processes});
    ScriptedDialogs dialogs;
    ScopedDialogs shown(dialogs);
    Setup(folder);
    ProgressChannel progress;
    const std::string cacheOf = M().SettingsDir + M().DbName + "_";
    const std::string shared = cacheOf + "000001.dat";
    std::ofstream names(folder + "/names" + std::to_string(worker) + ".txt");
    if (!MeetTheOtherWorker(folder, worker)) {
        std::fprintf(stderr, "worker %d: the other worker never started\n", worker);
        return 1;
    }
    int faults = 0;
    const auto started = std::chrono::steady_clock::now();
    for (int round = 1; round <= count; ++round) {
        std::vector<std::string> entries;
        const std::string build = "b" + std::to_string(worker) + "." + std::to_string(round);
        for (int k = 1; k <= EntriesOf(round); ++k)
            entries.push_back(Entry(build, k));
        const std::string own = Reference(worker, round);
        const std::string next = Reference((worker + 1) % 2, round);
        // The next worker's group between two of its own: both race to record it, and the
        // subgroups list of each group has two writers.
        for (auto [type, reference] : {std::pair{2, own}, std::pair{1, next}, std::pair{1, own}}) {
            const std::string name =
                Get_List_Name(static_cast<std::int16_t>(type), reference, false);
            names << reference << '=' << name << '\n';
            if (!name.empty() && !listbuild::SaveList(cacheOf + name + ".dat", entries, progress))
                ++faults;
        }
        if (!listbuild::SaveList(shared, entries, progress)) ++faults;
        if (std::string wrong = WholeBuild(shared); !wrong.empty()) {
            std::fprintf(stderr, "worker %d round %d: the shared cache reads %s\n", worker, round,
                         wrong.c_str());
            ++faults;
        }
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();
    for (const ShownMessage& m : dialogs.shown)
        std::fprintf(stderr, "worker %d was shown: %s\n", worker, m.prompt.c_str());
    std::printf("worker %d: %d rounds in %lld ms, %zu messages, %d faults\n", worker, count,
                static_cast<long long>(ms), dialogs.shown.size(), faults);
    return faults == 0 && dialogs.shown.empty() ? 0 : 1;
}

int Check(const std::string& folder, int workers, int count) {
    MemorySettingsStore settings;
    ScopedPlatform sys({.settings = &settings, .files = &Files()});
    ScriptedDialogs dialogs;
    ScopedDialogs shown(dialogs);
    Setup(folder);
    int faults = 0;
    auto fault = [&](const std::string& what) {
        if (++faults <= 20) std::fprintf(stderr, "%s\n", what.c_str());
    };
    // Every name a worker was given, by group: each group has one number.
    std::map<std::string, std::set<long>> numbers;
    for (int w = 0; w < workers; ++w) {
        std::ifstream in(folder + "/names" + std::to_string(w) + ".txt");
        for (std::string line; std::getline(in, line);) {
            const auto eq = line.rfind('=');
            const long name = std::atol(line.substr(eq + 1).c_str());
            numbers[line.substr(0, eq)].insert(name % 100000);
        }
    }
    std::map<long, std::string> byNumber;
    for (const auto& [reference, got] : numbers) {
        if (got.size() != 1 || *got.begin() <= 0) {
            fault("group \"" + reference + "\" was given " + std::to_string(got.size()) +
                  " numbers");
            continue;
        }
        auto [at, fresh] = byNumber.emplace(*got.begin(), reference);
        if (!fresh)
            fault("groups \"" + at->second + "\" and \"" + reference + "\" share number " +
                  std::to_string(at->first));
    }
    const int groups = workers * count;
    if (static_cast<int>(numbers.size()) != groups)
        fault("the workers named " + std::to_string(numbers.size()) + " groups");
    // The index holds every group once, at its number.
    const std::string index = M().ListsIniFile;
    const std::string recorded = IniLib::GetKeyValue("Index", "Count", "", "", "", index);
    if (recorded != std::to_string(groups)) fault("the index counts " + recorded + " groups");
    for (int i = 1; i <= groups; ++i) {
        std::string reference = IniLib::GetKeyValue("Items", std::to_string(i), "", "", "", index);
        auto it = byNumber.find(i);
        if (it == byNumber.end() || it->second != reference + " ")
            fault("index entry " + std::to_string(i) + " is \"" + reference + "\"");
    }
    // Every cache file is one whole build, and no save left its temporary file.
    const std::vector<std::string> caches = Files().ListFiles(folder, "Contacts_*.dat");
    for (const std::string& file : caches)
        if (std::string wrong = WholeBuild(folder + "\\" + file); !wrong.empty())
            fault(file + " holds " + wrong);
    if (static_cast<int>(caches.size()) != 2 * groups + 1)
        fault(std::to_string(caches.size()) + " cache files");
    for (const std::string& temp : Files().ListFiles(folder, "*.tmp"))
        fault(temp + " was left behind");
    std::printf("check: %d groups, %zu cache files, %d faults\n", groups, caches.size(), faults);
    return faults == 0 ? 0 : 1;
}

} // namespace
} // namespace tamber

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "work")
        return tamber::Work(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 5 && std::string(argv[1]) == "check")
        return tamber::Check(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    std::fprintf(stderr, "usage: %s work|check <folder> <worker>|<workers> <count>\n", argv[0]);
    return 2;
}
