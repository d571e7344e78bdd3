#include "ports/memory/memory_act.h"

#include "ports/contracts/act_contract.h"

#include <gtest/gtest.h>

#include <vector>

namespace tamber::act {
namespace {

using contract::ErrorOf;

actdb::Database Small() {
    actdb::Database db;
    db.fields = {{25, "Company", actdb::kCharacter, actdb::FieldWindow::Edit, false, {}},
                 {78, "First Name", actdb::kCharacter, actdb::FieldWindow::Edit, false, {}},
                 {79, "Last Name", actdb::kCharacter, actdb::FieldWindow::Edit, false, {}}};
    db.contacts = {{"C00000000001", {{25, "Acme"}, {78, "Ann"}, {79, "Smith"}}},
                   {"C00000000002", {{25, "Birch"}, {78, "Bo"}, {79, "Jones"}}}};
    db.groups = {{"G00000000001", "Clients", "", {"C00000000001", "C00000000002"}},
                 {"G00000000002", "Hot", "G00000000001", {"C00000000002"}}};
    return db;
}

class MemoryActTest : public ::testing::Test {
  protected:
    MemoryAct act{Small()};
    Automation& a = act.automation();
};

TEST_F(MemoryActTest, WithoutADatabaseOnlyTheAppAndEventControlAnswer) {
    act.CloseDatabase();
    auto app = a.CreateApp();
    EXPECT_EQ(app->GetOpenDBName(), "");
    EXPECT_EQ(ErrorOf([&] { app->Views()->Create(1, "CV"); }), kErrNoDatabase);
    EXPECT_EQ(ErrorOf([&] { a.CreateDatabase()->OpenEx(""); }), kErrNoDatabase);
    auto events = a.CreateEventControl();
    EXPECT_EQ(events->DatabaseOpen(0), 0);
    EXPECT_FALSE(events->CannotCommunicate()); // the open-database message, not actreg
}

TEST_F(MemoryActTest, UnreachableOrStoppedActChoosesTheOtherMessage) {
    act.SetCannotCommunicate(true);
    auto events = a.CreateEventControl();
    EXPECT_EQ(events->DatabaseOpen(0), 0);
    EXPECT_TRUE(events->CannotCommunicate());

    act.SetCannotCommunicate(false);
    act.SetRunning(false);
    EXPECT_EQ(ErrorOf([&] { a.CreateApp(); }), err::kCantCreateObject);
    EXPECT_EQ(ErrorOf([&] { a.CreateDatabase(); }), err::kCantCreateObject);
    EXPECT_EQ(ErrorOf([&] { a.CreateAuxCommands(); }), err::kCantCreateObject);
    auto control = a.CreateEventControl(); // part of the add-on's own form
    EXPECT_EQ(control->DatabaseOpen(0), 0);
    EXPECT_TRUE(control->CannotCommunicate());
}

TEST_F(MemoryActTest, CommandClosesTheDatabaseTellsConnectedControlsAndStalesObjects) {
    auto app = a.CreateApp();
    auto view = app->Views()->Create(1, "CV");
    auto db = a.CreateDatabase();
    db->OpenEx("");
    auto group = db->Group();
    std::vector<Notification> heard, heardByReleased;
    auto events = a.CreateEventControl();
    events->OnNotification([&](Notification n) {
        heard.push_back(n);
        // What the configuration window does: release the connection from the handler.
        events->Disconnect();
    });
    auto released = a.CreateEventControl();
    released->OnNotification([&](Notification n) { heardByReleased.push_back(n); });
    released->Disconnect();

    app->Command(150);
    EXPECT_EQ(heard, std::vector<Notification>{Notification::DatabaseClosing});
    EXPECT_TRUE(heardByReleased.empty());
    EXPECT_EQ(act.commands(), std::vector<int16_t>{150});
    EXPECT_FALSE(act.databaseOpen());
    EXPECT_EQ(ErrorOf([&] { view->GetField(int16_t(25)); }), kErrNoDatabase);
    EXPECT_EQ(ErrorOf([&] { group->MoveFirst(); }), kErrNoDatabase);
    EXPECT_EQ(ErrorOf([&] { db->Group(); }), kErrNotAttached);

    // ACT! opens the database again: old objects stay stale, new ones work.
    act.OpenDatabase(Small(), "C:\\ACT\\Contacts.dbf");
    EXPECT_EQ(ErrorOf([&] { view->GetField(int16_t(25)); }), kErrNoDatabase);
    EXPECT_EQ(ErrorOf([&] { db->Group(); }), kErrNotAttached);
    db->OpenEx("");
    EXPECT_EQ(db->Group()->Data(25), "Clients");
    EXPECT_EQ(app->Views()->Create(1, "CV")->GetField(int16_t(25)), "Acme");
    app->Command(150);
    EXPECT_EQ(heard.size(), 1u) << "a disconnected control hears nothing more";
}

TEST_F(MemoryActTest, QuitTellsDatabaseClosingThenAppClosing) {
    std::vector<Notification> heard;
    auto events = a.CreateEventControl();
    events->OnNotification([&](Notification n) { heard.push_back(n); });
    act.Quit();
    EXPECT_EQ(heard,
              (std::vector<Notification>{Notification::DatabaseClosing, Notification::AppClosing}));
    EXPECT_EQ(ErrorOf([&] { a.CreateApp(); }), err::kCantCreateObject);
    EXPECT_TRUE(events->CannotCommunicate());
}

TEST_F(MemoryActTest, ViewFollowsTheCurrentRecordAndField) {
    auto view = a.CreateApp()->Views()->Create(1, "CV");
    EXPECT_EQ(view->CurrentFieldId(), 0);
    act.SetCurrentField(79);
    act.SetCurrentContact("C00000000002 ");
    EXPECT_EQ(view->CurrentFieldId(), 79);
    EXPECT_EQ(view->GetField(int16_t(79)), "Jones");
    view->SetField(int16_t(78), "Bob");
    EXPECT_EQ(*act.currentContact()->Value(78), "Bob");
    EXPECT_EQ(*act.db().contacts[1].Value(78), "Bob");
    EXPECT_THROW(act.SetCurrentContact("NOPE"), std::invalid_argument);
    act.db().contacts.clear();
    EXPECT_EQ(ErrorOf([&] { view->GetField(int16_t(25)); }), kErrNoCurrentRecord);
}

TEST_F(MemoryActTest, InjectedFailuresCountCallsAndStop) {
    auto db = a.CreateDatabase();
    db->OpenEx("");
    auto group = db->Group();
    act.Fail("Group.MoveNext", VbError(-2147023174, "The RPC server is unavailable."), 1, 1);
    group->MoveFirst();
    EXPECT_NO_THROW(group->MoveNext());
    try {
        group->MoveNext();
        ADD_FAILURE() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), -2147023174);
        EXPECT_EQ(e.description(), "The RPC server is unavailable.");
    }
    // Spent after one time; the cursor did not move on the failed call.
    EXPECT_NO_THROW(group->MoveNext());
    EXPECT_TRUE(group->isEOF());

    act.Fail("Automation.CreateApp", VbError(err::kCantCreateObject, "x"));
    EXPECT_THROW(a.CreateApp(), VbError);
    EXPECT_THROW(a.CreateApp(), VbError);
    act.ClearFailures();
    EXPECT_NO_THROW(a.CreateApp());
    EXPECT_THROW(act.Fail("Group.MoveLast", VbError(1, "x")), std::invalid_argument);
}

TEST_F(MemoryActTest, JournalRecordsCallsWithArguments) {
    act.ClearCalls();
    auto view = a.CreateApp()->Views()->Create(1, "CV");
    view->SetField(int16_t(25), "New Co");
    view->GetField("25");
    auto fields = [&] {
        auto db = a.CreateDatabase();
        db->OpenEx("");
        return db->Contact()->Fields();
    }();
    fields->ID(int16_t(0));
    fields->ID("25");
    EXPECT_EQ(act.calls().front(), "Automation.CreateApp");
    EXPECT_EQ(act.CallCount("View.SetField"), 1);
    EXPECT_EQ(act.CallCount("View.GetField"), 1);
    EXPECT_EQ(act.CallCount("View"), 0) << "whole member names only";
    EXPECT_EQ(act.CallCount("Fields.ID"), 2);
    EXPECT_NE(std::find(act.calls().begin(), act.calls().end(), "View.SetField(25, New Co)"),
              act.calls().end());
    EXPECT_NE(std::find(act.calls().begin(), act.calls().end(), "Fields.ID(\"25\")"),
              act.calls().end());
}

TEST_F(MemoryActTest, ObjectsOutliveTheMemoryAct) {
    std::shared_ptr<View> view;
    {
        MemoryAct gone(Small());
        view = gone.automation().CreateApp()->Views()->Create(1, "CV");
    }
    EXPECT_EQ(view->GetField(int16_t(25)), "Acme");
}

TEST_F(MemoryActTest, AuxiliaryCommandsKeepTheRegisteredSpelling) {
    auto aux = a.CreateAuxCommands();
    ASSERT_EQ(aux->AddAuxCommand("Tamberlist", "C:\\T\\tamber.EXE", "C:\\T", "Tamberlist",
                                 "Click to launch Tamberlist", "C:\\T\\tamber.ico",
                                 "C:\\T\\tamber32.ico", 1),
              0);
    EXPECT_EQ(aux->AddAuxCommandToToolbar(1, "TAMBERLIST"), 0);
    EXPECT_EQ(act.toolbarButtons().count({int16_t(1), "Tamberlist"}), 1u);
    EXPECT_EQ(aux->AddAuxCommand("Tamberlist", "C:\\T\\tamber.EXE", "C:\\T", "Two\r\nlines", "", "",
                                 "", 1),
              kAuxBadArgument);
    ASSERT_EQ(act.auxCommands().size(), 1u);
    EXPECT_EQ(act.auxCommands()[0].toolTip, "Click to launch Tamberlist");
    // Registering again replaces, it does not add.
    EXPECT_EQ(aux->AddAuxCommand("tamberlist", "D:\\tamber.EXE", "D:\\", "t", "", "", "", 1), 0);
    ASSERT_EQ(act.auxCommands().size(), 1u);
    EXPECT_EQ(act.auxCommands()[0].program, "D:\\tamber.EXE");
}

} // namespace
} // namespace tamber::act
