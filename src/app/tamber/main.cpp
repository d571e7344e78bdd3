// tamber.exe: started by ACT! from its toolbar or Tools menu while a field has the cursor.
#include <windows.h>

#include <memory>

#include "common/procedure.h"
#include "common/program_end.h"
#include "controls/virtuallist/win32/virtual_list_win32.h"
#include "forms/win32/win32_host.h"
#include "listwindow/list/frm_list.h"
#include "ports/dbf/dbf_group_tables.h"
#include "ports/dialogs.h"
#include "ports/platform.h"
#include "ports/win32/win32_act.h"
#include "ports/win32/win32_desktop.h"
#include "ports/win32/win32_keyboard.h"
#include "ports/win32/win32_list_window_ports.h"
#include "ports/win32/win32_process_launcher.h"
#include "ports/win32/win32_storage.h"
#include "startup/module1/module1.h"
#include "startup/spine/frm_startup.h"

namespace {

// The configuration window is not part of this build yet: say so plainly instead of ending
// without a word.
void ShowMissingWindow(const char* which) {
    tamber::AppDialogs().MsgBox(std::string(which) + " is not available in this build (field " +
                                    tamber::M().FieldIdText + ").",
                                tamber::mb::kInformation, tamber::AppTitle());
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace tamber;
    forms::win32::Win32Host host;
    RegisterVirtualListRenderer();
    SetAppTitle("Tamberlist");
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

            std::unique_ptr<frmList> list;
            auto showList = [&] {
                list = std::make_unique<frmList>(
                    frmList::Ports{Win32Settings(), processes, Win32Desktop(), Win32Files(),
                                   Win32KeyboardHook(), Win32Locale(), Win32WindowStack()},
                    frmList::Deps{});
                list->Show();
            };
            RunStartup(showList, [] { ShowMissingWindow("The configuration window"); });
            return host.Run(); // until the window start-up opened has closed
        },
        1);
}
