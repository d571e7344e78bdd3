#pragma once
#include "ports/process.h"

namespace tamber {

class Win32ProcessLauncher : public ProcessLauncher {
  public:
    ~Win32ProcessLauncher() override;
    std::string ProgramFolder() override;
    std::string ExeName() override;
    void Start(const std::string& commandLine) override;
    bool AnotherInstanceRunning(const std::string& name) override;

  private:
    void* instanceMutex_ = nullptr;
};

} // namespace tamber
