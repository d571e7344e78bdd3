#pragma once
// Per-user program settings, addressed by application, section and value name; all values
// are strings. On Windows this is the registry area both programs share:
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>, REG_SZ values.
#include <string>

namespace tamber {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored value, or def when the application, section or value is missing.
    virtual std::string GetSetting(const std::string& app, const std::string& section,
                                   const std::string& key, const std::string& def = "") = 0;
    // Creates the application and section as needed. Failure: VbError.
    virtual void SaveSetting(const std::string& app, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
    // Removes one value; a value that is not there is not an error.
    virtual void DeleteSetting(const std::string& app, const std::string& section,
                               const std::string& key) = 0;
};

} // namespace tamber
