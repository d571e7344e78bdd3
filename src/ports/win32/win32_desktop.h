#pragma once
// The desktop port over the Win32 user interface.
#include "ports/desktop.h"

namespace tamber {

// The process's one instance.
Desktop& Win32Desktop();

} // namespace tamber
