// The settings window as a real window: a typed folder that does not exist is offered for
// creation, and the add-on then keeps its files there.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "forms/win32/test_support.h"
#include "forms/win32/win32_host.h"
#include "inilib/inilib.h"
#include "module1/module1.h"
#include "ports/dialogs.h"
#include "ports/platform.h"
#include "ports/win32/win32_folder_chooser.h"
#include "ports/win32/win32_process_launcher.h"
#include "ports/win32/win32_storage.h"
#include "startup/ado/frm_ado.h"

namespace tamber {
namespace {

using forms::win32::Win32Host;
namespace input = forms::win32::testing;

const char* const kKey = "Software\\VB and VBA Program Settings\\Tamberlist\\Settings";
const std::string kRoot = "C:\\TamberAdoWine";
const std::string kTyped = kRoot + "\\New Folder\\Data";

std::string Registry(const char* name) {
    char value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return "<none>";
    return value;
}

TEST(AdoWine, TypedFolderThatDoesNotExistIsCreatedAndUsed) {
    Win32Host host;
    SetAppTitle("Tamberlist");
    Win32ProcessLauncher processes;
    ScopedPlatform sys(
        {.settings = &Win32Settings(), .files = &Win32Files(), .processes = &processes});
    ResetModule1();
    M().DbName = "Contacts";
    CreateDirectoryA((processes.ProgramFolder() + "\\Data").c_str(), nullptr);
    const std::string savedLocation = Registry("SettingsLocation");
    // What an earlier run left, the file first: a folder with a file in it stays.
    DeleteFileA((kTyped + "\\Contacts.ini").c_str());
    RemoveDirectoryA(kTyped.c_str());
    RemoveDirectoryA((kRoot + "\\New Folder").c_str());
    ASSERT_EQ(GetFileAttributesA(kTyped.c_str()), INVALID_FILE_ATTRIBUTES);

    frmAdo window(Win32FolderChooser());
    std::string question;
    input::UserScript user;
    user.Then([&] { return window.Visible(); },
              [&] {
                  input::SaveScreenshot(Win32Host::WindowOf(window), "frmAdo");
                  input::ClickWindow(Win32Host::WindowOf(window.txtPath));
                  input::PressKey(VK_END);
                  input::PressKey(VK_HOME, VK_SHIFT);
                  input::TypeText(kTyped + "\n");
              });
    user.Then([&] { return input::MessageBoxWithText(&question) != nullptr; },
              [] { input::PressKey(VK_RETURN); }); // Yes, the default
    user.Start();
    window.Show(true);
    ASSERT_FALSE(user.TimedOut());
    ASSERT_TRUE(user.Done()) << "the window closed before the creation question";

    EXPECT_EQ(question, "The folder " + kTyped + " does not exist.\r\nDo you want to create it?");
    EXPECT_FALSE(window.Loaded());
    EXPECT_EQ(GetFileAttributesA(kTyped.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(Registry("SettingsLocation"), kTyped);
    EXPECT_EQ(M().IniFile, kTyped + "\\Contacts.ini");
    EXPECT_TRUE(IniLib::WriteKeyValue("25", "Type", "0", M().IniFile));
    EXPECT_EQ(IniLib::GetKeyValue("25", "Type", "", "", "", M().IniFile), "0");
    EXPECT_NE(GetFileAttributesA((kTyped + "\\Contacts.ini").c_str()), INVALID_FILE_ATTRIBUTES);

    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        if (savedLocation == "<none>")
            RegDeleteValueA(key, "SettingsLocation");
        else
            RegSetValueExA(key, "SettingsLocation", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(savedLocation.c_str()),
                           static_cast<DWORD>(savedLocation.size() + 1));
        RegCloseKey(key);
    }
}

} // namespace
} // namespace tamber
