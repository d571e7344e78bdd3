#pragma once
// A ProcessLauncher for tests: records what was started; programs named as missing fail as a
// missing file does on Windows.
#include <set>
#include <string>
#include <vector>

#include "ports/process.h"

namespace tamber {

class FakeProcessLauncher : public ProcessLauncher {
  public:
    std::string programFolder = "C:\\Program Files\\Tamberlist";
    std::string exeName = "tamber";
    std::vector<std::string> started;
    std::set<std::string> missing;      // command lines that fail to start
    std::set<std::string> runningNames; // instances already running elsewhere

    std::string ProgramFolder() override { return programFolder; }
    std::string ExeName() override { return exeName; }
    void Start(const std::string& commandLine) override;
    bool AnotherInstanceRunning(const std::string& name) override;
};

} // namespace tamber
