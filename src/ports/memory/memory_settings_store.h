#pragma once
// Settings kept in memory (tests), optionally persisted to one text file so that two
// processes, or two runs, share them like the registry. Names are case-insensitive.
#include <map>
#include <string>
#include <tuple>

#include "ports/file_system.h"
#include "ports/settings_store.h"

namespace tamber {

class MemorySettingsStore : public SettingsStore {
  public:
    MemorySettingsStore() = default;
    // File-backed: every read re-reads the file, every change rewrites it atomically.
    MemorySettingsStore(FileSystem& files, std::string path);

    std::string GetSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& def = "") override;
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override;
    void DeleteSetting(const std::string& app, const std::string& section,
                       const std::string& key) override;

    // Fault injection: SaveSetting fails with this error number (0: none).
    long failSaves = 0;

  private:
    using Id = std::tuple<std::string, std::string, std::string>; // lower-cased
    void Load();
    void Persist();
    FileSystem* files_ = nullptr;
    std::string path_;
    std::map<Id, std::string> values_;
};

} // namespace tamber
