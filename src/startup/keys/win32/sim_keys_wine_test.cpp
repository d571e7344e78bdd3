// Synthetic keystrokes reach the focused edit box of the test's own window.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "common/scripted_dialogs.h"
#include "ports/platform.h"
#include "ports/win32/win32_keyboard.h"
#include "startup/keys/sim_keys.h"

namespace tamber {
namespace {

class SimKeysWineTest : public ::testing::Test {
  protected:
    ScopedPlatform sys{{.keyboard = &Win32Keyboard()}};
    void SetUp() override {
        top = CreateWindowExA(0, "#32770", "Keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 300,
                              120, nullptr, nullptr, nullptr, nullptr);
        edit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 250, 22,
                               top, nullptr, nullptr, nullptr);
        SetForegroundWindow(top);
        SetFocus(edit);
        Pump(200);
    }
    void TearDown() override { DestroyWindow(top); }

    static void Pump(DWORD ms) {
        const DWORD end = GetTickCount() + ms;
        MSG msg;
        while (GetTickCount() < end) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            Sleep(10);
        }
    }

    // Pumps until the edit box holds `expected` or five seconds pass.
    std::string WaitForText(const std::string& expected) {
        for (int i = 0; i < 50 && Text() != expected; ++i)
            Pump(100);
        return Text();
    }
    std::string Text() const {
        char buffer[256] = {};
        GetWindowTextA(edit, buffer, sizeof buffer);
        return buffer;
    }

    ScriptedDialogs dialogs;
    ScopedDialogs scoped{dialogs};
    HWND top = nullptr, edit = nullptr;
};

TEST_F(SimKeysWineTest, TypedTextArrivesInTheFocusedEditBox) {
    ASSERT_EQ(GetFocus(), edit);
    MySendKeys("abc 12");
    EXPECT_EQ(WaitForText("abc 12"), "abc 12");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SimKeysWineTest, UpperCaseArrivesAsLowerCaseWithoutShiftHeld) {
    ASSERT_EQ(GetFocus(), edit);
    MySendKeys("Ab");
    EXPECT_EQ(WaitForText("ab"), "ab");
}

} // namespace
} // namespace tamber
