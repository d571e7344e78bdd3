#pragma once
// Moving one of the program's own windows to the top of the window order.
#include "ports/types.h"

namespace tamber {

class WindowOrder {
  public:
    virtual ~WindowOrder() = default;
    // Puts the window on top of its siblings at the given screen place and size (pixels) and
    // shows it.
    virtual void BringToTop(WindowHandle window, const Rect& place) = 0;
};

} // namespace tamber
