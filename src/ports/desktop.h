#pragma once
// Windows of the desktop as the start-up code needs them: the foreground window, the
// keyboard focus inside another program's thread, window rectangles and screen metrics.
#include <cstdint>
#include <string>

#include "ports/types.h"

namespace tamber {

class Desktop {
  public:
    virtual ~Desktop() = default;

    // The window the user is working in; 0 when there is none.
    virtual WindowHandle ForegroundWindow() = 0;

    // Thread that created the window; 0 for a handle that names no window.
    virtual ThreadId WindowThread(WindowHandle window) = 0;

    // The calling thread.
    virtual ThreadId CurrentThread() = 0;

    // Attaches (attach = true) or detaches the input processing of thread `from` to thread
    // `to`, so that FocusWindow() in `from` names the focus of `to`'s queue. False on failure.
    virtual bool AttachInput(ThreadId from, ThreadId to, bool attach) = 0;

    // Window with the keyboard focus in the calling thread's (possibly attached) queue; 0 none.
    virtual WindowHandle FocusWindow() = 0;

    // Class name of the window, at most 255 characters; "" when the window does not exist.
    virtual std::string ClassName(WindowHandle window) = 0;

    // Screen rectangle of the window in pixels; all zeros when the window does not exist.
    virtual Rect WindowRect(WindowHandle window) = 0;

    // Twips per screen pixel: 1440 / logical pixels per inch, horizontally and vertically.
    virtual double TwipsPerPixelX() = 0;
    virtual double TwipsPerPixelY() = 0;
};

} // namespace tamber
