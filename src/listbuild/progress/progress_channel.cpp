#include "listbuild/progress/progress_channel.h"

#include <string>

#include "common/vb_error.h"
#include "ports/platform.h"
#include "ports/process.h"
#include "ports/settings_store.h"

namespace tamber {
namespace {
constexpr const char* kApp = "Varnel";
constexpr const char* kSection = "Progress";
} // namespace

ProgressChannel::ProgressChannel() : ProgressChannel(*Sys().settings, *Sys().processes) {}

ProgressChannel::ProgressChannel(SettingsStore& settings, ProcessLauncher& processes)
    : settings_(settings), processes_(processes) {}

void ProgressChannel::Put(const char* name, std::int32_t value) {
    settings_.SaveSetting(kApp, kSection, name, std::to_string(value));
}

void ProgressChannel::BeginBuild() {
    settings_.SaveSetting(kApp, kSection, "Step", "Building");
    Put("Stage", 0);
}

bool ProgressChannel::StartForBuild(std::int32_t rows, bool showProgress) {
    if (!showProgress || rows <= kGaugeThreshold) return false;
    Put("Total", rows);
    StartGauge();
    return true;
}

void ProgressChannel::RowDone(std::int32_t counter) {
    if (counter % kStageInterval == 0) Put("Stage", counter);
}

void ProgressChannel::BeginSave(std::int32_t entries) {
    Put("Total", entries);
    settings_.SaveSetting(kApp, kSection, "Step", "Saving");
    Put("Stage", 0);
}

void ProgressChannel::End() {
    settings_.SaveSetting(kApp, kSection, "Step", "End");
}

void ProgressChannel::StartGauge() {
    // Quoted: unquoted, a program folder with a blank ("C:\Program Files\...") would let the
    // platform try "C:\Program.exe" first.
    const std::string gauge = processes_.ProgramFolder() + "\\gauge.exe";
    try {
        processes_.Start("\"" + gauge + "\"");
    } catch (const VbError& e) {
        throw VbError(e.number(), e.description() + ": " + gauge +
                                      " could not be started; the list is built without its "
                                      "progress window.");
    }
}

} // namespace tamber
