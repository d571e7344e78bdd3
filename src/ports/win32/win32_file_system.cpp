#include <windows.h>

#include "common/vb_error.h"
#include "ports/platform.h"
#include "ports/win32/win32_storage.h"

namespace tamber {
namespace {

// Translates the platform's error once, here, into the run time's numbers.
[[noreturn]] void Fail(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        throw VbError(err::kFileNotFound, "File not found");
    case ERROR_PATH_NOT_FOUND:
        throw VbError(err::kPathNotFound, "Path not found");
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        throw VbError(err::kPermissionDenied, "Permission denied");
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        throw VbError(err::kDiskFull, "Disk full");
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        throw VbError(err::kFileAlreadyExists, "File already exists");
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        throw VbError(err::kBadFileName, "Bad file name or number");
    default:
        throw VbError(75, "Path/File access error");
    }
}

std::uint64_t Ticks(const FILETIME& ft) {
    return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    void close() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE h_;
};

bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return !path.empty() && GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
}

} // namespace

std::optional<std::string> Win32FileSystem::ReadAll(const std::string& path) {
    Handle file(CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return std::nullopt;
        Fail(e);
    }
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    for (;;) {
        if (!::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) Fail(GetLastError());
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    return bytes;
}

void Win32FileSystem::WriteAll(const std::string& path, std::string_view bytes) {
    // Replacing the file by a rename would pass over its read-only attribute.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        Fail(ERROR_ACCESS_DENIED);
    static LONG counter = 0;
    std::string temp = path + ".~" + std::to_string(GetCurrentProcessId()) + "_" +
                       std::to_string(InterlockedIncrement(&counter)) + ".tmp";
    Handle file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) Fail(GetLastError());
    DWORD written = 0;
    bool ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                          nullptr) &&
              written == bytes.size() && FlushFileBuffers(file.get());
    DWORD e = ok ? 0 : GetLastError();
    file.close();
    if (ok && !MoveFileExA(temp.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        e = GetLastError();
    }
    if (!ok) {
        DeleteFileA(temp.c_str());
        Fail(e ? e : ERROR_DISK_FULL);
    }
}

FileStamp Win32FileSystem::Stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!Attributes(path, data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    return {true, (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
            Ticks(data.ftLastWriteTime)};
}

bool Win32FileSystem::Exists(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return Attributes(path, data);
}

bool Win32FileSystem::IsFolder(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return Attributes(path, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32FileSystem::Remove(const std::string& path) {
    if (!DeleteFileA(path.c_str())) Fail(GetLastError());
}

void Win32FileSystem::Rename(const std::string& from, const std::string& to, bool replaceExisting) {
    if (!Exists(from)) Fail(ERROR_FILE_NOT_FOUND);
    DWORD flags = MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
    if (replaceExisting) flags |= MOVEFILE_REPLACE_EXISTING;
    if (!MoveFileExA(from.c_str(), to.c_str(), flags)) Fail(GetLastError());
}

void Win32FileSystem::MakeFolder(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return;
    DWORD e = GetLastError();
    if (e == ERROR_ALREADY_EXISTS && IsFolder(path)) return;
    Fail(e);
}

std::vector<std::string> Win32FileSystem::ListFiles(const std::string& folder,
                                                    const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        // The platform also matches short 8.3 names ("*.lst" finds "a.lstx"); match the long
        // name again so callers get exactly what the pattern says.
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            WildcardMatch(pattern, found.cFileName))
            names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

std::uint64_t Win32FileSystem::LastWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!Attributes(path, data)) Fail(GetLastError());
    return Ticks(data.ftLastWriteTime);
}

Win32FileSystem& Win32Files() {
    static Win32FileSystem files;
    return files;
}

void UseWin32Storage() {
    Sys().files = &Win32Files();
    Sys().settings = &Win32Settings();
}

} // namespace tamber
