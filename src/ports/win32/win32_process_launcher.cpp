#include "ports/win32/win32_process_launcher.h"

#include <windows.h>

#include <vector>

#include "common/vb_error.h"

namespace tamber {

Win32ProcessLauncher::~Win32ProcessLauncher() {
    if (instanceMutex_) CloseHandle(instanceMutex_);
}

namespace {

std::string ModulePath() {
    std::vector<char> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return std::string(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

} // namespace

std::string Win32ProcessLauncher::ProgramFolder() {
    const std::string path = ModulePath();
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Win32ProcessLauncher::ExeName() {
    std::string name = ModulePath();
    name.erase(0, name.find_last_of('\\') + 1); // npos + 1 == 0: no folder
    if (const auto dot = name.find_last_of('.'); dot != std::string::npos) name.erase(dot);
    return name;
}

void Win32ProcessLauncher::Start(const std::string& commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    std::string mutableLine = commandLine; // CreateProcessA may write into it
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi)) {
        DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND)
            throw VbError(err::kFileNotFound, "File not found");
        throw VbError(err::kInvalidProcedureCall, "Invalid procedure call or argument");
    }
    // Never waited for.
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

bool Win32ProcessLauncher::AnotherInstanceRunning(const std::string& name) {
    if (instanceMutex_) return false;
    HANDLE h = CreateMutexA(nullptr, TRUE, ("Local\\" + name + ".SingleInstance").c_str());
    bool exists = GetLastError() == ERROR_ALREADY_EXISTS;
    if (exists) {
        if (h) CloseHandle(h);
        return true;
    }
    instanceMutex_ = h;
    return false;
}

} // namespace tamber
