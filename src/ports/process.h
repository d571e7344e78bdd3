#pragma once
// Starting programs and facts about the running one.
#include <string>

namespace tamber {

class ProcessLauncher {
  public:
    virtual ~ProcessLauncher() = default;
    // Folder of the running executable, without a trailing "\" (VB's App.Path).
    virtual std::string ProgramFolder() = 0;
    // The running executable's file name without folder and extension (VB's App.EXEName).
    virtual std::string ExeName() = 0;
    // Starts commandLine as a new process with a normal, focused window and does not wait.
    // Throws VbError (err::kFileNotFound) when the program cannot be started.
    virtual void Start(const std::string& commandLine) = 0;
    // True when another instance of this program (identified by name) is already running.
    // The first caller claims the name for the life of the process.
    virtual bool AnotherInstanceRunning(const std::string& name) = 0;
};

} // namespace tamber
