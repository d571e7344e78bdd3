#pragma once
// The ACT! port over ACT!'s automation servers: late-bound IDispatch calls, results converted
// as VB's CInt/CLng/CBool/CStr convert them, failures raised as VB raises them.
#include <memory>

#include "ports/act.h"

namespace tamber::act {

// Enters a single-threaded COM apartment for its lifetime (the thread must pump messages for
// the event control's notifications to arrive) and creates ACT!'s objects by ProgID.
std::unique_ptr<Automation> MakeWin32Automation();

} // namespace tamber::act
