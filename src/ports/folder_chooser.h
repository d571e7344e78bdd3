#pragma once
// The platform's folder chooser: the user picks a folder of the file system.
#include <optional>
#include <string>

#include "ports/types.h"

namespace tamber {

class FolderChooser {
  public:
    virtual ~FolderChooser() = default;
    // Shows the chooser owned by `owner` (0: none), rooted at the desktop, offering file-system
    // folders only. The chosen folder's path, or nullopt when the user cancelled.
    virtual std::optional<std::string> ChooseFolder(WindowHandle owner) = 0;
};

} // namespace tamber
