#pragma once
// The ports a program runs on, chosen once at start: the Win32 implementations in the
// programs, portable ones in tests. Each port's contract is in its own header. Windows take
// the ports they use in their constructor; Sys() serves WinMain and the VB-style modules.
namespace tamber {

class SettingsStore;   // ports/settings_store.h: per-user program settings (registry)
class FileSystem;      // ports/file_system.h: files and folders, by ANSI path
class Desktop;         // ports/desktop.h: windows, focus, thread input, screen metrics
class Keyboard;        // ports/keyboard.h: keystroke synthesis
class ProcessLauncher; // ports/process.h: starting programs, the program's own folder
class GroupTables;     // ports/group_table.h: opening ACT!'s group table files
namespace act {
class Automation; // ports/act.h: creating ACT!'s automation objects and event control
}

struct Platform {
    SettingsStore* settings = nullptr;
    FileSystem* files = nullptr;
    Desktop* desktop = nullptr;
    Keyboard* keyboard = nullptr;
    ProcessLauncher* processes = nullptr;
    GroupTables* groupTables = nullptr;
    act::Automation* automation = nullptr;
};

// The process's platform. Programs fill it in WinMain; tests use ScopedPlatform.
Platform& Sys();

// Installs ports for one scope and puts back what was there before:
//     ScopedPlatform sys({.settings = &settings, .files = &files});
class ScopedPlatform {
  public:
    explicit ScopedPlatform(const Platform& ports) : saved_(Sys()) { Sys() = ports; }
    ~ScopedPlatform() { Sys() = saved_; }
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

  private:
    Platform saved_;
};

} // namespace tamber
