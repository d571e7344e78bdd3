#pragma once
// Files and folders by ANSI path, as the system names them: "\" separates folders (the
// portable implementations accept "/" alike). Failures other than the ones a result reports
// throw VbError with the run time's numbers: 53 file not found, 76 path not found,
// 70 permission denied, 61 disk full, 52 bad file name, 58 file already exists.
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamber {

// A file's identity for cache validation: equal stamps mean the bytes were not rewritten.
struct FileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0; // file time: 100 ns units since 1601-01-01 UTC
    bool operator==(const FileStamp&) const = default;
};

// Held while a program changes files that other programs change too, on this computer or on
// others sharing the folder; let go when destroyed, and by the system when the program ends,
// however it ends.
class FileLock {
  public:
    virtual ~FileLock() = default;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The whole file; nullopt when it (or its folder) does not exist. Other readers and
    // writers may hold the file open. A folder or an unreadable file throws VbError.
    virtual std::optional<std::string> ReadAll(const std::string& path) = 0;

    // Replaces the file's contents all at once: the bytes go to a temporary file in the same
    // folder ("<name>.~<id>.tmp", a name no other writer uses at the same time, on any
    // computer), which then replaces the original, so a reader sees the old or the new file,
    // never a mixture. The folder must exist (else VbError 76).
    virtual void WriteAll(const std::string& path, std::string_view bytes) = 0;

    // Size and last-write time; exists = false (and zeros) for a missing file.
    virtual FileStamp Stamp(const std::string& path) = 0;

    // True for an existing file or folder.
    virtual bool Exists(const std::string& path) = 0;
    virtual bool IsFolder(const std::string& path) = 0;

    // Deletes a file. Missing: VbError 53.
    virtual void Remove(const std::string& path) = 0;

    // Moves or renames a file. Missing source: 53; existing target: 58 unless
    // replaceExisting, then the target is replaced in one step.
    virtual void Rename(const std::string& from, const std::string& to,
                        bool replaceExisting = false) = 0;

    // Creates one folder (its parent must exist); an existing folder is not an error.
    virtual void MakeFolder(const std::string& path) = 0;

    // Names (without folder) of the files in folder matching a wildcard pattern such as
    // "*.lst" ("*" and "?", case-insensitive), in no particular order. A missing folder
    // gives an empty list.
    virtual std::vector<std::string> ListFiles(const std::string& folder,
                                               const std::string& pattern) = 0;

    // Last-write time as a file time (100 ns units since 1601-01-01 UTC). Missing: VbError 53.
    virtual std::uint64_t LastWriteTime(const std::string& path) = 0;

    // Takes the lock of the lock file at path (created when missing, and left in place),
    // exclusive against every other holder: another thread, another program, a program on
    // another computer sharing the folder. Waits up to `wait` for a holder to let go; nullptr
    // when none did. The folder must exist (else VbError 76); a lock file that cannot be
    // created or opened throws VbError (70 ...).
    virtual std::unique_ptr<FileLock> Lock(const std::string& path,
                                           std::chrono::milliseconds wait) = 0;
};

// Matches name against a wildcard pattern the way folder listings do ("*", "?", ASCII case
// folded). Shared by the portable implementations.
bool WildcardMatch(std::string_view pattern, std::string_view name);

} // namespace tamber
