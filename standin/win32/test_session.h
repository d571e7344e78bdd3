#pragma once
// What a Wine test needs around the stand-in ACT! and the add-on's programs: console programs
// run to their end (actctl among them), files and the add-on's registry settings, and the
// windows of another process found as they appear.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tamber::e2e {

// "/work/x" as Wine's Z: drive sees it.
std::string WinPath(const char* unixPath);
std::string Quote(const std::string& s);

struct ProgramRun {
    DWORD exitCode = 999; // 999: could not be started
    std::string out;      // what it printed
};
ProgramRun RunProgram(const std::string& commandLine, DWORD timeoutMs = 60000);
// Starts the stand-in ACT! with these arguments (see standin/README.md) and waits until it
// answers; its process, or null when it did not start or answer.
HANDLE StartStandin(const std::string& arguments);
// The stand-in's control tool (see standin/README.md) with these arguments.
ProgramRun Ctl(const std::string& args);
// What an end-to-end suite needs once: the sample database copied to db, the stand-in's
// automation objects registered and the "Data" folder beside tamber.exe (paths as the build
// names them). False when the copy or the registration failed.
bool PrepareSuite(const char* sampleDb, const std::string& db, const char* tamberExe);
// Presses the add-on's button on the stand-in's "toolbar" or its entry in the Tools "menu";
// the process it started (also kept in started, for EndAll) and its id, null when none.
HANDLE PressAddOn(const std::string& where, std::vector<HANDLE>& started, DWORD* pid = nullptr);
// Asks the stand-in to quit, ends whatever of these processes still runs and waits until all
// are gone (and closes their handles): a stand-in started next would otherwise meet the old
// one's single-instance lock and hand its work to a window that is going away.
void EndAll(std::vector<HANDLE>& processes);

std::string Slurp(const std::string& path);
// A value of the add-on's "Settings" section; a null value deletes it.
void SetSetting(const char* name, const char* value);

// Polls done until it holds or the time is up; the last answer.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// The first visible top-level window of the process with that caption and class (either may
// be empty: any); null when none appears in time.
HWND WaitForWindow(DWORD pid, const std::string& caption = "", const std::string& cls = "",
                   DWORD timeoutMs = 30000);
// The first visible top-level window of the process that is a message box (class #32770), or
// the first that is not (the add-on's own windows).
HWND WaitForDialog(DWORD pid, DWORD timeoutMs = 10000);
HWND WaitForListWindow(DWORD pid, DWORD timeoutMs = 30000);
bool Ended(HANDLE process, DWORD timeoutMs = 20000);
// What the process shows (its visible top-level windows, a message box's texts), for failure
// messages.
std::string Describe(DWORD pid);
// Puts the cursor in a field of the stand-in's record window, as a click would, trying again
// while the window does not take the focus (it may still be coming to the front); the
// control tool's reply in *reply. False when it never took.
bool FocusField(int fieldId, std::string* reply = nullptr);

// Sends a message whose argument points at data to a window of another process, through a
// buffer in that process (the system copies nothing across processes for the common
// controls), and reads data back.
template <class T> LRESULT SendRemote(HWND w, UINT msg, WPARAM wp, T& data) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    HANDLE p = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, owner);
    if (!p) return 0;
    void* remote = VirtualAllocEx(p, nullptr, sizeof(T) + 512, MEM_COMMIT, PAGE_READWRITE);
    WriteProcessMemory(p, remote, &data, sizeof(T), nullptr);
    LRESULT r = SendMessageA(w, msg, wp, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(p, remote, &data, sizeof(T), nullptr);
    VirtualFreeEx(p, remote, 0, MEM_RELEASE);
    CloseHandle(p);
    return r;
}

} // namespace tamber::e2e
