// gauge.exe: shows the progress of a long list build of tamber until tamber writes "End" or
// the user presses Escape.
#include <windows.h>

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

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace tamber;
    forms::win32::Win32Host host;
    SetAppTitle(kGaugeTitle);
    // Last resort: whatever escapes the window or the message loop is reported, never a
    // silent abnormal end.
    return Function(
        "gauge", "WinMain",
        [&](Statement&) {
            Sys().settings = &Win32Settings();
            frmGauge* self = nullptr;
            frmGauge gauge(Win32Settings(), [&self] {
                return reinterpret_cast<std::uintptr_t>(forms::win32::Win32Host::WindowOf(*self));
            });
            self = &gauge;
            RECT area = ForegroundWorkArea();
            CentreOnArea(gauge, area.left, area.top, area.right, area.bottom);
            gauge.Show();
            return host.Run();
        },
        1);
}
