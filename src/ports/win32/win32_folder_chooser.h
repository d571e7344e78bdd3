#pragma once
// The folder chooser port over the shell's folder browser.
#include "ports/folder_chooser.h"

namespace tamber {

// The process's one instance.
FolderChooser& Win32FolderChooser();

} // namespace tamber
