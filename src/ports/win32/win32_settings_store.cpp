#include <windows.h>

#include <vector>

#include "common/vb_error.h"
#include "ports/win32/win32_storage.h"

namespace tamber {
namespace {

// The area VB's own setting functions use, so outside readers find the values there too.
std::string KeyPath(const std::string& app, const std::string& section) {
    return "Software\\VB and VBA Program Settings\\" + app + "\\" + section;
}

[[noreturn]] void Fail(LONG code) {
    if (code == ERROR_ACCESS_DENIED) throw VbError(err::kPermissionDenied, "Permission denied");
    throw VbError(err::kInvalidProcedureCall, "Invalid procedure call or argument");
}

} // namespace

std::string RegistrySettingsStore::GetSetting(const std::string& app, const std::string& section,
                                              const std::string& key, const std::string& def) {
    HKEY hkey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, KEY_QUERY_VALUE,
                      &hkey) != ERROR_SUCCESS)
        return def;
    std::string result = def;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(hkey, key.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<char> data(size + 1, '\0');
        if (RegQueryValueExA(hkey, key.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS)
            result.assign(data.data()); // the stored terminator, if any, ends it
    }
    RegCloseKey(hkey);
    return result;
}

void RegistrySettingsStore::SaveSetting(const std::string& app, const std::string& section,
                                        const std::string& key, const std::string& value) {
    if (app.empty() || section.empty())
        throw VbError(err::kInvalidProcedureCall, "Invalid procedure call or argument");
    HKEY hkey;
    LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &hkey, nullptr);
    if (rc != ERROR_SUCCESS) Fail(rc);
    rc = RegSetValueExA(hkey, key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1));
    RegCloseKey(hkey);
    if (rc != ERROR_SUCCESS) Fail(rc);
}

void RegistrySettingsStore::DeleteSetting(const std::string& app, const std::string& section,
                                          const std::string& key) {
    HKEY hkey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, KEY_SET_VALUE, &hkey) !=
        ERROR_SUCCESS)
        return;
    RegDeleteValueA(hkey, key.c_str());
    RegCloseKey(hkey);
}

RegistrySettingsStore& Win32Settings() {
    static RegistrySettingsStore store;
    return store;
}

} // namespace tamber
