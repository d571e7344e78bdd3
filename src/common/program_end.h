#pragma once
// VB's End: the program stops at once, no further events run. Programs install a handler that
// exits the process; by default (tests) it throws ProgramEnded, which ReportError never
// swallows, so a test sees the end where it happened.
namespace tamber {

struct ProgramEnded {};

[[noreturn]] void EndProgram();
// handler must not return; nullptr restores the default (throw ProgramEnded).
void SetEndProgramHandler(void (*handler)());

} // namespace tamber
