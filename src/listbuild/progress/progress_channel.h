#pragma once
// tamber's side of the progress channel: the string values it writes under application
// "Varnel", section "Progress", for the separate gauge program to poll, and the start of that
// program. Nothing is read back and gauge is never waited for. Every call raises VbError when
// the settings store or the process start fails; the builder's own handler reports it.
#include <cstdint>

namespace tamber {

class SettingsStore;
class ProcessLauncher;

class ProgressChannel {
  public:
    // Builds with more rows than this show gauge.
    static constexpr std::int32_t kGaugeThreshold = 50;
    // "Stage" is written once per this many rows or entries.
    static constexpr std::int32_t kStageInterval = 100;

    // Over the process's ports, Sys().settings and Sys().processes.
    ProgressChannel();
    ProgressChannel(SettingsStore& settings, ProcessLauncher& processes);

    // A refresh starts building: "Step" = "Building", then "Stage" = "0". Written before any
    // gauge starts, so an "End" left by an earlier run cannot end the new one.
    void BeginBuild();
    // A builder about to read `rows` rows or members: when its caller asked for progress and
    // there are more than 50, "Total" = rows, then gauge starts. Returns whether it started.
    bool StartForBuild(std::int32_t rows, bool showProgress);
    // Called with the running count after each row or entry; writes "Stage" at every
    // multiple of 100.
    void RowDone(std::int32_t counter);
    // The built list goes to its file: "Total" = entries, "Step" = "Saving", "Stage" = "0".
    void BeginSave(std::int32_t entries);
    // Finished, or the user declined to overwrite: "Step" = "End"; gauge ends at its next poll.
    void End();

    // Starts gauge.exe from the folder of the running program, focused, without waiting.
    // A missing gauge.exe is VbError 53, naming it.
    void StartGauge();

  private:
    void Put(const char* name, std::int32_t value);
    SettingsStore& settings_;
    ProcessLauncher& processes_;
};

} // namespace tamber
