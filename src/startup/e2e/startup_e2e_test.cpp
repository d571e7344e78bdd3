// End-to-end start-up: the stand-in ACT! holds a database and a focused field, tamber.exe is
// started from its toolbar button, and what the user would see is read from the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "forms/win32/test_support.h"
#include "test_session.h"

namespace {

using namespace tamber::e2e;

const char* const kFolder = "C:\\TamberE2E";
const std::string kDb = std::string(kFolder) + "\\Contacts.dbf";
const std::string kJournal = std::string(kFolder) + "\\journal.txt";
const std::string kStandinSettings = std::string(kFolder) + "\\actstandin.ini";
const std::string kSettingsDir = std::string(kFolder) + "\\Data";

// Field identifiers of the sample database.
constexpr int kCompany = 25;
constexpr int kLastName = 79;
constexpr int kNotes = 60;    // multi-line notes box
constexpr int kDropDown = 52; // drop-down box

// A message box as the user sees it: caption, text, the icon's dominant colour and buttons.
struct Box {
    HWND hwnd = nullptr;
    std::string caption, text;
    std::string icon; // "exclamation" (yellow), "critical" (red), "information"/"question"
                      // (blue), "none"
};

struct FindData {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindDialogOf(HWND w, LPARAM lp) {
    auto* d = reinterpret_cast<FindData*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[64];
    GetClassNameA(w, cls, sizeof cls);
    if (pid == d->pid && IsWindowVisible(w) && strcmp(cls, "#32770") == 0) {
        d->found = w;
        return FALSE;
    }
    return TRUE;
}

std::string ClassifyIcon(HWND iconControl) {
    RECT r;
    GetWindowRect(iconControl, &r);
    HDC screen = GetDC(nullptr);
    int yellow = 0, red = 0, blue = 0;
    for (int y = r.top; y < r.bottom; y += 2)
        for (int x = r.left; x < r.right; x += 2) {
            COLORREF c = GetPixel(screen, x, y);
            int R = GetRValue(c), G = GetGValue(c), B = GetBValue(c);
            if (R > 180 && G > 150 && B < 100) {
                ++yellow;
            } else if (R > 150 && G < 90 && B < 90) {
                ++red;
            } else if (B > 150 && R < 120) {
                ++blue;
            }
        }
    ReleaseDC(nullptr, screen);
    if (yellow > 10 && yellow >= red) return "exclamation";
    if (red > 10) return "critical";
    if (blue > 10) return "information";
    return "none";
}

BOOL CALLBACK ReadChild(HWND w, LPARAM lp) {
    auto* box = reinterpret_cast<Box*>(lp);
    char cls[64];
    GetClassNameA(w, cls, sizeof cls);
    if (strcmp(cls, "Static") != 0 || !IsWindowVisible(w)) return TRUE;
    LONG style = GetWindowLongA(w, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
        box->icon = ClassifyIcon(w);
    } else {
        char text[2048] = {};
        GetWindowTextA(w, text, sizeof text);
        if (text[0]) box->text = text;
    }
    return TRUE;
}

// Waits for a message box of the process; an empty box when the process ends without one.
Box WaitForBox(HANDLE process, DWORD pid, DWORD timeoutMs = 30000) {
    Box box;
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(100)) {
        FindData d{pid, nullptr};
        EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&d));
        if (d.found) {
            Sleep(300); // let it paint its icon
            box.hwnd = d.found;
            box.icon = "none";
            char caption[256] = {};
            GetWindowTextA(d.found, caption, sizeof caption);
            box.caption = caption;
            EnumChildWindows(d.found, ReadChild, reinterpret_cast<LPARAM>(&box));
            return box;
        }
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return box;
    }
    return box;
}

class StartupE2ETest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        CreateDirectoryA(kFolder, nullptr);
        CreateDirectoryA(kSettingsDir.c_str(), nullptr);
        ASSERT_TRUE(PrepareSuite(SAMPLE_DB, kDb, TAMBER_EXE));
        SetSetting("SettingsLocation", kSettingsDir.c_str());
    }

    void SetUp() override {
        DeleteFileA(kJournal.c_str());
        DeleteFileA((kSettingsDir + "\\Contacts.ini").c_str());
        SetSetting("Ado", nullptr);
    }
    void TearDown() override { EndAll(started); }

    // Starts the stand-in (with the sample database unless withDatabase is false) and
    // registers tamber.exe as the Contacts view's command, as the integration window does.
    void StartAct(bool withDatabase = true, bool noComm = false) {
        HANDLE standin = StartStandin("/journal " + kJournal + " /settings " + kStandinSettings +
                                      (noComm ? " /nocomm" : ""));
        ASSERT_NE(standin, nullptr);
        started.push_back(standin);
        const ProgramRun integrate = Ctl("integrate Tamberlist " + Quote(WinPath(TAMBER_EXE)));
        ASSERT_EQ(integrate.exitCode, 0u) << integrate.out << Slurp(kJournal);
        // Registered commands show once a database has been opened; closing it again leaves
        // ACT! running without one.
        ASSERT_EQ(Ctl("open " + kDb).exitCode, 0u);
        if (!withDatabase) {
            ASSERT_EQ(Ctl("close").exitCode, 0u);
        }
        databaseOpen = withDatabase;
    }

    // Puts the cursor in a field (there are none without a database) and presses the add-on's
    // toolbar button; returns its process.
    HANDLE Launch(int fieldId, DWORD* pid) {
        std::string reply;
        if (databaseOpen) {
            EXPECT_TRUE(FocusField(fieldId, &reply)) << reply;
        }
        return PressAddOn("toolbar", started, pid);
    }

    Box LaunchAndRead(int fieldId, HANDLE* process = nullptr) {
        DWORD pid = 0;
        HANDLE h = Launch(fieldId, &pid);
        EXPECT_NE(h, nullptr) << "the toolbar button started nothing";
        if (!h) return {};
        if (process) *process = h;
        return WaitForBox(h, pid);
    }

    void Answer(const Box& box) { PostMessageA(box.hwnd, WM_COMMAND, IDOK, 0); }

    // Starts the add-on in the field, expects one message box, answers it and sees it end.
    void ExpectMessage(int fieldId, const std::string& text, const std::string& icon) {
        HANDLE tamber = nullptr;
        Box box = LaunchAndRead(fieldId, &tamber);
        EXPECT_EQ(box.caption, "Tamberlist");
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.icon, icon);
        Answer(box);
        EXPECT_TRUE(Ended(tamber));
    }

    std::vector<HANDLE> started;
    bool databaseOpen = false;
};

TEST_F(StartupE2ETest, RecordWindowShowsTheAddOnsToolbarButton) {
    StartAct();
    ProgramRun rect = Ctl("button-rect Tamberlist");
    ASSERT_EQ(rect.exitCode, 0u) << rect.out;
    long left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(sscanf(rect.out.c_str(), "%ld %ld %ld %ld", &left, &top, &right, &bottom), 4);
    EXPECT_GT(right - left, 8);
    EXPECT_GT(bottom - top, 8);
    FocusField(kCompany);
    HWND act = FindWindowA("TamberActStandinMain", nullptr);
    ASSERT_NE(act, nullptr);
    Sleep(500);
    EXPECT_NE(tamber::forms::win32::testing::SaveScreenshot(act, "act_record_window_with_addon"),
              "");
}

TEST_F(StartupE2ETest, NoOpenDatabaseShowsTheOpenDatabaseMessage) {
    StartAct(false);
    ExpectMessage(kCompany, "Please open an ACT database prior to running Tamberlist!",
                  "exclamation");
    std::string journal = Slurp(kJournal);
    EXPECT_EQ(journal.find("create App"), std::string::npos)
        << "the event control answered before any application object was made";
}

TEST_F(StartupE2ETest, CannotCommunicateModeShowsTheCriticalMessage) {
    StartAct(true, true);
    // A lone carriage return in a message box breaks the line; the static shows it as is.
    ExpectMessage(kCompany,
                  "Unable to communicate with ACT!\rPlease run actreg.exe located in the ACT "
                  "folder and try again",
                  "critical");
}

TEST_F(StartupE2ETest, CursorOutsideAnEditBoxEndsSilently) {
    StartAct();
    for (int field : {kNotes, kDropDown}) {
        HANDLE tamber = nullptr;
        Box box = LaunchAndRead(field, &tamber);
        EXPECT_EQ(box.hwnd, nullptr) << "field " << field << ": " << box.text;
        EXPECT_TRUE(Ended(tamber)) << "field " << field << ": " << Describe(GetProcessId(tamber));
    }
}

// A configured field: start-up opens the list window, which closes once ACT! is back in front.
void ConfigureCompany() {
    std::ofstream(kSettingsDir + "\\Contacts.ini", std::ios::binary)
        << "[" << kCompany << "]\r\nType=0\r\n";
}

HWND WaitForConfigurationWindow() {
    HWND window = nullptr;
    for (DWORD start = GetTickCount(); !window && GetTickCount() - start < 30000; Sleep(100))
        window = FindWindowA(nullptr, "Tamberlist - List Settings");
    return window;
}

TEST_F(StartupE2ETest, UnconfiguredAndConfiguredFieldsChooseTheirWindow) {
    StartAct();
    DWORD pid = 0;
    HANDLE first = Launch(kLastName, &pid);
    ASSERT_NE(first, nullptr);
    HWND configuration = WaitForConfigurationWindow();
    ASSERT_NE(configuration, nullptr) << "the configuration window did not open";
    PostMessageA(configuration, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Ended(first));

    std::ofstream(kSettingsDir + "\\Contacts.ini", std::ios::binary)
        << "[" << kLastName << "]\r\nType=0\r\n";
    pid = 0;
    HANDLE second = Launch(kLastName, &pid);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(WaitForListWindow(pid), nullptr) << "the list window opens under the field";
    FocusField(kLastName); // back to ACT!: the list closes itself
    EXPECT_TRUE(Ended(second));
}

TEST_F(StartupE2ETest, SecondInstanceOnlyShowsItsMessage) {
    StartAct();
    DWORD pid = 0;
    HANDLE first = Launch(kCompany, &pid); // unconfigured: the configuration window stays open
    ASSERT_NE(first, nullptr);
    HWND configuration = WaitForConfigurationWindow();
    ASSERT_NE(configuration, nullptr);

    ExpectMessage(kCompany, "An instance of this program is already running!", "none");
    EXPECT_TRUE(IsWindow(configuration)) << "the first instance is untouched";
    EXPECT_EQ(WaitForSingleObject(first, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    PostMessageA(configuration, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Ended(first));
}

TEST_F(StartupE2ETest, AdoSettingAndUnreadableGroupTableChooseTheDataAccess) {
    StartAct();
    ConfigureCompany(); // the list of all groups from its cache file reads no group data
    struct Case {
        const char* ado;
        bool lockTable;
        bool databaseObjects;
    };
    for (Case c : {Case{nullptr, false, false}, Case{"0", false, true}, Case{"1", true, true}}) {
        SetSetting("Ado", c.ado);
        if (c.lockTable) {
            ASSERT_EQ(Ctl("lock-gdb").exitCode, 0u);
        }
        DeleteFileA(kJournal.c_str());
        DWORD pid = 0;
        HANDLE tamber = Launch(kCompany, &pid);
        ASSERT_NE(tamber, nullptr);
        EXPECT_NE(WaitForListWindow(pid), nullptr);
        FocusField(kCompany); // back to ACT!: the list closes itself
        EXPECT_TRUE(Ended(tamber));
        if (c.lockTable) Ctl("unlock-gdb");
        std::string journal = Slurp(kJournal);
        bool created = journal.find("create Database") != std::string::npos;
        EXPECT_EQ(created, c.databaseObjects) << "Ado=" << (c.ado ? c.ado : "(missing)")
                                              << (c.lockTable ? ", table locked" : "") << "\n"
                                              << journal;
    }
}

} // namespace
