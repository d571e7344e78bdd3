#include "startup/settings/settings.h"

#include "common/procedure.h"
#include "common/program_end.h"
#include "module1/module1.h"
#include "ports/dialogs.h"
#include "ports/file_system.h"
#include "ports/platform.h"
#include "ports/process.h"
#include "ports/settings_store.h"

namespace tamber {

bool Path_Exists(const std::string& path) {
    return Function("modFolderFileExists", "Path_Exists", [&](Statement& at) {
        if (path.empty()) return false;
        at();
        return Sys().files->Exists(path);
    });
}

void Init_Settings_Location() {
    Sub("Module1", "Init_Settings_Location", [&](Statement& at) {
        at();
        const std::string program = Sys().processes->ProgramFolder();
        // The program's own Data folder must exist, whichever folder the settings name.
        if (!Path_Exists(program + "\\Data")) {
            AppDialogs().MsgBox("You need to create a sub-folder named 'Data' in the " + program +
                                    " folder.",
                                mb::kCritical, "Tamberlist");
            EndProgram();
        }
        at();
        const std::string folder = Sys().settings->GetSetting(
            "Tamberlist", "Settings", "SettingsLocation", program + "\\Data");
        M().SettingsDir = folder + "\\";
        // A configured folder that is not there: every read would find nothing and every save
        // fail, one message at a time.
        if (!folder.empty() && folder != program + "\\Data" && !Sys().files->IsFolder(folder))
            AppDialogs().MsgBox("The settings folder " + folder +
                                    " does not exist (a network drive that is not connected, or "
                                    "a folder that was moved).\r\nLists and settings cannot be "
                                    "read or saved until it is back, or until another folder is "
                                    "chosen in the settings window.",
                                mb::kExclamation, AppTitle());
        M().IniFile = M().SettingsDir + M().DbName + ".ini";
        M().ListsIniFile = M().SettingsDir + M().DbName + "_lists.ini";
    });
}

} // namespace tamber
