#pragma once
// The keyboard port over Win32 keystroke synthesis.
#include "ports/keyboard.h"

namespace tamber {

// The process's one instance.
Keyboard& Win32Keyboard();

} // namespace tamber
