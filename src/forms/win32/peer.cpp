#include "forms/win32/peer.h"

#include <commctrl.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include "forms/win32/form_window.h"

namespace tamber::forms::win32 {

namespace {

TTTOOLINFOA ToolOf(HWND form, HWND control) {
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = form;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    return tool;
}

} // namespace

Win32Peer::~Win32Peer() {
    if (hwnd_ && form_.toolTips && IsWindow(form_.toolTips)) {
        TTTOOLINFOA tool = ToolOf(form_.hwnd, hwnd_);
        SendMessageA(form_.toolTips, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (hwnd_) {
        RemoveWindowSubclass(hwnd_, SubclassProc, 1);
        DestroyWindow(hwnd_);
    }
}

void FormWindow::ClientOrigin(const Control& c, long& left, long& top) {
    left = c.Left(), top = c.Top();
    for (Control* k = c.Container(); k; k = k->Container())
        left += k->Left(), top += k->Top();
}

RECT Win32Peer::PixelRect() const {
    long left = 0, top = 0;
    FormWindow::ClientOrigin(*control_, left, top);
    RECT r;
    r.left = PxX(left);
    r.top = PxY(top);
    r.right = r.left + PxX(control_->Width());
    r.bottom = r.top + PxY(control_->Height());
    return r;
}

void Win32Peer::Create(const char* windowClass, DWORD style, DWORD exStyle) {
    RECT r = PixelRect();
    hwnd_ = CreateWindowExA(exStyle, windowClass, "", WS_CHILD | WS_CLIPSIBLINGS | style, r.left,
                            r.top, r.right - r.left, r.bottom - r.top, form_.hwnd, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    if (!hwnd_) return;
    SetWindowSubclass(hwnd_, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    ApplyAll();
}

void Win32Peer::ApplyAll() {
    for (Prop p : {Prop::Font, Prop::Geometry, Prop::Caption, Prop::Style, Prop::Value,
                   Prop::Enabled, Prop::Visible, Prop::ToolTip})
        Apply(p, -1);
}

HFONT Win32Peer::FontHandle() const {
    return FontFor(control_->GetFont());
}

void Win32Peer::SetText(const std::string& text) {
    applying_ = true;
    SetWindowTextA(hwnd_, text.c_str());
    applying_ = false;
}

void Win32Peer::Apply(Prop prop, int) {
    if (!hwnd_ || !control_) return;
    switch (prop) {
    case Prop::Geometry: {
        RECT r = PixelRect();
        SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    case Prop::Visible:
        ShowWindow(hwnd_, control_->EffectivelyVisible() ? SW_SHOWNA : SW_HIDE);
        break;
    case Prop::Enabled:
        EnableWindow(hwnd_, control_->EffectivelyEnabled());
        break;
    case Prop::Font:
        SendMessageA(hwnd_, WM_SETFONT, (WPARAM)FontHandle(), TRUE);
        break;
    case Prop::ToolTip:
        ApplyToolTip();
        break;
    default:
        break;
    }
}

void Win32Peer::ApplyToolTip() {
    const std::string& text = control_->ToolTipText();
    if (!form_.toolTips) {
        if (text.empty()) return;
        form_.toolTips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form_.hwnd,
                                         nullptr, GetModuleHandleA(nullptr), nullptr);
        if (!form_.toolTips) return;
        // A width limit makes the tip break its lines at "\r\n".
        SendMessageA(form_.toolTips, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    TTTOOLINFOA tool = ToolOf(form_.hwnd, hwnd_);
    const bool known =
        SendMessageA(form_.toolTips, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    tool = ToolOf(form_.hwnd, hwnd_);
    tool.lpszText = const_cast<char*>(text.c_str());
    if (text.empty()) {
        if (known) SendMessageA(form_.toolTips, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        SendMessageA(form_.toolTips, known ? TTM_UPDATETIPTEXTA : TTM_ADDTOOLA, 0,
                     reinterpret_cast<LPARAM>(&tool));
    }
}

void Win32Peer::TakeFocus() {
    if (hwnd_ && GetFocus() != hwnd_) ::SetFocus(hwnd_);
}

int ShiftState() {
    int s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= vb::kShiftMask;
    if (GetKeyState(VK_CONTROL) < 0) s |= vb::kCtrlMask;
    if (GetKeyState(VK_MENU) < 0) s |= vb::kAltMask;
    return s;
}

int ButtonOf(UINT msg, WPARAM wp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        return vb::kLeftButton;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return vb::kRightButton;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return vb::kMiddleButton;
    default:
        return ((wp & MK_LBUTTON) ? vb::kLeftButton : 0) |
               ((wp & MK_RBUTTON) ? vb::kRightButton : 0) |
               ((wp & MK_MBUTTON) ? vb::kMiddleButton : 0);
    }
}

LRESULT Win32Peer::Default(UINT msg, WPARAM wp, LPARAM lp) {
    return DefSubclassProc(hwnd_, msg, wp, lp);
}

LRESULT Win32Peer::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    Control* c = control_;
    if (!c) return Default(msg, wp, lp);
    const double tx = screen::TwipsPerPixelX(), ty = screen::TwipsPerPixelY();
    auto mouse = [&](int which) {
        c->FireMouse(which, ButtonOf(msg, wp), ShiftState(),
                     static_cast<float>(static_cast<short>(LOWORD(lp)) * tx),
                     static_cast<float>(static_cast<short>(HIWORD(lp)) * ty));
    };
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        int code = static_cast<int>(wp);
        c->FireKeyDown(code, ShiftState());
        if (code == 0 || !control_) return 0;
        return Default(msg, static_cast<WPARAM>(code), lp);
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        int code = static_cast<int>(wp);
        c->FireKeyUp(code, ShiftState());
        if (code == 0 || !control_) return 0;
        return Default(msg, static_cast<WPARAM>(code), lp);
    }
    case WM_CHAR: {
        int ascii = static_cast<int>(wp & 0xFF);
        c->FireKeyPress(ascii);
        if (ascii == 0 || !control_) return 0;
        return Default(msg, static_cast<WPARAM>(ascii), lp);
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        mouse(0);
        if (!control_) return 0;
        upPending_ = true;
        LRESULT r = Default(msg, wp, lp);
        // Some controls track the mouse in a loop of their own and never see the button go up.
        if (upPending_ && control_ && GetKeyState(VK_LBUTTON) >= 0 && msg == WM_LBUTTONDOWN) {
            POINT pt;
            GetCursorPos(&pt);
            ScreenToClient(hwnd_, &pt);
            upPending_ = false;
            control_->FireMouse(2, vb::kLeftButton, ShiftState(), static_cast<float>(pt.x * tx),
                                static_cast<float>(pt.y * ty));
        }
        return r;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        LRESULT r = Default(msg, wp, lp);
        if (control_ && (upPending_ || msg != WM_LBUTTONUP)) {
            upPending_ = false;
            mouse(2);
        }
        return r;
    }
    case WM_MOUSEMOVE:
        mouse(1);
        return Default(msg, wp, lp);
    case WM_SETFOCUS:
        c->Parent().FocusChanged(c);
        return Default(msg, wp, lp);
    case WM_SETCURSOR:
        if (screen::MousePointer() == vb::kHourglass || c->MousePointer() == vb::kHourglass ||
            c->Parent().MousePointer() == vb::kHourglass) {
            SetCursor(LoadCursor(nullptr, IDC_WAIT));
            return TRUE;
        }
        return Default(msg, wp, lp);
    default:
        return Default(msg, wp, lp);
    }
}

LRESULT CALLBACK Win32Peer::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                         DWORD_PTR data) {
    auto* self = reinterpret_cast<Win32Peer*>(data);
    FormWindow& owner = self->form_;
    ++owner.busy;
    LRESULT r = 0;
    try {
        r = self->WindowProc(msg, wp, lp);
    } catch (...) {
        EscapedError();
    }
    --owner.busy;
    (void)hwnd;
    return r;
}

namespace {
std::map<std::string, PeerFactory>& Factories() {
    static std::map<std::string, PeerFactory> f;
    return f;
}
} // namespace

void RegisterPeerFactory(const char* kind, PeerFactory factory) {
    Factories()[kind] = factory;
}

PeerFactory FindPeerFactory(const char* kind) {
    auto it = Factories().find(kind);
    return it == Factories().end() ? nullptr : it->second;
}

} // namespace tamber::forms::win32
