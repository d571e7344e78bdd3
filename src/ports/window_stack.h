#pragma once
// Placing a top-level window above its siblings.
#include "ports/types.h"

namespace tamber {

class WindowStack {
  public:
    virtual ~WindowStack() = default;
    // Moves the window to the rectangle (screen pixels: left, top, width, height), puts it on
    // top of the windows beside it and shows it.
    virtual void ShowOnTop(WindowHandle window, long left, long top, long width, long height) = 0;
    // Makes the window the foreground window again (after another program's window, such as
    // the progress window, took it).
    virtual void Activate(WindowHandle window) = 0;
};

} // namespace tamber
