// tamber.exe: started by ACT! from its toolbar or Tools menu while a field has the cursor.
#include <windows.h>

#include <memory>
#include <string>

#include "common/procedure.h"
#include "common/program_end.h"
#include "config/main/frm_main.h"
#include "forms/win32/win32_host.h"
#include "ports/dbf/dbf_group_tables.h"
#include "ports/dialogs.h"
#include "ports/platform.h"
#include "ports/win32/win32_act.h"
#include "ports/win32/win32_desktop.h"
#include "ports/win32/win32_keyboard.h"
#include "ports/win32/win32_process_launcher.h"
#include "ports/win32/win32_shell.h"
#include "ports/win32/win32_storage.h"
#include "startup/module1/module1.h"
#include "startup/spine/frm_startup.h"
#include "staticlists/listfiles/static_lists.h"
#include "staticlists/listfiles/win32/system_beep.h"

namespace {

// The list window is not part of this build yet: say so plainly instead of ending without a
// word.
void ShowMissingWindow(const char* which) {
    tamber::AppDialogs().MsgBox(std::string(which) + " is not available in this build (field " +
                                    tamber::M().FieldIdText + ").",
                                tamber::mb::kInformation, tamber::AppTitle());
}

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

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace tamber;
    forms::win32::Win32Host host;
    SetAppTitle("Tamberlist");
    staticlists::SetBeepHook(staticlists::SystemBeep); // a key the name box refuses
    // Last resort: whatever escapes start-up or the message loop is reported, never a silent
    // abnormal end.
    return Function(
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

            std::unique_ptr<frmMain> configuration;
            auto showMain = [&] {
                frmMain::Deps deps;
                // List building arrives with the list window.
                deps.refreshFile = [](std::int16_t, const std::string&, bool, bool) {
                    AppDialogs().MsgBox("List building is not available in this build.",
                                        mb::kInformation, AppTitle());
                };
                deps.targetField = [] { return std::string(); };
                deps.shell = &Win32Shell();
                deps.metrics = &Win32SystemMetrics();
                deps.windowOrder = &Win32WindowOrder();
                deps.processes = &processes;
                deps.version = ProgramVersion();
                configuration = std::make_unique<frmMain>(std::move(deps));
                configuration->Show();
            };
            RunStartup([] { ShowMissingWindow("The list window"); }, showMain);
            return host.Run(); // until the window start-up opened has closed
        },
        1);
}
