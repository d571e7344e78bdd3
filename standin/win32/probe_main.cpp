// standin_probe.exe: registered as an auxiliary command by the tests. Records how it was
// started and where the keyboard focus was at that moment, into probe_ran.txt in its working
// folder, the way the add-on finds its field when ACT! starts it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string ClassOf(HWND w) {
    char name[256] = {};
    if (w) GetClassNameA(w, name, sizeof name);
    return name;
}

std::string Arguments() {
    const char* p = GetCommandLineA();
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != ' ')
            ++p;
    }
    while (*p == ' ')
        ++p;
    return p;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    HWND foreground = GetForegroundWindow();
    HWND focus = nullptr;
    DWORD thread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    if (thread && AttachThreadInput(GetCurrentThreadId(), thread, TRUE)) {
        focus = GetFocus();
        AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    }
    char text[512] = {};
    DWORD_PTR copied = 0;
    if (focus)
        SendMessageTimeoutA(focus, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_NORMAL, 5000, &copied);
    std::string out = "args=" + Arguments() + "\r\ncwd=" + cwd +
                      "\r\nforeground=" + ClassOf(foreground) + "\r\nfocus=" + ClassOf(focus) +
                      " " + std::to_string(focus ? GetDlgCtrlID(focus) : 0) + "\r\ntext=" + text +
                      "\r\n";
    // Written under another name first, so a reader never sees half of it.
    if (FILE* f = std::fopen("probe_ran.tmp", "wb")) {
        std::fputs(out.c_str(), f);
        std::fclose(f);
        MoveFileExA("probe_ran.tmp", "probe_ran.txt", MOVEFILE_REPLACE_EXISTING);
    }
    return 0;
}
