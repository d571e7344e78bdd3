#include <windows.h>

#include <functional>

#include <gtest/gtest.h>

#include "common/scripted_dialogs.h"
#include "forms/win32/test_support.h"
#include "forms/win32/win32_host.h"
#include "integration/message/frm_message.h"

namespace tamber {
namespace {

using namespace forms;
using forms::win32::Win32Host;
namespace input = forms::win32::testing;

struct Opener : Form {
    bool bCancelled = false;
    Opener() : Form("Opener") {
        SetCaption("Opener");
        Move(600, 600, 6000, 4000);
    }
};

std::function<void()> g_user;

class FrmMessageWine : public ::testing::Test {
  protected:
    Win32Host host;
    ScriptedDialogs dialogs;
    Opener opener;
    void SetUp() override {
        SetAppDialogs(&dialogs);
        opener.Show();
        host.PumpUntil([] { return false; }, 200);
    }
    void TearDown() override { opener.Unload(); }

    // Asks as the cache refresh does; `user` acts once the window is up.
    bool Ask(std::function<void(frmMessage&)> user) {
        frmMessage msg(opener.bCancelled);
        opener.bCancelled = false;
        // The question as the refresh writes it (the manual shows this window).
        msg.lblMessage.SetCaption("The List of All Groups already exists. It was last updated:\r"
                                  "Tuesday March 6, 2007 at 9:05\rDo you want to rebuild it?");
        msg.SetCaption("Refresh List");
        g_user = [&] { user(msg); };
        SetTimer(nullptr, 0, 400, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            g_user();
        });
        msg.Show(true);
        EXPECT_FALSE(msg.Loaded());
        return opener.bCancelled;
    }
};

TEST_F(FrmMessageWine, EnterAndAClickOnYesAnswerYes) {
    EXPECT_FALSE(Ask([](frmMessage&) { input::PressKey(VK_RETURN); }));
    EXPECT_FALSE(Ask([](frmMessage& m) { input::ClickWindow(Win32Host::WindowOf(m.cmdYes)); }));
}

TEST_F(FrmMessageWine, NoEscCloseBoxAndAltF4AnswerNo) {
    EXPECT_TRUE(Ask([](frmMessage& m) { input::ClickWindow(Win32Host::WindowOf(m.cmdNo)); }));
    EXPECT_TRUE(Ask([](frmMessage&) { input::PressKey(VK_ESCAPE); }));
    EXPECT_TRUE(Ask([](frmMessage& m) {
        PostMessageA(Win32Host::WindowOf(m), WM_SYSCOMMAND, SC_CLOSE, 0); // the close box
    }));
    EXPECT_TRUE(Ask([](frmMessage&) { input::PressKey(VK_F4, VK_MENU); }));
}

TEST_F(FrmMessageWine, StaysAboveAnotherWindowBroughtToTheFront) {
    HWND other = CreateWindowExA(0, "STATIC", "Another program", WS_POPUP | WS_VISIBLE | WS_BORDER,
                                 0, 0, 900, 700, nullptr, nullptr, nullptr, nullptr);
    bool above = false, topmost = false;
    Ask([&](frmMessage& m) {
        HWND mine = Win32Host::WindowOf(m);
        SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        topmost = (GetWindowLongA(mine, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        // Walk the z-order from the top: the message window comes first.
        for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
            if (h == mine) {
                above = true;
                break;
            }
            if (h == other) break;
        }
        input::SaveScreenshot(mine, "frmMessage");
        PostMessageA(Win32Host::WindowOf(m.cmdYes), BM_CLICK, 0, 0);
    });
    DestroyWindow(other);
    EXPECT_TRUE(topmost);
    EXPECT_TRUE(above);
}

TEST_F(FrmMessageWine, WindowHasTheLayoutInPixels) {
    Ask([](frmMessage& m) {
        HWND h = Win32Host::WindowOf(m);
        RECT client;
        GetClientRect(h, &client);
        EXPECT_EQ(client.right, TwipsToPixelsX(5955));
        EXPECT_EQ(client.bottom, TwipsToPixelsY(1785));
        RECT yes;
        GetWindowRect(Win32Host::WindowOf(m.cmdYes), &yes);
        MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&yes), 2);
        EXPECT_EQ(yes.left, TwipsToPixelsX(1965));
        EXPECT_EQ(yes.top, TwipsToPixelsY(1215));
        const LONG style = GetWindowLongA(h, GWL_STYLE);
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        EXPECT_TRUE(style & WS_SYSMENU);
        char caption[64] = {};
        GetWindowTextA(h, caption, sizeof caption);
        EXPECT_STREQ(caption, "Refresh List");
        EXPECT_FALSE(IsWindowEnabled(Win32Host::WindowOf(*screen::LoadedForms().front())));
        input::PressKey(VK_ESCAPE);
    });
    EXPECT_TRUE(IsWindowEnabled(Win32Host::WindowOf(opener)));
}

} // namespace
} // namespace tamber
