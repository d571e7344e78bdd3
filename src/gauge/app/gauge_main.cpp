// gauge.exe: shows the progress of a long list build of tamber until tamber writes "End" or
// the user presses Escape.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstdint>

#include "common/procedure.h"
#include "forms/win32/win32_host.h"
#include "gauge/gauge/frm_gauge.h"
#include "ports/dialogs.h"
#include "ports/platform.h"
#include "ports/win32/win32_storage.h"

namespace {

// The work area of the monitor that holds the foreground window (tamber's, or ACT!'s, as
// gauge has not shown yet), so the window appears where the user is looking.
RECT ForegroundWorkArea() {
    HMONITOR monitor = MonitorFromWindow(GetForegroundWindow(), MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoA(monitor, &info)) return info.rcWork;
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// The process that started gauge (tamber), opened for waiting; null when it has already
// ended. A process id reused by a later program is told apart by its start time.
HANDLE OpenStarter() {
    const DWORD self = GetCurrentProcessId();
    DWORD parent = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    if (parent == 0) return nullptr;
    HANDLE starter = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent);
    if (!starter) return nullptr;
    FILETIME parentStart, ownStart, unused;
    if (GetProcessTimes(starter, &parentStart, &unused, &unused, &unused) &&
        GetProcessTimes(GetCurrentProcess(), &ownStart, &unused, &unused, &unused) &&
        CompareFileTime(&parentStart, &ownStart) > 0) {
        CloseHandle(starter);
        return nullptr;
    }
    return starter;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace tamber;
    forms::win32::Win32Host host;
    host.EndWithLastForm();
    SetAppTitle(kGaugeTitle);
    // Last resort: whatever escapes the window or the message loop is reported, never a
    // silent abnormal end.
    return Function(
        "gauge", "WinMain",
        [&](Statement&) {
            Sys().settings = &Win32Settings();
            frmGauge* self = nullptr;
            HANDLE starter = OpenStarter();
            frmGauge gauge(
                [&self] {
                    return reinterpret_cast<std::uintptr_t>(
                        forms::win32::Win32Host::WindowOf(*self));
                },
                [starter] { return starter && WaitForSingleObject(starter, 0) == WAIT_TIMEOUT; });
            self = &gauge;
            RECT area = ForegroundWorkArea();
            CentreOnArea(gauge, area.left, area.top, area.right, area.bottom);
            gauge.Show();
            return host.Run();
        },
        1);
}
