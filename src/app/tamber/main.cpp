// tamber.exe: started by ACT! from its toolbar or Tools menu while a field has the cursor.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "common/procedure.h"
#include "common/program_end.h"
#include "common/step_marks.h"
#include "config/main/frm_main.h"
#include "controls/virtuallist/win32/virtual_list_win32.h"
#include "forms/runtime/collate.h"
#include "forms/win32/win32_host.h"
#include "integration/integrate/frm_integrate.h"
#include "listwindow/list/frm_list.h"
#include "module1/module1.h"
#include "ports/dbf/dbf_group_tables.h"
#include "ports/dialogs.h"
#include "ports/platform.h"
#include "ports/win32/win32_act.h"
#include "ports/win32/win32_desktop.h"
#include "ports/win32/win32_folder_chooser.h"
#include "ports/win32/win32_keyboard.h"
#include "ports/win32/win32_list_order.h"
#include "ports/win32/win32_list_window_ports.h"
#include "ports/win32/win32_process_launcher.h"
#include "ports/win32/win32_shell.h"
#include "ports/win32/win32_storage.h"
#include "startup/ado/frm_ado.h"
#include "startup/spine/frm_startup.h"
#include "staticlists/editor/frm_static_lists.h"
#include "staticlists/listfiles/static_lists.h"
#include "staticlists/listfiles/win32/system_beep.h"

namespace {

// The product version of the running executable's version resource ("1.0.0").
std::string ProgramVersion() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return "";
    std::string data(size, '\0');
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path, 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info)
        return "";
    return std::to_string(HIWORD(info->dwProductVersionMS)) + "." +
           std::to_string(LOWORD(info->dwProductVersionMS)) + "." +
           std::to_string(HIWORD(info->dwProductVersionLS));
}

// With TAMBER_STEP_LOG set to a file, each step of the run is appended to it as a line
// "<milliseconds since the process was created> <step>", for timing scripts.
FILE* g_stepLog = nullptr;
ULONGLONG g_created = 0;

ULONGLONG FileTimeNow() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
}

void RecordStep(const char* step) {
    std::fprintf(g_stepLog, "%.1f %s\n", (FileTimeNow() - g_created) / 10000.0, step);
    std::fflush(g_stepLog);
}

void StartStepLog() {
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("TAMBER_STEP_LOG", path, MAX_PATH)) return;
    g_stepLog = std::fopen(path, "a");
    if (!g_stepLog) return;
    FILETIME created, unused;
    GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
    g_created = (ULONGLONG{created.dwHighDateTime} << 32) | created.dwLowDateTime;
    tamber::SetStepRecorder(RecordStep);
    RecordStep("WinMain");
}

struct StepOnExit {
    const char* step;
    ~StepOnExit() { tamber::MarkStep(step); }
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace tamber;
    StartStepLog();
    forms::win32::Win32Host host;
    host.EndWithLastForm();
    RegisterVirtualListRenderer();
    // Sorted lists keep the platform list box's order, in the user's locale.
    const Win32ListOrder listOrder;
    forms::SetListOrder(&listOrder);
    SetAppTitle("Tamberlist");
    staticlists::SetBeepHook(staticlists::SystemBeep); // a key the name box refuses
    // Last resort: whatever escapes start-up or the message loop is reported, never a silent
    // abnormal end.
    const int code = Function(
        "tamber", "WinMain",
        [&](Statement&) {
            auto automation = act::MakeWin32Automation();
            Win32ProcessLauncher processes;
            auto groupTables = MakeDbfGroupTables(Win32Files());
            Sys() = Platform{.settings = &Win32Settings(),
                             .files = &Win32Files(),
                             .desktop = &Win32Desktop(),
                             .keyboard = &Win32Keyboard(),
                             .processes = &processes,
                             .groupTables = groupTables.get(),
                             .automation = automation.get()};
            // The composition root: what is made here goes in the reverse order of its making.
            // The windows first (with their event controls), then Module1's automation objects,
            // then the ports, and COM itself last, when automation goes.
            struct ReleaseBeforeCom {
                ~ReleaseBeforeCom() {
                    ResetModule1();
                    Sys() = Platform{};
                    MarkStep("automation objects released");
                }
            } releaseBeforeCom;
            StepOnExit windowsReleased{"windows released"};

            // The windows reach each other as the forms of one program do: the list window's
            // settings button opens the configuration window, whose OK builds cache files on a
            // list window made for the purpose and whose menus open the satellite windows.
            std::unique_ptr<frmList> list;
            std::unique_ptr<frmMain> configuration;
            std::function<void()> showMain;
            auto makeList = [&] {
                frmList::Deps deps;
                deps.showMain = [&] { showMain(); };
                deps.fromSettings = [&] { return configuration && configuration->bFromSettings; };
                list =
                    std::make_unique<frmList>(frmList::Ports{Win32KeyboardHook(), Win32Locale(),
                                                             Win32WindowStack(), Win32TypingTime()},
                                              std::move(deps));
            };
            auto showList = [&] {
                makeList();
                list->Show();
                MarkStep("list shown");
            };
            showMain = [&] {
                frmMain::Deps deps;
                deps.refreshFile = [&](std::int16_t type, const std::string& reference,
                                       bool company, bool refresh) {
                    // Loading a list window runs its load; its timer closes it afterwards.
                    if (!list || !list->Loaded()) {
                        makeList();
                        list->Load();
                    }
                    list->Refresh_File(type, reference, company, refresh);
                };
                deps.targetField = [&] { return list ? list->sTargetField : std::string(); };
                deps.showSettings = [&] {
                    frmAdo settings(Win32FolderChooser());
                    settings.Show(true);
                };
                deps.showStaticLists = [&] {
                    frmStaticLists editor(
                        {.sListSelected = configuration->sListSelected,
                         .listRenamed = [&](const std::string& from, const std::string& to) {
                             configuration->StaticListRenamed(from, to);
                         }});
                    editor.SetIcon(configuration->Icon());
                    editor.Show(true);
                };
                deps.showIntegrate = [&] {
                    frmIntegrate integrate({.unloadConfiguration = [&] {
                        int cancel = 0;
                        configuration->Form_Unload(cancel);
                    }});
                    integrate.Language = configuration->IntegrateLanguage;
                    integrate.AppName = AppTitle();
                    integrate.ContactScreen = true;
                    integrate.IntegrateIcon = configuration->Icon();
                    integrate.Show(true);
                };
                deps.shell = &Win32Shell();
                deps.metrics = &Win32SystemMetrics();
                deps.windowOrder = &Win32WindowOrder();
                deps.version = ProgramVersion();
                configuration = std::make_unique<frmMain>(std::move(deps));
                configuration->Show();
            };
            RunStartup(showList, showMain);
            const int result = host.Run(); // until the window start-up opened has closed
            MarkStep("last window closed");
            return result;
        },
        1);
    MarkStep("COM uninitialised");
    return code;
}
