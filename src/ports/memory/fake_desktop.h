#pragma once
// A Desktop for tests: windows, threads and per-thread focus held in tables. Attaching input
// makes FocusWindow() report the attached thread's focus, as the platform does.
#include <map>
#include <string>
#include <vector>

#include "ports/desktop.h"
#include "ports/types.h"

namespace tamber {

class FakeDesktop : public Desktop {
  public:
    struct Window {
        ThreadId thread = 0;
        std::string className;
        Rect rect;
    };
    struct AttachCall {
        ThreadId from, to;
        bool attach;
    };

    WindowHandle foreground = 0;
    ThreadId currentThread = 1;
    std::map<WindowHandle, Window> windows;
    std::map<ThreadId, WindowHandle> focus; // focus window of each thread's input queue
    double twipsX = 15, twipsY = 15;

    bool refuseAttach = false; // AttachInput(.., true) fails
    bool failFocus = false;    // FocusWindow throws, as a dying ACT! might make it
    std::vector<AttachCall> attachCalls;

    // The thread whose input the current thread is attached to, 0 when not attached.
    ThreadId AttachedTo() const { return attachedTo_; }

    WindowHandle ForegroundWindow() override { return foreground; }
    ThreadId WindowThread(WindowHandle window) override;
    ThreadId CurrentThread() override { return currentThread; }
    bool AttachInput(ThreadId from, ThreadId to, bool attach) override;
    WindowHandle FocusWindow() override;
    std::string ClassName(WindowHandle window) override;
    Rect WindowRect(WindowHandle window) override;
    double TwipsPerPixelX() override { return twipsX; }
    double TwipsPerPixelY() override { return twipsY; }

  private:
    ThreadId attachedTo_ = 0;
};

} // namespace tamber
