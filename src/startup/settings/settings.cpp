#include "startup/settings/settings.h"

#include "common/error_report.h"
#include "common/program_end.h"
#include "ports/dialogs.h"
#include "ports/file_system.h"
#include "ports/platform.h"
#include "ports/process.h"
#include "ports/settings_store.h"
#include "startup/module1/module1.h"

namespace tamber {

bool Path_Exists(const std::string& path) {
    int line = 0;
    try {
        line = 1;
        if (path.empty()) return false;
        line = 2;
        return Sys().files->Exists(path);
    } catch (...) {
        ReportError("modFolderFileExists", "Function", "Path_Exists", line);
        return false;
    }
}

void Init_Settings_Location() {
    int line = 0;
    try {
        line = 1;
        const std::string program = Sys().processes->ProgramFolder();
        // The program's own Data folder must exist, whichever folder the settings name.
        line = 2;
        if (!Path_Exists(program + "\\Data")) {
            line = 3;
            AppDialogs().MsgBox("You need to create a sub-folder named 'Data' in the " + program +
                                    " folder.",
                                mb::kCritical, "Tamberlist");
            line = 4;
            EndProgram();
        }
        line = 5;
        M().SettingsDir = Sys().settings->GetSetting("Tamberlist", "Settings", "SettingsLocation",
                                                     program + "\\Data") +
                          "\\";
        line = 6;
        M().IniFile = M().SettingsDir + M().DbName + ".ini";
        line = 7;
        M().ListsIniFile = M().SettingsDir + M().DbName + "_lists.ini";
    } catch (...) {
        ReportError("Module1", "Sub", "Init_Settings_Location", line);
    }
}

} // namespace tamber
