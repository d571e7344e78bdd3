#include "ports/contracts/act_contract.h"

#include <set>

namespace tamber::act::contract {
namespace {

std::string Value(const actdb::Contact& c, int16_t field) {
    const std::string* v = c.Value(field);
    return v ? *v : std::string();
}

std::shared_ptr<Database> Attached(Automation& a) {
    auto db = a.CreateDatabase();
    db->OpenEx("");
    return db;
}

TEST_P(ActContract, AppNamesTheOpenDatabaseAndGivesTheContactView) {
    auto app = automation().CreateApp();
    EXPECT_EQ(app->GetOpenDBName(), subject_->path());
    auto views = app->Views();
    auto view = views->Create(1, "CV");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(ErrorOf([&] { views->Create(2, "CV"); }), kErrNotFound);
    EXPECT_EQ(ErrorOf([&] { views->Create(1, "cv"); }), kErrNotFound);
    EXPECT_EQ(ErrorOf([&] { app->Command(149); }), kErrNotFound);
}

TEST_P(ActContract, ContactViewReadsAndWritesTheCurrentRecord) {
    auto view = automation().CreateApp()->Views()->Create(1, "CV");
    const actdb::Contact& first = expected().contacts.front();
    for (const auto& f : expected().fields) {
        EXPECT_EQ(view->GetField(f.id), Value(first, f.id)) << f.id;
        EXPECT_EQ(view->GetField(" " + std::to_string(f.id) + " "), Value(first, f.id)) << f.id;
    }
    // Text crosses unchanged in the ANSI code page; "" clears.
    const std::string before = view->GetField(int16_t(25));
    const std::string accented = "Soci\xe9t\xe9 d'\xc9tudes \xab Z\xfcrich \xbb";
    view->SetField(int16_t(25), accented);
    EXPECT_EQ(view->GetField("25"), accented);
    view->SetField(int16_t(25), "");
    EXPECT_EQ(view->GetField(int16_t(25)), "");
    view->SetField(int16_t(25), before);
    EXPECT_EQ(view->GetField(int16_t(25)), before);

    EXPECT_EQ(ErrorOf([&] { view->GetField("9999"); }), kErrNotFound);
    EXPECT_EQ(ErrorOf([&] { view->GetField("Company"); }), err::kTypeMismatch);
    EXPECT_EQ(ErrorOf([&] { view->GetField("70000"); }), kErrInvalidArgument);
    // The field identifier a value is written to is a 16-bit integer, never text.
    EXPECT_EQ(ErrorOf([&] { view->SetField("25", "x"); }), err::kTypeMismatch);
    EXPECT_EQ(view->GetField(int16_t(25)), before);
    EXPECT_GE(view->CurrentFieldId(), 0);
}

TEST_P(ActContract, GroupCursorWalksEveryGroupInOrder) {
    auto group = Attached(automation())->Group();
    group->MoveFirst();
    for (const auto& g : expected().groups) {
        ASSERT_FALSE(group->isEOF()) << g.name;
        EXPECT_EQ(group->Data(1), g.id + " ");
        EXPECT_EQ(group->Data(25), g.name);
        EXPECT_EQ(group->GetParent(), g.parent.empty() ? "" : g.parent + " ");
        EXPECT_EQ(group->GroupType(), g.parent.empty() ? 0 : 1);
        EXPECT_EQ(group->GetSubGroupCount(), expected().SubGroupCount(g.id));
        group->MoveNext();
    }
    EXPECT_TRUE(group->isEOF());
    EXPECT_EQ(ErrorOf([&] { group->MoveNext(); }), kErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { group->Data(25); }), kErrNoCurrentRecord);
    group->MoveFirst();
    EXPECT_EQ(ErrorOf([&] { group->Data(2); }), kErrNotFound);
}

TEST_P(ActContract, GroupGoToIgnoresTrailingBlanksAndUnknownLeavesNoGroup) {
    auto group = Attached(automation())->Group();
    const actdb::Group& sub =
        *std::find_if(expected().groups.begin(), expected().groups.end(),
                      [](const actdb::Group& g) { return !g.parent.empty(); });
    group->GoTo(sub.id + " ");
    EXPECT_EQ(group->Data(25), sub.name);
    group->GoTo(sub.parent);
    EXPECT_EQ(group->Data(1), sub.parent + " ");
    group->GoTo("NO SUCH ID!!");
    EXPECT_TRUE(group->isEOF());
    EXPECT_EQ(ErrorOf([&] { group->Data(25); }), kErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { group->Members(); }), kErrNoCurrentRecord);
}

TEST_P(ActContract, MembersLeadToTheirContacts) {
    auto db = Attached(automation());
    auto group = db->Group();
    auto contact = db->Contact();
    const actdb::Group& big = expected().groups.front();
    ASSERT_FALSE(big.members.empty());
    group->GoTo(big.id + " ");
    auto members = group->Members();
    EXPECT_EQ(members->RecordCount(), static_cast<int32_t>(big.members.size()));
    members->MoveFirst();
    std::size_t n = 0;
    while (!members->isEOF()) {
        ASSERT_LT(n, big.members.size());
        std::string id = members->Data(1);
        EXPECT_EQ(id, big.members[n] + " ");
        contact->GoTo(id);
        const actdb::Contact& c = *expected().FindContact(id);
        EXPECT_EQ(contact->Data(25), Value(c, 25));
        EXPECT_EQ(contact->Data(78), Value(c, 78));
        EXPECT_EQ(contact->Data(79), Value(c, 79));
        members->MoveNext();
        ++n;
    }
    EXPECT_EQ(n, big.members.size());
    EXPECT_EQ(ErrorOf([&] { members->Data(1); }), kErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { members->MoveNext(); }), kErrNoCurrentRecord);

    // A group without members: MoveFirst fails, the count is 0.
    const actdb::Group& empty = expected().groups.back();
    ASSERT_TRUE(empty.members.empty());
    group->GoTo(empty.id);
    auto none = group->Members();
    EXPECT_EQ(none->RecordCount(), 0);
    EXPECT_EQ(ErrorOf([&] { none->MoveFirst(); }), kErrNoCurrentRecord);
    EXPECT_TRUE(none->isEOF());

    contact->GoTo("NO SUCH ID!!");
    EXPECT_EQ(ErrorOf([&] { contact->Data(25); }), kErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { contact->Data(9999); }), kErrNotFound);
}

TEST_P(ActContract, FieldsAreNumberedFromZeroAndDescribedByIdentifier) {
    auto fields = Attached(automation())->Contact()->Fields();
    const auto& all = expected().fields;
    ASSERT_EQ(fields->Count(), static_cast<int16_t>(all.size()));
    // Probing upward from 0 meets Count identifiers, then -1.
    std::set<int16_t> seen;
    int16_t i = 0;
    for (int hits = 0; hits < fields->Count(); ++i) {
        int16_t id = fields->ID(i);
        if (id == -1) continue;
        ++hits;
        seen.insert(id);
        const actdb::Field* f = expected().FindField(id);
        ASSERT_NE(f, nullptr) << id;
        EXPECT_EQ(fields->Label(i), f->label);
        std::string text = std::to_string(id);
        EXPECT_EQ(fields->ID(text), id);
        EXPECT_EQ(fields->Label(text), f->label);
        EXPECT_EQ(fields->Type(text), f->type);
        EXPECT_EQ(fields->HasPopupList(text), f->hasPopup);
        auto popup = fields->POPUPINFO(id, 0);
        ASSERT_EQ(popup->PopupCount(), f->hasPopup ? static_cast<int16_t>(f->popup.size()) : 0);
        for (int16_t k = 0; k < popup->PopupCount(); ++k)
            EXPECT_EQ(popup->value(k), f->popup[static_cast<std::size_t>(k)]);
        EXPECT_EQ(ErrorOf([&] { popup->value(popup->PopupCount()); }), kErrInvalidArgument);
    }
    EXPECT_EQ(seen.size(), all.size());
    EXPECT_EQ(fields->ID(i), -1);
    EXPECT_EQ(fields->ID("9999"), -1);
    EXPECT_EQ(ErrorOf([&] { fields->Label("9999"); }), kErrNotFound);
    EXPECT_EQ(ErrorOf([&] { fields->Label(i); }), kErrNotFound);
    EXPECT_EQ(ErrorOf([&] { fields->Type("9999"); }), kErrNotFound);
    EXPECT_EQ(ErrorOf([&] { fields->POPUPINFO(9999, 0); }), kErrNotFound);
}

TEST_P(ActContract, DatabaseObjectMustBeAttached) {
    auto db = automation().CreateDatabase();
    EXPECT_EQ(ErrorOf([&] { db->Contact(); }), kErrNotAttached);
    EXPECT_EQ(ErrorOf([&] { db->Group(); }), kErrNotAttached);
    EXPECT_EQ(ErrorOf([&] { db->OpenEx("C:\\Elsewhere\\Other.dbf"); }), kErrNotFound);
    db->OpenEx(subject_->path());
    auto group = db->Group();
    db->Close();
    EXPECT_EQ(ErrorOf([&] { db->Group(); }), kErrNotAttached);
    // What it gave out keeps reading while ACT! keeps the database open.
    group->MoveFirst();
    EXPECT_EQ(group->Data(25), expected().groups.front().name);
    db->OpenEx("");
    EXPECT_NO_THROW(db->Contact());
}

TEST_P(ActContract, AuxiliaryCommandsAreRegisteredAndPlacedPerView) {
    auto aux = automation().CreateAuxCommands();
    const std::string name = "Contract Probe";
    EXPECT_EQ(aux->AddAuxCommandToToolbar(1, "Never Registered"), kAuxUnknownCommand);
    EXPECT_EQ(aux->AddAuxCommand(name, "C:\\Probe\\probe.EXE", "C:\\Probe", name,
                                 "Click to launch " + name, "C:\\Probe\\probe.ico",
                                 "C:\\Probe\\probe32.ico", 1),
              0);
    EXPECT_NE(aux->AuxCommandExists(name), 0);
    EXPECT_NE(aux->AuxCommandExists("contract probe"), 0);
    EXPECT_EQ(aux->AddAuxCommand("", "x.exe", "", "", "", "", "", 1), kAuxBadArgument);

    EXPECT_EQ(aux->AddAuxCommandToToolbar(1, name), 0);
    EXPECT_EQ(aux->AddAuxCommandToToolbar(1, name), 0); // already there: still success
    EXPECT_EQ(aux->AuxCommandExistsInToolbar(1, name), 1);
    EXPECT_EQ(aux->AuxCommandExistsInToolbar(2, name), 0);
    EXPECT_EQ(aux->AuxCommandExistsInToolsMenu(1, name), 0);
    EXPECT_EQ(aux->AddAuxCommandToToolsMenu(6, name), 0);
    EXPECT_EQ(aux->AuxCommandExistsInToolsMenu(6, name), 1);
    EXPECT_EQ(aux->AddAuxCommandToToolbar(7, name), kAuxBadView);

    EXPECT_EQ(aux->RemoveAuxCommandFromToolbar(1, name), 0);
    EXPECT_EQ(aux->AuxCommandExistsInToolbar(1, name), 0);
    EXPECT_EQ(aux->RemoveAuxCommandFromToolbar(1, name), kAuxNotPresent);
    EXPECT_EQ(aux->RemoveAuxCommandFromToolsMenu(6, name), 0);
    EXPECT_EQ(aux->AuxCommandExistsInToolsMenu(6, name), 0);
}

TEST_P(ActContract, EventControlReportsAnOpenDatabase) {
    auto events = automation().CreateEventControl();
    EXPECT_GE(events->DatabaseOpen(0), 1);
    EXPECT_FALSE(events->CannotCommunicate());
    events->OnNotification([](Notification) {});
    events->Disconnect();
}

} // namespace
} // namespace tamber::act::contract
