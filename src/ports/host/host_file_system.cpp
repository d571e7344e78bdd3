#include "ports/host/host_file_system.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>
#include <thread>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "common/vb_error.h"

namespace tamber {
namespace fs = std::filesystem;
namespace {

fs::path Host(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    return fs::path(p);
}

[[noreturn]] void Fail(std::errc code, long fallback) {
    switch (code) {
    case std::errc::no_such_file_or_directory:
        throw VbError(fallback,
                      fallback == err::kFileNotFound ? "File not found" : "Path not found");
    case std::errc::permission_denied:
    case std::errc::operation_not_permitted:
    case std::errc::is_a_directory:
    case std::errc::read_only_file_system:
        throw VbError(err::kPermissionDenied, "Permission denied");
    case std::errc::no_space_on_device:
        throw VbError(err::kDiskFull, "Disk full");
    case std::errc::file_exists:
        throw VbError(err::kFileAlreadyExists, "File already exists");
    default:
        throw VbError(err::kBadFileName, "Bad file name or number");
    }
}
[[noreturn]] void Fail(const std::error_code& ec, long fallback) {
    Fail(static_cast<std::errc>(ec.value()), fallback);
}

// Opens a file that must not exist yet, for writing; null (errno set) when it cannot.
std::FILE* CreateNew(const fs::path& path) {
#if defined(_WIN32)
    int fd = -1;
    if (_sopen_s(&fd, path.string().c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYRW,
                 _S_IREAD | _S_IWRITE) != 0)
        return nullptr;
    std::FILE* f = _fdopen(fd, "wb");
#else
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* f = ::fdopen(fd, "wb");
#endif
    if (!f) {
        const int e = errno;
#if defined(_WIN32)
        _close(fd);
#else
        ::close(fd);
#endif
        errno = e;
    }
    return f;
}

// Closing the descriptor lets go of the lock.
class HostLock : public FileLock {
  public:
    explicit HostLock(int fd) : fd_(fd) {}
    ~HostLock() override {
#if defined(_WIN32)
        _close(fd_);
#else
        ::close(fd_);
#endif
    }

  private:
    int fd_;
};

// file_time_type to a file time (100 ns units since 1601).
std::uint64_t ToFileTime(fs::file_time_type t) {
    auto sys = std::chrono::file_clock::to_sys(t);
    auto ticks =
        std::chrono::duration_cast<std::chrono::nanoseconds>(sys.time_since_epoch()).count() / 100;
    return static_cast<std::uint64_t>(ticks + 116444736000000000LL);
}

} // namespace

std::optional<std::string> HostFileSystem::ReadAll(const std::string& path) {
    fs::path p = Host(path);
    std::error_code ec;
    if (fs::is_directory(p, ec)) Fail(std::errc::is_a_directory, err::kPermissionDenied);
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        if (!fs::exists(p, ec)) return std::nullopt;
        Fail(std::errc::permission_denied, err::kPermissionDenied);
    }
    std::string bytes;
    const auto size = fs::file_size(p, ec);
    if (!ec) bytes.reserve(static_cast<std::size_t>(size));
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    return bytes;
}

void HostFileSystem::WriteAll(const std::string& path, std::string_view bytes) {
    fs::path p = Host(path);
    std::error_code ec;
    fs::path folder = p.parent_path().empty() ? fs::path(".") : p.parent_path();
    if (!fs::is_directory(folder, ec))
        Fail(std::errc::no_such_file_or_directory, err::kPathNotFound);
    // The rename would replace a read-only file (and root may write any file).
    const fs::file_status status = fs::status(p, ec);
    if (!ec && fs::is_regular_file(status) &&
        (status.permissions() & fs::perms::owner_write) == fs::perms::none)
        Fail(std::errc::permission_denied, err::kPermissionDenied);
    // A name no other writer (thread or process) picks at the same moment; one that is taken
    // all the same is refused by the exclusive create, and the next is tried.
    static std::atomic<unsigned> counter{std::random_device{}()};
    fs::path temp;
    std::FILE* f = nullptr;
    for (int attempt = 0; !f; ++attempt) {
        temp = folder / (p.filename().string() + ".~" + std::to_string(counter++) + ".tmp");
        f = CreateNew(temp);
        if (!f && (errno != EEXIST || attempt == 100))
            Fail(static_cast<std::errc>(errno), err::kPathNotFound);
    }
    {
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        int e = errno;
        ok = (std::fflush(f) == 0) && ok;
        std::fclose(f);
        if (!ok) {
            fs::remove(temp, ec);
            Fail(static_cast<std::errc>(e ? e : ENOSPC), err::kDiskFull);
        }
    }
    fs::rename(temp, p, ec);
    if (ec) {
        fs::remove(temp, ec);
        Fail(std::errc::permission_denied, err::kPermissionDenied);
    }
}

FileStamp HostFileSystem::Stamp(const std::string& path) {
#if !defined(_WIN32)
    // One stat call: the profile engine checks the stamp before every read it serves from
    // its parsed copy.
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    struct stat st;
    if (p.empty() || ::stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    auto ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return {true, static_cast<std::uint64_t>(st.st_size),
            static_cast<std::uint64_t>(ns / 100 + 116444736000000000LL)};
#else
    std::error_code ec;
    fs::path p = Host(path);
    auto size = fs::file_size(p, ec);
    if (ec) return {};
    auto time = fs::last_write_time(p, ec);
    if (ec) return {};
    return {true, size, ToFileTime(time)};
#endif
}

bool HostFileSystem::Exists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(Host(path), ec);
}

bool HostFileSystem::IsFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(Host(path), ec);
}

void HostFileSystem::Remove(const std::string& path) {
    std::error_code ec;
    fs::path p = Host(path);
    if (!fs::is_regular_file(p, ec)) Fail(std::errc::no_such_file_or_directory, err::kFileNotFound);
    if (!fs::remove(p, ec)) Fail(ec, err::kFileNotFound);
}

void HostFileSystem::Rename(const std::string& from, const std::string& to, bool replaceExisting) {
    std::error_code ec;
    fs::path f = Host(from), t = Host(to);
    if (!fs::is_regular_file(f, ec)) Fail(std::errc::no_such_file_or_directory, err::kFileNotFound);
    if (fs::exists(t, ec) && (!replaceExisting || fs::is_directory(t, ec)))
        Fail(std::errc::file_exists, err::kFileAlreadyExists);
    fs::rename(f, t, ec);
    if (ec) Fail(ec, err::kPathNotFound);
}

void HostFileSystem::MakeFolder(const std::string& path) {
    std::error_code ec;
    fs::path p = Host(path);
    if (fs::is_directory(p, ec)) return;
    if (fs::exists(p, ec)) Fail(std::errc::file_exists, err::kFileAlreadyExists);
    if (!fs::create_directory(p, ec) && ec) Fail(ec, err::kPathNotFound);
}

std::vector<std::string> HostFileSystem::ListFiles(const std::string& folder,
                                                   const std::string& pattern) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(Host(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (it->is_regular_file(ec) && WildcardMatch(pattern, name)) names.push_back(name);
    }
    return names;
}

std::uint64_t HostFileSystem::LastWriteTime(const std::string& path) {
    std::error_code ec;
    auto time = fs::last_write_time(Host(path), ec);
    if (ec) Fail(std::errc::no_such_file_or_directory, err::kFileNotFound);
    return ToFileTime(time);
}

std::unique_ptr<FileLock> HostFileSystem::Lock(const std::string& path,
                                               std::chrono::milliseconds wait) {
    const fs::path p = Host(path);
    std::error_code ec;
    if (fs::is_directory(p, ec)) Fail(std::errc::is_a_directory, err::kPermissionDenied);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    const auto pause = std::chrono::milliseconds(5);
#if defined(_WIN32)
    // Held by an open that shares nothing: another open of the file is refused meanwhile.
    for (;;) {
        int fd = -1;
        const errno_t e = _sopen_s(&fd, p.string().c_str(), _O_RDWR | _O_CREAT | _O_BINARY,
                                   _SH_DENYRW, _S_IREAD | _S_IWRITE);
        if (e == 0) return std::make_unique<HostLock>(fd);
        if (e != EACCES) Fail(static_cast<std::errc>(e), err::kPathNotFound);
        if (std::chrono::steady_clock::now() >= deadline) return nullptr;
        std::this_thread::sleep_for(pause);
    }
#else
    // flock: held per open file, so two threads of one program exclude each other too.
    const int fd = ::open(p.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) Fail(static_cast<std::errc>(errno), err::kPathNotFound);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return std::make_unique<HostLock>(fd);
        const int e = errno;
        if (e != EWOULDBLOCK && e != EINTR) {
            ::close(fd);
            Fail(static_cast<std::errc>(e), err::kPermissionDenied);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return nullptr;
        }
        std::this_thread::sleep_for(pause);
    }
#endif
}

} // namespace tamber
