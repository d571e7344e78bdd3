#include "module1/module1.h"

namespace tamber {
namespace {
Module1 g_module1;
} // namespace

Module1& M() {
    return g_module1;
}
void ResetModule1() {
    g_module1 = Module1{};
}

} // namespace tamber
