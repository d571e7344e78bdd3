#include "common/step_marks.h"

namespace tamber {
namespace {
StepRecorder g_recorder = nullptr;
}

void SetStepRecorder(StepRecorder recorder) {
    g_recorder = recorder;
}

void MarkStep(const char* step) {
    if (g_recorder) g_recorder(step);
}

} // namespace tamber
