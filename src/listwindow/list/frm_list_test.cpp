#include "listwindow/list/frm_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/error_report.h"
#include "common/scripted_dialogs.h"
#include "forms/runtime/collate.h"
#include "forms/runtime/headless.h"
#include "ini/ini_engine.h"
#include "inilib/inilib.h"
#include "integration/message/frm_message.h"
#include "listbuild/cache/list_cache.h"
#include "listbuild/listnames/list_names.h"
#include "listbuild/progress/progress_channel.h"
#include "module1/module1.h"
#include "ports/act.h"
#include "ports/dbf/dbf_group_tables.h"
#include "ports/dbf/dbf_writer.h"
#include "ports/memory/fake_desktop.h"
#include "ports/memory/fake_process_launcher.h"
#include "ports/memory/memory_act.h"
#include "ports/memory/memory_file_system.h"
#include "ports/memory/memory_list_window_ports.h"
#include "ports/memory/memory_settings_store.h"
#include "ports/memory/recording_keyboard.h"
#include "ports/platform.h"
#include "staticlists/listfiles/list_file.h"
#include "testing/program_test.h"

namespace tamber {
namespace {

using forms::vb::kLeftButton;
using forms::vb::kRightButton;

constexpr int16_t kField = 50;
constexpr int16_t kRegion = 51;
const std::string kIni = "C:\\Data\\Contacts.ini";
const std::string kAllGroupsCache = "C:\\Data\\Contacts_000001.dat";

actdb::Contact Person(std::string id, std::string last, std::string first, std::string company) {
    actdb::Contact c;
    c.id = std::move(id);
    c.SetValue(79, std::move(last));
    c.SetValue(78, std::move(first));
    c.SetValue(25, std::move(company));
    return c;
}

actdb::Database TestDatabase() {
    actdb::Database db;
    for (int16_t id : {int16_t{25}, kField, kRegion, int16_t{78}, int16_t{79}}) {
        actdb::Field f;
        f.id = id;
        f.label = "F" + std::to_string(id);
        db.fields.push_back(f);
    }
    db.contacts = {Person("C00000000001", "Zola", "Ann", "Acme"),
                   Person("C00000000002", "Abel", "Bob", "acme"),
                   Person("C00000000003", "Marx", "Cy", "Acme"),
                   Person("C00000000004", "Bond", "Di", "BigAcme")};
    db.groups = {
        {"G00000000001", "Customers", "", {"C00000000001", "C00000000002", "C00000000003"}},
        {"G0000000O'K1", "O'Keefe", "", {"C00000000004", "C00000000001"}},
        {"G00000000003", "North", "G0000000O'K1", {}},
        {"G00000000004", "South", "G0000000O'K1", {}}};
    return db;
}

class ListWindowTest : public testing::ProgramTest {
  protected:
    forms::HeadlessHost host;
    FakeDesktop desktop;
    RecordingKeyboard keyboard;
    MemoryKeyboardHook hook;
    FixedLocale locale;
    RecordingWindowStack stack;
    ManualTypingTime typing;
    std::unique_ptr<GroupTables> groupTables = MakeDbfGroupTables(files);
    act::MemoryAct act{TestDatabase()};
    bool fromSettings = false;
    int mainShown = 0;

    void SetUp() override {
        ProgramTest::SetUp();
        Platform& sys = Sys();
        sys.desktop = &desktop;
        sys.keyboard = &keyboard;
        sys.groupTables = groupTables.get();
        sys.automation = &act.automation();
        files.MakeFolders("C:\\ACT");
        Module1& m = M();
        m.FieldId = kField;
        m.FieldIdText = std::to_string(kField);
        m.FieldRect = {100, 180, 300, 200};
        m.ActApp = act.automation().CreateApp();
        m.ActView = m.ActApp->Views()->Create(1, "CV");
        WriteGroupTable(3, 200);
    }

    // A group table of top-level groups Group1.. and subgroups Sub1.. of the first.
    void WriteGroupTable(int top, int subs) {
        std::vector<GroupTableRow> rows;
        for (int i = 1; i <= top; ++i)
            rows.push_back({"T" + std::to_string(i), "", "Group" + std::to_string(i)});
        for (int i = 1; i <= subs; ++i)
            rows.push_back({"S" + std::to_string(i), "T1", "Sub" + std::to_string(i)});
        files.WriteAll("C:\\ACT\\Contacts.gdb", tamber::WriteGroupTable(rows));
        M().GroupConnection = groupTables->Open("Provider=CodeBase", "C:\\ACT", "Contacts.gdb");
    }
    void UseAutomation() {
        Module1& m = M();
        m.UseActDatabase = true;
        m.ActDatabase = act.automation().CreateDatabase();
        m.ActDatabase->OpenEx("");
        m.ActGroup = m.ActDatabase->Group();
        m.ActContact = m.ActDatabase->Contact();
    }
    void Set(const std::string& key, const std::string& value, std::string section = "") {
        IniLib::WriteKeyValue(section.empty() ? M().FieldIdText : section, key, value, kIni);
    }
    void SetField(int16_t id, const std::string& value) { M().ActView->SetField(id, value); }
    std::string Field(int16_t id = kField) { return M().ActView->GetField(id); }
    void WriteList(const std::string& file, const std::vector<std::string>& entries) {
        IniLib::Batch b(file);
        int n = 0;
        char last = 0;
        for (const std::string& e : entries) {
            ++n;
            if (e.empty()) continue;
            b.Write("Items", std::to_string(n), e);
            char c = static_cast<char>(std::tolower(static_cast<unsigned char>(e[0])));
            if (c != last) b.Write("Index", std::string(1, c), std::to_string(n));
            last = c;
        }
        b.Write("Index", "Count", std::to_string(n));
        ASSERT_TRUE(b.Commit());
    }

    std::unique_ptr<frmList> Open() {
        auto f = std::make_unique<frmList>(
            frmList::Ports{hook, locale, stack, typing},
            frmList::Deps{[this] { ++mainShown; }, [this] { return fromSettings; }});
        f->lstDynamic.SetItemHeightTwips(10); // requested heights stay whole
        f->Show();
        desktop.foreground = f->hWnd();
        return f;
    }
    std::vector<std::string> Shown(frmList& f) {
        std::vector<std::string> rows;
        for (int i = 0; i < f.lstDynamic.ListCount(); ++i)
            rows.push_back(f.lstDynamic.ItemText(i, false));
        return rows;
    }
    std::string Selected(frmList& f) {
        int i = f.lstDynamic.ListIndex();
        return i < 0 ? "<none>" : f.lstDynamic.ItemText(i, true);
    }
    std::string Setting(const std::string& name) {
        return settings.GetSetting("Varnel", "Progress", name, "<missing>");
    }
};

TEST_F(ListWindowTest, PlacedUnderTheFieldAndSizedToItsEntries) {
    Set("Type", "0");
    Set("NoRebuild", "0");
    auto f = Open();
    EXPECT_EQ(f->Left(), 1480);
    EXPECT_EQ(f->Top(), 3030);
    EXPECT_EQ(f->Width(), 3030);
    EXPECT_EQ(f->lstDynamic.Width(), 3020);
    EXPECT_EQ(settings.GetSetting("Tamberlist", "Handles", "50"), std::to_string(f->hWnd()));
    EXPECT_TRUE(hook.Installed());

    const std::vector<std::pair<int, long>> heights = {
        {0, 0}, {1, 270}, {2, 520}, {3, 720}, {5, 960}};
    for (auto [n, height] : heights) {
        f->lstSorted.Clear();
        for (int i = 0; i < n; ++i)
            f->lstSorted.AddItem("e" + std::to_string(i));
        f->ShowList();
        EXPECT_EQ(f->lstDynamic.Height(), height) << n;
        EXPECT_EQ(f->lstDynamic.ListCount(), n);
        EXPECT_EQ(f->lstDynamic.Visible(), n > 0);
        EXPECT_EQ(f->Height(), height + f->cmdEditList.Height()) << n;
    }
    EXPECT_EQ(f->cmdEditList.Width(), 3000);
    EXPECT_FALSE(f->cmdRefresh.Visible());

    for (auto [width, caption] : std::vector<std::pair<long, std::string>>{
             {750, "..."}, {751, "Settings"}, {1150, "Settings"}, {1151, "List settings..."}}) {
        f->cmdEditList.SetWidth(width);
        f->SetEditCaption();
        EXPECT_EQ(f->cmdEditList.Caption(), caption) << width;
    }
    f->Unload();
    EXPECT_FALSE(hook.Installed());
}

TEST_F(ListWindowTest, CacheListShowsRefreshPreselectsJumpsAndWrites) {
    Set("Type", "0");
    WriteList(kAllGroupsCache, {"apple", "Avocado", "banana", "Cherry", "citron"});
    SetField(kField, "banana;Zeta");
    auto f = Open();
    EXPECT_TRUE(f->cmdRefresh.Visible());
    EXPECT_EQ(f->cmdEditList.Width(), 3020 - 720);
    EXPECT_EQ(f->cmdRefresh.Left(), f->cmdEditList.Left() + f->cmdEditList.Width());
    EXPECT_EQ(f->cmdRefresh.Top(), f->cmdEditList.Top());
    EXPECT_EQ(Shown(*f),
              (std::vector<std::string>{"apple", "Avocado", "banana", "Cherry", "citron"}));
    EXPECT_EQ(Selected(*f), "banana") << "the first of several values";

    host.Type("c");
    EXPECT_EQ(Selected(*f), "Cherry");
    host.Type("q"); // no key for q
    EXPECT_EQ(Selected(*f), "Cherry");
    host.Focus(f->lstSorted);
    host.Type("A");
    EXPECT_EQ(Selected(*f), "apple");
    EXPECT_TRUE(f->lstDynamic.HasFocus());

    host.Key(13);
    EXPECT_EQ(Field(), "apple");
    EXPECT_FALSE(f->Loaded());
}

TEST_F(ListWindowTest, CacheListTypesAheadByPrefixWithinTheInterval) {
    Set("Type", "0");
    WriteList(kAllGroupsCache, {"Ives", "Mills", "Smalley, Ann", "Smith, Bob", "Smithers, Cy",
                                "Snow", "Sssa", "Ssz"});
    auto f = Open();
    host.Type("smi"); // within the interval: one search text, not s, m, i
    EXPECT_EQ(Selected(*f), "Smith, Bob");
    host.Type("t");
    EXPECT_EQ(Selected(*f), "Smith, Bob");
    host.Type("he");
    EXPECT_EQ(Selected(*f), "Smithers, Cy");
    host.Type("x"); // no entry starts with it: the selection stays
    EXPECT_EQ(Selected(*f), "Smithers, Cy");
    host.Key(forms::vb::kKeyBack);
    host.Key(forms::vb::kKeyBack);
    host.Key(forms::vb::kKeyBack);
    host.Key(forms::vb::kKeyBack);
    EXPECT_EQ(Selected(*f), "Smith, Bob") << "back to smi";
    host.Key(forms::vb::kKeyBack);
    EXPECT_EQ(Selected(*f), "Smalley, Ann") << "sm";

    // After a pause a key begins again, and one key alone jumps through the index.
    typing.Wait();
    host.Type("I");
    EXPECT_EQ(Selected(*f), "Ives");
    typing.Wait();
    host.Type("m");
    typing.Wait();
    host.Type("i");
    EXPECT_EQ(Selected(*f), "Ives") << "m, then i after the interval";
    typing.Wait();
    host.Type("SSS"); // the same letter again is that letter's jump, as in the list box
    EXPECT_EQ(Selected(*f), "Smalley, Ann");
    host.Type("a");
    EXPECT_EQ(Selected(*f), "Sssa");
    typing.Wait();
    host.Key(forms::vb::kKeyBack); // nothing typed to shorten
    EXPECT_EQ(Selected(*f), "Sssa");
    host.Key(13);
    EXPECT_EQ(Field(), "Sssa");
}

TEST_F(ListWindowTest, InMemoryListTypesAheadByPrefixAndBackspaceShortensIt) {
    Set("Type", "1");
    Set("NoRebuild", "0");
    Set("Reference", "T1");
    auto f = Open();
    ASSERT_EQ(f->lstSorted.ListCount(), 200);
    host.Focus(f->lstDynamic);
    host.Type("s");
    EXPECT_EQ(Selected(*f), "Sub1");
    EXPECT_TRUE(f->lstDynamic.HasFocus());
    host.Type("ub2");
    EXPECT_EQ(Selected(*f), "Sub2");
    host.Type("5");
    EXPECT_EQ(Selected(*f), "Sub25");
    host.Key(forms::vb::kKeyBack);
    host.Key(forms::vb::kKeyBack);
    EXPECT_EQ(Selected(*f), "Sub1");
    EXPECT_EQ(f->lstSorted.ListIndex(), f->lstDynamic.ListIndex()) << "both lists agree";
    f->lstDynamic.SetListIndex(1); // an arrow key moves only the list shown
    host.Key(forms::vb::kKeyBack);
    EXPECT_EQ(Selected(*f), "Sub1") << "su: the sorted list was already there";
    host.Type("b99");
    host.Key(13);
    EXPECT_EQ(Field(), "Sub99");
}

TEST_F(ListWindowTest, RefreshToolTipTellsTheCacheAgeAndWhenTheGroupsChangedSince) {
    Set("Type", "0");
    auto f = Open();
    EXPECT_EQ(f->cmdRefresh.ToolTipText(), "This list has not been built yet.");

    WriteList(kAllGroupsCache, {"Alpha", "Beta"});
    files.SetLastWrite("C:\\ACT\\Contacts.gdb", FileTimeOf(2007, 3, 6, 9, 0));
    files.SetLastWrite(kAllGroupsCache, FileTimeOf(2007, 3, 6, 9, 5));
    f = Open();
    EXPECT_EQ(f->cmdRefresh.ToolTipText(), "Built Tuesday March 6, 2007 at 9:05");
    EXPECT_FALSE(f->cmdRefresh.GetFont().bold);

    files.SetLastWrite("C:\\ACT\\Contacts.gdb", FileTimeOf(2007, 3, 6, 9, 6));
    f = Open();
    EXPECT_EQ(f->cmdRefresh.ToolTipText(), "Built Tuesday March 6, 2007 at 9:05\r\n"
                                           "The groups changed after this list was built.");
    EXPECT_TRUE(f->cmdRefresh.GetFont().bold);
    EXPECT_EQ(Shown(*f), (std::vector<std::string>{"Alpha", "Beta"})) << "nothing rebuilt";

    // The groups read through automation: the table's time says nothing.
    UseAutomation();
    f = Open();
    EXPECT_EQ(f->cmdRefresh.ToolTipText(), "Built Tuesday March 6, 2007 at 9:05");
    EXPECT_FALSE(f->cmdRefresh.GetFont().bold);

    // A rebuild makes the list current again.
    M().UseActDatabase = false;
    f = Open();
    host.Click(f->cmdRefresh);
    EXPECT_EQ(Shown(*f), (std::vector<std::string>{"Group1", "Group2", "Group3"}));
    EXPECT_EQ(f->cmdRefresh.ToolTipText().rfind("Built ", 0), 0u) << f->cmdRefresh.ToolTipText();
    EXPECT_EQ(f->cmdRefresh.ToolTipText().find("changed"), std::string::npos);
    EXPECT_FALSE(f->cmdRefresh.GetFont().bold);
}

TEST_F(ListWindowTest, CtrlHeldOnceMakesWritesAdditions) {
    Set("Type", "0");
    WriteList(kAllGroupsCache, {"Alpha", "Beta", "Gamma"});
    SetField(kField, "Alphabet");
    auto f = Open();
    hook.Key(false);
    EXPECT_FALSE(f->bKeepExisting);
    hook.Key(true); // Ctrl pressed, even in another program
    f->lstDynamic.SetListIndex(0);
    host.Key(10);
    EXPECT_EQ(Field(), "Alpha;Alphabet") << "Alpha is not one of the field's values";

    SetField(kField, "Alpha;Gamma");
    f = Open();
    hook.Key(true);
    f->lstDynamic.SetListIndex(1);
    host.Key(13);
    EXPECT_EQ(Field(), "Alpha;Beta;Gamma");

    // Without a list separator there is no way to hold two values: Ctrl replaces.
    locale.separator = "";
    SetField(kField, "Beta");
    f = Open();
    hook.Key(true);
    f->lstDynamic.SetListIndex(0);
    host.Key(13);
    EXPECT_EQ(Field(), "Alpha");
}

TEST_F(ListWindowTest, GroupListsFromTheTableOrThroughAutomation) {
    Set("Type", "0");
    Set("NoRebuild", "0");
    auto f = Open();
    EXPECT_EQ(f->lstSorted.ListCount(), 3) << "only top-level groups in the table";
    EXPECT_FALSE(f->cmdRefresh.Visible());

    WriteGroupTable(3, 200);
    UseAutomation();
    act.db().groups.clear();
    for (int i = 1; i <= 3; ++i)
        act.db().groups.push_back(
            {"T0000000000" + std::to_string(i), "Group" + std::to_string(i), "", {}});
    for (int i = 1; i <= 200; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "S%011d", i);
        act.db().groups.push_back({id, "Sub" + std::to_string(i), "T00000000001", {}});
    }
    f = Open();
    EXPECT_EQ(f->lstSorted.ListCount(), 203) << "every group through automation";
}

TEST_F(ListWindowTest, SubgroupsOfAParentWhoseIdentifierHasAQuote) {
    std::vector<GroupTableRow> rows = {{"P'1", "", "Parent"},
                                       {"A", "P'1", "beta"},
                                       {"B", "P'1", "Alpha"},
                                       {"C", "P'1", "alpha"},
                                       {"D", "P1", "Other"}};
    files.WriteAll("C:\\ACT\\Contacts.gdb", tamber::WriteGroupTable(rows));
    Set("Type", "1");
    Set("NoRebuild", "0");
    Set("Reference", "P'1");
    SetField(kField, "beta");
    auto f = Open();
    ASSERT_EQ(f->lstSorted.ListCount(), 3);
    EXPECT_TRUE(forms::EqualsNoCase(f->lstSorted.List(0), "alpha"));
    EXPECT_EQ(f->lstSorted.List(2), "beta");
    EXPECT_EQ(Selected(*f), "beta");
}

TEST_F(ListWindowTest, MembersByContactOrCompany) {
    Set("Type", "2");
    Set("NoRebuild", "0");
    Set("Reference", "G00000000001");
    Set("CompanyName", "False");
    auto f = Open();
    EXPECT_EQ(Shown(*f), (std::vector<std::string>{"Abel, Bob", "Marx, Cy", "Zola, Ann"}));
    EXPECT_TRUE(M().ActDatabase) << "members are read through automation";

    Set("CompanyName", "True");
    f = Open();
    EXPECT_EQ(f->lstSorted.ListCount(), 2) << "Acme, acme, Acme";
    Set("Reference", "G0000000O'K1");
    f = Open();
    EXPECT_EQ(Shown(*f), (std::vector<std::string>{"Acme", "BigAcme"}));

    Set("CompanyName", "");
    dialogs.shown.clear();
    f = Open();
    ASSERT_EQ(dialogs.shown.size(), 1u) << "an empty CompanyName cannot be a Boolean";
    EXPECT_NE(dialogs.shown[0].prompt.find("Form_Load"), std::string::npos);
}

TEST_F(ListWindowTest, InMemoryTypeAheadGoesThroughTheSortedList) {
    Set("Type", "0");
    Set("NoRebuild", "0");
    auto f = Open();
    host.Focus(f->lstDynamic);
    for (const char* expected : {"Group1", "Group2"}) {
        host.Type("g");
        EXPECT_EQ(Selected(*f), expected) << "the same letter steps on, as a list box does";
        EXPECT_EQ(f->lstSorted.ListIndex(), f->lstDynamic.ListIndex());
    }
    // Enter and the next letters come straight after the letter, as from a quick typist or a
    // busy machine: nothing may reach a hidden list in between, which once dropped the Enter.
    EXPECT_TRUE(f->lstDynamic.HasFocus());
    host.Key(13);
    EXPECT_EQ(Field(), "Group2");

    auto again = Open();
    host.Focus(again->lstDynamic);
    host.Type("g");
    const std::string chosen = Selected(*again);
    EXPECT_EQ(chosen, "Group3") << "steps on from the field's value, which was pre-selected";
    host.Key(10);
    EXPECT_EQ(Field(), chosen) << "Ctrl+Enter right after a letter writes";
    EXPECT_FALSE(again->Loaded());
}

TEST_F(ListWindowTest, StaticListShowsAndWritesWhatTheSortedListHolds) {
    IniLib::Batch b("C:\\Data\\Fruit.lst");
    b.Write("Items", "1", "banana");
    b.Write("Items", "2", "Apple");
    b.Write("Items", "5", "apple");
    ASSERT_TRUE(b.Commit());
    Set("Type", "3");
    Set("Reference", std::to_string(kRegion));
    Set("_If No List Specified", "3|Fruit|0|0", "50-Values");
    SetField(kRegion, "North");
    auto f = Open();
    EXPECT_FALSE(f->cmdRefresh.Visible());
    EXPECT_EQ(f->lstDynamic.ListCount(), 5) << "keys 1, 2, 5: two empty items";
    EXPECT_EQ(f->lstSorted.ListCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(f->lstDynamic.ItemText(i, false), f->lstSorted.List(i));
    // A hole in the file is no way to empty the field.
    SetField(kField, "kept");
    f->lstDynamic.SetListIndex(0);
    host.Key(13);
    EXPECT_EQ(Field(), "kept");
    EXPECT_TRUE(f->Loaded());

    Set("Blank", "1");
    f = Open();
    ASSERT_EQ(f->lstDynamic.ListCount(), 6);
    host.ClickItem(f->lstDynamic, 5);
    EXPECT_EQ(Field(), "banana");
    f = Open();
    host.ClickItem(f->lstDynamic, 0); // the Blank entry
    EXPECT_EQ(Field(), "");
}

TEST_F(ListWindowTest, AStaticListLongerThanAListCanHoldOpensItsFirstEntries) {
    std::vector<std::string> items;
    for (int i = 0; i < 32770; ++i)
        items.push_back("item " + std::to_string(100000 + i));
    {
        IniLib::Batch b("C:\\Data\\Long.lst");
        for (std::size_t i = 0; i < items.size(); ++i)
            b.Write("Items", std::to_string(i + 1), items[i]);
        ASSERT_TRUE(b.Commit());
    }
    Set("Type", "3");
    Set("Reference", std::to_string(kRegion));
    Set("_If No List Specified", "3|Long|0|0", "50-Values");
    SetField(kRegion, "North");
    for (const char* blank : {"0", "1"}) {
        SCOPED_TRACE(blank);
        Set("Blank", blank);
        dialogs.shown.clear();
        auto f = Open();
        EXPECT_EQ(f->lstSorted.ListCount(), 32767);
        EXPECT_EQ(f->lstDynamic.ListCount(), 32767);
        const int shown = *blank == '1' ? 32766 : 32767;
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].prompt,
                  "The list Long has 32770 items, more than the 32,767 a list can show; only its "
                  "first " +
                      std::to_string(shown) + " are shown.");
        EXPECT_EQ(f->lstSorted.List(32766), items[static_cast<std::size_t>(shown - 1)]);
    }
}

TEST_F(ListWindowTest, RowsADamagedCacheFileLacksWriteNothing) {
    Set("Type", "0");
    files.WriteAll(kAllGroupsCache, "[Items]\r\n1=apple\r\n[Index]\r\nCount=3\r\na=1\r\n");
    SetField(kField, "kept");
    auto f = Open();
    ASSERT_EQ(f->lstDynamic.ListCount(), 3);
    host.ClickItem(f->lstDynamic, 2);
    EXPECT_EQ(Field(), "kept");
    EXPECT_TRUE(f->Loaded());
}

TEST_F(ListWindowTest, ReferenceValueChoosesTheList) {
    Set("Type", "3");
    Set("Reference", std::to_string(kRegion));
    auto f = Open();
    EXPECT_EQ(f->lstDynamic.ListCount(), 0) << "no value setting at all";

    UseAutomation();
    Set("North", "2|G00000000001|0|", "50-Values");
    SetField(kRegion, "North");
    const std::string cache = "C:\\Data\\Contacts_200001_N.dat";
    WriteList(cache, {"Abel, Bob", "Zola, Ann"});
    f = Open();
    EXPECT_EQ(f->ListFile, cache);
    EXPECT_EQ(f->sTargetField, "51");
    EXPECT_EQ(Shown(*f), (std::vector<std::string>{"Abel, Bob", "Zola, Ann"}));
    EXPECT_TRUE(f->cmdRefresh.Visible());

    host.Click(f->cmdRefresh); // rebuilds the list the region chose, not the field's type 3
    EXPECT_EQ(Shown(*f), (std::vector<std::string>{"Abel, Bob", "Marx, Cy", "Zola, Ann"}));
}

TEST_F(ListWindowTest, ValueThatChoosesNoCacheListShowsAnEmptyListWithoutRefresh) {
    Set("Type", "3");
    Set("Reference", std::to_string(kRegion));
    UseAutomation();
    // Only the exact texts "0" to "4" choose a type; a group type needs its group.
    for (const char* setting :
         {"", "4|n/a|0|0", "x|G00000000001|0|0", "1||0|0", "2||0|1", "1.6|G00000000001|0|0",
          "01|G00000000001|0|0", "70000|G00000000001|0|0"}) {
        Set("North", setting, "50-Values");
        SetField(kRegion, "North");
        auto f = Open();
        EXPECT_EQ(f->lstDynamic.ListCount(), 0) << setting;
        EXPECT_FALSE(f->cmdRefresh.Visible()) << setting;
        EXPECT_EQ(f->Height(), f->cmdEditList.Height()) << setting;
        EXPECT_EQ(f->cmdEditList.Width(), f->lstDynamic.Width() - 20) << setting;
    }
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(files.Exists(M().ListsIniFile)) << "no list was named";
}

TEST_F(ListWindowTest, FieldSectionWithoutAListTypeNamesNoList) {
    Set("NoRebuild", "1");
    auto f = Open();
    EXPECT_EQ(f->lstDynamic.ListCount(), 0);
    EXPECT_FALSE(f->cmdRefresh.Visible());
    EXPECT_FALSE(files.Exists(M().ListsIniFile));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ListWindowTest, NarrowFieldOpensItsCacheListWithRefresh) {
    Set("Type", "0");
    WriteList(kAllGroupsCache, {"apple", "banana"});
    M().FieldRect = {100, 180, 102, 200};
    auto f = Open();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Shown(*f), (std::vector<std::string>{"apple", "banana"}));
    EXPECT_TRUE(f->cmdRefresh.Visible());
    EXPECT_EQ(f->cmdEditList.Width(), 0);
    EXPECT_EQ(f->Height(), f->lstDynamic.Height() + f->cmdEditList.Height());
}

TEST_F(ListWindowTest, OnlyASelectedEntryIsWrittenAndTheRightButtonOnlyAsks) {
    Set("Type", "0");
    WriteList(kAllGroupsCache, {"Alpha", "Beta"});
    SetField(kField, "Keep");
    auto f = Open();
    ASSERT_EQ(f->lstDynamic.ListIndex(), -1);
    host.MouseUp(f->lstDynamic, kLeftButton, 0, 10, 900); // below the last entry
    host.Key(13);
    EXPECT_EQ(Field(), "Keep");
    EXPECT_TRUE(f->Loaded());

    f->lstDynamic.SetListIndex(1);
    dialogs.answers = {mb::kNo};
    host.MouseDown(f->lstDynamic, kRightButton, 0, 10, 10);
    host.MouseUp(f->lstDynamic, kRightButton, 0, 10, 10);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "Clear the field content?");
    EXPECT_EQ(dialogs.shown[0].style, mb::kYesNo + mb::kExclamation + mb::kDefaultButton2);
    EXPECT_EQ(Field(), "Keep");
    EXPECT_TRUE(f->Loaded());
    EXPECT_FALSE(f->Busy);

    dialogs.answers = {mb::kYes};
    host.MouseDown(f->cmdRefresh, kRightButton, 0, 10, 10);
    EXPECT_EQ(Field(), "");
    EXPECT_FALSE(f->Loaded());
}

TEST_F(ListWindowTest, ClosesWhenAnotherWindowIsInFrontUnlessBusy) {
    Set("Type", "0");
    WriteList(kAllGroupsCache, {"Alpha", "Beta"});
    auto f = Open();
    host.Tick(f->tmr1);
    EXPECT_TRUE(f->Loaded());
    // In front with the keyboard focus lost (a progress window closing): the list takes it
    // back, so typing and Esc reach it; with a focus somewhere in the program it stays there.
    host.Focus(f->cmdEditList);
    host.Tick(f->tmr1);
    EXPECT_TRUE(f->lstDynamic.HasFocus());
    host.Focus(f->cmdEditList);
    desktop.focus[desktop.currentThread] = 0x1234;
    host.Tick(f->tmr1);
    EXPECT_TRUE(f->cmdEditList.HasFocus());
    desktop.foreground = 0x999;
    f->Busy = true;
    host.Tick(f->tmr1);
    EXPECT_TRUE(f->Loaded());
    f->Busy = false;
    host.Tick(f->tmr1);
    EXPECT_FALSE(f->Loaded());
    EXPECT_EQ(Field(), "");

    f = Open();
    host.Key(27);
    EXPECT_FALSE(f->Loaded());
    f = Open();
    host.Click(f->cmdEditList);
    EXPECT_EQ(mainShown, 1);
}

class RefreshTest : public ListWindowTest {
  protected:
    // A group of n members, Member0001 ...
    void BigGroup(int n) {
        UseAutomation();
        act.db().contacts.clear();
        actdb::Group g{"G00000000009", "Big", "", {}};
        for (int i = 1; i <= n; ++i) {
            char id[16], name[16];
            std::snprintf(id, sizeof id, "C%011d", i);
            std::snprintf(name, sizeof name, "Member%04d", i);
            act.db().contacts.push_back(Person(id, name, "X", "Co"));
            g.members.push_back(id);
        }
        act.db().groups.push_back(g);
    }
    std::unique_ptr<frmList> Loaded() {
        Set("Type", "2");
        Set("NoRebuild", "0");
        Set("Reference", "G00000000009");
        Set("CompanyName", "0");
        auto f = std::make_unique<frmList>(frmList::Ports{hook, locale, stack, typing},
                                           frmList::Deps{{}, [this] { return fromSettings; }});
        f->Load();
        return f;
    }
};

TEST_F(RefreshTest, SavesTheBuiltListWithItsIndexAndProgress) {
    BigGroup(250);
    auto f = Loaded();
    f->Refresh_File(2, "G00000000009 ", false, false);
    const std::string file = "C:\\Data\\Contacts_200001_N.dat";
    EXPECT_EQ(listfile::ListReader(file).Count(), 250);
    EXPECT_EQ(listfile::ListReader(file).Entry(250), "Member0250, X");
    EXPECT_EQ(processes.started.size(), 1u) << "over 50 members show gauge";
    EXPECT_EQ(Setting("Step"), "End");
    EXPECT_EQ(Setting("Stage"), "200");
    EXPECT_EQ(Setting("Total"), "250");

    ProgressChannel progress(settings, processes);
    ASSERT_TRUE(listbuild::SaveList(kAllGroupsCache, {"", "apple", "Avocado", "banana"}, progress));
    EXPECT_EQ(listfile::ListReader(kAllGroupsCache).Entry(1), "");
    EXPECT_EQ(listfile::ListReader(kAllGroupsCache).Count(), 4);
    EXPECT_EQ(listfile::ListReader(kAllGroupsCache).RunStartOf('a'), 2);
    EXPECT_EQ(listfile::ListReader(kAllGroupsCache).RunStartOf('B'), 4);
}

TEST_F(RefreshTest, AskedBeforeOverwritingFromTheSettingsWindow) {
    BigGroup(10);
    const std::string file = "C:\\Data\\Contacts_200001_N.dat";
    auto f = Loaded();
    f->Refresh_File(2, "G00000000009 ", false, false);
    files.SetLastWrite(file, FileTimeOf(2007, 3, 6, 9, 5));
    const std::string before = files.ReadAll(file).value();
    act.db().groups.back().members.pop_back();

    fromSettings = true;
    f = Loaded();
    // Shown above its siblings, the window loaded only for the refresh becomes active.
    stack.onShow = [&](WindowHandle) { f->Activated(); };
    host.OnModal([&](forms::Form& dlg) {
        auto& msg = static_cast<frmMessage&>(dlg);
        EXPECT_EQ(msg.Caption(), "Refresh List");
        EXPECT_EQ(msg.lblMessage.Caption(),
                  "The List of Members of the Big Group already exists. It was last updated:\r"
                  "Tuesday March 6, 2007 at 9:05\rDo you want to rebuild it?");
        host.Click(msg.cmdNo);
    });
    f->Refresh_File(2, "G00000000009 ", false, false);
    EXPECT_TRUE(f->bCancelled);
    EXPECT_EQ(files.ReadAll(file).value(), before);
    EXPECT_EQ(files.LastWriteTime(file), FileTimeOf(2007, 3, 6, 9, 5));
    EXPECT_EQ(Setting("Step"), "End");
    EXPECT_EQ(stack.calls.size(), 1u) << "the list window is shown above its siblings";
    EXPECT_TRUE(f->CloseRequested);

    host.OnModal([&](forms::Form& dlg) { host.Click(static_cast<frmMessage&>(dlg).cmdYes); });
    f->Refresh_File(2, "G00000000009 ", false, false);
    EXPECT_EQ(listfile::ListReader(file).Count(), 9);
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown[0].prompt;
}

TEST_F(RefreshTest, AFailedBuildKeepsTheCacheAndAMissingGaugeDoesNotStopIt) {
    BigGroup(300);
    const std::string file = "C:\\Data\\Contacts_200001_N.dat";
    WriteList(file, {"Old entry"});
    // The name was recorded when the cache was first built.
    IniLib::WriteKeyValue("Items", "1", "G00000000009 ", M().ListsIniFile);
    IniLib::WriteKeyValue("Index", "Count", "1", M().ListsIniFile);
    const std::string before = files.ReadAll(file).value();

    auto f = Loaded();
    act.Fail("Members.MoveNext", VbError(static_cast<long>(act::kErrNotFound), "ACT! stopped"),
             120);
    f->Refresh_File(2, "G00000000009 ", false, false);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("Create_dict_w_Members"), std::string::npos);
    EXPECT_EQ(files.ReadAll(file).value(), before);
    EXPECT_EQ(Setting("Step"), "End");

    act.ClearFailures();
    dialogs.shown.clear();
    processes.missing.insert("\"" + processes.programFolder + "\\gauge.exe\"");
    f->Refresh_File(2, "G00000000009 ", false, false);
    ASSERT_EQ(dialogs.shown.size(), 1u) << "gauge could not start: said once";
    EXPECT_NE(dialogs.shown[0].prompt.find(
                  "'File not found: " + processes.programFolder +
                  "\\gauge.exe could not be started; the list is built without its progress "
                  "window.'"),
              std::string::npos)
        << dialogs.shown[0].prompt;
    EXPECT_EQ(listfile::ListReader(file).Count(), 300) << "built and saved all the same";
}

// The platform's order under a Swedish locale: Å, Ä and Ö after Z.
struct SwedishOrder : ListOrder {
    static std::string Key(std::string_view s) {
        std::string k;
        for (char c : s) {
            const auto u = static_cast<unsigned char>(c) | 0x20;
            k += u == 0xE5 ? '{' : u == 0xE4 ? '|' : u == 0xF6 ? '}' : static_cast<char>(u);
        }
        return k;
    }
    int Compare(std::string_view a, std::string_view b) const override {
        return Key(a).compare(Key(b));
    }
};

TEST_F(RefreshTest, ARefreshSortsAnOlderCacheInTheUsersOrderAndIndexesItAgain) {
    UseAutomation();
    act.db().contacts.clear();
    actdb::Group g{"G00000000009", "Nordic", "", {}};
    int n = 0;
    for (const char* last : {"\xC5"
                             "berg",
                             "Zorn", "Alm", "\xD6st"}) {
        char id[16];
        std::snprintf(id, sizeof id, "C%011d", ++n);
        act.db().contacts.push_back(Person(id, last, "K", "Co"));
        g.members.push_back(id);
    }
    act.db().groups.push_back(g);
    const std::string file = "C:\\Data\\Contacts_200001_N.dat";
    ASSERT_EQ(Get_List_Name(2, "G00000000009 ", false), "200001_N");
    // Saved under a Western order, where Å and Ö sort with A and O.
    WriteList(file, {"\xC5"
                     "berg, K",
                     "Alm, K", "\xD6st, K", "Zorn, K"});

    SwedishOrder swedish;
    forms::ScopedListOrder scope(swedish);
    auto f = Loaded();
    f->Refresh_File(2, "G00000000009 ", false, false);
    listfile::ListReader list(file);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Entry(1), "Alm, K");
    EXPECT_EQ(list.Entry(2), "Zorn, K");
    EXPECT_EQ(list.Entry(3), "\xC5"
                             "berg, K");
    EXPECT_EQ(list.Entry(4), "\xD6st, K");
    EXPECT_EQ(list.RunStartOf('a'), 1);
    EXPECT_EQ(list.RunStartOf('\xC5'), 3);
    EXPECT_EQ(list.RunStartOf('\xF6'), 4);
}

// ACT! ends (or crashes) while a list is built: from then on every call fails.
TEST_F(RefreshTest, ActGoingAwayDuringABuildIsSaidOnce) {
    BigGroup(300);
    const std::string file = "C:\\Data\\Contacts_200001_N.dat";
    WriteList(file, {"Old entry"});
    IniLib::WriteKeyValue("Items", "1", "G00000000009 ", M().ListsIniFile);
    IniLib::WriteKeyValue("Index", "Count", "1", M().ListsIniFile);
    const std::string before = files.ReadAll(file).value();
    const VbError gone(-2147023174, "Automation error\r\nThe RPC server is unavailable.");
    auto goAway = [&] {
        act.Fail("Members.MoveNext", gone, 120);
        for (const char* member : {"Members.Data", "Members.isEOF", "Contact.GoTo", "Contact.Data",
                                   "Group.GoTo", "Group.Data", "View.GetField", "View.SetField"})
            act.Fail(member, gone, 0);
    };
    auto expectOneMessage = [&](const char* procedure) {
        ASSERT_EQ(dialogs.shown.size(), 1u) << dialogs.shown.back().prompt;
        const std::string& text = dialogs.shown[0].prompt;
        EXPECT_EQ(text.rfind("Error -2147023174: 'ACT! stopped answering while the list was "
                             "built (Automation error\r\nThe RPC server is unavailable.); the "
                             "list was not saved.'\r\nin frmList: Sub " +
                                 std::string(procedure),
                             0),
                  0u)
            << text;
    };

    auto f = Loaded();
    act.ClearFailures();
    dialogs.shown.clear();
    goAway();
    f->Refresh_File(2, "G00000000009 ", false, false);
    expectOneMessage("Create_dict_w_Members");
    EXPECT_EQ(files.ReadAll(file).value(), before);
    EXPECT_EQ(Setting("Step"), "End");
    f->Unload();

    // A list built at each opening: the build, the current value and the window's end all
    // meet the same ACT!.
    act.ClearFailures();
    ResetReportedFailures();
    dialogs.shown.clear();
    goAway();
    f = Loaded();
    f->Show();
    expectOneMessage("Create_dict_w_Members");
}

// A run-time error after the build, reported by Refresh_File itself.
class RefreshErrorTest : public RefreshTest {
  protected:
    // A cache file that already holds one entry; its bytes.
    std::string OldCache(const std::string& file) {
        WriteList(file, {"Old entry"});
        return files.ReadAll(file).value();
    }
    // The refresh of a window loaded only for it, as the configuration window's OK makes one:
    // its error is reported, gauge is told to end, and the window closes at its next tick.
    void ExpectEndedAndClosed(frmList& f, const std::string& file, const std::string& before) {
        EXPECT_FALSE(dialogs.shown.empty()) << "the error is reported";
        EXPECT_EQ(Setting("Step"), "End");
        EXPECT_FALSE(f.Busy);
        EXPECT_TRUE(f.CloseRequested);
        EXPECT_EQ(files.ReadAll(file).value(), before);
        host.Tick(f.tmr1);
        EXPECT_FALSE(f.Loaded()) << "the program can end";
    }
};

TEST_F(RefreshErrorTest, FromTheSettingsWindowActFailingAfterTheBuild) {
    const std::string file = "C:\\Data\\Contacts_200001_N.dat";
    fromSettings = true;
    BigGroup(60);
    // The group's name for the question fails; then ACT! is gone when it is looked up.
    for (const char* member : {"Group.Data", "Group.GoTo"}) {
        SCOPED_TRACE(member);
        ASSERT_EQ(Get_List_Name(2, "G00000000009 ", false), "200001_N");
        const std::string before = OldCache(file);
        auto f = Loaded();
        dialogs.shown.clear();
        act.ClearFailures();
        ResetReportedFailures(); // each pass is a program of its own, with its ACT!
        // The build goes to the group once; the question's title comes next.
        act.Fail(member, VbError(462, "The remote server machine does not exist"),
                 std::string(member) == "Group.GoTo" ? 1 : 0);
        f->Refresh_File(2, "G00000000009 ", false, false);
        EXPECT_TRUE(host.modalShows.empty()) << "no question without a title";
        ExpectEndedAndClosed(*f, file, before);
    }
}

TEST_F(RefreshErrorTest, FromTheSettingsWindowNoDatabaseObjectInDirectMode) {
    // Subgroups come from the group table; the title needs ACT!'s database object.
    Set("Type", "1");
    Set("NoRebuild", "0");
    Set("Reference", "T1");
    const std::string file = "C:\\Data\\Contacts_" + Get_List_Name(1, "T1 ", false) + ".dat";
    const std::string before = OldCache(file);
    fromSettings = true;
    frmList f(frmList::Ports{hook, locale, stack, typing},
              frmList::Deps{{}, [this] { return fromSettings; }});
    f.Load();
    dialogs.shown.clear();
    act.Fail("Automation.CreateDatabase", VbError(429, "ActiveX component can't create object"));
    f.Refresh_File(1, "T1 ", false, false);
    ExpectEndedAndClosed(f, file, before);
}

// The settings store refuses the save's first progress value.
class RefusesSaving : public MemorySettingsStore {
  public:
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override {
        if (key == "Step" && value == "Saving") throw VbError(70, "Permission denied");
        MemorySettingsStore::SaveSetting(app, section, key, value);
    }
};

TEST_F(RefreshErrorTest, FromTheListWindowTheWindowStaysUntilTheUserLeavesIt) {
    BigGroup(60);
    const std::string file = "C:\\Data\\Contacts_200001_N.dat";
    ASSERT_EQ(Get_List_Name(2, "G00000000009 ", false), "200001_N");
    const std::string before = OldCache(file);
    Set("Type", "2");
    Set("NoRebuild", "1");
    Set("Reference", "G00000000009");
    Set("CompanyName", "0");
    RefusesSaving progressValues;
    Sys().settings = &progressValues;
    frmList f(frmList::Ports{hook, locale, stack, typing});
    f.Show();
    desktop.foreground = f.hWnd();
    host.Click(f.cmdRefresh);
    EXPECT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(progressValues.GetSetting("Varnel", "Progress", "Step", ""), "End");
    EXPECT_FALSE(f.Busy);
    EXPECT_FALSE(f.CloseRequested) << "the user still has the list";
    EXPECT_EQ(files.ReadAll(file).value(), before);
    desktop.foreground = 0x77;
    host.Tick(f.tmr1);
    EXPECT_FALSE(f.Loaded()) << "closes when another window is in front";
}

TEST_F(RefreshTest, AListWithoutANameIsNotSaved) {
    BigGroup(10);
    auto f = Loaded();
    files.failWrites = 70; // the list-name index cannot be written
    f->Refresh_File(2, "G00000000009 ", false, false);
    files.failWrites = 0;
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_FALSE(files.Exists("C:\\Data\\Contacts_.dat"));
    EXPECT_FALSE(files.Exists("C:\\Data\\Contacts_200001_N.dat"));
    EXPECT_EQ(Setting("Step"), "End");
}

TEST_F(RefreshTest, ShortBuildWritesOnlyStageZero) {
    BigGroup(99);
    auto f = Loaded();
    f->Refresh_File(2, "G00000000009 ", false, false);
    EXPECT_EQ(Setting("Stage"), "0");
}

} // namespace
} // namespace tamber
