// The drop-down list end to end: the stand-in ACT! holds the sample database with the cursor
// in a configured field, tamber.exe is started from its toolbar button, and the list is
// driven with real keys and clicks; what lands in the field is read back from the stand-in.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "actdb/actdb.h"
#include "forms/win32/test_support.h"
#include "test_session.h"

namespace {

using namespace tamber::e2e;

namespace ts = tamber::forms::win32::testing;

const char* const kFolder = "C:\\TamberListE2E";
const std::string kDb = std::string(kFolder) + "\\Contacts.dbf";
const std::string kJournal = std::string(kFolder) + "\\journal.txt";
const std::string kStandinSettings = std::string(kFolder) + "\\actstandin.ini";
const std::string kSettingsDir = std::string(kFolder) + "\\Data";
const std::string kIni = kSettingsDir + "\\Contacts.ini";

// Fields of the sample database, and the group with 120 members.
constexpr int kCompany = 25;   // a cache-file list
constexpr int kUser1 = 200;    // all groups, built each time
constexpr int kUser2 = 201;    // members of Prospects, cache file
constexpr int kRegion = 50;    // the reference field of Territory
constexpr int kTerritory = 51; // a static list chosen by Region
const char* const kProspects = "G2NPKCSHJ7A1";

// actctl's first line of output ("" when it printed nothing).
std::string CtlLine(const std::string& args, DWORD* exitCode = nullptr) {
    const ProgramRun run = Ctl(args);
    if (exitCode) *exitCode = run.exitCode;
    return run.out.substr(0, run.out.find_first_of("\r\n"));
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A list file: entries 1..n with the first-letter index.
std::string ListFile(const std::vector<std::string>& entries) {
    std::string items = "[Items]\r\n",
                index = "[Index]\r\nCount=" + std::to_string(entries.size()) + "\r\n";
    char last = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        items += std::to_string(i + 1) + "=" + entries[i] + "\r\n";
        char c = static_cast<char>(tolower(static_cast<unsigned char>(entries[i][0])));
        if (c != last) index += std::string(1, c) + "=" + std::to_string(i + 1) + "\r\n";
        last = c;
    }
    return items + index;
}

// The visible owner-drawn list box (lstDynamic) and a button by caption.
struct Child {
    const char* caption; // nullptr: the owner-drawn list
    HWND found;
};
BOOL CALLBACK FindChild(HWND w, LPARAM lp) {
    auto* c = reinterpret_cast<Child*>(lp);
    char cls[64], text[128] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, text, sizeof text);
    const LONG style = GetWindowLongA(w, GWL_STYLE);
    const bool match = c->caption ? (strcmp(text, c->caption) == 0 && IsWindowVisible(w))
                                  : (_stricmp(cls, "ListBox") == 0 && (style & LBS_OWNERDRAWFIXED));
    if (match) {
        c->found = w;
        return FALSE;
    }
    return TRUE;
}
HWND ChildOf(HWND parent, const char* caption = nullptr) {
    Child c{caption, nullptr};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

int Selection(HWND list) {
    return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
}

class ListWindowE2ETest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        CreateDirectoryA(kFolder, nullptr);
        CreateDirectoryA(kSettingsDir.c_str(), nullptr);
        ASSERT_TRUE(PrepareSuite(SAMPLE_DB, kDb, TAMBER_EXE));
        SetSetting("SettingsLocation", kSettingsDir.c_str());
        SetSetting("Ado", "1");
    }

    void SetUp() override {
        WriteFile(kIni, "[25]\r\nType=0\r\nNoRebuild=1\r\n"
                        "[200]\r\nType=0\r\nNoRebuild=0\r\n"
                        "[201]\r\nType=2\r\nNoRebuild=1\r\nReference=" +
                            std::string(kProspects) +
                            "\r\nCompanyName=0\r\n"
                            "[51]\r\nType=3\r\nReference=50\r\nBlank=1\r\n"
                            "[51-Values]\r\nNorth=3|Northern|0|0\r\n");
        WriteFile(kSettingsDir + "\\Contacts_000001.dat",
                  ListFile({"Arbor Tools", "Belden Supply", "Cobalt Partners", "Dunmore Logistics",
                            "Elmstead Foods", "Fairhaven Design", "Granite Print"}));
        WriteFile(kSettingsDir + "\\Northern.lst",
                  ListFile({"Zeeland", "Aberdeen", "Inverness", "aberdeen"}));
        DeleteFileA((kSettingsDir + "\\Contacts_200001_N.dat").c_str());
        DeleteFileA((kSettingsDir + "\\Contacts_lists.ini").c_str());
        HANDLE standin = StartStandin("/journal " + kJournal + " /settings " + kStandinSettings);
        ASSERT_NE(standin, nullptr);
        started.push_back(standin);
        DWORD code = 0;
        CtlLine("integrate Tamberlist " + Quote(WinPath(TAMBER_EXE)));
        CtlLine("open " + kDb, &code);
        ASSERT_EQ(code, 0u);
        act = FindWindowA("TamberActStandinMain", nullptr);
        ASSERT_NE(standin, nullptr);
    }
    void TearDown() override { EndAll(started); }

    // Puts the cursor in the field and presses the add-on's button; returns the list window.
    HWND Open(int field) {
        std::string focus;
        EXPECT_TRUE(FocusField(field, &focus)) << focus;
        fieldBox = GetDlgItem(act, atoi(focus.c_str() + focus.find(' ') + 1));
        tamber = PressAddOn("toolbar", started, &tamberPid);
        HWND w = WaitForListWindow(tamberPid);
        if (w) Sleep(300); // let it paint
        return w;
    }
    bool Ended(DWORD ms = 10000) { return WaitForSingleObject(tamber, ms) == WAIT_OBJECT_0; }
    std::string Field(int field) { return CtlLine("get " + std::to_string(field)); }
    void SetField(int field, const std::string& text) {
        CtlLine("type " + std::to_string(field) + " " + Quote(text));
    }

    HWND act = nullptr, fieldBox = nullptr;
    HANDLE tamber = nullptr;
    DWORD tamberPid = 0;
    std::vector<HANDLE> started;
};

TEST_F(ListWindowE2ETest, CacheListOpensUnderItsFieldPreselectedTypesAndWrites) {
    SetField(kCompany, "Dunmore Logistics");
    HWND w = Open(kCompany);
    ASSERT_NE(w, nullptr);
    RECT field, list;
    GetWindowRect(fieldBox, &field);
    GetWindowRect(w, &list);
    // 15 twips per pixel: left 15 * left - 20 twips, top 15 * bottom + 30, width + 30 twips.
    EXPECT_NEAR(list.left, field.left - 1, 1);
    EXPECT_EQ(list.top, field.bottom + 2);
    EXPECT_NEAR(list.right - list.left, field.right - field.left + 2, 1);
    const LONG ex = GetWindowLongA(w, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW) << "no task-bar button";
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & WS_CAPTION, 0);
    HWND lst = ChildOf(w);
    ASSERT_NE(lst, nullptr);
    EXPECT_EQ(SendMessageA(lst, LB_GETCOUNT, 0, 0), 7);
    EXPECT_EQ(Selection(lst), 3) << "Dunmore Logistics pre-selected";
    EXPECT_NE(ChildOf(w, "Refresh"), nullptr);
    ts::SaveScreenshot(act, "list_window_open_under_field");

    ts::PressKey('F');
    EXPECT_TRUE(WaitFor([&] { return Selection(lst) == 5; })) << "f jumps to Fairhaven Design";
    ts::PressKey('Q');
    Sleep(200);
    EXPECT_EQ(Selection(lst), 5) << "no entry starts with q";
    ts::PressKey(VK_RETURN);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(Field(kCompany), "Fairhaven Design");
}

TEST_F(ListWindowE2ETest, InMemoryListTypesAheadAndCtrlAdds) {
    SetField(kUser1, "Walk-in"); // what the field held: the manual shows the addition
    HWND w = Open(kUser1);
    ASSERT_NE(w, nullptr);
    HWND lst = ChildOf(w);
    ASSERT_NE(lst, nullptr);
    EXPECT_EQ(ChildOf(w, "Refresh"), nullptr);
    EXPECT_GT(SendMessageA(lst, LB_GETCOUNT, 0, 0), 10);
    EXPECT_EQ(Selection(lst), -1);
    ts::PressKey('P');
    EXPECT_TRUE(WaitFor([&] { return Selection(lst) >= 0; })) << "typed again into the sorted list";
    const int picked = Selection(lst);
    ts::PressKey(VK_RETURN, VK_CONTROL);
    ASSERT_TRUE(Ended());
    char sep[8] = {};
    GetLocaleInfoA(GetSystemDefaultLCID(), LOCALE_SLIST, sep, sizeof sep);
    const std::string value = Field(kUser1);
    EXPECT_EQ(value.front(), 'P') << value;
    EXPECT_NE(value.find(std::string(sep) + "Walk-in"), std::string::npos)
        << "Ctrl held: added before Walk-in, not replaced: " << value << " (entry " << picked
        << ")";
    ts::SaveScreenshot(act, "list_window_multi_value_after_addition");
}

TEST_F(ListWindowE2ETest, StaticListByRegionWritesTheEntryClicked) {
    SetField(kRegion, "North");
    SetField(kTerritory, "");
    HWND w = Open(kTerritory);
    ASSERT_NE(w, nullptr);
    HWND lst = ChildOf(w);
    ASSERT_NE(lst, nullptr);
    ASSERT_EQ(SendMessageA(lst, LB_GETCOUNT, 0, 0), 5) << "four items and the blank entry";
    RECT item;
    SendMessageA(lst, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&item));
    ts::ClickAt(lst, item.left + 5, (item.top + item.bottom) / 2);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(Field(kTerritory), "Inverness") << "the entry shown is the one written";
}

TEST_F(ListWindowE2ETest, RightButtonAsksEscAndClickingAwayCloseWithoutWriting) {
    SetField(kCompany, "Belden Supply");
    HWND w = Open(kCompany);
    ASSERT_NE(w, nullptr);
    HWND lst = ChildOf(w);
    ts::RightClickAt(lst, 10, 5);
    HWND box = WaitForDialog(tamberPid);
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDNO, 0);
    Sleep(500);
    EXPECT_EQ(WaitForSingleObject(tamber, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "No: still open";
    EXPECT_EQ(Field(kCompany), "Belden Supply");
    ts::PressKey(VK_ESCAPE);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(Field(kCompany), "Belden Supply");

    w = Open(kCompany);
    ASSERT_NE(w, nullptr);
    ts::ClickWindow(act);
    EXPECT_TRUE(Ended(3000)) << "a click into the record window closes the list";
    EXPECT_EQ(Field(kCompany), "Belden Supply");

    w = Open(kCompany);
    ASSERT_NE(w, nullptr);
    ts::RightClickAt(ChildOf(w), 10, 5);
    box = WaitForDialog(tamberPid);
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(Field(kCompany), "");
}

TEST_F(ListWindowE2ETest, ListSettingsOpensTheConfigurationWindowInPlaceOfTheList) {
    HWND w = Open(kCompany);
    ASSERT_NE(w, nullptr);
    // Its caption shortens with the field's width.
    HWND settings = nullptr;
    for (const char* caption : {"List settings...", "Settings", "..."})
        if (!settings) settings = ChildOf(w, caption);
    ASSERT_NE(settings, nullptr);
    ts::ClickWindow(settings);
    HWND configuration = nullptr;
    EXPECT_TRUE(WaitFor(
        [&] {
            configuration = FindWindowA(nullptr, "Tamberlist - List Settings");
            return configuration && IsWindowVisible(configuration);
        },
        30000));
    EXPECT_FALSE(IsWindowVisible(w)) << "the list window is hidden before the other shows";
    // Its window is destroyed once the button's click handler has returned.
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(w); }, 5000)) << "the list window closed";
    EXPECT_EQ(WaitForSingleObject(tamber, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the program lives on with the configuration window";
    if (configuration) PostMessageA(configuration, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Ended());
}

TEST_F(ListWindowE2ETest, RefreshRebuildsAMembersCacheWithGaugeShowing) {
    HWND w = Open(kUser2);
    ASSERT_NE(w, nullptr);
    HWND refresh = ChildOf(w, "Refresh");
    ASSERT_NE(refresh, nullptr);
    EXPECT_FALSE(IsWindowVisible(ChildOf(w))) << "no cache file yet: an empty list";
    ts::ClickWindow(refresh);
    HWND gauge = nullptr;
    WaitFor(
        [&] {
            gauge = FindWindowA(nullptr, "Tamberlist progress");
            return gauge && IsWindowVisible(gauge);
        },
        20000);
    ASSERT_NE(gauge, nullptr) << "120 members show gauge";
    Sleep(700); // its first poll shows the phase and the bar
    if (IsWindowVisible(gauge)) ts::SaveScreenshot(gauge, "list_window_gauge_during_refresh");
    HWND lst = ChildOf(w);
    EXPECT_TRUE(
        WaitFor([&] { return IsWindowVisible(lst) && SendMessageA(lst, LB_GETCOUNT, 0, 0) == 120; },
                60000));
    std::ifstream saved(kSettingsDir + "\\Contacts_200001_N.dat");
    EXPECT_TRUE(saved.good());
    EXPECT_TRUE(WaitFor([] { return !FindWindowA(nullptr, "Tamberlist progress"); }, 5000))
        << "gauge ends at End";
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &gui);
    char cls[64] = {};
    GetClassNameA(gui.hwndFocus, cls, sizeof cls);
    ts::PressKey(VK_ESCAPE);
    EXPECT_TRUE(Ended()) << "foreground " << GetForegroundWindow() << " list " << w << " active "
                         << gui.hwndActive << " focus " << gui.hwndFocus << " " << cls;
}

// The members list of Prospects, kept in its cache file (the first name the index gives).
const std::string kMembersCache = kSettingsDir + "\\Contacts_200001_N.dat";
const std::vector<std::string> kMembers = {"Ives, Ann", "Mills, Bob",   "Smalley, Cy",
                                           "Smith, Di", "Smithers, Ed", "Snow, Flo"};

// Sets a file's last-write time to a local time.
bool SetLocalWriteTime(const std::string& path, WORD year, WORD month, WORD day, WORD hour,
                       WORD minute) {
    SYSTEMTIME st{};
    st.wYear = year, st.wMonth = month, st.wDay = day, st.wHour = hour, st.wMinute = minute;
    FILETIME local, utc;
    if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &utc)) return false;
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool set = SetFileTime(h, nullptr, nullptr, &utc) != 0;
    CloseHandle(h);
    return set;
}

// A visible tool tip window of the process.
HWND VisibleToolTip(DWORD pid) {
    struct Find {
        DWORD pid;
        HWND found = nullptr;
    } find{pid};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            auto* f = reinterpret_cast<Find*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            char cls[64] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (owner == f->pid && _stricmp(cls, TOOLTIPS_CLASSA) == 0 && IsWindowVisible(w)) {
                f->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// The mouse moved onto the middle of a window, as a user's hand moves it.
void HoverOver(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    const int sx = GetSystemMetrics(SM_CXSCREEN) - 1, sy = GetSystemMetrics(SM_CYSCREEN) - 1;
    for (int step = 0; step < 2; ++step) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = ((r.left + r.right) / 2 + step) * 65535 / sx;
        in.mi.dy = ((r.top + r.bottom) / 2) * 65535 / sy;
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &in, sizeof in);
        Sleep(100);
    }
}

TEST_F(ListWindowE2ETest, LettersTypedQuicklySearchAMembersCacheListByPrefix) {
    WriteFile(kMembersCache, ListFile(kMembers));
    SetField(kUser2, "");
    HWND w = Open(kUser2);
    ASSERT_NE(w, nullptr);
    HWND lst = ChildOf(w);
    ASSERT_NE(lst, nullptr);
    ASSERT_EQ(SendMessageA(lst, LB_GETCOUNT, 0, 0), 6);
    for (WORD key : {'S', 'M', 'I'})
        ts::PressKey(key);
    EXPECT_TRUE(WaitFor([&] { return Selection(lst) == 3; }))
        << "smi selects Smith, not the first i: " << Selection(lst);
    Sleep(1500); // past the double-click time: a new search text
    ts::PressKey('S');
    EXPECT_TRUE(WaitFor([&] { return Selection(lst) == 2; })) << "s alone: the first s";
    ts::PressKey(VK_RETURN);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(Field(kUser2), "Smalley, Cy");
}

TEST_F(ListWindowE2ETest, RefreshTipTellsThatTheGroupsChangedAfterTheCacheWasBuilt) {
    WriteFile(kMembersCache, ListFile(kMembers));
    // Built before the stand-in wrote its group table.
    ASSERT_TRUE(SetLocalWriteTime(kMembersCache, 2007, 3, 6, 9, 5));
    HWND w = Open(kUser2);
    ASSERT_NE(w, nullptr);
    HWND refresh = ChildOf(w, "Refresh");
    ASSERT_NE(refresh, nullptr);
    HoverOver(refresh);
    EXPECT_TRUE(WaitFor([&] { return VisibleToolTip(tamberPid) != nullptr; }, 5000))
        << "the tip shows while the mouse rests on Refresh";
    Sleep(300);
    // The whole screen: the tip reaches past the record window's right edge.
    ts::SaveScreenshot(GetDesktopWindow(), "list_window_stale_cache_tip");
    EXPECT_EQ(SendMessageA(ChildOf(w), LB_GETCOUNT, 0, 0), 6) << "nothing rebuilt";
    ts::PressKey(VK_ESCAPE);
    EXPECT_TRUE(Ended());
}

// A members list by company whose names a profile file does not hold as plain text: blanks
// around them, surrounding quotes, a first character that starts a comment or a section.
class CacheEntriesE2ETest : public ListWindowE2ETest {
  protected:
    static constexpr int kField = 202;
    static inline const std::vector<std::string> kCompanies = {" Lead",   "Trail ",   "\"Quoted\"",
                                                               ";semi",   "[bracket", "apple",
                                                               "Apricot", "banana",   "Blueberry"};
    static constexpr const char* kGroup = "GODDNAMES001";
    size_t firstRecord = 0; // record number (from 1) of the group's first member

    void SetUp() override {
        tamber::actdb::Database db = tamber::actdb::Load(WinPath(SAMPLE_DB));
        firstRecord = db.contacts.size() + 1;
        tamber::actdb::Group group{kGroup, "Odd names", "", {}};
        for (size_t i = 0; i < kCompanies.size(); ++i) {
            char id[16];
            snprintf(id, sizeof id, "CODDNAME%04u", static_cast<unsigned>(i + 1));
            db.contacts.push_back({id, {{25, kCompanies[i]}}});
            group.members.push_back(id);
        }
        db.groups.push_back(group);
        tamber::actdb::Save(db, kDb);
        ListWindowE2ETest::SetUp();
        std::ofstream(kIni, std::ios::binary | std::ios::app)
            << "[202]\r\nType=2\r\nNoRebuild=1\r\nCompanyName=1\r\nReference=" << kGroup << "\r\n";
        for (const std::string& old : CacheFiles())
            DeleteFileA(old.c_str());
    }
    void TearDown() override {
        ListWindowE2ETest::TearDown();
        CopyFileA(WinPath(SAMPLE_DB).c_str(), kDb.c_str(), FALSE);
    }

    // The members lists' cache files in the settings folder.
    static std::vector<std::string> CacheFiles() {
        std::vector<std::string> found;
        WIN32_FIND_DATAA d;
        HANDLE h = FindFirstFileA((kSettingsDir + "\\Contacts_*.dat").c_str(), &d);
        if (h == INVALID_HANDLE_VALUE) return found;
        do {
            const std::string name = d.cFileName;
            if (name != "Contacts_000001.dat" && name != "Contacts_200001_N.dat")
                found.push_back(kSettingsDir + "\\" + name);
        } while (FindNextFileA(h, &d));
        FindClose(h);
        return found;
    }
    // A value as the system's profile reader gives it back.
    static std::string Profile(const std::string& file, const char* section, const char* key) {
        char buf[4096] = {};
        GetPrivateProfileStringA(section, key, "", buf, sizeof buf, file.c_str());
        return buf;
    }
    static std::vector<std::string> IndexKeys(const std::string& file) {
        char buf[4096] = {};
        DWORD n = GetPrivateProfileStringA("Index", nullptr, "", buf, sizeof buf, file.c_str());
        std::vector<std::string> keys;
        for (const char* k = buf; k < buf + n && *k; k += strlen(k) + 1)
            keys.push_back(k);
        return keys;
    }
    // actctl's command line keeps blanks and quotes of a text argument.
    void SetExactly(int field, const std::string& text) {
        std::string arg = "\"";
        for (char c : text)
            arg += c == '"' ? std::string("\\\"") : std::string(1, c);
        CtlLine("type " + std::to_string(field) + " " + arg + "\"");
        ASSERT_EQ(Field(field), text);
    }
    // Refresh in an open list window; the cache file it wrote.
    std::string Refresh(HWND w, size_t entries) {
        HWND refresh = ChildOf(w, "Refresh");
        EXPECT_NE(refresh, nullptr);
        if (!refresh) return "";
        ts::ClickWindow(refresh);
        HWND lst = ChildOf(w);
        EXPECT_TRUE(WaitFor(
            [&] {
                return IsWindowVisible(lst) &&
                       SendMessageA(lst, LB_GETCOUNT, 0, 0) == static_cast<LRESULT>(entries);
            },
            30000))
            << Describe(tamberPid);
        const std::vector<std::string> files = CacheFiles();
        EXPECT_EQ(files.size(), 1u);
        return files.empty() ? "" : files.front();
    }
};

TEST_F(CacheEntriesE2ETest, EntriesReadBackPreselectAndWriteExactlyAndRefreshLeavesNoStaleKey) {
    SetExactly(kField, "");
    HWND w = Open(kField);
    ASSERT_NE(w, nullptr);
    const std::string file = Refresh(w, kCompanies.size());
    ASSERT_FALSE(file.empty());
    ts::PressKey(VK_ESCAPE);
    ASSERT_TRUE(Ended());

    // Every entry reads back from the file as ACT! holds it; where each one stands.
    std::vector<std::string> stored;
    for (size_t i = 1; i <= kCompanies.size(); ++i)
        stored.push_back(Profile(file, "Items", std::to_string(i).c_str()));
    for (const std::string& company : kCompanies)
        EXPECT_EQ(std::count(stored.begin(), stored.end(), company), 1) << "[" << company << "]";
    EXPECT_EQ(Profile(file, "Index", "Count"), std::to_string(kCompanies.size()));
    auto at = [&](const std::string& entry) {
        return static_cast<int>(std::find(stored.begin(), stored.end(), entry) - stored.begin());
    };
    EXPECT_EQ(Profile(file, "Index", "a"), std::to_string(at("apple") + 1));
    EXPECT_EQ(Profile(file, "Index", "b"), std::to_string(at("banana") + 1));

    // Each such entry is pre-selected from the field's value and Enter writes it back unchanged.
    for (const std::string company : {" Lead", "Trail ", "\"Quoted\"", ";semi", "[bracket"}) {
        SetExactly(kField, company);
        w = Open(kField);
        ASSERT_NE(w, nullptr) << company;
        HWND lst = ChildOf(w);
        EXPECT_EQ(Selection(lst), at(company)) << "[" << company << "]";
        SetExactly(kField, "");
        ts::PressKey(VK_RETURN);
        ASSERT_TRUE(Ended()) << company;
        EXPECT_EQ(Field(kField), company);
    }
    // Type-ahead on a character that has no index key still finds its entry.
    SetExactly(kField, "apple");
    w = Open(kField);
    ASSERT_NE(w, nullptr);
    HWND lst = ChildOf(w);
    ts::PressKey(VK_OEM_1); // ;
    EXPECT_TRUE(WaitFor([&] { return Selection(lst) == at(";semi"); }, 2000));
    Sleep(GetDoubleClickTime() + 100); // else ";[" is one prefix, which no entry starts with
    ts::PressKey(VK_OEM_4);            // [
    EXPECT_TRUE(WaitFor([&] { return Selection(lst) == at("[bracket"); }, 2000));
    ts::PressKey(VK_ESCAPE);
    ASSERT_TRUE(Ended());

    // ACT! now holds other names: the second refresh keeps none of the first one's keys.
    const char* const renamed[] = {"cherry", "Cobalt", "date",  "egg",  "fig",
                                   "grape",  "kiwi",   "lemon", "mango"};
    for (size_t i = 0; i < kCompanies.size(); ++i) {
        CtlLine("goto " + std::to_string(firstRecord + i));
        SetExactly(kCompany, renamed[i]);
    }
    CtlLine("goto 1");
    w = Open(kField);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Refresh(w, kCompanies.size()), file);
    EXPECT_TRUE(WaitFor([&] { return Profile(file, "Items", "1") == "cherry"; }, 30000));
    ts::PressKey(VK_ESCAPE);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(IndexKeys(file),
              (std::vector<std::string>{"Count", "c", "d", "e", "f", "g", "k", "l", "m"}));

    // The field identifier went to ACT! as a number, never as text.
    const std::string journal = Slurp(kJournal);
    EXPECT_NE(journal.find("View.GetField(202) = "), std::string::npos);
    EXPECT_NE(journal.find("View.SetField(202, \" Lead\") = Empty"), std::string::npos);
    EXPECT_EQ(journal.find("View.GetField(\"202\")"), std::string::npos);
    EXPECT_EQ(journal.find("View.SetField(\"202\""), std::string::npos);
}

TEST_F(CacheEntriesE2ETest, NarrowFieldOpensItsCacheListWithTheRefreshButton) {
    SetExactly(kField, "apple");
    CtlLine("width 202 40");
    HWND w = Open(kField);
    ASSERT_NE(w, nullptr);
    RECT field, list;
    GetWindowRect(fieldBox, &field);
    GetWindowRect(w, &list);
    EXPECT_EQ(field.right - field.left, 40);
    EXPECT_NEAR(list.right - list.left, 42, 1);
    HWND refresh = ChildOf(w, "Refresh");
    ASSERT_NE(refresh, nullptr) << Describe(tamberPid);
    RECT button;
    GetWindowRect(refresh, &button);
    EXPECT_GT(button.bottom, button.top);
    EXPECT_EQ(WaitForDialog(tamberPid, 500), nullptr) << Describe(tamberPid);
    ts::SaveScreenshot(act, "list_window_narrow_field");
    Refresh(w, kCompanies.size());
    ts::PressKey(VK_ESCAPE);
    EXPECT_TRUE(Ended());
}

} // namespace

namespace {

// Timings under Wine, not a test: tools/listwindow-timing.sh runs it on a generated database
// (TAMBER_TIMING_DB: 5,000 members in its first group, 31,982 top-level groups).
class ListWindowTiming : public ListWindowE2ETest {
  protected:
    void SetUp() override {
        const char* db = getenv("TAMBER_TIMING_DB");
        if (!db) GTEST_SKIP() << "TAMBER_TIMING_DB names the generated database";
        CopyFileA(db, kDb.c_str(), FALSE);
        ListWindowE2ETest::SetUp();
    }
    void TearDown() override {
        ListWindowE2ETest::TearDown();
        CopyFileA(WinPath(SAMPLE_DB).c_str(), kDb.c_str(), FALSE);
    }
    // Milliseconds from the toolbar button to the list visible with `selected` pre-selected
    // (-1: with `count` entries); the median of three opens.
    double OpenMs(int field, int selected, int count = -1) {
        std::vector<double> times;
        for (int run = 0; run < 3; ++run) {
            FocusField(field);
            LARGE_INTEGER f, t0, t1;
            QueryPerformanceFrequency(&f);
            QueryPerformanceCounter(&t0);
            tamber = PressAddOn("toolbar", started, &tamberPid);
            HWND w = WaitForListWindow(tamberPid, 120000);
            HWND lst = w ? ChildOf(w) : nullptr;
            bool ok = lst && WaitFor(
                                 [&] {
                                     return count < 0
                                                ? Selection(lst) == selected
                                                : SendMessageA(lst, LB_GETCOUNT, 0, 0) == count;
                                 },
                                 120000);
            QueryPerformanceCounter(&t1);
            EXPECT_TRUE(ok) << "field " << field;
            times.push_back(1000.0 * (t1.QuadPart - t0.QuadPart) / f.QuadPart);
            ts::PressKey(VK_ESCAPE);
            Ended();
        }
        std::sort(times.begin(), times.end());
        return times[1];
    }
};

TEST_F(ListWindowTiming, DISABLED_OpenTimes) {
    // Cache lists: 10 entries (field 25) and 32,767 (field 26) whose value ends a 20,000 run.
    std::vector<std::string> big;
    char name[32];
    for (int i = 1; i <= 32767; ++i) {
        char letter = i <= 20000 ? 'm' : static_cast<char>('n' + (i - 20001) / 1280);
        snprintf(name, sizeof name, "%c%07d", letter, i);
        big.push_back(name);
    }
    WriteFile(kSettingsDir + "\\Contacts_100001.dat", ListFile(big));
    WriteFile(kSettingsDir + "\\Contacts_lists.ini",
              "[Items]\r\n1=BIGLIST00000\r\n[Index]\r\nCount=1\r\n");
    WriteFile(kSettingsDir + "\\Ten.lst",
              ListFile({"Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot", "Golf", "Hotel",
                        "India", "Juliet"}));
    std::ofstream(kIni, std::ios::binary | std::ios::app)
        << "[26]\r\nType=1\r\nNoRebuild=1\r\nReference=BIGLIST00000\r\n"
           "[202]\r\nType=3\r\nReference=50\r\n[202-Values]\r\n"
           "_If No List Specified=3|Ten|0|0\r\n";
    SetField(kCompany, "Echo");
    SetField(26, "m0020000");
    const double small = OpenMs(kCompany, 4), large = OpenMs(26, 19999);
    printf("cache list open: 10 entries %.0f ms, 32,767 entries %.0f ms, ratio %.2f\n", small,
           large, large / small);
    SetField(202, "");
    SetField(kUser1, "");
    const double ten = OpenMs(202, -1, 10);
    const int groups = static_cast<int>(atoi(getenv("TAMBER_TIMING_GROUPS")));
    const double all = OpenMs(kUser1, -1, groups);
    printf("in-memory list open: 10 entries %.0f ms, %d groups %.0f ms, ratio %.2f\n", ten, groups,
           all, all / ten);

    // Members: 5,000 through the stand-in's automation, with gauge.
    std::ofstream(kIni, std::ios::binary | std::ios::app)
        << "[203]\r\nType=2\r\nNoRebuild=1\r\nCompanyName=0\r\nReference="
        << getenv("TAMBER_TIMING_GROUP") << "\r\n";
    DeleteFileA(kJournal.c_str());
    HWND w = Open(203);
    ASSERT_NE(w, nullptr);
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    ts::ClickWindow(ChildOf(w, "Refresh"));
    HWND lst = ChildOf(w);
    bool gaugeSeen = false;
    WaitFor(
        [&] {
            gaugeSeen = gaugeSeen || FindWindowA(nullptr, "Tamberlist progress");
            return SendMessageA(lst, LB_GETCOUNT, 0, 0) == 5000;
        },
        600000);
    QueryPerformanceCounter(&t1);
    std::ifstream journal(kJournal);
    int calls = 0;
    for (std::string line; std::getline(journal, line);)
        calls += line.find('(') != std::string::npos;
    printf("members: 5,000 built and saved in %.0f ms, %.2f automation calls per member, gauge "
           "%s\n",
           1000.0 * (t1.QuadPart - t0.QuadPart) / f.QuadPart, calls / 5000.0,
           gaugeSeen ? "shown" : "not seen");
    ts::PressKey(VK_ESCAPE);
}

} // namespace
