// Under Wine: a list saved and read back through the engine against the platform's profile
// functions called once per key, and one plain write of the same bytes. Prints milliseconds
// (saves and plain writes: medians of repeated runs over the file the last one wrote).
// Usage: listfiles_wine_benchmark [items] [items for the per-key platform run]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/scripted_dialogs.h"
#include "ini/ini_engine.h"
#include "ports/platform.h"
#include "ports/win32/win32_storage.h"
#include "staticlists/listfiles/bench_lists.h"
#include "staticlists/listfiles/save_by_calls.h"
#include "staticlists/listfiles/static_lists.h"

using namespace tamber;

namespace {

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

// The median of runs of work, after one run that warms caches and allocations.
template <class Work> double MedianMs(int runs, Work work) {
    work();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        auto t = std::chrono::steady_clock::now();
        work();
        times.push_back(Ms(t));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

class Kernel32Writer : public listfile::ProfileWriter {
  public:
    explicit Kernel32Writer(std::string file) : file_(std::move(file)) {}
    void Write(std::string_view s, std::string_view k, std::string_view v) override {
        WritePrivateProfileStringA(std::string(s).c_str(), std::string(k).c_str(),
                                   std::string(v).c_str(), file_.c_str());
    }
    void DeleteKey(std::string_view s, std::string_view k) override {
        WritePrivateProfileStringA(std::string(s).c_str(), std::string(k).c_str(), nullptr,
                                   file_.c_str());
    }
    void DeleteSection(std::string_view s) override {
        WritePrivateProfileStringA(std::string(s).c_str(), nullptr, nullptr, file_.c_str());
    }

  private:
    std::string file_;
};

} // namespace

int main(int argc, char** argv) {
    int items = argc > 1 ? std::atoi(argv[1]) : 32767;
    int perKeyItems = argc > 2 ? std::atoi(argv[2]) : items;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "lists-bench";
    CreateDirectoryA(folder.c_str(), nullptr);
    Sys().files = &Win32Files();
    ScriptedDialogs dialogs;
    SetAppDialogs(&dialogs);
    std::string text = bench::RandomListText(items);
    std::string engineFile = folder + "\\engine.lst", plainFile = folder + "\\plain.lst",
                k32File = folder + "\\kernel32.lst";
    DeleteFileA(engineFile.c_str());
    DeleteFileA(k32File.c_str());

    // Saves over the list the last one wrote, as an editor saves again.
    bool ok = true;
    constexpr int kRuns = 15;
    double save = MedianMs(kRuns, [&] { ok = staticlists::SaveList(engineFile, text) && ok; });
    std::string bytes = Win32Files().ReadAll(engineFile).value_or("");

    auto plainWrite = [&](bool flush) {
        HANDLE h = CreateFileA(plainFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        if (flush) FlushFileBuffers(h);
        CloseHandle(h);
    };
    double plain = MedianMs(kRuns, [&] { plainWrite(false); });
    // A save flushes its bytes to the disk before it replaces the old file; so does this one.
    double flushed = MedianMs(kRuns, [&] { plainWrite(true); });

    // The atomic replace alone (temporary file, flush, rename over the old one).
    double replace = MedianMs(kRuns, [&] { Win32Files().WriteAll(plainFile, bytes); });
    ini::Profiles().Forget();
    auto t = std::chrono::steady_clock::now();
    std::size_t read = staticlists::ReadList(engineFile).size();
    double readBack = Ms(t);

    std::string perKeyText = bench::RandomListText(perKeyItems);
    t = std::chrono::steady_clock::now();
    Kernel32Writer k32(k32File);
    staticlists::StageSave(k32, staticlists::SortedItems(perKeyText));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, k32File.c_str());
    double k32Save = Ms(t);

    t = std::chrono::steady_clock::now();
    char buffer[1000];
    int got = 0;
    for (int i = 1; i <= perKeyItems; ++i)
        got += GetPrivateProfileStringA("Items", std::to_string(i).c_str(), "", buffer,
                                        sizeof buffer, k32File.c_str()) > 0;
    double k32Read = Ms(t);

    std::printf("items %d (saved %s, %zu bytes, %zu read back)\n", items, ok ? "yes" : "NO",
                bytes.size(), read);
    std::printf("engine save      %9.2f ms   (median of %d)\n", save, kRuns);
    std::printf("plain write      %9.2f ms   save/plain %.1fx\n", plain, save / plain);
    std::printf("flushed write    %9.2f ms   save/flushed %.1fx\n", flushed, save / flushed);
    std::printf("atomic replace   %9.2f ms   (the save's own file write)\n", replace);
    std::printf("engine read      %9.1f ms\n", readBack);
    std::printf("per-key save     %9.1f ms   (%d items, %d read back in %.1f ms)\n", k32Save,
                perKeyItems, got, k32Read);
    DeleteFileA(engineFile.c_str());
    DeleteFileA(plainFile.c_str());
    DeleteFileA(k32File.c_str());
    RemoveDirectoryA(folder.c_str());
    return ok && read == static_cast<std::size_t>(items) ? 0 : 1;
}
