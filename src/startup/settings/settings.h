#pragma once
// The settings folder and the path-exists test.
#include <string>

namespace tamber {

// modFolderFileExists.Path_Exists: True for an existing file or folder; False for "".
bool Path_Exists(const std::string& path);

// Module1.Init_Settings_Location: checks the program's own "Data" folder (ends the program
// with a message when it is missing), then sets M().SettingsDir, IniFile and ListsIniFile
// from the "SettingsLocation" setting and M().DbName.
void Init_Settings_Location();

} // namespace tamber
