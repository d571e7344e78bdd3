#include <windows.h>

#include <string>

#include "ports/contracts/port_contracts.h"
#include "ports/win32/win32_storage.h"

namespace tamber {
namespace {

struct Win32Files : FileSystemFixture {
    Win32Files() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int n = 0;
        root = std::string(temp) + "ini-fs-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++n);
        CreateDirectoryA(root.c_str(), nullptr);
    }
    ~Win32Files() override {
        // Best effort: the suite leaves only a handful of small files behind.
        WIN32_FIND_DATAA f;
        std::string pattern = root + "\\*";
        HANDLE h = FindFirstFileA(pattern.c_str(), &f);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string p = root + "\\" + f.cFileName;
                if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (f.cFileName[0] != '.') {
                        DeleteFileA((p + "\\f.txt").c_str());
                        RemoveDirectoryA(p.c_str());
                    }
                } else {
                    SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileA(p.c_str());
                }
            } while (FindNextFileA(h, &f));
            FindClose(h);
        }
        RemoveDirectoryA(root.c_str());
    }
    void MakeReadOnly(const std::string& path) override {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    FileSystem& Files() override { return tamber::Win32Files(); }
};

struct Registry : SettingsFixture {
    RegistrySettingsStore other;
    Registry() { app = "TamberlistContract" + std::to_string(GetCurrentProcessId()); }
    ~Registry() override {
        std::string key = "Software\\VB and VBA Program Settings\\" + app;
        RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    }
    SettingsStore& Store() override { return Win32Settings(); }
    SettingsStore* Reopened() override { return &other; }
};

INSTANTIATE_TEST_SUITE_P(Win32, FileSystemContract,
                         ::testing::Values(FileSystemCase{
                             "Win32",
                             [] { return std::unique_ptr<FileSystemFixture>(new Win32Files); }}),
                         [](const auto& i) { return CaseName(i); });

INSTANTIATE_TEST_SUITE_P(Win32, SettingsContract,
                         ::testing::Values(SettingsCase{
                             "Registry",
                             [] { return std::unique_ptr<SettingsFixture>(new Registry); }}),
                         [](const auto& i) { return CaseName(i); });

TEST(RegistrySettings, ValuesLiveWhereOutsideReadersLook) {
    Win32Settings().SaveSetting("TamberlistPlace", "Progress", "Step", "Groups");
    char buf[64] = {};
    DWORD size = sizeof buf;
    LONG rc = RegGetValueA(HKEY_CURRENT_USER,
                           "Software\\VB and VBA Program Settings\\TamberlistPlace\\Progress",
                           "Step", RRF_RT_REG_SZ, nullptr, buf, &size);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\TamberlistPlace");
    EXPECT_EQ(rc, ERROR_SUCCESS);
    EXPECT_STREQ(buf, "Groups");
}

} // namespace
} // namespace tamber
