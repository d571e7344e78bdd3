#include "ports/memory/fake_process_launcher.h"

#include "common/vb_error.h"

namespace tamber {

void FakeProcessLauncher::Start(const std::string& commandLine) {
    if (missing.count(commandLine)) throw VbError(err::kFileNotFound, "File not found");
    started.push_back(commandLine);
}

bool FakeProcessLauncher::AnotherInstanceRunning(const std::string& name) {
    // The first caller claims the name, as a named mutex would.
    return !runningNames.insert(name).second;
}

} // namespace tamber
