// actstandin.exe: the stand-in ACT! program. See standin/README.md for its switches.
#include <windows.h>

#include <objbase.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "win32/channel.h"
#include "win32/com_server.h"
#include "win32/record_window.h"

using namespace tamber::standin;

namespace {

bool Is(const char* arg, const char* name) {
    return (arg[0] == '/' || arg[0] == '-') && _stricmp(arg + 1, name) == 0;
}

std::string ExePath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return n && n < MAX_PATH ? std::string(full) : path;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::string database, journalPath, settings;
    bool commFailure = false;
    if (const char* env = std::getenv("ACTSTANDIN_JOURNAL")) journalPath = env;
    for (int i = 1; i < __argc; ++i) {
        const char* a = __argv[i];
        if (Is(a, "RegServer")) return RegisterServer(ExePath()) ? 0 : 1;
        if (Is(a, "UnregServer")) {
            UnregisterServer();
            return 0;
        }
        if (Is(a, "Embedding") || Is(a, "Automation")) continue;
        if (Is(a, "nocomm")) {
            commFailure = true;
        } else if (Is(a, "journal") && i + 1 < __argc) {
            journalPath = __argv[++i];
        } else if (Is(a, "settings") && i + 1 < __argc) {
            settings = __argv[++i];
        } else if (a[0] == '/' || a[0] == '-') {
            MessageBoxA(nullptr, (std::string("Unknown switch ") + a).c_str(), "ACT!", MB_OK);
            return 2;
        } else {
            database = FullPath(a);
        }
    }

    // One ACT! per session: a second start hands its database to the first and ends. The
    // first may still be starting, so its window is waited for.
    HANDLE single = CreateMutexA(nullptr, FALSE, "TamberActStandinInstance");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        HWND first = nullptr;
        for (int i = 0; i < 100 && !(first = FindWindowA(kMainClass, nullptr)); ++i)
            Sleep(100);
        if (first && !database.empty()) SendText(first, nullptr, kOpenTag, database);
        return 0;
    }

    if (settings.empty()) {
        settings = ExePath();
        settings = settings.substr(0, settings.find_last_of('\\') + 1) + "actstandin.ini";
    }
    AuxStore aux = AuxStore::Load(settings);
    Standin standin(aux);
    standin.SetCommFailure(commFailure);
    std::unique_ptr<FileJournal> journal;
    if (!journalPath.empty()) {
        journal = std::make_unique<FileJournal>(journalPath);
        standin.SetJournal(journal.get());
    }
    standin.JournalNote("start pid " + std::to_string(GetCurrentProcessId()));

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
    // The objects are offered before the window appears: whoever sees the window can call.
    bool offered = RegisterClassObjects(standin);
    RecordWindow window(standin);
    if (!window.Create(instance)) return 4;
    standin.SetListener(&window);
    if (!offered) {
        standin.JournalNote("class objects not registered");
        MessageBoxA(window.hwnd(), "Cannot register the automation objects.", "ACT!", MB_OK);
    }
    if (!database.empty()) {
        std::string error;
        window.OpenDatabase(database, error);
    }

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    standin.SetListener(nullptr);
    RevokeClassObjects();
    standin.JournalNote("exit");
    CoUninitialize();
    CloseHandle(single);
    return 0;
}
