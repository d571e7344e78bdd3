// actctl.exe: drives a running stand-in ACT! from scripts and tests. See standin/README.md.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "win32/channel.h"
#include "win32/late_call.h"

using namespace tamber::standin;

namespace {

std::string g_reply;
bool g_replied = false;

LRESULT CALLBACK ReplyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) {
        auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lp);
        if (cds->dwData == kReplyTag) {
            g_reply.assign(static_cast<const char*>(cds->lpData), cds->cbData);
            g_replied = true;
            return 1;
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

BOOL CALLBACK CollectDesktop(LPSTR name, LPARAM list) {
    reinterpret_cast<std::vector<std::string>*>(list)->push_back(name);
    return TRUE;
}

// The stand-in may run on another desktop of this window station (Wine's virtual desktop);
// the search moves this thread there, which works as long as it owns no window yet.
HWND FindOnAnyDesktop() {
    if (HWND w = FindWindowA(kMainClass, nullptr)) return w;
    std::vector<std::string> desktops;
    EnumDesktopsA(GetProcessWindowStation(), CollectDesktop, reinterpret_cast<LPARAM>(&desktops));
    for (const std::string& name : desktops) {
        HDESK desk = OpenDesktopA(name.c_str(), 0, FALSE, GENERIC_ALL);
        if (!desk) continue;
        if (SetThreadDesktop(desk))
            if (HWND w = FindWindowA(kMainClass, nullptr)) return w;
        CloseDesktop(desk);
    }
    return nullptr;
}

HWND FindStandin(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND w = FindOnAnyDesktop()) return w;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(100);
    }
}

// Registers a program as a command of the Contacts view with the calls, in the order and with
// the arguments, that the add-on's integration window makes: the command itself when it is
// not known yet, then its toolbar button and its Tools-menu entry.
int Integrate(const std::string& name, const std::string& program) {
    size_t slash = program.find_last_of('\\');
    size_t dot = program.find_last_of('.');
    if (slash == std::string::npos || dot == std::string::npos || dot < slash) {
        std::fputs("actctl: integrate needs the program's full path\n", stderr);
        return 2;
    }
    std::string folder = program.substr(0, slash);
    std::string base = folder + "\\" + program.substr(slash + 1, dot - slash - 1);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int rc = 1;
    if (IDispatch* aux = CreateByProgId("ACTOLE.AUXCMDS")) {
        Answer exists, add, toolbar, menu;
        Call(aux, "AuxCommandExists", {Str(name)}, exists);
        if (exists.hr == S_OK && exists.Number() == 0) {
            Call(aux, "AddAuxCommand",
                 {Str(name), Str(base + ".EXE"), Str(folder), Str(name),
                  Str("Click to launch " + name), Str(base + ".ico"), Str(base + "32.ico"), I2(1)},
                 add);
            std::printf("AddAuxCommand = %ld\n", add.Number());
        }
        Call(aux, "AddAuxCommandToToolbar", {I2(1), Str(name)}, toolbar);
        Call(aux, "AddAuxCommandToToolsMenu", {I2(1), Str(name)}, menu);
        std::printf("AddAuxCommandToToolbar = %ld\nAddAuxCommandToToolsMenu = %ld\n",
                    toolbar.Number(), menu.Number());
        if (toolbar.Number() == 0 && menu.Number() == 0) rc = 0;
        aux->Release();
    } else {
        std::fputs("actctl: ACTOLE.AUXCMDS cannot be created\n", stderr);
    }
    CoUninitialize();
    return rc;
}

int Usage() {
    std::fputs("usage: actctl [/timeout seconds] command [arguments]\n"
               "commands: wait | open <path> | close | goto <n> | focus <field> | get <field> |\n"
               "  type <field> <text> | width <field> <pixels> | press toolbar|menu <name> |\n"
               "  lock-gdb | unlock-gdb |\n"
               "  commfail on|off | button-rect <name> | state | quit |\n"
               "  integrate <name> <program path>\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    DWORD timeout = 10000;
    int i = 1;
    if (i + 1 < argc && _stricmp(argv[i], "/timeout") == 0) {
        timeout = static_cast<DWORD>(std::atoi(argv[i + 1])) * 1000;
        i += 2;
    }
    if (i >= argc) return Usage();
    std::vector<std::string> command(argv + i, argv + argc);
    if (command[0] == "integrate") {
        if (command.size() != 3) return Usage();
        return Integrate(command[1], command[2]);
    }

    HWND standin = FindStandin(timeout);
    if (!standin) {
        std::fputs("actctl: the stand-in ACT! is not running\n", stderr);
        return 3;
    }
    if (command[0] == "wait") return 0;

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ReplyProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ActCtlReply";
    RegisterClassExA(&wc);
    HWND reply = CreateWindowExA(0, wc.lpszClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 wc.hInstance, nullptr);
    DWORD start = GetTickCount();
    if (SendText(standin, reply, kCommandTag, JoinFields(command)) == 1) {
        MSG msg;
        while (!g_replied && GetTickCount() - start < timeout + 30000) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        }
    }
    if (!g_replied) {
        std::fputs("actctl: no answer from the stand-in ACT!\n", stderr);
        return 3;
    }
    bool ok = g_reply[0] == '1';
    if (g_reply.size() > 1) std::printf("%s\n", g_reply.c_str() + 1);
    std::fflush(stdout);
    if (!ok) return 1;
    if (command[0] == "quit") {
        // Returns once the stand-in has gone, so a script can start the next one.
        DWORD start = GetTickCount();
        while (IsWindow(standin)) {
            if (GetTickCount() - start >= timeout) return 1;
            Sleep(100);
        }
    }
    return 0;
}
