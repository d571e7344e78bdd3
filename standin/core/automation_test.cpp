#include "core/automation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "ports/dbf/dbf_table.h"

namespace tamber::standin {
namespace {

using Obj = std::shared_ptr<AutoObject>;

actdb::Database Sample() {
    actdb::Database db;
    db.fields = {
        {25, "Company", actdb::kCharacter, actdb::FieldWindow::Edit, false, {}},
        {78, "First Name", actdb::kCharacter, actdb::FieldWindow::Edit, false, {}},
        {79, "Last Name", actdb::kCharacter, actdb::FieldWindow::Edit, false, {}},
        {40, "Status", actdb::kCharacter, actdb::FieldWindow::Edit, true, {"Lead", "Customer"}},
        {41, "Notes", actdb::kMemo, actdb::FieldWindow::Notes, false, {}}};
    db.contacts = {{"C00000000001", {{25, "Acme"}, {78, "Ann"}, {79, "Smith"}}},
                   {"C00000000002", {{25, "Bolt"}, {78, "Bob"}}}};
    db.groups = {{"G00000000001", "Clients", "", {"C00000000001", "C00000000002"}},
                 {"G00000000002", "East", "G00000000001", {"C00000000002"}},
                 {"G00000000003", "Empty", "", {}}};
    return db;
}

struct Recorder : Listener, Journal {
    std::vector<std::string> events, lines;
    void FieldSet(int16_t f, const std::string& t) override {
        events.push_back("set " + std::to_string(f) + "=" + t);
    }
    void DatabaseClosing() override { events.push_back("closing"); }
    void DatabaseChanged() override { events.push_back("changed"); }
    void Append(const std::string& line) override { lines.push_back(line); }
};

class AutomationTest : public ::testing::Test {
  protected:
    AutomationTest() {
        app.SetListener(&rec);
        app.SetJournal(&rec);
    }
    Value Call(const Obj& o, std::string_view member, Args args = {}) {
        long id = LookupDispId(o->kind(), member);
        EXPECT_NE(id, kUnknownDispId) << member;
        return app.Invoke(*o, id, args);
    }
    Obj CallObj(const Obj& o, std::string_view member, Args args = {}) {
        return std::get<Obj>(Call(o, member, std::move(args)));
    }
    std::string Text(const Obj& o, std::string_view member, Args args = {}) {
        return std::get<std::string>(Call(o, member, std::move(args)));
    }
    long ErrorOf(const Obj& o, std::string_view member, Args args = {}) {
        try {
            Call(o, member, std::move(args));
        } catch (const AutomationError& e) {
            return e.kind == AutomationError::Kind::kException ? e.scode
                                                               : -static_cast<long>(e.kind);
        }
        return 0;
    }
    Obj Attached() {
        Obj db = app.CreateDatabase();
        Call(db, "OpenEx", {std::string()});
        return db;
    }
    Obj OpenGroup() { return CallObj(Attached(), "Group"); }
    AuxStore aux;
    Standin app{aux};
    Recorder rec;
};

TEST_F(AutomationTest, ContactViewNeedsAnOpenDatabase) {
    Obj views = CallObj(app.CreateApp(), "Views");
    EXPECT_EQ(ErrorOf(views, "Create", {Short{1}, std::string("CV")}), scode::kNoDatabase);
    app.Adopt("C:\\ACT\\Contacts.dbf", Sample());
    Obj view = CallObj(views, "Create", {Short{1}, std::string("CV")});
    EXPECT_EQ(view->kind(), ObjKind::kView);
    EXPECT_EQ(ErrorOf(views, "Create", {Short{2}, std::string("CV")}), scode::kNotFound);
    EXPECT_EQ(Text(app.CreateApp(), "GetOpenDBName"), "C:\\ACT\\Contacts.dbf");
}

TEST_F(AutomationTest, ViewReadsAndWritesTheRecordShown) {
    app.Adopt("mem", Sample());
    Obj view = CallObj(CallObj(app.CreateApp(), "Views"), "Create", {Short{1}, std::string("CV")});
    EXPECT_EQ(std::get<Short>(Call(view, "CurrentFieldId")).v, 0);
    app.SetCurrentField(79);
    EXPECT_EQ(std::get<Short>(Call(view, "CurrentFieldId")).v, 79);
    EXPECT_EQ(Text(view, "GetField", {std::string("25")}), "Acme");
    app.GoToRecord(1);
    EXPECT_EQ(Text(view, "GetField", {Short{79}}), ""); // a value the record does not have
    Call(view, "SetField", {Short{79}, std::string("Brown")});
    EXPECT_EQ(Text(view, "GetField", {Short{79}}), "Brown");
    EXPECT_EQ(rec.events.back(), "set 79=Brown");
    Call(view, "SetField", {Short{79}, std::string()});
    EXPECT_EQ(Text(view, "GetField", {Short{79}}), "");
    EXPECT_EQ(ErrorOf(view, "GetField", {Short{99}}), scode::kNotFound);
    EXPECT_EQ(ErrorOf(view, "GetField", {std::string("abc")}),
              -static_cast<long>(AutomationError::Kind::kTypeMismatch));
    EXPECT_EQ(ErrorOf(view, "SetField", {Short{79}}),
              -static_cast<long>(AutomationError::Kind::kBadParamCount));
}

// ACT!'s view takes the field identifier as a 16-bit integer; the reference field a list
// depends on is read with its identifier as text. Any other type is refused, so a caller that
// passes the wrong one fails here as it would against a strict server.
TEST_F(AutomationTest, ViewRefusesFieldIdentifiersOfOtherTypes) {
    app.Adopt("mem", Sample());
    Obj view = CallObj(CallObj(app.CreateApp(), "Views"), "Create", {Short{1}, std::string("CV")});
    const long mismatch = -static_cast<long>(AutomationError::Kind::kTypeMismatch);
    EXPECT_EQ(ErrorOf(view, "SetField", {std::string("25"), std::string("x")}), mismatch);
    EXPECT_EQ(ErrorOf(view, "SetField", {25L, std::string("x")}), mismatch);
    EXPECT_EQ(ErrorOf(view, "GetField", {25L}), mismatch);
    EXPECT_EQ(ErrorOf(view, "GetField", {true}), mismatch);
    EXPECT_EQ(Text(view, "GetField", {Short{25}}), "Acme") << "nothing was written";
    EXPECT_EQ(Text(view, "GetField", {std::string(" 25 ")}), "Acme");
}

TEST_F(AutomationTest, CloseCommandNotifiesThenInvalidatesEverythingBound) {
    app.Adopt("mem", Sample());
    Obj appObj = app.CreateApp();
    Obj view = CallObj(CallObj(appObj, "Views"), "Create", {Short{1}, std::string("CV")});
    Obj group = OpenGroup();
    rec.events.clear();
    Call(appObj, "Command", {Short{150}});
    EXPECT_EQ(rec.events, (std::vector<std::string>{"closing", "changed"}));
    EXPECT_FALSE(app.HasDatabase());
    EXPECT_EQ(Text(appObj, "GetOpenDBName"), "");
    EXPECT_EQ(ErrorOf(view, "GetField", {Short{25}}), scode::kNoDatabase);
    EXPECT_EQ(ErrorOf(group, "MoveFirst"), scode::kNoDatabase);
    // Reopening does not revive objects of the closed database.
    app.Adopt("mem", Sample());
    EXPECT_EQ(ErrorOf(view, "GetField", {Short{25}}), scode::kNoDatabase);
    EXPECT_EQ(ErrorOf(appObj, "Command", {Short{151}}), scode::kNotFound);
}

TEST_F(AutomationTest, DropDownListGoesStaleWithItsDatabase) {
    app.Adopt("mem", Sample());
    Obj fields = CallObj(CallObj(Attached(), "Contact"), "Fields");
    Obj popup = CallObj(fields, "POPUPINFO", {Short{40}, 0L});
    EXPECT_EQ(Text(popup, "value", {Short{1}}), "Customer");
    app.Close();
    EXPECT_EQ(ErrorOf(popup, "PopupCount"), scode::kNoDatabase);
    EXPECT_EQ(ErrorOf(popup, "value", {Short{1}}), scode::kNoDatabase);
}

TEST_F(AutomationTest, ContactGoToSeesContactsChangedInPlace) {
    app.Adopt("mem", Sample());
    Obj contact = CallObj(Attached(), "Contact");
    EXPECT_EQ(Call(contact, "GoTo", {std::string("C00000000002 ")}), Value{true});
    app.EditDb().contacts.erase(app.EditDb().contacts.begin());
    app.EditDb().contacts.push_back({"C00000000003", {{25, "Cedar"}}});
    EXPECT_EQ(Call(contact, "GoTo", {std::string("C00000000003")}), Value{true});
    EXPECT_EQ(Text(contact, "Data", {Short{25}}), "Cedar");
    EXPECT_EQ(Call(contact, "GoTo", {std::string("C00000000001")}), Value{false});
}

TEST_F(AutomationTest, DatabaseObjectMustBeAttachedFirst) {
    Obj db = app.CreateDatabase();
    EXPECT_EQ(ErrorOf(db, "OpenEx", {std::string()}), scode::kNoDatabase);
    app.Adopt("mem", Sample());
    EXPECT_EQ(ErrorOf(db, "Group"), scode::kNotAttached);
    Call(db, "OpenEx", {std::string()});
    EXPECT_EQ(CallObj(db, "Contact")->kind(), ObjKind::kContact);
    Call(db, "Close");
    EXPECT_EQ(ErrorOf(db, "Contact"), scode::kNotAttached);
}

TEST_F(AutomationTest, GroupCursorWalksGroupsInOrderWithBlankPaddedIdentifiers) {
    app.Adopt("mem", Sample());
    Obj g = OpenGroup();
    Call(g, "MoveFirst");
    std::vector<std::string> seen;
    while (!std::get<bool>(Call(g, "isEOF"))) {
        seen.push_back(Text(g, "Data", {Short{1}}) + "|" + Text(g, "Data", {Short{25}}) + "|" +
                       Text(g, "GetParent") + "|" +
                       std::to_string(std::get<Short>(Call(g, "GroupType")).v) + "|" +
                       std::to_string(std::get<long>(Call(g, "GetSubGroupCount"))));
        Call(g, "MoveNext");
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"G00000000001 |Clients||0|1",
                                              "G00000000002 |East|G00000000001 |1|0",
                                              "G00000000003 |Empty||0|0"}));
    EXPECT_EQ(ErrorOf(g, "MoveNext"), scode::kNoCurrentRecord);
    EXPECT_EQ(ErrorOf(g, "Data", {Short{25}}), scode::kNoCurrentRecord);
}

TEST_F(AutomationTest, GroupGoToFindsWithOrWithoutTheBlankAndMissesToEof) {
    app.Adopt("mem", Sample());
    Obj g = OpenGroup();
    EXPECT_TRUE(std::get<bool>(Call(g, "GoTo", {std::string("G00000000002 ")})));
    EXPECT_EQ(Text(g, "Data", {Short{25}}), "East");
    EXPECT_TRUE(std::get<bool>(Call(g, "GoTo", {std::string("G00000000003")})));
    EXPECT_EQ(Text(g, "Data", {Short{25}}), "Empty");
    EXPECT_FALSE(std::get<bool>(Call(g, "GoTo", {std::string("nope")})));
    EXPECT_TRUE(std::get<bool>(Call(g, "isEOF")));
    EXPECT_EQ(ErrorOf(g, "Data", {Short{25}}), scode::kNoCurrentRecord);
}

TEST_F(AutomationTest, MembersLeadToContactsAndAnEmptyGroupCannotMoveFirst) {
    app.Adopt("mem", Sample());
    Obj db = app.CreateDatabase();
    Call(db, "OpenEx", {std::string()});
    Obj g = CallObj(db, "Group");
    Obj contact = CallObj(db, "Contact");
    Call(g, "GoTo", {std::string("G00000000001 ")});
    Obj members = CallObj(g, "Members");
    EXPECT_EQ(std::get<long>(Call(members, "RecordCount")), 2);
    Call(members, "MoveFirst");
    std::vector<std::string> names;
    while (!std::get<bool>(Call(members, "isEOF"))) {
        Call(contact, "GoTo", {Call(members, "Data", {Short{1}})});
        names.push_back(Text(contact, "Data", {Short{79}}) + ", " +
                        Text(contact, "Data", {Short{78}}) + " @" +
                        Text(contact, "Data", {Short{25}}));
        Call(members, "MoveNext");
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Smith, Ann @Acme", ", Bob @Bolt"}));
    Call(g, "GoTo", {std::string("G00000000003 ")});
    EXPECT_EQ(ErrorOf(CallObj(g, "Members"), "MoveFirst"), scode::kNoCurrentRecord);
    EXPECT_EQ(ErrorOf(contact, "Data", {Short{12}}), scode::kNotFound);
}

TEST_F(AutomationTest, FieldsAnswerByNumberOrByIdentifierText) {
    app.Adopt("mem", Sample());
    Obj db = app.CreateDatabase();
    Call(db, "OpenEx", {std::string()});
    Obj fields = CallObj(CallObj(db, "Contact"), "Fields");
    long count = std::get<long>(Call(fields, "Count"));
    EXPECT_EQ(count, 5);
    // The probing loop of a caller: numbers from 0 until Count hits.
    std::vector<std::string> labels;
    for (short i = 0, hits = 0; hits < count; ++i) {
        if (std::get<Short>(Call(fields, "ID", {Short{i}})).v == -1) continue;
        ++hits;
        labels.push_back(Text(fields, "Label", {Short{i}}));
    }
    EXPECT_EQ(labels.size(), 5u);
    EXPECT_EQ(labels[3], "Status");
    EXPECT_EQ(std::get<Short>(Call(fields, "ID", {Short{5}})).v, -1);
    EXPECT_EQ(std::get<Short>(Call(fields, "ID", {std::string("78")})).v, 78);
    EXPECT_EQ(std::get<Short>(Call(fields, "ID", {std::string("77")})).v, -1);
    EXPECT_EQ(Text(fields, "Label", {std::string("78")}), "First Name");
    EXPECT_EQ(std::get<Short>(Call(fields, "Type", {std::string("41")})).v, actdb::kMemo);
    EXPECT_TRUE(std::get<bool>(Call(fields, "HasPopupList", {std::string("40")})));
    EXPECT_FALSE(std::get<bool>(Call(fields, "HasPopupList", {std::string("25")})));
    Obj popup = CallObj(fields, "POPUPINFO", {Short{40}, Short{0}});
    EXPECT_EQ(std::get<long>(Call(popup, "PopupCount")), 2);
    EXPECT_EQ(Text(popup, "value", {Short{1}}), "Customer");
    EXPECT_EQ(ErrorOf(popup, "value", {Short{2}}), scode::kInvalidArgument);
    EXPECT_EQ(
        std::get<long>(Call(CallObj(fields, "POPUPINFO", {Short{25}, Short{0}}), "PopupCount")), 0);
}

TEST_F(AutomationTest, EventControlReportsStateAndCommunicationMode) {
    Obj ev = app.CreateEventControl();
    EXPECT_EQ(std::get<long>(app.Invoke(*ev, 1, {0L})), 0);
    EXPECT_FALSE(std::get<bool>(app.Invoke(*ev, 3, {})));
    app.Adopt("mem", Sample());
    EXPECT_GE(std::get<long>(app.Invoke(*ev, 1, {0L})), 1);
    app.SetCommFailure(true);
    EXPECT_EQ(std::get<long>(app.Invoke(*ev, 1, {0L})), 0);
    EXPECT_TRUE(std::get<bool>(app.Invoke(*ev, 3, {})));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(app.Invoke(*ev, 2, {})));
    EXPECT_THROW(app.Invoke(*ev, 4, {}), AutomationError);
}

TEST_F(AutomationTest, AuxiliaryCommandMembersReturnZeroOnSuccess) {
    Obj cmds = app.CreateAuxCmds();
    std::string name = "Tamberlist";
    EXPECT_EQ(std::get<long>(Call(cmds, "AuxCommandExists", {name})), 0);
    EXPECT_EQ(std::get<long>(
                  Call(cmds, "AddAuxCommand",
                       {name, std::string("C:\\T\\tamber.EXE"), std::string("C:\\T"), name,
                        std::string("Click to launch Tamberlist"), std::string("C:\\T\\tamber.ico"),
                        std::string("C:\\T\\tamber32.ico"), Short{1}})),
              0);
    EXPECT_NE(std::get<long>(Call(cmds, "AuxCommandExists", {name})), 0);
    EXPECT_EQ(std::get<long>(Call(cmds, "AddAuxCommandToToolbar", {Short{1}, name})), 0);
    EXPECT_EQ(std::get<long>(Call(cmds, "AuxCommandExistsInToolbar", {Short{1}, name})), 1);
    EXPECT_EQ(std::get<long>(Call(cmds, "AuxCommandExistsInToolsMenu", {Short{1}, name})), 0);
    EXPECT_NE(std::get<long>(Call(cmds, "RemoveAuxCommandFromToolsMenu", {Short{1}, name})), 0);
    EXPECT_EQ(this->aux.Toolbar(1).at(0).folder, "C:\\T");
}

TEST_F(AutomationTest, JournalRecordsArgumentsResultsAndErrors) {
    Obj appObj = app.CreateApp();
    Obj views = CallObj(appObj, "Views");
    EXPECT_THROW(Call(views, "Create", {Short{1}, std::string("C\"V")}), AutomationError);
    EXPECT_THROW(app.Invoke(*views, 42, {}), AutomationError);
    ASSERT_EQ(rec.lines.size(), 3u);
    EXPECT_EQ(rec.lines[0], "App.Views() = <Views>");
    EXPECT_EQ(rec.lines[1], "Views.Create(1, \"C\"\"V\") ! 0x80040201 No database is open");
    EXPECT_EQ(rec.lines[2], "Views.#42() ! DISP_E_MEMBERNOTFOUND");
}

TEST_F(AutomationTest, OpenedFileGetsItsGroupTableAndKeepsClientChanges) {
    std::string path = ::testing::TempDir() + "standin_open.dbf";
    std::string gdb = ::testing::TempDir() + "standin_open.gdb";
    std::remove(gdb.c_str());
    actdb::Save(Sample(), path);
    app.Open(path);
    std::ifstream in(gdb, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(DbfTable::Parse(bytes, "gdb").RowCount(), 3u);

    Obj view = CallObj(CallObj(app.CreateApp(), "Views"), "Create", {Short{1}, std::string("CV")});
    Call(view, "SetField", {Short{25}, std::string("Acme Ltd")});
    app.GoToRecord(1);
    app.EditField(78, "Robert");
    actdb::Database back = actdb::Load(path);
    EXPECT_EQ(*back.contacts[0].Value(25), "Acme Ltd");
    EXPECT_EQ(*back.contacts[1].Value(78), "Robert");

    // A file that cannot be read leaves the open database as it was.
    EXPECT_ANY_THROW(app.Open(::testing::TempDir() + "standin_missing.dbf"));
    EXPECT_TRUE(app.HasDatabase());
    EXPECT_EQ(app.path(), path);
    std::remove(path.c_str());
    std::remove(gdb.c_str());
}

TEST(GroupTablePath, UsesTheNameBeforeItsFirstDot) {
    EXPECT_EQ(GroupTablePath("C:\\ACT\\Contacts.dbf"), "C:\\ACT\\Contacts.gdb");
    EXPECT_EQ(GroupTablePath("C:\\A.B\\Sales.Team.dbf"), "C:\\A.B\\Sales.gdb");
    EXPECT_EQ(GroupTablePath("/tmp/x"), "/tmp/x.gdb");
}

} // namespace
} // namespace tamber::standin
