// The i686 tamber.exe and gauge.exe, started from the x86_64 stand-in ACT!'s toolbar: the main
// paths a user takes once, to show that the 32-bit programs work across the bitnesses (the
// x86_64 suites cover the behaviour in depth).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "forms/win32/test_support.h"
#include "test_session.h"

namespace {

using namespace tamber::e2e;
namespace ui = tamber::forms::win32::testing;

const char* const kFolder = "C:\\TamberI686Smoke";
const std::string kDb = std::string(kFolder) + "\\Contacts.dbf";
const std::string kStandinSettings = std::string(kFolder) + "\\actstandin.ini";
const std::string kSettingsDir = std::string(kFolder) + "\\Data";
const std::string kIni = kSettingsDir + "\\Contacts.ini";
const std::string kProspectsCache = kSettingsDir + "\\Contacts_200001_N.dat";
const char* const kConfiguration = "Tamberlist - List Settings";
const char* const kProgress = "Tamberlist progress";

constexpr int kUser1 = 200;    // all groups, built each time
constexpr int kUser2 = 201;    // members of Prospects, cache file
constexpr int kTerritory = 51; // no list: the configuration window opens

bool Is32Bit(DWORD pid) {
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    BOOL wow = FALSE;
    if (h) {
        IsWow64Process(h, &wow);
        CloseHandle(h);
    }
    return wow;
}

struct Found {
    DWORD pid;
    const char* cls;
    const char* text;
    HWND hwnd = nullptr;
};
BOOL CALLBACK FindChild(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    char cls[64] = {}, text[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, text, sizeof text);
    if (!IsWindowVisible(w) || _stricmp(cls, f->cls) != 0) return TRUE;
    if (f->text && strcmp(text, f->text) != 0) return TRUE;
    f->hwnd = w;
    return FALSE;
}
// The first visible child of a class (and caption, when given).
HWND Child(HWND parent, const char* cls, const char* text = nullptr) {
    Found f{0, cls, text};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&f));
    return f.hwnd;
}

HWND VisibleTop(const char* caption) {
    HWND w = FindWindowA(nullptr, caption);
    return w && IsWindowVisible(w) ? w : nullptr;
}

// Visible combo boxes of the window, from the top.
std::vector<HWND> Combos(HWND form) {
    std::vector<HWND> out;
    for (HWND c = FindWindowExA(form, nullptr, "ComboBox", nullptr); c;
         c = FindWindowExA(form, c, "ComboBox", nullptr))
        if (IsWindowVisible(c)) out.push_back(c);
    std::sort(out.begin(), out.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.top < rb.top;
    });
    return out;
}

// Drops the box's list with a click and clicks the entry, as a user picks.
bool Choose(HWND combo, const char* entry) {
    const int index = static_cast<int>(SendMessageA(
        combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry)));
    if (index < 0) return false;
    if (!ui::PickComboEntry(combo, index)) return false;
    return WaitFor([&] { return SendMessageA(combo, CB_GETCURSEL, 0, 0) == index; }, 3000);
}

class I686SmokeTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        CreateDirectoryA(kFolder, nullptr);
        CreateDirectoryA(kSettingsDir.c_str(), nullptr);
        ASSERT_NE(GetFileAttributesA(WinPath(TAMBER_EXE).c_str()), INVALID_FILE_ATTRIBUTES)
            << "no i686 build at " << TAMBER_EXE;
        ASSERT_TRUE(PrepareSuite(SAMPLE_DB, kDb, TAMBER_EXE));
        SetSetting("SettingsLocation", kSettingsDir.c_str());
        SetSetting("Ado", "1");
    }

    void SetUp() override {
        std::ofstream(kIni, std::ios::binary) << "[200]\r\nType=0\r\nNoRebuild=0\r\n"
                                                 "[201]\r\nType=2\r\nNoRebuild=1\r\n"
                                                 "Reference=G2NPKCSHJ7A1\r\nCompanyName=0\r\n";
        DeleteFileA(kProspectsCache.c_str());
        DeleteFileA((kSettingsDir + "\\Contacts_lists.ini").c_str());
        HANDLE standin = StartStandin("/settings " + kStandinSettings);
        ASSERT_NE(standin, nullptr);
        started.push_back(standin);
        const ProgramRun integrate = Ctl("integrate Tamberlist " + Quote(WinPath(TAMBER_EXE)));
        ASSERT_EQ(integrate.exitCode, 0u) << integrate.out;
        const ProgramRun open = Ctl("open " + kDb);
        ASSERT_EQ(open.exitCode, 0u) << open.out;
        act = FindWindowA("TamberActStandinMain", nullptr);
    }
    void TearDown() override { EndAll(started); }

    // Puts the cursor in the field, presses the toolbar button and waits for the add-on's
    // first window; checks that the program that came is the 32-bit one.
    HWND Start(int field, const char* caption = "") {
        std::string focus;
        EXPECT_TRUE(FocusField(field, &focus)) << focus;
        fieldBox = GetDlgItem(act, atoi(focus.c_str() + focus.find(' ') + 1));
        tamber = PressAddOn("toolbar", started, &pid);
        EXPECT_NE(tamber, nullptr) << "the toolbar button started nothing";
        EXPECT_TRUE(Is32Bit(pid)) << "not the i686 tamber.exe";
        HWND w = *caption ? WaitForWindow(pid, caption) : WaitForListWindow(pid);
        if (w) Sleep(400);
        return w;
    }
    bool Ended(DWORD ms = 20000) { return WaitForSingleObject(tamber, ms) == WAIT_OBJECT_0; }
    std::string Field(int field) {
        const std::string out = Ctl("get " + std::to_string(field)).out;
        return out.substr(0, out.find_first_of("\r\n"));
    }
    // Waits for the progress window, checks that it is the i686 gauge.exe; false when none.
    bool GaugeShows() {
        HWND gauge = nullptr;
        WaitFor([&] { return (gauge = VisibleTop(kProgress)) != nullptr; }, 20000);
        if (!gauge) return false;
        DWORD gaugePid = 0;
        GetWindowThreadProcessId(gauge, &gaugePid);
        EXPECT_TRUE(Is32Bit(gaugePid)) << "not the i686 gauge.exe";
        return true;
    }

    std::vector<HANDLE> started;
    HWND act = nullptr, fieldBox = nullptr;
    HANDLE tamber = nullptr;
    DWORD pid = 0;
};

TEST_F(I686SmokeTest, ListUnderTheFieldTypesAheadEnterWritesCtrlAdds) {
    ASSERT_EQ(Ctl("type 200 Zz").exitCode, 0u);
    HWND w = Start(kUser1);
    ASSERT_NE(w, nullptr) << Describe(pid);
    RECT field, list;
    GetWindowRect(fieldBox, &field);
    GetWindowRect(w, &list);
    EXPECT_EQ(list.top, field.bottom + 2) << "the list lies under its field";
    HWND box = Child(w, "ListBox");
    ASSERT_NE(box, nullptr);
    ui::PressKey('P');
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(box, LB_GETCURSEL, 0, 0) >= 0; }));
    ui::PressKey(VK_RETURN, VK_CONTROL);
    ASSERT_TRUE(Ended()) << Describe(pid);
    char sep[8] = {};
    GetLocaleInfoA(GetSystemDefaultLCID(), LOCALE_SLIST, sep, sizeof sep);
    const std::string added = Field(kUser1);
    EXPECT_EQ(added.front(), 'P') << added;
    EXPECT_NE(added.find(std::string(sep) + "Zz"), std::string::npos) << "Ctrl adds: " << added;

    w = Start(kUser1);
    ASSERT_NE(w, nullptr) << Describe(pid);
    box = Child(w, "ListBox");
    ui::PressKey('P');
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(box, LB_GETCURSEL, 0, 0) >= 0; }));
    ui::PressKey(VK_RETURN);
    ASSERT_TRUE(Ended()) << Describe(pid);
    const std::string written = Field(kUser1);
    EXPECT_EQ(written.front(), 'P') << written;
    EXPECT_EQ(written.find("Zz"), std::string::npos) << "Enter replaces: " << written;
}

TEST_F(I686SmokeTest, RefreshBuildsTheCacheWithTheProgressWindow) {
    HWND w = Start(kUser2);
    ASSERT_NE(w, nullptr) << Describe(pid);
    HWND refresh = Child(w, "Button", "Refresh");
    ASSERT_NE(refresh, nullptr);
    ui::ClickWindow(refresh);
    EXPECT_TRUE(GaugeShows()) << "120 members show the progress window";
    HWND box = Child(w, "ListBox");
    EXPECT_TRUE(WaitFor(
        [&] { return (box = Child(w, "ListBox")) && SendMessageA(box, LB_GETCOUNT, 0, 0) == 120; },
        60000));
    EXPECT_NE(GetFileAttributesA(kProspectsCache.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(WaitFor([] { return !VisibleTop(kProgress); }, 10000)) << "gauge ends";
    ui::PressKey(VK_ESCAPE);
    EXPECT_TRUE(Ended()) << Describe(pid);
}

TEST_F(I686SmokeTest, ConfigurationOkBuildsTheMembersCache) {
    HWND form = Start(kTerritory, kConfiguration);
    ASSERT_NE(form, nullptr) << Describe(pid);
    Sleep(300); // the first height change
    auto combos = Combos(form);
    ASSERT_GE(combos.size(), 2u);
    ASSERT_TRUE(Choose(combos[1], "List of the Members of one GROUP"));
    ASSERT_TRUE(WaitFor([&] { return (combos = Combos(form)).size() == 3; }, 3000));
    ASSERT_TRUE(Choose(combos[2], "Prospects"));
    // Manual rebuild: the list is kept in a cache file, which OK builds.
    HWND manual = nullptr;
    for (HWND b = FindWindowExA(form, nullptr, "Button", nullptr); b && !manual;
         b = FindWindowExA(form, b, "Button", nullptr))
        if ((GetWindowLongA(b, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX ||
            (GetWindowLongA(b, GWL_STYLE) & BS_TYPEMASK) == BS_CHECKBOX)
            manual = b;
    ASSERT_NE(manual, nullptr);
    ui::ClickWindow(manual);
    ASSERT_TRUE(
        WaitFor([&] { return SendMessageA(manual, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 3000));
    ui::ClickWindow(Child(form, "Button", "&OK"));
    EXPECT_TRUE(GaugeShows()) << Describe(pid);
    ASSERT_TRUE(Ended(60000)) << Describe(pid);
    EXPECT_NE(GetFileAttributesA(kProspectsCache.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(Slurp(kIni).find("[51]"), std::string::npos);
}

} // namespace
