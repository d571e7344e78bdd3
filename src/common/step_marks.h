#pragma once
// Named moments of a run (the steps of start-up, the window shown, the steps of the end), for
// timing scripts. Nothing is recorded unless the program installed a recorder.
namespace tamber {

using StepRecorder = void (*)(const char* step);
// nullptr: no recording (the default).
void SetStepRecorder(StepRecorder recorder);
void MarkStep(const char* step);

} // namespace tamber
