#include "forms/win32/win32_host.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <utility>

#include "common/error_report.h"
#include "common/program_end.h"
#include "forms/win32/form_window.h"
#include "ports/dialogs.h"

namespace tamber::forms::win32 {

void RegisterStandardPeers();

namespace {

constexpr char kFormClass[] = "TamberForm";
constexpr char kOwnerClass[] = "TamberOwner";
Win32Host* g_host = nullptr;

// The model's peer slot forwards to the peer the form window owns, so that an unloaded form's
// windows can outlive their controls until no window procedure of theirs is running.
class PeerProxy : public ControlPeer {
  public:
    explicit PeerProxy(Win32Peer* p) : p_(p) {}
    void Apply(Prop prop, int index) override { p_->Apply(prop, index); }
    void Pull(Prop prop) override { p_->Pull(prop); }
    void TakeFocus() override { p_->TakeFocus(); }

  private:
    Win32Peer* p_;
};

DWORD StyleOf(const Form& f, DWORD& ex) {
    ex = 0;
    DWORD s = 0; // no WS_CLIPCHILDREN: group boxes leave their inside to the form
    const bool box = f.ControlBox();
    switch (f.BorderStyle()) {
    case vb::kBsNone:
        s |= WS_POPUP;
        break;
    case vb::kFixedSingle:
        s |= WS_OVERLAPPED | WS_CAPTION | WS_BORDER;
        break;
    case vb::kSizable:
        s |= WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
        break;
    case vb::kFixedDialog:
        s |= WS_POPUP | WS_CAPTION | WS_DLGFRAME;
        ex |= WS_EX_DLGMODALFRAME;
        break;
    case vb::kFixedToolWindow:
        s |= WS_POPUP | WS_CAPTION;
        ex |= WS_EX_TOOLWINDOW;
        break;
    case vb::kSizableToolWindow:
        s |= WS_POPUP | WS_CAPTION | WS_THICKFRAME;
        ex |= WS_EX_TOOLWINDOW;
        break;
    }
    if (f.BorderStyle() != vb::kBsNone && box) {
        s |= WS_SYSMENU;
        if (f.BorderStyle() == vb::kFixedSingle || f.BorderStyle() == vb::kSizable) {
            if (f.MinButton()) s |= WS_MINIMIZEBOX;
            if (f.MaxButton()) s |= WS_MAXIMIZEBOX;
        }
    }
    if (f.BorderStyle() == vb::kBsNone && !f.ShowInTaskbar()) ex |= WS_EX_TOOLWINDOW;
    if (f.TopMost()) ex |= WS_EX_TOPMOST;
    return s;
}

FormWindow* FromHwnd(HWND h) {
    if (!h) return nullptr;
    char cls[32] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (std::strcmp(cls, kFormClass) != 0) return nullptr;
    return reinterpret_cast<FormWindow*>(GetWindowLongPtrA(h, GWLP_USERDATA));
}

FormWindow* Of(const Form& f) {
    return static_cast<FormWindow*>(f.HostData());
}

void CallSetProcessDpiAware() {
    using Fn = BOOL(WINAPI*)();
    if (HMODULE u = GetModuleHandleA("user32.dll"))
        if (auto fn = reinterpret_cast<Fn>(
                reinterpret_cast<void*>(GetProcAddress(u, "SetProcessDPIAware"))))
            fn();
}

[[noreturn]] void ExitOnEnd() {
    ExitProcess(0);
}

// The innermost visible, enabled frame under a point of the client area (pixels).
Frame* FrameAt(const FormWindow& fw, POINT at) {
    Frame* found = nullptr;
    long foundArea = 0;
    for (Control* c : fw.form->Controls()) {
        auto* frame = dynamic_cast<Frame*>(c);
        if (!frame || !frame->EffectivelyVisible() || !frame->EffectivelyEnabled()) continue;
        long left = 0, top = 0;
        FormWindow::ClientOrigin(*frame, left, top);
        const RECT r{PxX(left), PxY(top), PxX(left) + PxX(frame->Width()),
                     PxY(top) + PxY(frame->Height())};
        const long area = (r.right - r.left) * (r.bottom - r.top);
        if (PtInRect(&r, at) && (!found || area < foundArea)) found = frame, foundArea = area;
    }
    return found;
}

} // namespace

// Message boxes owned by the active form, with VB's style values (they equal MB_ values).
class Win32Dialogs : public Dialogs {
  public:
    int MsgBox(const std::string& prompt, int style, const std::string& title) override {
        if (g_host) g_host->HideLeftWindows();
        HWND owner = nullptr;
        if (Form* f = screen::ActiveForm(); f && f->Visible()) owner = Win32Host::WindowOf(*f);
        UINT flags = static_cast<UINT>(style) | (owner ? 0 : MB_TASKMODAL);
        return MessageBoxA(owner, prompt.c_str(), title.c_str(), flags);
    }
};

// The first visible, enabled top-level window of another program below this one becomes the
// foreground window. From a thread of its own, not waited for: that program may be waiting on
// this one (an automation call into its event sink), and the process is about to end anyway.
static DWORD WINAPI ActivateWindow(void* window) {
    SetForegroundWindow(static_cast<HWND>(window));
    return 0;
}
static void ActivateNextBelow(HWND hwnd) {
    const DWORD self = GetCurrentProcessId();
    for (HWND w = GetWindow(hwnd, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid != self && IsWindowVisible(w) && IsWindowEnabled(w) && !GetWindow(w, GW_OWNER)) {
            if (HANDLE t = CreateThread(nullptr, 0, ActivateWindow, w, 0, nullptr)) CloseHandle(t);
            return;
        }
    }
}

// ---- helpers shared with the peers ----

HFONT FontFor(const Font& font) {
    static std::map<std::tuple<std::string, long, bool, bool, bool>, HFONT> cache;
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    const long height = -std::lround(font.size * dpi / 72.0);
    auto key = std::make_tuple(font.name, height, font.bold, font.italic, font.underline);
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.italic;
    lf.lfUnderline = font.underline;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, font.name.c_str(), LF_FACESIZE);
    HFONT h = CreateFontIndirectA(&lf);
    cache[key] = h;
    return h;
}

int PxX(double twips) {
    return static_cast<int>(std::lround(twips / screen::TwipsPerPixelX()));
}
int PxY(double twips) {
    return static_cast<int>(std::lround(twips / screen::TwipsPerPixelY()));
}

COLORREF ColorOf(long vbColor) {
    const unsigned long v = static_cast<unsigned long>(vbColor);
    if (v & 0x80000000UL) return GetSysColor(static_cast<int>(v & 0xFF));
    return static_cast<COLORREF>(v & 0xFFFFFF);
}

void EscapedError() {
    try {
        throw;
    } catch (const ProgramEnded&) {
        ExitProcess(0);
    } catch (...) {
        // An error no event procedure handled ends the program, as the run time does.
        VbError e = ToVbError(std::current_exception());
        AppDialogs().MsgBox("Run-time error '" + std::to_string(e.number()) + "':\r\n\r\n" +
                                e.description(),
                            mb::kCritical, AppTitle());
        ExitProcess(1);
    }
}

// ---- host ----

Win32Host::Win32Host() {
    CallSetProcessDpiAware();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS |
                                             ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    HDC dc = GetDC(nullptr);
    tppX_ = 1440.0 / GetDeviceCaps(dc, LOGPIXELSX);
    tppY_ = 1440.0 / GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);

    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FormProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    RegisterClassExA(&wc);
    WNDCLASSEXA oc{};
    oc.cbSize = sizeof oc;
    oc.lpfnWndProc = DefWindowProcA;
    oc.hInstance = inst;
    oc.lpszClassName = kOwnerClass;
    RegisterClassExA(&oc);
    // Owner of forms kept off the task bar.
    hiddenOwner_ =
        CreateWindowExA(0, kOwnerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst, nullptr);

    RegisterStandardPeers();
    dialogs_ = std::make_unique<Win32Dialogs>();
    SetAppDialogs(dialogs_.get());
    SetEndProgramHandler(ExitOnEnd);
    g_host = this;
    SetHost(this);
}

Win32Host::~Win32Host() {
    for (auto& fw : live_)
        if (fw->form) fw->form->SetHostData(nullptr);
    bool leftToExit = false;
    for (auto* list : {&live_, &graveyard_})
        for (auto& fw : *list) {
            for (Control* c : fw->form ? fw->form->Controls() : std::vector<Control*>{})
                c->DetachPeer();
            fw->peers.clear();
            leftToExit = leftToExit || fw->leftToExit;
            if (fw->hwnd && !fw->leftToExit) DestroyWindow(fw->hwnd);
        }
    // Destroying the owner would destroy the windows it owns.
    if (hiddenOwner_ && !leftToExit) DestroyWindow(hiddenOwner_);
    SetHost(nullptr);
    SetAppDialogs(nullptr);
    SetEndProgramHandler(nullptr);
    g_host = nullptr;
}

HWND Win32Host::WindowOf(const Form& form) {
    FormWindow* fw = Of(form);
    return fw ? fw->hwnd : nullptr;
}

HWND Win32Host::WindowOf(const Control& control) {
    FormWindow* fw = Of(control.Parent());
    Win32Peer* p = fw ? fw->PeerOf(&control) : nullptr;
    return p ? p->Hwnd() : nullptr;
}

void Win32Host::NonClientTwips(const Form& form, long& width, long& height) const {
    DWORD ex = 0;
    DWORD style = StyleOf(form, ex);
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, style, !form.Menus().empty(), ex);
    width = std::lround((r.right - r.left) * tppX_);
    height = std::lround((r.bottom - r.top) * tppY_);
}

void Win32Host::CreateForm(Form& form) {
    HideLeftWindows();
    auto owned = std::make_unique<FormWindow>();
    FormWindow& fw = *owned;
    fw.form = &form;
    form.SetHostData(&fw);
    live_.push_back(std::move(owned));

    DWORD ex = 0;
    DWORD style = StyleOf(form, ex);
    HWND owner = form.ShowInTaskbar() ? nullptr : hiddenOwner_;
    fw.syncing = true;
    CreateWindowExA(ex, kFormClass, form.Caption().c_str(), style, PxX(form.Left()),
                    PxY(form.Top()), PxX(form.Width()), PxY(form.Height()), owner, nullptr,
                    GetModuleHandleA(nullptr), &fw);
    fw.syncing = false;
    BuildMenus(fw);
    for (Control* c : form.Controls()) {
        PeerFactory make = FindPeerFactory(c->Kind());
        if (!make) continue;
        std::unique_ptr<Win32Peer> peer = make(*c, fw);
        fw.byControl[c] = peer.get();
        c->AttachPeer(std::make_unique<PeerProxy>(peer.get()));
        fw.peers.push_back(std::move(peer));
    }
    // New children go under the older ones: frames go back under everything they hold.
    for (Control* c : form.Controls())
        if (dynamic_cast<Frame*>(c))
            if (Win32Peer* p = fw.PeerOf(c); p && p->Hwnd())
                SetWindowPos(p->Hwnd(), HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (form.Icon()) ApplyForm(form, FormProp::Icon);
}

void Win32Host::DestroyForm(Form& form) {
    FormWindow* fw = Of(form);
    if (!fw) return;
    for (Control* c : form.Controls())
        c->DetachPeer();
    for (auto& p : fw->peers)
        p->Detach();
    for (size_t i = 0; i < fw->timers.size(); ++i)
        KillTimer(fw->hwnd, i + 1);
    fw->form = nullptr;
    form.SetHostData(nullptr);
    // Owners come back first, so the platform activates them and not another program.
    for (HWND h : fw->disabledByModal)
        EnableWindow(h, TRUE);
    fw->disabledByModal.clear();
    fw->leftToExit = endWithLastForm_ && screen::LoadedForms().empty();
    if (!fw->leftToExit) {
        ShowWindow(fw->hwnd, SW_HIDE);
    } else if (GetForegroundWindow() == fw->hwnd) {
        // What hiding would do: the window below takes the foreground (and its focus) back.
        ActivateNextBelow(fw->hwnd);
    }
    auto it = std::find_if(live_.begin(), live_.end(), [&](auto& p) { return p.get() == fw; });
    if (it != live_.end()) {
        graveyard_.push_back(std::move(*it));
        live_.erase(it);
    }
}

void Win32Host::HideLeftWindows() {
    for (auto& fw : graveyard_)
        if (fw->leftToExit) {
            fw->leftToExit = false;
            ShowWindow(fw->hwnd, SW_HIDE);
        }
}

void Win32Host::FlushGraveyard() {
    for (auto it = graveyard_.begin(); it != graveyard_.end();) {
        FormWindow& fw = **it;
        if (fw.busy > 0 || fw.leftToExit) {
            ++it;
            continue;
        }
        fw.peers.clear();
        if (fw.hwnd) DestroyWindow(fw.hwnd);
        if (fw.menu) DestroyMenu(fw.menu);
        it = graveyard_.erase(it);
    }
}

void Win32Host::BuildMenus(FormWindow& fw) {
    Form& form = *fw.form;
    HMENU old = fw.menu;
    fw.menu = nullptr;
    fw.menuIds = form.AllMenus();
    fw.popups.clear();
    if (!form.Menus().empty()) {
        auto idOf = [&](Menu* m) {
            auto at = std::find(fw.menuIds.begin(), fw.menuIds.end(), m) - fw.menuIds.begin();
            return static_cast<UINT_PTR>(kFirstMenuId + at);
        };
        std::function<void(HMENU, const std::vector<Menu*>&)> fill = [&](HMENU into,
                                                                         const auto& items) {
            for (Menu* m : items) {
                if (!m->Visible()) continue;
                UINT flags = (m->Enabled() ? MF_ENABLED : MF_GRAYED) |
                             (m->Checked() ? MF_CHECKED : MF_UNCHECKED);
                if (m->IsSeparator()) {
                    AppendMenuA(into, MF_SEPARATOR, 0, nullptr);
                } else if (!m->Children().empty()) {
                    HMENU sub = CreatePopupMenu();
                    fw.popups[sub] = m;
                    fill(sub, m->Children());
                    AppendMenuA(into, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub),
                                m->Caption().c_str());
                } else {
                    AppendMenuA(into, flags | MF_STRING, idOf(m), m->Caption().c_str());
                }
            }
        };
        fw.menu = CreateMenu();
        fill(fw.menu, form.Menus());
    }
    SetMenu(fw.hwnd, fw.menu);
    if (old) DestroyMenu(old);
    DrawMenuBar(fw.hwnd);
}

void Win32Host::ApplyTopMost(FormWindow& fw) {
    Form& f = *fw.form;
    // Place and size go with the z-order change, converted from twips.
    fw.syncing = true;
    SetWindowPos(fw.hwnd, f.TopMost() ? HWND_TOPMOST : HWND_NOTOPMOST, PxX(f.Left()), PxY(f.Top()),
                 PxX(f.Width()), PxY(f.Height()), f.Visible() ? SWP_SHOWWINDOW : SWP_NOACTIVATE);
    fw.syncing = false;
}

void Win32Host::ApplyForm(Form& form, FormProp prop) {
    FormWindow* fw = Of(form);
    if (!fw || !fw->hwnd) return;
    switch (prop) {
    case FormProp::Geometry:
        fw->syncing = true;
        SetWindowPos(fw->hwnd, nullptr, PxX(form.Left()), PxY(form.Top()), PxX(form.Width()),
                     PxY(form.Height()), SWP_NOZORDER | SWP_NOACTIVATE);
        fw->syncing = false;
        break;
    case FormProp::Caption:
        SetWindowTextA(fw->hwnd, form.Caption().c_str());
        break;
    case FormProp::Visible:
        if (!form.Visible()) {
            for (HWND h : fw->disabledByModal)
                EnableWindow(h, TRUE);
            fw->disabledByModal.clear();
            ShowWindow(fw->hwnd, SW_HIDE);
        }
        break;
    case FormProp::Enabled:
        EnableWindow(fw->hwnd, form.Enabled());
        break;
    case FormProp::Style: {
        DWORD ex = 0;
        DWORD style = StyleOf(form, ex);
        DWORD visible = GetWindowLongA(fw->hwnd, GWL_STYLE) & WS_VISIBLE;
        SetWindowLongA(fw->hwnd, GWL_STYLE, static_cast<LONG>(style | visible));
        SetWindowLongA(fw->hwnd, GWL_EXSTYLE, static_cast<LONG>(ex & ~WS_EX_TOPMOST));
        SetWindowPos(fw->hwnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        ApplyTopMost(*fw);
        break;
    }
    case FormProp::TopMost:
        ApplyTopMost(*fw);
        break;
    case FormProp::Icon: {
        HICON icon = form.Icon()
                         ? LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(form.Icon()))
                         : nullptr;
        SendMessageA(fw->hwnd, WM_SETICON, ICON_BIG, (LPARAM)icon);
        SendMessageA(fw->hwnd, WM_SETICON, ICON_SMALL, (LPARAM)icon);
        break;
    }
    case FormProp::Menus:
        if (fw->inMenu)
            fw->menusStale = true;
        else
            BuildMenus(*fw);
        break;
    case FormProp::MousePointer:
        break; // read at WM_SETCURSOR
    }
}

void Win32Host::ShowForm(Form& form, bool modal) {
    FormWindow* fw = Of(form);
    if (!fw) return;
    if (!fw->shownOnce) {
        fw->shownOnce = true;
        if (form.CenterOnScreen()) {
            RECT work;
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
            form.Move(std::lround(((work.left + work.right) * tppX_ - form.Width()) / 2),
                      std::lround(((work.top + work.bottom) * tppY_ - form.Height()) / 2),
                      form.Width(), form.Height());
        }
    }
    Form* previous = screen::ActiveForm();
    HWND previousHwnd = previous ? WindowOf(*previous) : nullptr;
    std::vector<HWND> disabled;
    if (modal) {
        for (Form* other : screen::LoadedForms())
            if (other != &form)
                if (HWND h = WindowOf(*other); h && IsWindowEnabled(h)) {
                    EnableWindow(h, FALSE);
                    disabled.push_back(h);
                }
        fw->disabledByModal = disabled;
        if (previousHwnd) SetWindowLongPtrA(fw->hwnd, GWLP_HWNDPARENT, (LONG_PTR)previousHwnd);
    }
    ShowWindow(fw->hwnd, SW_SHOW);
    SetForegroundWindow(fw->hwnd);
    if (screen::ActiveForm() != &form && GetActiveWindow() == fw->hwnd) form.Activated();
    if (!modal) return;

    // The nested loop of a modal show: until the form is hidden or unloaded.
    while (form.Loaded() && form.Visible()) {
        MSG msg;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        Process(msg);
    }
    for (HWND h : disabled)
        EnableWindow(h, TRUE);
    if (previous && previous->Loaded() && previous->Visible() && previousHwnd)
        SetForegroundWindow(previousHwnd);
}

void Win32Host::FocusControl(Control& control) {
    if (ControlPeer* p = control.Peer()) p->TakeFocus();
}

void Win32Host::ApplyScreenPointer(int pointer) {
    SetCursor(LoadCursor(nullptr, pointer == vb::kHourglass ? IDC_WAIT : IDC_ARROW));
}

bool Win32Host::PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN ||
        (msg.wParam != VK_TAB && msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE))
        return false;
    FormWindow* fw = FromHwnd(GetAncestor(msg.hwnd, GA_ROOT));
    if (!fw || !fw->form) return false;
    // An open drop-down list takes Enter and Esc itself.
    char cls[16] = {};
    HWND focus = GetFocus();
    HWND combo = focus ? GetParent(focus) : nullptr;
    for (HWND h : {focus, combo})
        if (h && GetClassNameA(h, cls, sizeof cls) && lstrcmpiA(cls, "ComboBox") == 0 &&
            SendMessageA(h, CB_GETDROPPEDSTATE, 0, 0))
            return false;
    ++fw->busy;
    bool handled = false;
    try {
        handled = fw->form->DialogKey(static_cast<int>(msg.wParam), ShiftState());
    } catch (...) {
        EscapedError();
    }
    --fw->busy;
    return handled;
}

void Win32Host::Process(MSG& msg) {
    if (!PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    FlushGraveyard();
}

void Win32Host::DoEvents() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Process(msg);
    }
}

bool Win32Host::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!done()) {
        if (GetTickCount64() >= end) return false;
        DoEvents();
        if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

int Win32Host::Run() {
    while (!screen::LoadedForms().empty()) {
        MSG msg;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) return got == 0 ? static_cast<int>(msg.wParam) : 1;
        Process(msg);
    }
    FlushGraveyard();
    return 0;
}

LRESULT CALLBACK Win32Host::FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        auto* fw = static_cast<FormWindow*>(cs->lpCreateParams);
        fw->hwnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(fw));
    }
    auto* fw = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!fw || !fw->form || !g_host) return DefWindowProcA(hwnd, msg, wp, lp);
    ++fw->busy;
    LRESULT r = 0;
    bool handled = false;
    try {
        r = g_host->HandleFormMessage(*fw, msg, wp, lp, handled);
    } catch (...) {
        EscapedError();
    }
    --fw->busy;
    return handled ? r : DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT Win32Host::HandleFormMessage(FormWindow& fw, UINT msg, WPARAM wp, LPARAM lp,
                                     bool& handled) {
    Form& form = *fw.form;
    auto peerOf = [&](HWND child) -> Win32Peer* {
        for (auto& p : fw.peers)
            if (p->Hwnd() == child) return p.get();
        return nullptr;
    };
    handled = true;
    switch (msg) {
    case WM_COMMAND:
        if (lp) {
            if (Win32Peer* p = peerOf(reinterpret_cast<HWND>(lp))) p->OnCommand(HIWORD(wp));
        } else if (HIWORD(wp) == 0 && LOWORD(wp) >= kFirstMenuId &&
                   LOWORD(wp) < kFirstMenuId + fw.menuIds.size()) {
            fw.menuIds[LOWORD(wp) - kFirstMenuId]->FireClick();
        }
        return 0;
    case WM_ENTERMENULOOP:
        fw.inMenu = true;
        handled = false;
        return 0;
    case WM_EXITMENULOOP:
        fw.inMenu = false;
        if (fw.menusStale && fw.form) {
            fw.menusStale = false;
            BuildMenus(fw);
        }
        handled = false;
        return 0;
    case WM_INITMENUPOPUP:
        // A menu with entries raises its Click as it drops down.
        if (!HIWORD(lp)) {
            auto it = fw.popups.find(reinterpret_cast<HMENU>(wp));
            if (it != fw.popups.end()) it->second->FireClick();
        }
        handled = false;
        return 0;
    case WM_LBUTTONDOWN:
        fw.leftDown = true;
        handled = false;
        return 0;
    case WM_LBUTTONUP:
        // What lies under the mouse here is the window itself, a frame (group boxes let the
        // mouse through to their parent) or a disabled control: the frame or the window clicks.
        if (std::exchange(fw.leftDown, false)) {
            const POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            if (Frame* frame = FrameAt(fw, at))
                frame->FireClick();
            else if (form.Enabled())
                form.Form_Click();
        }
        handled = false;
        return 0;
    case WM_NOTIFY: {
        auto* n = reinterpret_cast<NMHDR*>(lp);
        LRESULT result = 0;
        if (Win32Peer* p = peerOf(n->hwndFrom); p && p->OnNotify(n, result)) return result;
        handled = false;
        return 0;
    }
    case WM_DRAWITEM: {
        auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (Win32Peer* p = peerOf(d->hwndItem); p && p->OnDrawItem(d)) return TRUE;
        handled = false;
        return 0;
    }
    case WM_MEASUREITEM: {
        // Sent while an owner-drawn list is being created: the entry height of its font.
        auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        HDC dc = GetDC(fw.hwnd);
        HGDIOBJ old = SelectObject(dc, FontFor(Font{}));
        TEXTMETRICA tm;
        GetTextMetricsA(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(fw.hwnd, dc);
        m->itemHeight = static_cast<UINT>(tm.tmHeight);
        return TRUE;
    }
    case WM_TIMER:
        if (wp >= 1 && wp <= fw.timers.size()) {
            Timer* t = fw.timers[wp - 1];
            if (t->Running()) t->FireTimer();
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) {
            form.Activated();
            if (fw.form && form.ActiveControl()) {
                if (ControlPeer* p = form.ActiveControl()->Peer()) p->TakeFocus();
                return 0;
            }
        }
        handled = false;
        return 0;
    case WM_SETFOCUS:
        if (Control* c = form.ActiveControl())
            if (ControlPeer* p = c->Peer()) {
                p->TakeFocus();
                return 0;
            }
        handled = false;
        return 0;
    case WM_CLOSE:
        form.Unload(vb::kFormControlMenu);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(fw.hwnd, &ps);
        for (Control* c : form.Controls())
            if (auto* line = dynamic_cast<Line*>(c); line && line->EffectivelyVisible()) {
                HPEN pen = CreatePen(PS_SOLID, 1, ColorOf(line->BorderColor()));
                HGDIOBJ old = SelectObject(dc, pen);
                MoveToEx(dc, PxX(line->X1()), PxY(line->Y1()), nullptr);
                LineTo(dc, PxX(line->X2()), PxY(line->Y2()));
                SelectObject(dc, old);
                DeleteObject(pen);
            }
        EndPaint(fw.hwnd, &ps);
        return 0;
    }
    case WM_WINDOWPOSCHANGED: {
        if (!fw.syncing) {
            RECT r;
            GetWindowRect(fw.hwnd, &r);
            auto keep = [](long twips, int px, double tpp) {
                return std::lround(twips / tpp) == px ? twips : std::lround(px * tpp);
            };
            form.SyncGeometry(keep(form.Left(), r.left, tppX_), keep(form.Top(), r.top, tppY_),
                              keep(form.Width(), r.right - r.left, tppX_),
                              keep(form.Height(), r.bottom - r.top, tppY_));
        }
        handled = false;
        return 0;
    }
    case WM_SETCURSOR:
        if (screen::MousePointer() == vb::kHourglass || form.MousePointer() == vb::kHourglass) {
            SetCursor(LoadCursor(nullptr, IDC_WAIT));
            return TRUE;
        }
        handled = false;
        return 0;
    default:
        handled = false;
        return 0;
    }
}

} // namespace tamber::forms::win32
