#pragma once
// A FileSystem over the host's files through the C++ library: "\" is taken as "/", so the
// system's paths work on any platform. Used by native tests and tools that run on real files.
#include "ports/file_system.h"

namespace tamber {

class HostFileSystem : public FileSystem {
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

} // namespace tamber
