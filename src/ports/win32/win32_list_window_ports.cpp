#include "ports/win32/win32_list_window_ports.h"

#include <windows.h>

#include <string>

namespace tamber {
namespace {

class HookImpl : public KeyboardHook {
  public:
    bool Install(std::function<void()> onCtrlKey) override {
        Remove();
        handler_ = std::move(onCtrlKey);
        hook_ = SetWindowsHookExA(WH_KEYBOARD_LL, &Proc, GetModuleHandleA(nullptr), 0);
        return hook_ != nullptr;
    }
    void Remove() override {
        if (hook_) UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
        handler_ = nullptr;
    }

  private:
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
        auto& self = static_cast<HookImpl&>(Win32KeyboardHook());
        if (code == HC_ACTION && (GetAsyncKeyState(VK_CONTROL) & 0x8000) && self.handler_)
            self.handler_();
        return CallNextHookEx(self.hook_, code, wp, lp);
    }
    HHOOK hook_ = nullptr;
    std::function<void()> handler_;
};

class LocaleImpl : public Locale {
  public:
    std::uint32_t SystemDefaultLocale() override { return GetSystemDefaultLCID(); }
    // Asks for the length first, then the text without its terminating NUL.
    std::string LocaleInfo(std::uint32_t locale, int item) override {
        int n = GetLocaleInfoA(locale, static_cast<LCTYPE>(item), nullptr, 0);
        if (n <= 0) return {};
        std::string text(static_cast<size_t>(n), '\0');
        GetLocaleInfoA(locale, static_cast<LCTYPE>(item), text.data(), n);
        text.resize(static_cast<size_t>(n - 1));
        return text;
    }
    std::optional<LocalDateTime> ToLocal(std::uint64_t fileTime) override {
        FILETIME utc{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
        FILETIME local;
        SYSTEMTIME st;
        if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st))
            return std::nullopt;
        return LocalDateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute};
    }
    std::string LongDate(int year, int month, int day) override {
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(year);
        st.wMonth = static_cast<WORD>(month);
        st.wDay = static_cast<WORD>(day);
        char buf[256];
        int n = GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, "dddd MMMM d, yyyy", buf, sizeof buf);
        return n > 0 ? std::string(buf, static_cast<size_t>(n - 1)) : std::string();
    }
};

class StackImpl : public WindowStack {
  public:
    void ShowOnTop(WindowHandle window, long left, long top, long width, long height) override {
        SetWindowPos(reinterpret_cast<HWND>(window), HWND_TOP, left, top, width, height,
                     SWP_SHOWWINDOW);
    }
    void Activate(WindowHandle window) override {
        SetForegroundWindow(reinterpret_cast<HWND>(window));
    }
};

class TypingTimeImpl : public TypingTime {
  public:
    std::int64_t NowMs() override { return static_cast<std::int64_t>(GetTickCount64()); }
    // Read each time: the user may change it while the program runs.
    std::int64_t IntervalMs() override { return GetDoubleClickTime(); }
};

} // namespace

KeyboardHook& Win32KeyboardHook() {
    static HookImpl hook;
    return hook;
}
Locale& Win32Locale() {
    static LocaleImpl locale;
    return locale;
}
WindowStack& Win32WindowStack() {
    static StackImpl stack;
    return stack;
}
TypingTime& Win32TypingTime() {
    static TypingTimeImpl typing;
    return typing;
}

} // namespace tamber
