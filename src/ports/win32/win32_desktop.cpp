#include "ports/win32/win32_desktop.h"

#include <windows.h>

#include "ports/types.h"

namespace tamber {
namespace {

HWND Hwnd(WindowHandle w) {
    return reinterpret_cast<HWND>(w);
}
WindowHandle Handle(HWND w) {
    return reinterpret_cast<WindowHandle>(w);
}

double TwipsPerPixel(int index) {
    HDC screen = GetDC(nullptr);
    const int perInch = screen ? GetDeviceCaps(screen, index) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return 1440.0 / (perInch > 0 ? perInch : 96);
}

class Win32DesktopImpl : public Desktop {
  public:
    WindowHandle ForegroundWindow() override { return Handle(GetForegroundWindow()); }

    ThreadId WindowThread(WindowHandle window) override {
        return GetWindowThreadProcessId(Hwnd(window), nullptr);
    }

    ThreadId CurrentThread() override { return GetCurrentThreadId(); }

    bool AttachInput(ThreadId from, ThreadId to, bool attach) override {
        return AttachThreadInput(from, to, attach ? TRUE : FALSE) != FALSE;
    }

    WindowHandle FocusWindow() override { return Handle(GetFocus()); }

    std::string ClassName(WindowHandle window) override {
        char name[256];
        const int length = GetClassNameA(Hwnd(window), name, sizeof name);
        return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
    }

    Rect WindowRect(WindowHandle window) override {
        RECT r{};
        if (!GetWindowRect(Hwnd(window), &r)) return Rect{};
        return Rect{r.left, r.top, r.right, r.bottom};
    }

    double TwipsPerPixelX() override { return TwipsPerPixel(LOGPIXELSX); }
    double TwipsPerPixelY() override { return TwipsPerPixel(LOGPIXELSY); }
};

} // namespace

Desktop& Win32Desktop() {
    static Win32DesktopImpl desktop;
    return desktop;
}

} // namespace tamber
