#pragma once
// The list window's platform under Win32: the low-level keyboard hook, the locale's list
// separator and long dates, SetWindowPos, and the tick count with the double-click time.
#include "ports/keyboard_hook.h"
#include "ports/locale.h"
#include "ports/typing_time.h"
#include "ports/window_stack.h"

namespace tamber {

// The process's one hook (a low-level hook procedure has no context of its own).
KeyboardHook& Win32KeyboardHook();
Locale& Win32Locale();
WindowStack& Win32WindowStack();
TypingTime& Win32TypingTime();

} // namespace tamber
