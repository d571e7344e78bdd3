#include "forms/win32/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "forms/runtime/forms.h"

namespace tamber::forms::win32::testing {

namespace {
// A press and a release at a point of a window's client area, with a pause between them (a
// right press opens a question whose answer the release must not reach).
void ButtonAt(HWND hwnd, int x, int y, DWORD down, DWORD up, DWORD pauseMs) {
    POINT pt{x, y};
    ClientToScreen(hwnd, &pt);
    SetCursorPos(pt.x, pt.y);
    // Each event carries the point: Wine's virtual desktop, where the screenshot suites run,
    // drops a press whose place it has to guess.
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = pt.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        i.mi.dy = pt.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    in[0].mi.dwFlags = down | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].mi.dwFlags = up | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    if (pauseMs == 0) {
        SendInput(2, in, sizeof(INPUT));
        return;
    }
    SendInput(1, &in[0], sizeof(INPUT));
    Sleep(pauseMs);
    SendInput(1, &in[1], sizeof(INPUT));
}
} // namespace

void ClickAt(HWND hwnd, int x, int y) {
    ButtonAt(hwnd, x, y, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 0);
}

void RightClickAt(HWND hwnd, int x, int y) {
    ButtonAt(hwnd, x, y, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 100);
}

bool PickComboEntry(HWND combo, int index) {
    DWORD pid = 0;
    GetWindowThreadProcessId(combo, &pid);
    auto droppedList = [pid] {
        for (HWND w = FindWindowExA(nullptr, nullptr, "ComboLBox", nullptr); w;
             w = FindWindowExA(nullptr, w, "ComboLBox", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pid && IsWindowVisible(w)) return w;
        }
        return HWND{};
    };
    HWND dropped = nullptr;
    for (int tries = 0; tries < 3 && !dropped; ++tries) {
        ClickWindow(combo);
        for (int waited = 0; waited < 3000 && !(dropped = droppedList()); waited += 20)
            Sleep(20);
    }
    if (!dropped) return false;
    SendMessageA(dropped, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    Sleep(100);
    const int top = static_cast<int>(SendMessageA(dropped, LB_GETTOPINDEX, 0, 0));
    const int height = static_cast<int>(SendMessageA(dropped, LB_GETITEMHEIGHT, 0, 0));
    RECT client;
    GetClientRect(dropped, &client);
    ClickAt(dropped, client.right / 2, (index - top) * height + height / 2);
    return true;
}

void ClickWindow(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    ClickAt(hwnd, r.right / 2, r.bottom / 2);
}

void PressKey(WORD vk, WORD modifier) {
    std::vector<INPUT> in;
    auto key = [&](WORD k, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    if (modifier) key(modifier, false);
    key(vk, false);
    key(vk, true);
    if (modifier) key(modifier, true);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

COLORREF PixelAt(HWND hwnd, int x, int y) {
    POINT pt{x, y};
    ClientToScreen(hwnd, &pt);
    HDC dc = GetDC(nullptr);
    COLORREF c = GetPixel(dc, pt.x, pt.y);
    ReleaseDC(nullptr, dc);
    return c;
}

std::string SaveScreenshot(HWND hwnd, const std::string& name) {
    // A window just shown may not have painted all its controls yet: paint it whole first (a
    // window of another program paints in its own time, hence the pause).
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId()) Sleep(300);
    // The window may have gone meanwhile (a progress window ending): no rectangle, no shot.
    RECT r{};
    if (!IsWindowVisible(hwnd) || !GetWindowRect(hwnd, &r)) return "";
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return "";
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp) {
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
        return "";
    }
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const char* dir = std::getenv("TAMBER_ARTIFACTS");
    std::string path = dir && *dir ? dir : "/work/main/artifacts";
    if (path[0] == '/') { // a host path: Wine's Z: drive
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    CreateDirectoryA(path.c_str(), nullptr);
    path += "\\" + name + ".bmp";
    const DWORD stride = ((w * 3 + 3) / 4) * 4, size = stride * h;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + size;
    bool ok = false;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 &&
             std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
             std::fwrite(bits, size, 1, f) == 1;
        std::fclose(f);
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok ? path : "";
}

void TypeText(const std::string& text) {
    for (char c : text) {
        if (c == '\n') {
            PressKey(VK_RETURN);
            continue;
        }
        const SHORT scan = VkKeyScanA(c);
        PressKey(LOBYTE(scan), (HIBYTE(scan) & 1) ? VK_SHIFT : 0);
    }
}

void Paste(const std::string& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
    GlobalUnlock(mem);
    SetClipboardData(CF_TEXT, mem);
    CloseClipboard();
    PressKey('V', VK_CONTROL);
}

namespace {
struct BoxFind {
    HWND box = nullptr;
    std::string text;
};
BOOL CALLBACK ReadStaticText(HWND c, LPARAM lp) {
    char t[1024] = {}, k[16] = {};
    GetWindowTextA(c, t, sizeof t);
    GetClassNameA(c, k, sizeof k);
    if (lstrcmpiA(k, "Static") == 0 && t[0]) *reinterpret_cast<std::string*>(lp) = t;
    return TRUE;
}
BOOL CALLBACK FindBoxWithText(HWND w, LPARAM lp) {
    auto& f = *reinterpret_cast<BoxFind*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || lstrcmpA(cls, "#32770")) return TRUE;
    EnumChildWindows(w, ReadStaticText, reinterpret_cast<LPARAM>(&f.text));
    if (f.text.empty()) return TRUE;
    f.box = w;
    return FALSE;
}
} // namespace

HWND MessageBoxWithText(std::string* text) {
    BoxFind find;
    EnumWindows(FindBoxWithText, reinterpret_cast<LPARAM>(&find));
    if (text) *text = find.text;
    return find.box;
}

namespace {
UserScript* g_script = nullptr;
}

void UserScript::Then(std::function<bool()> ready, std::function<void()> act) {
    steps_.push_back({std::move(ready), std::move(act)});
}

void UserScript::Start(int timeoutMs) {
    g_script = this;
    timeoutMs_ = timeoutMs;
    waitingSince_ = GetTickCount();
    SetTimer(nullptr, 0, 150, Tick);
}

void CALLBACK UserScript::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    UserScript* s = g_script;
    if (!s || s->steps_.empty()) {
        KillTimer(nullptr, id);
        return;
    }
    if (GetTickCount() - s->waitingSince_ > static_cast<DWORD>(s->timeoutMs_)) {
        KillTimer(nullptr, id);
        s->timedOut_ = true;
        s->steps_.clear();
        // Close whatever is open so that the test can report instead of hanging.
        for (Form* f : screen::LoadedForms())
            if (HWND h = reinterpret_cast<HWND>(f->hWnd())) PostMessageA(h, WM_CLOSE, 0, 0);
        return;
    }
    if (!s->steps_.front().ready()) return;
    Step step = std::move(s->steps_.front());
    s->steps_.pop_front();
    s->waitingSince_ = GetTickCount();
    step.act(); // input only: it is handled after this tick, by the loop that runs
}

} // namespace tamber::forms::win32::testing
