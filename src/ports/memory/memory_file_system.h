#pragma once
// A FileSystem held in memory, for tests: folders and files by case-insensitive path, "\"
// and "/" alike. Each write advances a clock so stamps change. Faults can be injected. A lock
// that is held is refused at once: nothing could let go of it during a wait.
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "ports/file_system.h"

namespace tamber {

class MemoryFileSystem : public FileSystem {
  public:
    // Starts with the root folder "C:" only.
    MemoryFileSystem();

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

    // Creates the folder and every missing parent.
    void MakeFolders(const std::string& path);

    // Fault injection: the next writes fail with this error number (0: none).
    long failWrites = 0;
    // Count of successful WriteAll calls (tests check that a batch writes once).
    int writes = 0;
    // Marks an existing file read-only (or writable again).
    void SetReadOnly(const std::string& path, bool readOnly = true);
    // Sets a file's time without touching its bytes (simulates a coarse clock).
    void SetLastWrite(const std::string& path, std::uint64_t time);

  private:
    struct File {
        std::string name; // as first written
        std::string bytes;
        std::uint64_t lastWrite = 0;
        bool readOnly = false;
    };
    static std::string Key(const std::string& path);
    static std::string Parent(const std::string& key);
    File* Find(const std::string& path);
    class Held;
    std::map<std::string, File> files_;
    std::set<std::string> folders_;
    std::set<std::string> locked_;
    // One clock for every instance: a file system created where an earlier one lived never
    // repeats its stamps, so caches keyed by stamp cannot confuse the two.
    static std::uint64_t clock_;
};

} // namespace tamber
