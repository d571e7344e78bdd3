#pragma once
// The list window's platform under Win32: the low-level keyboard hook, the locale's list
// separator and long dates, and SetWindowPos.
#include "ports/keyboard_hook.h"
#include "ports/locale.h"
#include "ports/window_stack.h"

namespace tamber {

// The process's one hook (a low-level hook procedure has no context of its own).
KeyboardHook& Win32KeyboardHook();
Locale& Win32Locale();
WindowStack& Win32WindowStack();

} // namespace tamber
