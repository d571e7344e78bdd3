#pragma once
// Helpers for the renderer's tests under Wine: real input and screenshots.
#include <windows.h>

#include <deque>
#include <functional>
#include <string>

namespace tamber::forms::win32::testing {

// A left click at the middle of a window (screen input, as a user's).
void ClickWindow(HWND hwnd);
// A left click at a point of a window's client area.
void ClickAt(HWND hwnd, int x, int y);
// A right click there, with a pause between press and release.
void RightClickAt(HWND hwnd, int x, int y);
// Drops a combo box's list with a click, as a user does (again, up to three times, where a click
// was lost; never while the list is down, which would close it) and clicks the entry at index.
// False when the list did not drop down.
bool PickComboEntry(HWND combo, int index);
// A key pressed and released, with optional modifier keys held (VK_MENU, VK_CONTROL, VK_SHIFT).
void PressKey(WORD vk, WORD modifier = 0);
// Types text as key presses (Shift where the keyboard layout needs it); "\n" presses Enter.
void TypeText(const std::string& text);
// Puts text on the clipboard and presses Ctrl+V.
void Paste(const std::string& text);
// Writes the screen pixels under a window as a 24-bit BMP into the artefacts folder
// (TAMBER_ARTIFACTS, default /work/main/artifacts); returns the path or "" on failure.
std::string SaveScreenshot(HWND hwnd, const std::string& name);
// The colour on the screen at a point of a window's client area.
COLORREF PixelAt(HWND hwnd, int x, int y);

// A visible message box (dialog class) of this process that shows a text, and that text;
// null while there is none.
HWND MessageBoxWithText(std::string* text = nullptr);

// What a user does while modal windows run their own message loops: each step waits until
// its condition holds (checked on a timer in whatever loop runs), then sends its input. A
// step that waits longer than the timeout fails the test and closes every form.
class UserScript {
  public:
    void Then(std::function<bool()> ready, std::function<void()> act);
    void Then(std::function<void()> act) {
        Then([] { return true; }, std::move(act));
    }
    // Starts the timer; run the window afterwards (a modal Show, or Win32Host::Run).
    void Start(int timeoutMs = 20000);
    bool Done() const { return steps_.empty(); }
    bool TimedOut() const { return timedOut_; }

  private:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    std::deque<Step> steps_;
    DWORD waitingSince_ = 0;
    int timeoutMs_ = 20000;
    bool timedOut_ = false;
};

} // namespace tamber::forms::win32::testing
