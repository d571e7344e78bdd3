#include "common/program_end.h"

namespace tamber {
namespace {
void (*g_handler)() = nullptr;
}

void EndProgram() {
    if (g_handler) g_handler();
    throw ProgramEnded{};
}

void SetEndProgramHandler(void (*handler)()) { g_handler = handler; }

} // namespace tamber
