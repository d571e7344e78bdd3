#pragma once
// Finding ACT!'s window and the edit box of its active field, through the desktop port
// installed in Sys().desktop.
#include "ports/desktop.h"

namespace tamber {

// The foreground window: at start-up, the ACT! window that launched the program. 0 on error.
WindowHandle GetACTHandle();

// The window with the keyboard focus in the thread that owns `window`, when its class is
// exactly "Edit"; else 0 (also for 0, a window of the program's own thread, or a refused
// attachment). The input attachment it makes is always undone before it returns.
WindowHandle FindACTFieldHandle(WindowHandle window);

} // namespace tamber
