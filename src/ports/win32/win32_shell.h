#pragma once
// The Win32 shell, system metrics and window order.
#include "ports/shell.h"
#include "ports/system_metrics.h"
#include "ports/window_order.h"

namespace tamber {

Shell& Win32Shell();
SystemMetrics& Win32SystemMetrics();
WindowOrder& Win32WindowOrder();

} // namespace tamber
