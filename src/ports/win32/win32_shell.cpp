#include "ports/win32/win32_shell.h"

#include <windows.h>

#include <shellapi.h>

namespace tamber {
namespace {

class Win32ShellImpl : public Shell {
  public:
    bool Open(const std::string& verb, const std::string& file, const std::string& folder,
              WindowHandle owner) override {
        // ShellExecute reports success with a value above 32.
        auto r = reinterpret_cast<INT_PTR>(
            ShellExecuteA(reinterpret_cast<HWND>(owner), verb.c_str(), file.c_str(), nullptr,
                          folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL));
        return r > 32;
    }
};

class Win32SystemMetricsImpl : public SystemMetrics {
  public:
    int Metric(int index) override { return GetSystemMetrics(index); }
};

class Win32WindowOrderImpl : public WindowOrder {
  public:
    void BringToTop(WindowHandle window, const Rect& place) override {
        SetWindowPos(reinterpret_cast<HWND>(window), HWND_TOP, place.left, place.top,
                     place.right - place.left, place.bottom - place.top, SWP_SHOWWINDOW);
    }
};

} // namespace

Shell& Win32Shell() {
    static Win32ShellImpl shell;
    return shell;
}
SystemMetrics& Win32SystemMetrics() {
    static Win32SystemMetricsImpl metrics;
    return metrics;
}
WindowOrder& Win32WindowOrder() {
    static Win32WindowOrderImpl order;
    return order;
}

} // namespace tamber
