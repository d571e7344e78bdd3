#include "startup/spine/frm_startup.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/program_end.h"
#include "inilib/inilib.h"
#include "module1/module1.h"
#include "ports/dbf/dbf_group_tables.h"
#include "ports/dbf/dbf_writer.h"
#include "ports/memory/fake_desktop.h"
#include "ports/memory/memory_act.h"
#include "startup/database/database_access.h"
#include "testing/program_test.h"

namespace tamber {
namespace {

constexpr WindowHandle kActWindow = 0x100;
constexpr WindowHandle kFieldEdit = 0x101;
constexpr ThreadId kActThread = 7;
constexpr const char* kData = "C:\\Program Files\\Tamberlist\\Data";

actdb::Database SmallDatabase() {
    actdb::Database db;
    actdb::Field company;
    company.id = 25;
    company.label = "Company";
    actdb::Field city;
    city.id = 12;
    city.label = "City";
    actdb::Field notes;
    notes.id = 90;
    notes.label = "Notes";
    notes.window = actdb::FieldWindow::Notes;
    db.fields = {city, company, notes};
    actdb::Contact c;
    c.id = "C00000000001";
    c.SetValue(25, "Varnel Ltd");
    db.contacts = {c};
    db.groups = {{"G00000000001", "Customers", "", {"C00000000001"}}};
    return db;
}

class StartupTest : public testing::ProgramTest {
  protected:
    FakeDesktop desktop;
    std::unique_ptr<GroupTables> groupTables = MakeDbfGroupTables(files);
    act::MemoryAct act{SmallDatabase()};

    void SetUp() override {
        ProgramTest::SetUp();
        Sys().desktop = &desktop;
        Sys().groupTables = groupTables.get();
        Sys().automation = &act.automation();
        files.MakeFolders(HasDataFolder() ? kData : "C:\\Program Files\\Tamberlist");
        files.MakeFolders("C:\\ACT");
        files.WriteAll("C:\\ACT\\Contacts.gdb",
                       WriteGroupTable({{"G00000000001", "", "Customers"}}));
        desktop.foreground = kActWindow;
        desktop.windows[kActWindow] = {kActThread, "ActMain", {}};
        desktop.windows[kFieldEdit] = {kActThread, "Edit", {200, 300, 400, 321}};
        desktop.focus[kActThread] = kFieldEdit;
        act.SetCurrentField(12);
    }
    virtual bool HasDataFolder() const { return true; }

    void Configure(const std::string& section) {
        IniLib::WriteKeyValue(section, "Type", "0", std::string(kData) + "\\Contacts.ini");
    }
    // Each run is a fresh process: new program state, no instance of its own yet.
    frmStartup::Outcome Run() {
        ResetModule1();
        if (!otherInstance) processes.runningNames.clear();
        shownList = shownMain = 0;
        return RunStartup([this] { ++shownList; }, [this] { ++shownMain; });
    }
    bool Called(const std::string& member) const {
        return std::any_of(act.calls().begin(), act.calls().end(),
                           [&](const std::string& c) { return c.rfind(member, 0) == 0; });
    }
    int shownList = 0, shownMain = 0;
    bool otherInstance = false;
};

TEST_F(StartupTest, ConfiguredFieldOpensListWindowWithStateSet) {
    Configure("12");
    EXPECT_EQ(Run(), frmStartup::Outcome::ShowListWindow);
    EXPECT_EQ(shownList, 1);
    EXPECT_EQ(shownMain, 0);
    EXPECT_TRUE(dialogs.shown.empty());
    const Module1& m = M();
    EXPECT_EQ(m.FieldId, 12);
    EXPECT_EQ(m.FieldIdText, "12");
    EXPECT_EQ(m.ActWindow, kActWindow);
    EXPECT_EQ(m.FieldWindow, kFieldEdit);
    EXPECT_EQ(m.FieldRect.left, 200);
    EXPECT_EQ(m.FieldRect.bottom, 321);
    EXPECT_EQ(m.DbName, "Contacts");
    EXPECT_EQ(m.SettingsDir, std::string(kData) + "\\");
    EXPECT_EQ(m.IniFile, std::string(kData) + "\\Contacts.ini");
    EXPECT_EQ(m.ListsIniFile, std::string(kData) + "\\Contacts_lists.ini");
    EXPECT_EQ(m.ConnectionString,
              std::string("Provider=CodeBase;Location=C:\\ACT;Extended Properties=") +
                  kGroupTableProviderProperties);
    EXPECT_TRUE(m.GroupConnection);
    EXPECT_FALSE(m.UseActDatabase);
    EXPECT_FALSE(m.ActDatabase) << "Ado missing means the group table is read directly";
    EXPECT_TRUE(Called("Event.Disconnect")) << "unload releases the event control";
}

TEST_F(StartupTest, SectionNamesMatchWholeNamesOnly) {
    Configure("123");
    EXPECT_EQ(Run(), frmStartup::Outcome::ShowMainWindow) << "section 123 is not field 12";
    Configure("12");
    act.SetCurrentField(1);
    EXPECT_EQ(Run(), frmStartup::Outcome::ShowMainWindow) << "field 1 is not configured";
    act.SetCurrentField(12);
    EXPECT_EQ(Run(), frmStartup::Outcome::ShowListWindow);
}

TEST_F(StartupTest, FieldZeroIsNeverConfigured) {
    Configure("0");
    act.SetCurrentField(0);
    desktop.focus[kActThread] = kFieldEdit;
    EXPECT_EQ(Run(), frmStartup::Outcome::ShowMainWindow);
}

TEST_F(StartupTest, SecondInstanceOnlyShowsItsMessage) {
    otherInstance = true;
    processes.runningNames.insert("Tamberlist");
    EXPECT_EQ(Run(), frmStartup::Outcome::Ended);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "An instance of this program is already running!");
    EXPECT_EQ(dialogs.shown[0].style, mb::kOkOnly);
    EXPECT_EQ(dialogs.shown[0].title, "Tamberlist");
    EXPECT_FALSE(Called("Automation.CreateApp"));
    EXPECT_EQ(shownList + shownMain, 0);
}

TEST_F(StartupTest, NoOpenDatabaseGivesTheOpenDatabaseMessageEitherWay) {
    act.CloseDatabase();
    EXPECT_EQ(Run(), frmStartup::Outcome::Ended);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "Please open an ACT database prior to running Tamberlist!");
    EXPECT_EQ(dialogs.shown[0].style, mb::kExclamation);
    EXPECT_FALSE(Called("Automation.CreateApp")) << "the event control answered first";

    // The event control says a database is open but the view cannot be created.
    dialogs.shown.clear();
    act.OpenDatabase(SmallDatabase(), "C:\\ACT\\Contacts.dbf");
    act.Fail("Views.Create", VbError(act::kErrNoDatabase, "No database is open"));
    EXPECT_EQ(Run(), frmStartup::Outcome::Ended);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "Please open an ACT database prior to running Tamberlist!");
    EXPECT_EQ(dialogs.shown[0].style, mb::kExclamation);
}

TEST_F(StartupTest, UnreachableActGivesTheCommunicationMessage) {
    act.SetCannotCommunicate(true);
    EXPECT_EQ(Run(), frmStartup::Outcome::Ended);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt,
              "Unable to communicate with ACT!\rPlease run actreg.exe located in the ACT folder "
              "and try again");
    EXPECT_EQ(dialogs.shown[0].style, mb::kCritical);
    EXPECT_EQ(dialogs.shown[0].title, "Tamberlist");

    // ACT! is not installed: its event control cannot even be created.
    act.SetCannotCommunicate(false);
    act.Fail("Automation.CreateEventControl",
             VbError(429, "ActiveX component can't create object"));
    EXPECT_EQ(Run(), frmStartup::Outcome::Ended);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].prompt, dialogs.shown[0].prompt);
    EXPECT_EQ(dialogs.shown[1].style, mb::kCritical);
}

TEST_F(StartupTest, SilentEnds) {
    // The cursor is in a notes box: its class is not "Edit".
    desktop.windows[kFieldEdit].className = "RichEdit20A";
    EXPECT_EQ(Run(), frmStartup::Outcome::Ended);
    // CurrentFieldId fails.
    desktop.windows[kFieldEdit].className = "Edit";
    act.Fail("View.CurrentFieldId", VbError(act::kErrNoCurrentRecord, "No current record"));
    EXPECT_EQ(Run(), frmStartup::Outcome::Ended);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(shownList + shownMain, 0);
}

TEST_F(StartupTest, AdoSettingChoosesTheDataAccess) {
    settings.SaveSetting("Tamberlist", "Settings", "Ado", "0");
    EXPECT_EQ(Run(), frmStartup::Outcome::ShowMainWindow);
    EXPECT_TRUE(M().UseActDatabase);
    EXPECT_FALSE(M().AdoUnavailable);
    EXPECT_TRUE(M().ActDatabase && M().ActGroup && M().ActContact && M().ActFields);

    settings.SaveSetting("Tamberlist", "Settings", "Ado", "1");
    Run();
    EXPECT_FALSE(M().UseActDatabase);
    EXPECT_FALSE(M().ActDatabase);
}

TEST_F(StartupTest, UnreadableGroupTableFallsBackToTheAutomationObjects) {
    const std::string whole = files.ReadAll("C:\\ACT\\Contacts.gdb").value();
    // Missing, or cut short (its last record gone): part of the groups must not pass for all.
    for (bool cut : {false, true}) {
        SCOPED_TRACE(cut ? "cut short" : "missing");
        if (cut)
            files.WriteAll("C:\\ACT\\Contacts.gdb", whole.substr(0, whole.size() - 2));
        else
            files.Remove("C:\\ACT\\Contacts.gdb");
        settings.SaveSetting("Tamberlist", "Settings", "Ado", "1");
        EXPECT_EQ(Run(), frmStartup::Outcome::ShowMainWindow);
        EXPECT_TRUE(M().AdoUnavailable);
        EXPECT_TRUE(M().UseActDatabase);
        EXPECT_TRUE(M().ActDatabase);
        EXPECT_TRUE(dialogs.shown.empty()) << "the fallback is silent";
    }
}

class StartupWithoutDataFolderTest : public StartupTest {
    bool HasDataFolder() const override { return false; }
};

TEST_F(StartupWithoutDataFolderTest, EndsTheProgramWithItsMessage) {
    EXPECT_THROW(Run(), ProgramEnded);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "You need to create a sub-folder named 'Data' in the "
                                       "C:\\Program Files\\Tamberlist folder.");
    EXPECT_EQ(dialogs.shown[0].style, mb::kCritical);
    EXPECT_EQ(shownList + shownMain, 0);
}

TEST_F(StartupTest, UnexpectedErrorIsReportedAndNoWindowOpens) {
    act.Fail("App.Views", VbError(-2147418113, "Catastrophic failure"));
    EXPECT_EQ(Run(), frmStartup::Outcome::Ended);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, "Tamberlist error");
    EXPECT_NE(
        dialogs.shown[0].prompt.find("'Catastrophic failure'\r\nin frmStartup: Sub Form_Load"),
        std::string::npos);
}

TEST_F(StartupTest, FailedReleaseAfterShowingTheWindowIsReportedNotFatal) {
    Configure("12");
    act.Fail("Event.Disconnect", VbError(-2147417848, "Automation error"));
    EXPECT_EQ(Run(), frmStartup::Outcome::ShowListWindow);
    EXPECT_EQ(shownList, 1) << "the chosen window shows before the start-up form unloads";
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("'Automation error'\r\nin frmStartup: Sub Form_Load"),
              std::string::npos)
        << dialogs.shown[0].prompt;
}

class DatabaseNameTest : public StartupTest {};

TEST_F(DatabaseNameTest, BaseNameIsCutAtTheFirstDot) {
    act.OpenDatabase(SmallDatabase(), "C:\\ACT\\Sales.Team.dbf");
    M().ActApp = act.automation().CreateApp();
    EXPECT_EQ(Get_Generic_Name(), "Sales");
    act.OpenDatabase(SmallDatabase(), "C:\\ACT\\Contacts");
    EXPECT_EQ(Get_Generic_Name(), "Contacts") << "a name without a dot is kept whole";
    act.OpenDatabase(SmallDatabase(), "Plain.dbf");
    EXPECT_EQ(Get_Generic_Name(), "Plain");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(DatabaseNameTest, CloseDatabaseIgnoresErrorsAndReleases) {
    M().ActApp = act.automation().CreateApp();
    Create_Database();
    ASSERT_TRUE(M().ActDatabase);
    act.Fail("Database.Close", VbError(act::kErrNotAttached, "not attached"));
    Close_Database();
    EXPECT_FALSE(M().ActDatabase);
    EXPECT_TRUE(M().ActGroup) << "the other objects are left as they are";
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(DatabaseNameTest, CreateDatabaseFailureIsReported) {
    act.Fail("Database.OpenEx", VbError(act::kErrNoDatabase, "No database is open"));
    Create_Database();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("in Module1: Sub Create_Database - Line # 3"),
              std::string::npos);
}

} // namespace
} // namespace tamber
