#include "ports/memory/memory_file_system.h"

#include <algorithm>

#include "common/vb_error.h"

namespace tamber {
namespace {

[[noreturn]] void Fail(long number) {
    switch (number) {
    case err::kFileNotFound:
        throw VbError(number, "File not found");
    case err::kPathNotFound:
        throw VbError(number, "Path not found");
    case err::kPermissionDenied:
        throw VbError(number, "Permission denied");
    case err::kDiskFull:
        throw VbError(number, "Disk full");
    case err::kFileAlreadyExists:
        throw VbError(number, "File already exists");
    default:
        throw VbError(err::kBadFileName, "Bad file name or number");
    }
}

} // namespace

std::uint64_t MemoryFileSystem::clock_ = 132000000000000000ull; // a file time in 2019

MemoryFileSystem::MemoryFileSystem() {
    folders_.insert("c:");
}

std::string MemoryFileSystem::Key(const std::string& path) {
    std::string key;
    for (char c : path) {
        char k = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (k == '\\' && !key.empty() && key.back() == '\\') continue;
        key += k;
    }
    while (key.size() > 1 && key.back() == '\\')
        key.pop_back();
    return key;
}

std::string MemoryFileSystem::Parent(const std::string& key) {
    auto slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

MemoryFileSystem::File* MemoryFileSystem::Find(const std::string& path) {
    auto it = files_.find(Key(path));
    return it == files_.end() ? nullptr : &it->second;
}

std::optional<std::string> MemoryFileSystem::ReadAll(const std::string& path) {
    if (IsFolder(path)) Fail(err::kPermissionDenied);
    File* f = Find(path);
    if (!f) return std::nullopt;
    return f->bytes;
}

void MemoryFileSystem::WriteAll(const std::string& path, std::string_view bytes) {
    std::string key = Key(path);
    if (key.empty() || key.find_first_of("*?\"<>|") != std::string::npos) Fail(err::kBadFileName);
    if (!folders_.count(Parent(key))) Fail(err::kPathNotFound);
    if (folders_.count(key)) Fail(err::kPermissionDenied);
    if (failWrites) Fail(failWrites);
    if (auto it = files_.find(key); it != files_.end() && it->second.readOnly)
        Fail(err::kPermissionDenied);
    File& f = files_[key];
    if (f.name.empty()) f.name = path.substr(path.find_last_of("\\/") + 1);
    f.bytes.assign(bytes);
    f.lastWrite = ++clock_;
    ++writes;
}

void MemoryFileSystem::SetReadOnly(const std::string& path, bool readOnly) {
    if (File* f = Find(path)) f->readOnly = readOnly;
}

FileStamp MemoryFileSystem::Stamp(const std::string& path) {
    File* f = Find(path);
    if (!f) return {};
    return {true, f->bytes.size(), f->lastWrite};
}

bool MemoryFileSystem::Exists(const std::string& path) {
    return Find(path) || IsFolder(path);
}

bool MemoryFileSystem::IsFolder(const std::string& path) {
    return folders_.count(Key(path)) > 0;
}

void MemoryFileSystem::Remove(const std::string& path) {
    if (!files_.erase(Key(path))) Fail(err::kFileNotFound);
}

void MemoryFileSystem::Rename(const std::string& from, const std::string& to,
                              bool replaceExisting) {
    File* f = Find(from);
    if (!f) Fail(err::kFileNotFound);
    std::string toKey = Key(to);
    if (!folders_.count(Parent(toKey))) Fail(err::kPathNotFound);
    if (folders_.count(toKey) || (files_.count(toKey) && !replaceExisting))
        Fail(err::kFileAlreadyExists);
    File moved = std::move(*f);
    files_.erase(Key(from));
    moved.name = to.substr(to.find_last_of("\\/") + 1);
    files_[toKey] = std::move(moved);
}

void MemoryFileSystem::MakeFolder(const std::string& path) {
    std::string key = Key(path);
    if (files_.count(key)) Fail(err::kFileAlreadyExists);
    if (!folders_.count(Parent(key))) Fail(err::kPathNotFound);
    folders_.insert(key);
}

void MemoryFileSystem::MakeFolders(const std::string& path) {
    std::string key = Key(path);
    for (std::size_t pos = key.find('\\');; pos = key.find('\\', pos + 1)) {
        folders_.insert(key.substr(0, pos));
        if (pos == std::string::npos) break;
    }
}

std::vector<std::string> MemoryFileSystem::ListFiles(const std::string& folder,
                                                     const std::string& pattern) {
    std::vector<std::string> names;
    std::string key = Key(folder);
    for (const auto& [k, f] : files_)
        if (Parent(k) == key && WildcardMatch(pattern, f.name)) names.push_back(f.name);
    return names;
}

std::uint64_t MemoryFileSystem::LastWriteTime(const std::string& path) {
    File* f = Find(path);
    if (!f) Fail(err::kFileNotFound);
    return f->lastWrite;
}

class MemoryFileSystem::Held : public FileLock {
  public:
    Held(std::set<std::string>& locked, std::string key) : locked_(locked), key_(std::move(key)) {}
    ~Held() override { locked_.erase(key_); }

  private:
    std::set<std::string>& locked_;
    std::string key_;
};

std::unique_ptr<FileLock> MemoryFileSystem::Lock(const std::string& path,
                                                 std::chrono::milliseconds) {
    std::string key = Key(path);
    if (!folders_.count(Parent(key))) Fail(err::kPathNotFound);
    if (folders_.count(key)) Fail(err::kPermissionDenied);
    if (!files_.count(key)) {
        if (failWrites) Fail(failWrites);
        File& f = files_[key];
        f.name = path.substr(path.find_last_of("\\/") + 1);
        f.lastWrite = ++clock_;
    }
    if (!locked_.insert(key).second) return nullptr;
    return std::make_unique<Held>(locked_, key);
}

void MemoryFileSystem::SetLastWrite(const std::string& path, std::uint64_t time) {
    if (File* f = Find(path)) f->lastWrite = time;
}

} // namespace tamber
