// uictl: drives the add-on's windows for the demo tour with real input (SendInput), as a user
// would: finds a window by its caption, clicks its controls, picks combo box entries with the
// mouse, clicks list view cells.
// It works on the Wine virtual desktop named by /desktop (default "Tamberlist", the demo's),
// when there is one, else on its own.
//   uictl [/timeout s] wait <caption>                 waits until the window shows
//   uictl [/timeout s] gone <caption>                 waits until no such window shows
//   uictl click <caption> <class> <text|#n>           clicks a control (by text or nth from top)
//   uictl press <text>                                clicks a button of any window
//   uictl pick <caption> <#n> <entry>                 picks an entry of the nth combo box
//   uictl cell <caption> <row> <column>               clicks a cell of the window's list view
//   uictl pickcell <caption> <entry>                  picks in the combo box lying over the table
//   uictl key <caption> <keys...>                     brings the window forward, types keys:
//                                                     text, or {enter} {tab} {space} {down}
//                                                     {end} {esc} {alt+x} {ctrl+end}
//   uictl rect <caption>                              prints the window's rectangle on the
//                                                     desktop: left top width height
//   uictl errors                                      prints each error box showing (exit 1)
// Exit code 0 done, 1 not found or failed, 2 usage.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "test_session.h"

namespace {

using tamber::e2e::SendRemote;

DWORD timeoutMs = 20000;

struct Search {
    std::string caption;
    HWND found = nullptr;
};
BOOL CALLBACK FindTop(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    char text[256] = {};
    GetWindowTextA(w, text, sizeof text);
    if (IsWindowVisible(w) && s->caption == text) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}
HWND Find(const std::string& caption) {
    Search s{caption};
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}
HWND WaitFor(const std::string& caption) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(100))
        if (HWND w = Find(caption)) return w;
    return nullptr;
}

struct Collect {
    HWND parent;
    std::string cls;
    std::vector<HWND> found;
};
BOOL CALLBACK CollectChild(HWND w, LPARAM lp) {
    auto* c = reinterpret_cast<Collect*>(lp);
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (_stricmp(c->cls.c_str(), cls) == 0 && IsWindowVisible(w)) c->found.push_back(w);
    return TRUE;
}
// Visible controls of a class anywhere in the window, top to bottom, then left to right.
std::vector<HWND> Controls(HWND form, const std::string& cls) {
    Collect c{form, cls, {}};
    EnumChildWindows(form, CollectChild, reinterpret_cast<LPARAM>(&c));
    std::sort(c.found.begin(), c.found.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return c.found;
}
HWND Control(HWND form, const std::string& cls, const std::string& which) {
    auto all = Controls(form, cls);
    if (!which.empty() && which[0] == '#') {
        size_t n = strtoul(which.c_str() + 1, nullptr, 10);
        return n < all.size() ? all[n] : nullptr;
    }
    for (HWND w : all) {
        char t[256] = {};
        GetWindowTextA(w, t, sizeof t);
        if (which == t) return w;
    }
    return nullptr;
}

void Mouse(DWORD flags, LONG x = 0, LONG y = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    SendInput(1, &in, sizeof in);
    Sleep(60);
}
// Each event carries the point: Wine's virtual desktop drops a press whose place it has to guess.
void ClickScreen(LONG x, LONG y, DWORD settleMs = 300) {
    Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
    Sleep(150);
    Mouse(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
    Sleep(80);
    Mouse(MOUSEEVENTF_LEFTUP | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
    Sleep(settleMs);
}
void ClickMiddle(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    ClickScreen((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
    Sleep(30);
}
void Press(WORD vk, WORD modifier = 0) {
    if (modifier) Key(modifier, false);
    Key(vk, false);
    Key(vk, true);
    if (modifier) Key(modifier, true);
    Sleep(60);
}
void TypeText(const std::string& text) {
    for (char c : text) {
        SHORT v = VkKeyScanA(c);
        if (v == -1) continue;
        Press(LOBYTE(v), (HIBYTE(v) & 1) ? VK_SHIFT : 0);
    }
}
bool TypeKeys(const std::string& keys) {
    if (keys.size() < 2 || keys.front() != '{' || keys.back() != '}') {
        TypeText(keys);
        return true;
    }
    std::string name = keys.substr(1, keys.size() - 2);
    WORD modifier = 0;
    if (name.rfind("alt+", 0) == 0) modifier = VK_MENU, name = name.substr(4);
    if (name.rfind("ctrl+", 0) == 0) modifier = VK_CONTROL, name = name.substr(5);
    struct {
        const char* name;
        WORD vk;
    } const named[] = {{"enter", VK_RETURN}, {"tab", VK_TAB},   {"space", VK_SPACE},
                       {"down", VK_DOWN},    {"up", VK_UP},     {"end", VK_END},
                       {"home", VK_HOME},    {"esc", VK_ESCAPE}};
    for (const auto& n : named)
        if (name == n.name) return Press(n.vk, modifier), true;
    if (name.size() == 1) return Press(LOBYTE(VkKeyScanA(name[0])), modifier), true;
    return false;
}

BOOL CALLBACK CollectTop(HWND w, LPARAM lp) {
    if (IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}
std::vector<HWND> TopWindows() {
    std::vector<HWND> found;
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK CollectDropped(HWND w, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (_stricmp(cls, "ComboLBox") == 0 && IsWindowVisible(w))
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}
std::vector<HWND> Dropped() {
    std::vector<HWND> found;
    EnumWindows(CollectDropped, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Picks an entry as a user does with the mouse: a click on the box's button drops its list, the
// wheel brings the entry into view, a click on the entry picks it and folds the list.
bool Pick(HWND combo, const std::string& entry) {
    const int index =
        static_cast<int>(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(entry.c_str())));
    if (index < 0) {
        fprintf(stderr, "no entry %s\n", entry.c_str());
        return false;
    }
    RECT box;
    GetWindowRect(combo, &box);
    // The first press on a window that has just shown may only activate it.
    for (int tries = 0; tries < 3 && !SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0); ++tries)
        ClickScreen(box.right - 8, (box.top + box.bottom) / 2);
    if (!SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) {
        fprintf(stderr, "the list of the box did not drop\n");
        return false;
    }
    // The dropped list is a pop-up of the box's thread; its geometry needs no pointers, which
    // Wine would not carry across processes.
    HWND list = nullptr;
    for (HWND w : Dropped()) {
        if (GetWindowThreadProcessId(w, nullptr) == GetWindowThreadProcessId(combo, nullptr))
            list = w;
    }
    if (!list) {
        fprintf(stderr, "no dropped list found\n");
        return false;
    }
    RECT shown, item{};
    GetClientRect(list, &shown);
    const int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    for (int turns = 0; turns < 50; ++turns) {
        const int top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
        item = {shown.left, (index - top) * height, shown.right, (index - top + 1) * height};
        if (item.top >= shown.top && item.bottom <= shown.bottom) break;
        POINT middle{(shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2};
        ClientToScreen(list, &middle);
        Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, middle.x, middle.y);
        INPUT wheel{};
        wheel.type = INPUT_MOUSE;
        wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
        wheel.mi.mouseData = static_cast<DWORD>(item.top < shown.top ? WHEEL_DELTA : -WHEEL_DELTA);
        SendInput(1, &wheel, sizeof wheel);
        Sleep(150);
    }
    POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list, &at);
    ClickScreen(at.x, at.y);
    Sleep(300);
    const int picked = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
    if (picked != index) fprintf(stderr, "picked entry %d instead of %d\n", picked, index);
    return picked == index;
}

HWND Table(HWND form) {
    auto lists = Controls(form, WC_LISTVIEWA);
    return lists.empty() ? nullptr : lists[0];
}

// A control that a window shows once it has grown (the reference combo box after a type was
// picked, the table): looked for until the timeout.
HWND AwaitControl(HWND form, const std::string& cls, const std::string& which) {
    for (DWORD start = GetTickCount();; Sleep(100)) {
        HWND w = cls == WC_LISTVIEWA ? Table(form) : Control(form, cls, which);
        if (w || GetTickCount() - start >= timeoutMs) return w;
    }
}

// A message box that reports an error: the add-on's ("Tamberlist error", "Error 53: ...") or
// Wine's own when a program crashes ("Program Error").
bool IsErrorBox(HWND w, std::string& text) {
    char cls[64] = {}, caption[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0) return false;
    GetWindowTextA(w, caption, sizeof caption);
    text = caption;
    bool error = false;
    const size_t n = strlen(caption);
    if (n >= 5 && _stricmp(caption + n - 5, "error") == 0) error = true;
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char t[512] = {};
        GetWindowTextA(c, t, sizeof t);
        if (!*t) continue;
        if (strncmp(t, "Error ", 6) == 0 && isdigit(static_cast<unsigned char>(t[6]))) error = true;
        text += std::string(" | ") + t;
    }
    return error;
}

int Usage() {
    fprintf(
        stderr,
        "usage: uictl [/timeout s] wait|gone|rect|click|press|pick|cell|pickcell|key|errors ...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> a(argv + 1, argv + argc);
    if (a.size() >= 2 && a[0] == "/timeout") {
        timeoutMs = static_cast<DWORD>(atoi(a[1].c_str())) * 1000;
        a.erase(a.begin(), a.begin() + 2);
    }
    std::string desktop = "Tamberlist";
    if (a.size() >= 2 && a[0] == "/desktop") {
        desktop = a[1];
        a.erase(a.begin(), a.begin() + 2);
    }
    // Before this thread owns a window, it may move to the desktop that holds the add-on.
    if (HDESK desk = OpenDesktopA(desktop.c_str(), 0, FALSE, GENERIC_ALL)) SetThreadDesktop(desk);
    if (a.size() == 1 && a[0] == "errors") {
        int found = 0;
        for (HWND top : TopWindows()) {
            std::string text;
            if (IsErrorBox(top, text)) {
                for (char& c : text)
                    if (c == '\r' || c == '\n') c = ' ';
                printf("%s\n", text.c_str());
                ++found;
            }
        }
        return found ? 1 : 0;
    }
    if (a.size() < 2) return Usage();
    const std::string& command = a[0];
    if (command == "press") {
        // A button of a window without a caption, such as the drop-down list's.
        for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(100)) {
            for (HWND top : TopWindows()) {
                if (HWND b = Control(top, "Button", a[1])) {
                    ClickMiddle(b);
                    return 0;
                }
            }
        }
        return fprintf(stderr, "no button %s\n", a[1].c_str()), 1;
    }
    if (command == "gone") {
        for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(100))
            if (!Find(a[1])) return 0;
        fprintf(stderr, "still showing: %s\n", a[1].c_str());
        return 1;
    }
    HWND form = WaitFor(a[1]);
    if (!form) {
        fprintf(stderr, "no window %s\n", a[1].c_str());
        return 1;
    }
    if (command == "wait") return 0;
    if (command == "rect") {
        RECT r;
        GetWindowRect(form, &r);
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (command == "click" && a.size() == 4) {
        HWND w = AwaitControl(form, a[2], a[3]);
        if (!w) return fprintf(stderr, "no %s %s\n", a[2].c_str(), a[3].c_str()), 1;
        ClickMiddle(w);
        return 0;
    }
    if (command == "pick" && a.size() == 4) {
        HWND combo = AwaitControl(form, "ComboBox", a[2]);
        if (!combo) return fprintf(stderr, "no combo box %s\n", a[2].c_str()), 1;
        return Pick(combo, a[3]) ? 0 : 1;
    }
    if (command == "cell" && a.size() == 4) {
        HWND table = AwaitControl(form, WC_LISTVIEWA, "");
        if (!table) return fprintf(stderr, "no table\n"), 1;
        RECT r{};
        r.top = atoi(a[3].c_str());
        r.left = LVIR_BOUNDS;
        SendRemote(table, LVM_GETSUBITEMRECT, static_cast<WPARAM>(atoi(a[2].c_str())), r);
        MapWindowPoints(table, nullptr, reinterpret_cast<POINT*>(&r), 2);
        // A list view waits to tell a click from the start of a drag before it acts.
        ClickScreen((r.left + r.right) / 2, (r.top + r.bottom) / 2, 400);
        return 0;
    }
    if (command == "pickcell" && a.size() == 3) {
        // The cell editor: the visible combo box that lies over the table. The list view waits
        // to tell a click from a drag before the editor shows.
        HWND table = Table(form);
        if (!table) return fprintf(stderr, "no table\n"), 1;
        RECT t;
        GetWindowRect(table, &t);
        for (DWORD start = GetTickCount(); GetTickCount() - start < 3000; Sleep(100)) {
            for (HWND c : Controls(form, "ComboBox")) {
                RECT r;
                GetWindowRect(c, &r);
                if (r.top >= t.top && r.top < t.bottom) return Pick(c, a[2]) ? 0 : 1;
            }
        }
        return fprintf(stderr, "no editor over the table\n"), 1;
    }
    if (command == "key") {
        SetForegroundWindow(form);
        Sleep(200);
        for (size_t i = 2; i < a.size(); ++i)
            if (!TypeKeys(a[i])) return fprintf(stderr, "unknown key %s\n", a[i].c_str()), 2;
        return 0;
    }
    return Usage();
}
