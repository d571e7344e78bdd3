#include "startup/module1/module1.h"

#include "ports/platform.h"

namespace tamber {
namespace {
Module1 g_module1;
Platform g_platform;
} // namespace

Module1& M() { return g_module1; }
void ResetModule1() { g_module1 = Module1{}; }
Platform& Sys() { return g_platform; }

} // namespace tamber
