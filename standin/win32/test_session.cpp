#include "test_session.h"

#include "channel.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tamber::e2e {

std::string WinPath(const char* unixPath) {
    std::string p = std::string("Z:") + unixPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

std::string Quote(const std::string& s) {
    return "\"" + s + "\"";
}

ProgramRun RunProgram(const std::string& commandLine, DWORD timeoutMs) {
    // In Wine's virtual desktop the first process to ask for the desktop window starts the
    // desktop's explorer.exe; were that the child below, explorer would keep the pipe open and
    // the read would never end.
    GetDesktopWindow();
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    CreatePipe(&readEnd, &writeEnd, &sa, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    ProgramRun run;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi)) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return run;
    }
    CloseHandle(writeEnd);
    char buf[512];
    DWORD n;
    while (ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n > 0)
        run.out.append(buf, n);
    WaitForSingleObject(pi.hProcess, timeoutMs);
    GetExitCodeProcess(pi.hProcess, &run.exitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(readEnd);
    return run;
}

ProgramRun Ctl(const std::string& args) {
    return RunProgram(Quote(WinPath(ACTCTL_EXE)) + " " + args);
}

namespace {
// A stand-in the add-on had started through automation is not among a test's processes, and
// a new one would hand its work to whichever is still there: end each that shows its window.
void EndRemainingStandins() {
    for (int tries = 0; tries < 10; ++tries) {
        HWND w = FindWindowA(standin::kMainClass, nullptr);
        if (!w) return;
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        if (Ctl("/timeout 5 quit").exitCode != 0 && h) TerminateProcess(h, 1);
        if (h) {
            WaitForSingleObject(h, 10000);
            CloseHandle(h);
        }
    }
}
} // namespace

HANDLE StartStandin(const std::string& arguments) {
    EndRemainingStandins();
    std::string line = Quote(WinPath(STANDIN_EXE)) + " " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    if (Ctl("/timeout 30 wait").exitCode != 0) {
        TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hProcess);
        return nullptr;
    }
    return pi.hProcess;
}

bool PrepareSuite(const char* sampleDb, const std::string& db, const char* tamberExe) {
    if (!CopyFileA(WinPath(sampleDb).c_str(), db.c_str(), FALSE)) return false;
    if (RunProgram(Quote(WinPath(STANDIN_EXE)) + " /RegServer").exitCode != 0) return false;
    const std::string exe = WinPath(tamberExe);
    CreateDirectoryA((exe.substr(0, exe.rfind('\\')) + "\\Data").c_str(), nullptr);
    return true;
}

HANDLE PressAddOn(const std::string& where, std::vector<HANDLE>& started, DWORD* pid) {
    const ProgramRun press = Ctl("press " + where + " Tamberlist");
    const DWORD id = press.exitCode == 0 ? strtoul(press.out.c_str(), nullptr, 10) : 0;
    HANDLE h = id ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id) : nullptr;
    if (h) started.push_back(h);
    if (pid) *pid = id;
    return h;
}

void EndAll(std::vector<HANDLE>& processes) {
    Ctl("/timeout 5 quit");
    for (HANDLE h : processes) {
        if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT) TerminateProcess(h, 1);
        WaitForSingleObject(h, 10000);
        CloseHandle(h);
    }
    processes.clear();
    EndRemainingStandins();
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void SetSetting(const char* name, const char* value) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER,
                    "Software\\VB and VBA Program Settings\\Tamberlist\\Settings", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (value)
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>(std::strlen(value) + 1));
    else
        RegDeleteValueA(key, name);
    RegCloseKey(key);
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(50))
        if (done()) return true;
    return done();
}

namespace {

// A visible top-level window of the process, given its caption and class, that it wants.
using Wants = std::function<bool(const char* caption, const char* cls)>;

struct Search {
    DWORD pid;
    const Wants& wants;
    HWND found = nullptr;
};

BOOL CALLBACK FindTopLevel(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != f->pid || !IsWindowVisible(w)) return TRUE;
    char text[256] = {}, cls[64] = {};
    GetWindowTextA(w, text, sizeof text);
    GetClassNameA(w, cls, sizeof cls);
    if (!f->wants(text, cls)) return TRUE;
    f->found = w;
    return FALSE;
}

HWND WaitForTopLevel(DWORD pid, const Wants& wants, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            Search f{pid, wants};
            EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&f));
            found = f.found;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

constexpr char kMessageBox[] = "#32770";

} // namespace

HWND WaitForWindow(DWORD pid, const std::string& caption, const std::string& cls, DWORD timeoutMs) {
    return WaitForTopLevel(
        pid,
        [&](const char* text, const char* c) {
            return (caption.empty() || caption == text) && (cls.empty() || cls == c);
        },
        timeoutMs);
}

HWND WaitForDialog(DWORD pid, DWORD timeoutMs) {
    return WaitForTopLevel(
        pid, [](const char*, const char* cls) { return std::strcmp(cls, kMessageBox) == 0; },
        timeoutMs);
}

HWND WaitForListWindow(DWORD pid, DWORD timeoutMs) {
    return WaitForTopLevel(
        pid, [](const char*, const char* cls) { return std::strcmp(cls, kMessageBox) != 0; },
        timeoutMs);
}

namespace {
struct Described {
    DWORD pid;
    std::string text;
};
BOOL CALLBACK DescribeOne(HWND w, LPARAM lp) {
    auto* d = reinterpret_cast<Described*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != d->pid || !IsWindowVisible(w)) return TRUE;
    char text[256] = {}, cls[64] = {};
    GetWindowTextA(w, text, sizeof text);
    GetClassNameA(w, cls, sizeof cls);
    d->text += std::string("[") + cls + " \"" + text + "\"";
    if (std::strcmp(cls, kMessageBox) == 0) {
        for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            GetWindowTextA(c, text, sizeof text);
            d->text += std::string(" | ") + text;
        }
    }
    d->text += "] ";
    return TRUE;
}
} // namespace

std::string Describe(DWORD pid) {
    Described d{pid, {}};
    EnumWindows(DescribeOne, reinterpret_cast<LPARAM>(&d));
    return d.text;
}

bool FocusField(int fieldId, std::string* reply) {
    ProgramRun run;
    const bool done = WaitFor(
        [&] {
            run = Ctl("focus " + std::to_string(fieldId));
            return run.exitCode == 0;
        },
        10000);
    if (reply) *reply = run.out.substr(0, run.out.find_first_of("\r\n"));
    return done;
}

bool Ended(HANDLE process, DWORD timeoutMs) {
    return WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
}

} // namespace tamber::e2e
