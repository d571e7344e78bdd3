// tamber.exe: started by ACT! from its toolbar or Tools menu while a field has the cursor.
#include <windows.h>

#include "common/program_end.h"
#include "forms/win32/win32_host.h"
#include "ports/dialogs.h"
#include "ports/platform.h"
#include "startup/act/win32/win32_act.h"
#include "startup/desktop/win32/win32_desktop.h"
#include "startup/grouptable/dbf_group_tables.h"
#include "startup/keys/win32/win32_keyboard.h"
#include "startup/module1/module1.h"
#include "startup/process/win32/win32_process_launcher.h"
#include "startup/settings/win32/win32_ports.h"
#include "startup/spine/frm_startup.h"

namespace {

// The list window and the configuration window are not part of this build yet: say so
// plainly instead of ending without a word.
void ShowMissingWindow(const char* which) {
    tamber::AppDialogs().MsgBox(std::string(which) + " is not available in this build (field " +
                                    tamber::M().FieldIdText + ").",
                                tamber::mb::kInformation, tamber::AppTitle());
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace tamber;
    forms::win32::Win32Host host;
    SetAppTitle("Tamberlist");
    auto automation = act::MakeWin32Automation();
    Win32ProcessLauncher processes;
    auto groupTables = MakeDbfGroupTables(Win32Files());
    Sys() = Platform{&Win32Settings(), &Win32Files(),     &Win32Desktop(), &Win32Keyboard(),
                     &processes,       groupTables.get(), automation.get()};

    RunStartup([] { ShowMissingWindow("The list window"); },
               [] { ShowMissingWindow("The configuration window"); });
    return host.Run(); // until the window start-up opened has closed
}
