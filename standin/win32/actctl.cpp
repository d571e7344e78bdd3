// actctl.exe: drives a running stand-in ACT! from scripts and tests. See standin/README.md.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "win32/channel.h"

using namespace tamber::standin;

namespace {

std::string g_reply;

LRESULT CALLBACK ReplyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) {
        auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lp);
        if (cds->dwData == kReplyTag) {
            g_reply.assign(static_cast<const char*>(cds->lpData), cds->cbData);
            return 1;
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND FindStandin(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND w = FindWindowA(kMainClass, nullptr)) return w;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(100);
    }
}

int Usage() {
    std::fputs("usage: actctl [/timeout seconds] command [arguments]\n"
               "commands: wait | open <path> | close | goto <n> | focus <field> | get <field> |\n"
               "  type <field> <text> | press toolbar|menu <name> | lock-gdb | unlock-gdb |\n"
               "  commfail on|off | state | quit\n",
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
    LRESULT result = SendText(standin, reply, kCommandTag, JoinFields(command));
    if (!g_reply.empty()) std::printf("%s\n", g_reply.c_str());
    std::fflush(stdout);
    if (result == 0) {
        std::fputs("actctl: no answer from the stand-in ACT!\n", stderr);
        return 3;
    }
    if (result != 1) return 1;
    if (command[0] == "quit") {
        // Returns once the stand-in has gone, so a script can start the next one.
        DWORD start = GetTickCount();
        while (FindWindowA(kMainClass, nullptr)) {
            if (GetTickCount() - start >= timeout) return 1;
            Sleep(100);
        }
    }
    return 0;
}
