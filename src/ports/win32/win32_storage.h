#pragma once
// The Win32 implementations of the settings store (registry) and the file system.
#include "ports/file_system.h"
#include "ports/settings_store.h"

namespace tamber {

class RegistrySettingsStore : public SettingsStore {
  public:
    std::string GetSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& def = "") override;
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override;
    void DeleteSetting(const std::string& app, const std::string& section,
                       const std::string& key) override;
};

class Win32FileSystem : public FileSystem {
  public:
    std::optional<std::string> ReadAll(const std::string& path) override;
    void WriteAll(const std::string& path, std::string_view bytes) override;
    FileStamp Stamp(const std::string& path) override;
    bool Exists(const std::string& path) override;
    bool IsFolder(const std::string& path) override;
    void Remove(const std::string& path) override;
    void Rename(const std::string& from, const std::string& to,
                bool replaceExisting = false) override;
    void MakeFolder(const std::string& path) override;
    std::vector<std::string> ListFiles(const std::string& folder,
                                       const std::string& pattern) override;
    std::uint64_t LastWriteTime(const std::string& path) override;
    std::unique_ptr<FileLock> Lock(const std::string& path,
                                   std::chrono::milliseconds wait) override;
};

// The process-wide instances; UseWin32Storage puts them into Sys().settings and Sys().files.
RegistrySettingsStore& Win32Settings();
Win32FileSystem& Win32Files();
void UseWin32Storage();

} // namespace tamber
