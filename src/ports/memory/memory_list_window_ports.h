#pragma once
// Portable stand-ins for the list window's platform: a keyboard hook driven by the test, a
// fixed English locale over UTC plus an offset, a record of windows put on top, and a typing
// clock the test moves.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ports/keyboard_hook.h"
#include "ports/locale.h"
#include "ports/typing_time.h"
#include "ports/window_stack.h"

namespace tamber {

class MemoryKeyboardHook : public KeyboardHook {
  public:
    bool refuse = false; // Install fails
    bool Install(std::function<void()> onCtrlKey) override;
    void Remove() override;
    bool Installed() const { return static_cast<bool>(handler_); }
    int installs = 0, removals = 0;
    // A keyboard event anywhere on the desktop, with Control down or not.
    void Key(bool ctrlDown);

  private:
    std::function<void()> handler_;
};

class FixedLocale : public Locale {
  public:
    std::string separator = ";";
    int offsetMinutes = 0; // local time = UTC + offset
    bool failConversion = false;
    std::uint32_t SystemDefaultLocale() override { return 0x0409; }
    std::string LocaleInfo(std::uint32_t, int item) override { return item == 12 ? separator : ""; }
    std::optional<LocalDateTime> ToLocal(std::uint64_t fileTime) override;
    std::string LongDate(int year, int month, int day) override;
};

// File time of a UTC moment, for tests.
std::uint64_t FileTimeOf(int year, int month, int day, int hour, int minute);

class RecordingWindowStack : public WindowStack {
  public:
    struct Call {
        WindowHandle window;
        long left, top, width, height;
    };
    std::vector<Call> calls;
    // What the system does next, such as activating the window shown.
    std::function<void(WindowHandle)> onShow;
    void ShowOnTop(WindowHandle window, long left, long top, long width, long height) override {
        calls.push_back({window, left, top, width, height});
        if (onShow) onShow(window);
    }
    std::vector<WindowHandle> activated;
    void Activate(WindowHandle window) override { activated.push_back(window); }
};

// Time stands still until the test moves it, so characters typed one after the other make one
// search text unless the test waits longer than the interval.
class ManualTypingTime : public TypingTime {
  public:
    std::int64_t nowMs = 0;
    std::int64_t intervalMs = 500; // the platform's default double-click time
    std::int64_t NowMs() override { return nowMs; }
    std::int64_t IntervalMs() override { return intervalMs; }
    void Wait() { nowMs += intervalMs + 1; } // a pause that starts a new search text
};

} // namespace tamber
