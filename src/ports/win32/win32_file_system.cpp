#include <windows.h>

#include <cstdio>

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

namespace {

// A part of the temporary files' names that another computer's program does not repeat: the
// process id alone does (and another Wine prefix counts its processes from the same start).
std::string WriterId() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    char id[48];
    std::snprintf(id, sizeof id, "%lu_%08lx%08lx", GetCurrentProcessId(),
                  static_cast<unsigned long>(counter.LowPart ^ now.dwHighDateTime),
                  static_cast<unsigned long>(now.dwLowDateTime ^ counter.HighPart));
    return id;
}

} // namespace

void Win32FileSystem::WriteAll(const std::string& path, std::string_view bytes) {
    // Replacing the file by a rename would pass over its read-only attribute.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        Fail(ERROR_ACCESS_DENIED);
    static const std::string writer = WriterId();
    static LONG counter = 0;
    // CREATE_NEW refuses a name that is taken all the same, whoever took it: the next is tried.
    std::string temp;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; created == INVALID_HANDLE_VALUE; ++attempt) {
        temp = path + ".~" + writer + "_" + std::to_string(InterlockedIncrement(&counter)) + ".tmp";
        created = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE) {
            DWORD e = GetLastError();
            if (e != ERROR_FILE_EXISTS || attempt == 100) Fail(e);
        }
    }
    Handle file(created);
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

namespace {

// A byte-range lock, which a file server keeps for the computer that took it (an open that
// shares nothing would do on one computer, but Wine prefixes do not see each other's).
class Win32Lock : public FileLock {
  public:
    explicit Win32Lock(HANDLE file) : file_(file) {}
    ~Win32Lock() override {
        OVERLAPPED at{};
        UnlockFileEx(file_, 0, 1, 0, &at);
        CloseHandle(file_);
    }

  private:
    HANDLE file_;
};

} // namespace

std::unique_ptr<FileLock> Win32FileSystem::Lock(const std::string& path,
                                                std::chrono::milliseconds wait) {
    const DWORD started = GetTickCount();
    const auto waited = [&] {
        return static_cast<long long>(GetTickCount() - started) >= wait.count();
    };
    HANDLE file = INVALID_HANDLE_VALUE;
    for (;;) {
        // Another program (a backup, a virus scanner) may have the file open for a moment.
        // Write access too, though a lock needs only read access: Wine turns an exclusive lock
        // on a file open for reading only into a shared one for other computers.
        file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) break;
        DWORD e = GetLastError();
        if (e != ERROR_SHARING_VIOLATION) Fail(e);
        if (waited()) return nullptr;
        Sleep(5);
    }
    for (;;) {
        OVERLAPPED at{};
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
            return std::make_unique<Win32Lock>(file);
        DWORD e = GetLastError();
        if ((e != ERROR_LOCK_VIOLATION && e != ERROR_IO_PENDING) || waited()) {
            CloseHandle(file);
            if (e != ERROR_LOCK_VIOLATION && e != ERROR_IO_PENDING) Fail(e);
            return nullptr;
        }
        Sleep(5);
    }
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
