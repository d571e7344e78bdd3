// End-to-end configuration: the stand-in ACT! holds the sample database, tamber.exe is started
// from its toolbar on an unconfigured field, and the configuration window is driven with real
// mouse input; what it writes is read back from the settings file.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "forms/win32/test_support.h"
#include "test_session.h"

namespace {

using namespace tamber::e2e;

namespace ui = tamber::forms::win32::testing;

const char* const kFolder = "C:\\TamberConfigE2E";
const std::string kDb = std::string(kFolder) + "\\Contacts.dbf";
const std::string kJournal = std::string(kFolder) + "\\journal.txt";
const std::string kStandinSettings = std::string(kFolder) + "\\actstandin.ini";
const std::string kSettingsDir = std::string(kFolder) + "\\Data";
const std::string kIni = kSettingsDir + "\\Contacts.ini";
const char* const kCaption = "Tamberlist - List Settings";

constexpr int kRegion = 50;    // North, South, ... in its drop-down
constexpr int kTerritory = 51; // a character field without a drop-down of its own
// The sample database's group with 120 members, and its cache file of contact names.
const char* const kProspects = "Prospects";
const std::string kProspectsCache = kSettingsDir + "\\Contacts_200001_N.dat";

struct Children {
    std::vector<HWND> found;
    std::string cls;
};
BOOL CALLBACK CollectChild(HWND w, LPARAM lp) {
    auto* c = reinterpret_cast<Children*>(lp);
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (c->cls == cls && GetParent(w) != nullptr) c->found.push_back(w);
    return TRUE;
}

// Direct children of the window with the class, top to bottom, then left to right.
std::vector<HWND> ChildrenOf(HWND parent, const std::string& cls, bool visibleOnly = true) {
    Children c{{}, cls};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&c));
    std::vector<HWND> out;
    for (HWND w : c.found)
        if (GetParent(w) == parent && (!visibleOnly || IsWindowVisible(w))) out.push_back(w);
    std::sort(out.begin(), out.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return out;
}

HWND ButtonCalled(HWND form, const std::string& text) {
    for (HWND b : ChildrenOf(form, "Button")) {
        char t[128] = {};
        GetWindowTextA(b, t, sizeof t);
        if (text == t) return b;
    }
    return nullptr;
}

std::string ComboText(HWND combo) {
    char t[256] = {};
    SendMessageA(combo, WM_GETTEXT, sizeof t, reinterpret_cast<LPARAM>(t));
    return t;
}

// Asked in wide characters: the answer across processes is the list's own (wide) text.
std::string ComboEntry(HWND combo, int index) {
    wchar_t w[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(w));
    char t[512] = {};
    WideCharToMultiByte(CP_ACP, 0, w, -1, t, sizeof t, nullptr, nullptr);
    return t;
}

// Opens the combo's list with a click and clicks its entry, as a user picks.
void Choose(HWND combo, const std::string& entry) {
    int index = static_cast<int>(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(entry.c_str())));
    ASSERT_GE(index, 0) << "no entry " << entry;
    ASSERT_TRUE(ui::PickComboEntry(combo, index)) << "the list did not drop down";
    Sleep(400);
    EXPECT_TRUE(WaitFor([&] { return ComboText(combo) == entry; }, 3000))
        << ComboText(combo) << " instead of " << entry;
}

// Screen rectangle of a cell of the list view (column 0 is the value).
RECT CellRect(HWND list, int row, int column) {
    RECT r{};
    r.top = column;
    r.left = LVIR_BOUNDS;
    SendRemote(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), r);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void SendMouse(DWORD flags, LONG x = 0, LONG y = 0, DWORD data = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    in.mi.mouseData = data;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    SendInput(1, &in, sizeof in);
    Sleep(80);
}

// A click held as long as a hand holds it: the list view tracks a press that comes with its
// release in one input batch as the start of a drag, and scrolls.
// A click held as long as a hand holds it, on a row first scrolled into view with the wheel.
void ClickCell(HWND list, int row, int column) {
    RECT t;
    GetWindowRect(list, &t);
    for (int i = 0; i < 20 && SendMessageA(list, LVM_GETTOPINDEX, 0, 0) > row; ++i) {
        const LONG x = (t.left + t.right) / 2, y = (t.top + t.bottom) / 2;
        SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
        SendMouse(MOUSEEVENTF_WHEEL | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y, WHEEL_DELTA);
        Sleep(150);
    }
    RECT r = CellRect(list, row, column);
    // Each event carries the point: the virtual desktop drops a press whose place it guesses.
    const LONG x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
    SendMouse(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
    SendMouse(MOUSEEVENTF_LEFTUP | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
    Sleep(400);
}

std::string CellText(HWND list, int row, int column) {
    // The item and its text buffer travel together.
    struct {
        LVITEMA item;
        char text[256];
    } data{};
    DWORD owner = 0;
    GetWindowThreadProcessId(list, &owner);
    HANDLE p = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, owner);
    if (!p) return "";
    auto* remote =
        static_cast<char*>(VirtualAllocEx(p, nullptr, sizeof data, MEM_COMMIT, PAGE_READWRITE));
    data.item.iSubItem = column;
    data.item.pszText = remote + offsetof(decltype(data), text);
    data.item.cchTextMax = sizeof data.text;
    WriteProcessMemory(p, remote, &data, sizeof data, nullptr);
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(p, remote, &data, sizeof data, nullptr);
    VirtualFreeEx(p, remote, 0, MEM_RELEASE);
    CloseHandle(p);
    return data.text;
}

// The list window's entries: its visible list box.
HWND ListBoxOf(HWND window) {
    auto boxes = ChildrenOf(window, "ListBox");
    return boxes.empty() ? nullptr : boxes[0];
}

// The entries of a list box of another process (asked in wide characters, as ComboEntry).
std::vector<std::string> Entries(HWND box) {
    std::vector<std::string> out;
    const int n = static_cast<int>(SendMessageA(box, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t w[256] = {};
        SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(w));
        char t[512] = {};
        WideCharToMultiByte(CP_ACP, 0, w, -1, t, sizeof t, nullptr, nullptr);
        out.push_back(t);
    }
    return out;
}

class ConfigE2ETest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        CreateDirectoryA(kFolder, nullptr);
        CreateDirectoryA(kSettingsDir.c_str(), nullptr);
        ASSERT_TRUE(PrepareSuite(SAMPLE_DB, kDb, TAMBER_EXE));
        SetSetting("SettingsLocation", kSettingsDir.c_str());
        SetSetting("Ado", "1");
        std::ofstream(kSettingsDir + "\\Sizes.lst", std::ios::binary)
            << "[Items]\r\n1=Large\r\n2=Small\r\n[Index]\r\nCount=2\r\nl=1\r\ns=2\r\n";
    }

    void SetUp() override {
        DeleteFileA(kIni.c_str());
        DeleteFileA(kProspectsCache.c_str());
        HANDLE standin = StartStandin("/journal " + kJournal + " /settings " + kStandinSettings);
        ASSERT_NE(standin, nullptr);
        started.push_back(standin);
        ASSERT_EQ(Ctl("integrate Tamberlist " + Quote(WinPath(TAMBER_EXE))).exitCode, 0u);
        ASSERT_EQ(Ctl("open " + kDb).exitCode, 0u);
    }
    void TearDown() override { EndAll(started); }

    // Starts the add-on in the field and waits for the configuration window.
    HWND OpenConfiguration(int fieldId) {
        std::string reply;
        EXPECT_TRUE(FocusField(fieldId, &reply)) << reply;
        process = PressAddOn("toolbar", started, &pid);
        HWND form = WaitForWindow(pid, kCaption);
        Sleep(700); // the first height change
        return form;
    }
    // Starts the add-on in a configured field and waits for its list window.
    HWND OpenList(int fieldId) {
        std::string reply;
        EXPECT_TRUE(FocusField(fieldId, &reply)) << reply;
        process = PressAddOn("toolbar", started, &pid);
        HWND w = WaitForWindow(pid, "", "");
        if (w) Sleep(500);
        return w;
    }
    void SetField(int fieldId, const std::string& text) {
        Ctl("type " + std::to_string(fieldId) + " " + Quote(text));
    }
    bool Ended(DWORD timeoutMs = 20000) {
        return WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    }
    // The form's combo boxes from the top: field, type, reference.
    std::vector<HWND> Combos(HWND form) { return ChildrenOf(form, "ComboBox"); }
    HWND Table(HWND form) {
        auto lists = ChildrenOf(form, WC_LISTVIEWA);
        return lists.empty() ? nullptr : lists[0];
    }
    // The cell editor: the visible combo box that lies over the table.
    HWND Editor(HWND form) {
        HWND table = Table(form);
        RECT t;
        GetWindowRect(table, &t);
        for (HWND c : Combos(form)) {
            RECT r;
            GetWindowRect(c, &r);
            if (r.top >= t.top && r.top < t.bottom) return c;
        }
        return nullptr;
    }
    // Clicks a cell and checks that the editor lies over it.
    HWND EditCell(HWND form, int row, int column) {
        HWND table = Table(form);
        ClickCell(table, row, column);
        // The list view's click waits to tell a click from a drag before it lets go.
        HWND editor = nullptr;
        WaitFor([&] { return (editor = Editor(form)) != nullptr; }, 3000);
        EXPECT_NE(editor, nullptr)
            << "no editor on row " << row << " column " << column << " " << Describe(pid);
        if (!editor) return nullptr;
        RECT cell = CellRect(table, row, column), ed;
        GetWindowRect(editor, &ed);
        EXPECT_NEAR(ed.top, cell.top, 3) << "row " << row << " column " << column;
        EXPECT_NEAR(ed.left, cell.left + 4, 4) << "row " << row << " column " << column;
        EXPECT_LE(ed.right, cell.right + 1);
        EXPECT_GE(ed.bottom, cell.bottom - 1);
        return editor;
    }

    std::vector<HANDLE> started;
    DWORD pid = 0;
    HANDLE process = nullptr;
};

TEST_F(ConfigE2ETest, MembersListWithManualRebuild) {
    HWND form = OpenConfiguration(kTerritory);
    ASSERT_NE(form, nullptr);
    auto combos = Combos(form);
    ASSERT_GE(combos.size(), 2u);
    EXPECT_EQ(ComboText(combos[0]), "Territory");
    EXPECT_EQ(ComboText(combos[1]), "No Quill List");
    Choose(combos[1], "List of the Members of one GROUP");
    EXPECT_TRUE(WaitFor([&] { return Combos(form).size() == 3; }, 5000));
    combos = Combos(form);
    ASSERT_EQ(combos.size(), 3u);
    Choose(combos[2], kProspects);
    HWND manual = nullptr;
    for (HWND b : ChildrenOf(form, "Button", false)) {
        LONG style = GetWindowLongA(b, GWL_STYLE) & 0xF;
        if (style == BS_CHECKBOX || style == BS_AUTOCHECKBOX) {
            manual = b;
            break;
        }
    }
    ASSERT_NE(manual, nullptr);
    ui::ClickWindow(manual);
    Sleep(300);
    EXPECT_TRUE(
        WaitFor([&] { return SendMessageA(manual, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 3000));
    EXPECT_NE(ui::SaveScreenshot(form, "config_window_members_list"), "");

    ui::ClickWindow(ButtonCalled(form, "&OK"));
    // 120 members: the build shows its progress window.
    EXPECT_TRUE(WaitFor(
        [] {
            HWND g = FindWindowA(nullptr, "Tamberlist progress");
            return g && IsWindowVisible(g);
        },
        20000))
        << "no progress window during the build " << Describe(pid);
    ASSERT_TRUE(Ended(60000)) << Describe(pid);
    EXPECT_NE(GetFileAttributesA(kProspectsCache.c_str()), INVALID_FILE_ATTRIBUTES)
        << "no cache file";
    std::string ini = Slurp(kIni);
    EXPECT_NE(ini.find("[51]\r\nReference="), std::string::npos) << ini;
    EXPECT_NE(ini.find("Type=2\r\nNoRebuild=1\r\nCompanyName=0\r\n"), std::string::npos) << ini;

    // The field now opens its list, from the cache file.
    HWND list = OpenList(kTerritory);
    ASSERT_NE(list, nullptr);
    EXPECT_STRNE(ComboText(list).c_str(), kCaption) << "the configuration window again";
    HWND box = ListBoxOf(list);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(box, LB_GETCOUNT, 0, 0) == 120; }))
        << SendMessageA(box, LB_GETCOUNT, 0, 0) << " entries";
    ui::PressKey(VK_ESCAPE);
    EXPECT_TRUE(Ended());

    // Configured again while its cache file is there: OK asks before rebuilding it, No keeps
    // the file, Yes rebuilds it, and either way the program ends.
    auto written = [] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExA(kProspectsCache.c_str(), GetFileExInfoStandard, &data);
        return (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) |
               data.ftLastWriteTime.dwLowDateTime;
    };
    for (const char* answer : {"&No", "&Yes"}) {
        SCOPED_TRACE(answer);
        const std::string before = Slurp(kProspectsCache);
        const ULONGLONG stamp = written();
        list = OpenList(kTerritory);
        ASSERT_NE(list, nullptr);
        HWND settings = nullptr;
        for (const char* caption : {"List settings...", "Settings", "..."})
            if (!settings) settings = ButtonCalled(list, caption);
        ASSERT_NE(settings, nullptr);
        ui::ClickWindow(settings);
        form = WaitForWindow(pid, kCaption);
        ASSERT_NE(form, nullptr) << Describe(pid);
        Sleep(700);
        ui::ClickWindow(ButtonCalled(form, "&OK"));
        HWND question = WaitForWindow(pid, "Refresh List", "", 30000);
        ASSERT_NE(question, nullptr) << Describe(pid);
        Sleep(300);
        ui::ClickWindow(ButtonCalled(question, answer));
        ASSERT_TRUE(Ended(60000)) << Describe(pid);
        EXPECT_TRUE(WaitFor([] { return !FindWindowA(nullptr, "Tamberlist progress"); }, 3000))
            << "the progress window ended";
        if (std::string(answer) == "&No") {
            EXPECT_EQ(Slurp(kProspectsCache), before);
            EXPECT_EQ(written(), stamp);
        } else {
            EXPECT_NE(written(), stamp) << "rebuilt";
        }
    }
}

TEST_F(ConfigE2ETest, TerritoryDependsOnRegion) {
    HWND form = OpenConfiguration(kTerritory);
    ASSERT_NE(form, nullptr);
    Choose(Combos(form)[1], "Depends on a REFERENCE FIELD value");
    Sleep(300);
    Choose(Combos(form)[2], "Region");
    Sleep(900); // the taller window
    HWND table = Table(form);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(ListView_GetItemCount(table), 6);
    EXPECT_EQ(CellText(table, 0, 0), "_If No List Specified");
    EXPECT_EQ(CellText(table, 1, 0), "North");

    // North: a static list.
    HWND editor = EditCell(form, 1, 1);
    ASSERT_NE(editor, nullptr);
    Choose(editor, "Static LIST");
    editor = EditCell(form, 1, 2);
    ASSERT_NE(editor, nullptr);
    Choose(editor, "Sizes");
    // South: the subgroups of a group.
    editor = EditCell(form, 2, 1);
    ASSERT_NE(editor, nullptr);
    Choose(editor, "Subgroups of one GROUP");
    editor = EditCell(form, 2, 2);
    ASSERT_NE(editor, nullptr);
    const std::string group = ComboEntry(editor, 0);
    Choose(editor, group);
    // Every other value: all groups.
    editor = EditCell(form, 0, 1);
    ASSERT_NE(editor, nullptr);
    Choose(editor, "List of All Groups");
    EXPECT_EQ(CellText(table, 2, 2), group);
    EXPECT_EQ(CellText(table, 1, 3), "N/A");
    EditCell(form, 2, 3);
    EXPECT_NE(ui::SaveScreenshot(form, "config_window_reference_table"), "");

    ui::ClickWindow(ButtonCalled(form, "&OK"));
    EXPECT_TRUE(Ended());
    std::string ini = Slurp(kIni);
    EXPECT_NE(ini.find("[51]\r\nReference=50\r\nType=3\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("_If No List Specified=0|n/a|1|0\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("North=3|Sizes|1|0\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("South=1|"), std::string::npos) << ini;

    // The list window offers each record the list of its Region.
    auto listFor = [&](const std::string& region) {
        SetField(kRegion, region);
        HWND list = OpenList(kTerritory);
        std::vector<std::string> entries;
        // The entries live in the list box that keeps strings; the one drawn may only count.
        if (list)
            for (HWND box : ChildrenOf(list, "ListBox", false))
                if (!(GetWindowLongA(box, GWL_STYLE) & LBS_NODATA)) {
                    WaitFor([&] { return SendMessageA(box, LB_GETCOUNT, 0, 0) > 0; });
                    entries = Entries(box);
                }
        ui::PressKey(VK_ESCAPE);
        EXPECT_TRUE(Ended()) << region;
        return entries;
    };
    EXPECT_EQ(listFor("North"), (std::vector<std::string>{"Large", "Small"}));
    const auto subgroups = listFor("South");
    const auto groups = listFor("West");
    EXPECT_FALSE(subgroups.empty());
    EXPECT_GT(groups.size(), subgroups.size());
    EXPECT_NE(std::find(groups.begin(), groups.end(), group), groups.end())
        << "every group for a value without a list of its own";
    for (const auto& s : subgroups)
        EXPECT_EQ(std::find(groups.begin(), groups.end(), s), groups.end())
            << s << ": a subgroup among the top-level groups?";
}

TEST_F(ConfigE2ETest, EditorHidesOnScrollAndDividerDrag) {
    HWND form = OpenConfiguration(kTerritory);
    ASSERT_NE(form, nullptr);
    Choose(Combos(form)[1], "Depends on a REFERENCE FIELD value");
    ASSERT_TRUE(WaitFor([&] { return Combos(form).size() >= 3; }));
    Choose(Combos(form)[2], "City"); // more values than the table shows
    HWND table = nullptr;
    WaitFor([&] {
        table = Table(form);
        return table && SendMessageA(table, LVM_GETITEMCOUNT, 0, 0) > 0;
    });
    ASSERT_NE(table, nullptr);
    Sleep(900); // the taller window

    HWND editor = EditCell(form, 1, 1);
    ASSERT_NE(editor, nullptr);
    RECT t;
    GetWindowRect(table, &t);
    const LONG mx = (t.left + t.right) / 2, my = (t.top + t.bottom) / 2;
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, mx, my);
    SendMouse(MOUSEEVENTF_WHEEL | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, mx, my,
              static_cast<DWORD>(-WHEEL_DELTA));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }, 3000))
        << "the editor stayed after a vertical scroll";

    editor = EditCell(form, 1, 1);
    ASSERT_NE(editor, nullptr);
    HWND header = reinterpret_cast<HWND>(SendMessageA(table, LVM_GETHEADER, 0, 0));
    RECT item{};
    SendRemote(header, HDM_GETITEMRECT, 0, item);
    MapWindowPoints(header, nullptr, reinterpret_cast<POINT*>(&item), 2);
    const LONG y = (item.top + item.bottom) / 2;
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, item.right, y);
    SendMouse(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, item.right, y);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, item.right + 15, y);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, item.right + 30, y);
    SendMouse(MOUSEEVENTF_LEFTUP | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, item.right + 30, y);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }, 3000))
        << "the editor stayed after a divider drag";

    ui::ClickWindow(ButtonCalled(form, "&Cancel"));
    EXPECT_TRUE(Ended());
    EXPECT_EQ(GetFileAttributesA(kIni.c_str()), INVALID_FILE_ATTRIBUTES) << "Cancel wrote";
}

TEST_F(ConfigE2ETest, IntegrationRestartReopensTheDatabaseAndEnds) {
    HWND form = OpenConfiguration(kTerritory);
    ASSERT_NE(form, nullptr);
    const size_t journalBefore = Slurp(kJournal).size();
    ui::PressKey('O', VK_MENU);
    Sleep(300);
    ui::PressKey('I');
    HWND integrate = WaitForWindow(pid, "Integrate with ACT!", "", 10000);
    ASSERT_NE(integrate, nullptr) << Describe(pid);
    // Untick the Contacts toolbar button that set-up added, and close: ACT! must restart.
    HWND box = nullptr;
    for (HWND b : ChildrenOf(integrate, "Button", false))
        if ((GetWindowLongA(b, GWL_STYLE) & 0xF) == BS_CHECKBOX ||
            (GetWindowLongA(b, GWL_STYLE) & 0xF) == BS_AUTOCHECKBOX) {
            box = b;
            break;
        }
    ASSERT_NE(box, nullptr);
    ui::ClickWindow(box);
    Sleep(300);
    ui::ClickWindow(ButtonCalled(integrate, "&Close"));
    HWND question = WaitForWindow(pid, "Tamberlist", "#32770", 10000);
    ASSERT_NE(question, nullptr) << Describe(pid);
    ui::ClickWindow(GetDlgItem(question, IDYES));
    const DWORD answered = GetTickCount();
    EXPECT_TRUE(WaitFor(
        [&] {
            const std::string journal = Slurp(kJournal).substr(journalBefore);
            const size_t closed = journal.find("close " + kDb);
            return closed != std::string::npos &&
                   journal.find("open " + kDb, closed) != std::string::npos;
        },
        15000))
        << "the database was not closed and opened again:\n"
        << Slurp(kJournal).substr(journalBefore);
    ASSERT_TRUE(Ended(10000)) << Describe(pid);
    const DWORD lasted = GetTickCount() - answered;
    printf("reopen: the program ended %lu ms after Yes\n", static_cast<unsigned long>(lasted));
    EXPECT_GE(lasted, 1000u) << "ended before its timer's second tick";
    EXPECT_LE(lasted, 5000u);
}

// Field 51 already depends on Region, two of whose values name the static list Colours; the
// configuration window is reached from the list window's settings button, and the static
// lists editor from the table.
class StaticListE2ETest : public ConfigE2ETest {
  protected:
    void SetUp() override {
        for (const char* name : {"Colours", "Shades"})
            DeleteFileA((kSettingsDir + "\\" + name + ".lst").c_str());
        std::ofstream(kSettingsDir + "\\Colours.lst", std::ios::binary)
            << "[Items]\r\n1=Blue\r\n2=Red\r\n[Index]\r\nCount=2\r\nb=1\r\nr=2\r\n";
        ConfigE2ETest::SetUp();
        std::ofstream(kIni, std::ios::binary)
            << "[51]\r\nType=3\r\nReference=50\r\n[51-Values]\r\n"
               "_If No List Specified=0|n/a|1|0\r\nNorth=3|Colours|1|0\r\nSouth=3|Colours|1|0\r\n";
        SetField(kRegion, "West");
    }
    // The configuration window with its table, opened from the field's list window.
    HWND OpenTable() {
        HWND list = OpenList(kTerritory);
        if (!list) return nullptr;
        HWND settings = nullptr;
        for (const char* caption : {"List settings...", "Settings", "..."})
            if (!settings) settings = ButtonCalled(list, caption);
        EXPECT_NE(settings, nullptr) << Describe(pid);
        if (!settings) return nullptr;
        ui::ClickWindow(settings);
        HWND form = WaitForWindow(pid, kCaption);
        if (form) Sleep(900); // the taller window
        return form;
    }
    // Opens the static lists editor from the table, on Colours (the first list by name).
    HWND OpenEditor(HWND form) {
        ui::ClickWindow(ButtonCalled(form, "Manage your Static Lists"));
        HWND editor = WaitForWindow(pid, "Static Lists", "", 10000);
        EXPECT_NE(editor, nullptr) << Describe(pid);
        if (!editor) return nullptr;
        HWND names = ChildrenOf(editor, "ListBox")[0];
        EXPECT_TRUE(WaitFor([&] {
            const int i = static_cast<int>(SendMessageA(names, LB_GETCURSEL, 0, 0));
            return i >= 0 && Entries(names)[static_cast<size_t>(i)] == "Colours";
        })) << "the editor did not open on Colours";
        return editor;
    }
};

TEST_F(StaticListE2ETest, RenamedListIsStoredUnderItsNewName) {
    HWND form = OpenTable();
    ASSERT_NE(form, nullptr) << Describe(pid);
    HWND table = Table(form);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(CellText(table, 1, 2), "Colours");
    HWND editor = OpenEditor(form);
    ASSERT_NE(editor, nullptr);
    ui::ClickWindow(ButtonCalled(editor, "Re&name"));
    HWND dialog = WaitForWindow(pid, "List Name", "", 10000);
    ASSERT_NE(dialog, nullptr) << Describe(pid);
    ui::TypeText("Shades\n");
    HWND names = ChildrenOf(editor, "ListBox")[0];
    EXPECT_TRUE(WaitFor([&] {
        const auto entries = Entries(names);
        return std::find(entries.begin(), entries.end(), "Shades") != entries.end();
    })) << Describe(pid);
    ui::ClickWindow(ButtonCalled(editor, "&Close"));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(editor); })) << Describe(pid);
    EXPECT_TRUE(WaitFor([&] { return CellText(table, 2, 2) == "Shades"; }));
    EXPECT_EQ(CellText(table, 1, 2), "Shades");

    ui::ClickWindow(ButtonCalled(form, "&OK"));
    EXPECT_TRUE(Ended()) << Describe(pid);
    const std::string ini = Slurp(kIni);
    EXPECT_NE(ini.find("North=3|Shades|1|0\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("South=3|Shades|1|0\r\n"), std::string::npos) << ini;
}

TEST_F(StaticListE2ETest, RemovedListLeavesTheRowsWithoutAListSoOkAsksForOne) {
    HWND form = OpenTable();
    ASSERT_NE(form, nullptr) << Describe(pid);
    HWND table = Table(form);
    ASSERT_NE(table, nullptr);
    HWND editor = OpenEditor(form);
    ASSERT_NE(editor, nullptr);
    ui::ClickWindow(ButtonCalled(editor, "&Remove"));
    HWND sure = WaitForWindow(pid, "Tamberlist", "#32770", 10000);
    ASSERT_NE(sure, nullptr) << Describe(pid);
    ui::ClickWindow(GetDlgItem(sure, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(sure); }));
    ui::ClickWindow(ButtonCalled(editor, "&Close"));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(editor); })) << Describe(pid);
    EXPECT_EQ(CellText(table, 1, 2), "");
    EXPECT_EQ(CellText(table, 2, 2), "");

    ui::ClickWindow(ButtonCalled(form, "&OK"));
    HWND ask = WaitForWindow(pid, "Tamberlist", "#32770", 10000);
    ASSERT_NE(ask, nullptr) << Describe(pid);
    EXPECT_NE(Describe(pid).find("You need to select a list!"), std::string::npos) << Describe(pid);
    ui::ClickWindow(GetDlgItem(ask, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(ask); }));
    EXPECT_TRUE(IsWindowVisible(form)) << "OK went through without a list";
    ui::ClickWindow(ButtonCalled(form, "&Cancel"));
    EXPECT_TRUE(Ended()) << Describe(pid);
    EXPECT_NE(Slurp(kIni).find("North=3||1|0\r\n"), std::string::npos) << Slurp(kIni);
}

} // namespace
