// gauge.exe as tamber starts it: the progress writer writes the values of a 120-entry build
// and save into the registry of this prefix and starts the real program; the test reads the
// window's controls from outside, as a user would see them.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "forms/win32/test_support.h"
#include "listbuild/progress/progress_channel.h"
#include "ports/win32/win32_process_launcher.h"
#include "ports/win32/win32_storage.h"

namespace tamber {
namespace {

// The real launcher, with the build's program folder in place of the test's own.
class BinLauncher : public Win32ProcessLauncher {
  public:
    explicit BinLauncher(std::string folder) : folder_(std::move(folder)) {}
    std::string ProgramFolder() override { return folder_; }

  private:
    std::string folder_;
};

std::string WindowsPath(std::string unixPath) {
    for (char& c : unixPath)
        if (c == '/') c = '\\';
    return "Z:" + unixPath;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(20);
    }
}

std::string TextOf(HWND h) {
    char buf[256] = {};
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

struct Child {
    HWND hwnd;
    std::string cls, text;
};

std::vector<Child> ChildrenOf(HWND parent) {
    std::vector<Child> out;
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM lp) -> BOOL {
            char cls[64] = {};
            GetClassNameA(h, cls, sizeof cls);
            reinterpret_cast<std::vector<Child>*>(lp)->push_back({h, cls, TextOf(h)});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

HWND FindChild(HWND parent, const char* cls, const std::function<bool(const std::string&)>& text) {
    for (const Child& c : ChildrenOf(parent))
        if (_stricmp(c.cls.c_str(), cls) == 0 && text(c.text)) return c.hwnd;
    return nullptr;
}

class GaugeProgram : public ::testing::Test {
  protected:
    RegistrySettingsStore store;
    BinLauncher launcher{WindowsPath(TAMBER_BIN_DIR)};
    ProgressChannel channel{store, launcher};
    HWND window = nullptr;
    HANDLE process = nullptr;

    void SetUp() override {
        for (const char* name : {"GAUGE", "Status", "Total", "Stage"})
            store.DeleteSetting("Varnel", "Progress", name);
        // What an earlier run leaves: a new gauge must not take it for its own end.
        store.SaveSetting("Varnel", "Progress", "Step", "End");
    }
    void TearDown() override {
        if (process) {
            if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 1);
            CloseHandle(process);
        }
    }

    // A refresh begins and its builder, with 120 rows to read, starts gauge.
    void StartBuild() {
        channel.BeginBuild();
        ASSERT_TRUE(channel.StartForBuild(120, true));
        ASSERT_TRUE(WaitFor(
            [&] {
                std::string h = store.GetSetting("Varnel", "Progress", "GAUGE");
                if (h.empty()) return false;
                window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::stoull(h)));
                return IsWindow(window) && IsWindowVisible(window);
            },
            20000))
            << "gauge.exe did not show its window";
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        ASSERT_NE(process, nullptr);
    }
    HWND Phase() {
        return FindChild(window, "Static", [](const std::string& t) {
            return t.find("Please") != std::string::npos;
        });
    }
    bool PhaseIs(const std::string& text) { return TextOf(Phase()) == text; }
    HWND Bar() {
        return FindChild(window, PROGRESS_CLASSA, [](const std::string&) { return true; });
    }
    int BarPercent() {
        HWND bar = Bar();
        LRESULT high = SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
        LRESULT low = SendMessageA(bar, PBM_GETRANGE, TRUE, 0);
        LRESULT pos = SendMessageA(bar, PBM_GETPOS, 0, 0);
        return high > low ? static_cast<int>((pos - low) * 100 / (high - low)) : -1;
    }
    bool Ended(DWORD ms) { return WaitForSingleObject(process, ms) == WAIT_OBJECT_0; }
};

TEST_F(GaugeProgram, ShowsBuildAndSaveAndEndsWithinOneTickOfEnd) {
    StartBuild();
    ASSERT_TRUE(WaitFor([&] { return PhaseIs("Building list... Please Wait!"); }, 3000))
        << TextOf(Phase());
    // gauge sets the text, then shows the bar and hides the other label: it may be between.
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(Bar()); }, 1000));
    EXPECT_TRUE(WaitFor(
        [&] {
            return !IsWindowVisible(
                FindChild(window, "Static", [](const std::string& t) { return t.empty(); }));
        },
        1000));
    // A centred text label, not one left for an owner to draw.
    EXPECT_EQ(GetWindowLongA(Phase(), GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
    EXPECT_NE(FindChild(window, "Static",
                        [](const std::string& t) { return t == "Press ESC to cancel."; }),
              nullptr);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_GT(client.right, 250);  // 4590 twips
    EXPECT_LT(client.bottom, 120); // 1440 twips

    channel.RowDone(100); // 100 of 120 read
    EXPECT_TRUE(WaitFor([&] { return BarPercent() == 83; }, 3000)) << BarPercent();
    forms::win32::testing::SaveScreenshot(window, "gauge_building");

    channel.BeginSave(120);
    EXPECT_TRUE(WaitFor([&] { return PhaseIs("Saving list... Please Wait!"); }, 3000));
    EXPECT_TRUE(WaitFor([&] { return BarPercent() == 0; }, 3000)) << BarPercent();
    channel.RowDone(100);
    EXPECT_TRUE(WaitFor([&] { return BarPercent() == 83; }, 3000)) << BarPercent();

    channel.End();
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(Ended(3000));
    EXPECT_LT(GetTickCount64() - start, 1200u) << "gauge polls every 500 ms";
    EXPECT_EQ(store.GetSetting("Varnel", "Progress", "Status", "<none>"), "<none>");
}

TEST_F(GaugeProgram, EscapeWritesStatusOffAndEndsIt) {
    StartBuild();
    ASSERT_TRUE(WaitFor([&] { return PhaseIs("Building list... Please Wait!"); }, 3000));
    SetForegroundWindow(window);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }, 3000));
    forms::win32::testing::PressKey(VK_ESCAPE);
    EXPECT_TRUE(Ended(3000));
    EXPECT_EQ(store.GetSetting("Varnel", "Progress", "Status"), "Off");
}

TEST_F(GaugeProgram, MissingGaugeIsFileNotFound) {
    BinLauncher nowhere(WindowsPath(TAMBER_BIN_DIR) + "\\no such folder");
    ProgressChannel elsewhere(store, nowhere);
    try {
        elsewhere.StartGauge();
        FAIL() << "started";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), err::kFileNotFound);
    }
}

} // namespace
} // namespace tamber
