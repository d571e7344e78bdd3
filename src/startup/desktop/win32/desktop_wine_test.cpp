// The desktop port and the field search against real windows: a second thread with its own
// message loop plays ACT!'s user-interface thread.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/scripted_dialogs.h"
#include "ports/platform.h"
#include "ports/types.h"
#include "ports/win32/win32_desktop.h"
#include "startup/desktop/act_window.h"

namespace tamber {
namespace {

constexpr UINT kFocusRequest = WM_APP + 1;

WindowHandle H(HWND w) {
    return reinterpret_cast<WindowHandle>(w);
}

// ACT!'s stand-in: a record window with a single-line field, a notes box and a drop-down.
class ForeignThread {
  public:
    ForeignThread() {
        ready_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, &ForeignThread::Run, this, 0, &id_);
        WaitForSingleObject(ready_, 10000);
    }
    ~ForeignThread() {
        PostThreadMessageA(id_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
        CloseHandle(ready_);
    }

    // Gives the focus to a window of the thread, from inside the thread.
    void Focus(HWND w) {
        PostThreadMessageA(id_, kFocusRequest, reinterpret_cast<WPARAM>(w), 0);
        WaitForSingleObject(ready_, 10000);
    }
    HWND FocusSeenByThread() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(id_, &info) ? info.hwndFocus : nullptr;
    }

    HWND top = nullptr, edit = nullptr, notes = nullptr, combo = nullptr;
    DWORD id_ = 0;

  private:
    static DWORD WINAPI Run(void* self) {
        static_cast<ForeignThread*>(self)->Loop();
        return 0;
    }
    void Loop() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "DeskTestRecord";
        RegisterClassA(&wc);
        LoadLibraryA("riched20.dll");
        top = CreateWindowExA(0, "DeskTestRecord", "Record", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                              40, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
        edit = CreateWindowExA(0, "Edit", "Smith", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200,
                               22, top, nullptr, nullptr, nullptr);
        notes = CreateWindowExA(0, "RichEdit20A", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 10, 40,
                                200, 80, top, nullptr, nullptr, nullptr);
        combo = CreateWindowExA(0, "ComboBox", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10,
                                130, 200, 100, top, nullptr, nullptr, nullptr);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // the queue exists before "ready"
        SetEvent(ready_);
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.hwnd == nullptr && msg.message == kFocusRequest) {
                SetForegroundWindow(top);
                SetFocus(reinterpret_cast<HWND>(msg.wParam));
                SetEvent(ready_);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DestroyWindow(top);
    }

    HANDLE ready_ = nullptr, thread_ = nullptr;
};

class DesktopWineTest : public ::testing::Test {
  protected:
    ScopedPlatform sys{{.desktop = &Win32Desktop()}};
    ScriptedDialogs dialogs;
    ScopedDialogs scoped{dialogs};
};

TEST_F(DesktopWineTest, FindsTheFocusedEditOfAnotherThread) {
    ForeignThread act;
    ASSERT_NE(act.edit, nullptr);
    act.Focus(act.edit);
    ASSERT_EQ(act.FocusSeenByThread(), act.edit);

    EXPECT_EQ(FindACTFieldHandle(H(act.top)), H(act.edit));
    // Detached again: this thread's own focus is its own (none) once more.
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(DesktopWineTest, NotesBoxAndDropDownAreNoFields) {
    ForeignThread act;
    for (HWND w : {act.notes, act.combo}) {
        ASSERT_NE(w, nullptr);
        act.Focus(w);
        ASSERT_EQ(act.FocusSeenByThread(), w);
        EXPECT_EQ(FindACTFieldHandle(H(act.top)), 0u);
        EXPECT_EQ(GetFocus(), nullptr);
    }
}

TEST_F(DesktopWineTest, AWindowOfTheProgramsOwnThreadIsNoField) {
    HWND own = CreateWindowExA(0, "Edit", "", WS_OVERLAPPED, 0, 0, 50, 20, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(FindACTFieldHandle(H(own)), 0u);
    EXPECT_EQ(FindACTFieldHandle(0), 0u);
    DestroyWindow(own);
}

TEST_F(DesktopWineTest, PortReportsClassesRectanglesAndScreenScale) {
    ForeignThread act;
    Desktop& d = Win32Desktop();
    EXPECT_EQ(d.ClassName(H(act.edit)), "Edit");
    EXPECT_EQ(d.ClassName(H(act.combo)), "ComboBox");
    EXPECT_EQ(d.ClassName(0), "");
    EXPECT_EQ(d.WindowThread(H(act.edit)), act.id_);
    EXPECT_EQ(d.CurrentThread(), GetCurrentThreadId());

    RECT expected;
    GetWindowRect(act.edit, &expected);
    const Rect r = d.WindowRect(H(act.edit));
    EXPECT_EQ(r.left, expected.left);
    EXPECT_EQ(r.top, expected.top);
    EXPECT_EQ(r.right, expected.right);
    EXPECT_EQ(r.bottom, expected.bottom);
    EXPECT_EQ(r.right - r.left, 200);

    HDC screen = GetDC(nullptr);
    EXPECT_DOUBLE_EQ(d.TwipsPerPixelX(), 1440.0 / GetDeviceCaps(screen, LOGPIXELSX));
    EXPECT_DOUBLE_EQ(d.TwipsPerPixelY(), 1440.0 / GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
}

} // namespace
} // namespace tamber
