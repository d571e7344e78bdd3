#pragma once
// An ACT! that lives in memory: the automation objects of ports/act.h over the stand-in ACT!'s
// model (standin/core), so that what ACT! answers is decided in one place for both; with ACT!'s
// user-interface state (open database, current record, field with the cursor) and knobs for
// tests: ACT! not running or unreachable, calls that fail on demand, a journal
// of every call, notifications sent on request. In a test:
//     act::MemoryAct act(actdb::Generate({}));   // the sample database (actdb/generate.h)
//     Sys().automation = &act.automation();
//     act.SetCurrentField(25);
//     ... run the code under test ...
//     EXPECT_EQ(act.CallCount("View.SetField"), 1);
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "actdb/actdb.h"
#include "ports/act.h"

namespace tamber::act {

struct AuxCommand {
    std::string name, program, folder, caption, toolTip, icon, icon32;
    int16_t flags = 0;
};

class MemoryAct {
  public:
    // ACT! running with db open from path; the first contact is current, no field has the
    // cursor (CurrentFieldId 0).
    explicit MemoryAct(actdb::Database db = {}, std::string path = "C:\\ACT\\Contacts.dbf");
    ~MemoryAct();
    MemoryAct(const MemoryAct&) = delete;
    MemoryAct& operator=(const MemoryAct&) = delete;

    // The factory to install as Sys().automation. Objects it made keep working after the
    // MemoryAct is gone (they share its state).
    Automation& automation();

    // The open database (empty once closed); changes are seen by every object at once.
    actdb::Database& db();
    // Its path; "" once closed.
    const std::string& path() const;
    bool databaseOpen() const;
    // ACT! opens a database (attachments of database objects made before stay invalid).
    void OpenDatabase(actdb::Database db, std::string path);
    // ACT! closes its database: database objects detach, event controls are told.
    void CloseDatabase();
    // ACT! quits: event controls are told, then nothing can be created or reached.
    void Quit();
    // ACT! not installed or not started: creating objects fails with 429 and the event control
    // reports ACT! unreachable.
    void SetRunning(bool running);
    // What the event control's member 3 answers (member 1 then gives 0).
    void SetCannotCommunicate(bool cannot);

    // The contact view's current record (by identifier) and the field with the cursor.
    void SetCurrentContact(std::string_view contactId);
    const actdb::Contact* currentContact() const;
    void SetCurrentField(int16_t fieldId);

    // Makes the member named "Object.Member" (e.g. "Views.Create", "Group.MoveNext",
    // "Automation.CreateApp") raise error after `after` successful calls, `times` times
    // (-1: for ever). Throws std::invalid_argument for a name ACT! does not have.
    void Fail(const std::string& member, VbError error, int after = 0, int times = -1);
    void ClearFailures();

    // Every call made, in order: "Object.Member" or "Object.Member(arg, arg)".
    const std::vector<std::string>& calls() const;
    int CallCount(std::string_view member) const;
    void ClearCalls();

    // Sends a notification to every connected event control.
    void Notify(Notification notification);

    // ACT! menu commands run through App.Command, in order.
    const std::vector<int16_t>& commands() const;
    // Registered auxiliary commands, in registration order.
    const std::vector<AuxCommand>& auxCommands() const;
    // (view, registered name) of each toolbar button and Tools-menu entry.
    const std::set<std::pair<int16_t, std::string>>& toolbarButtons() const;
    const std::set<std::pair<int16_t, std::string>>& toolsMenuEntries() const;

    struct State;

  private:
    std::shared_ptr<State> state_;
    std::unique_ptr<Automation> factory_;
};

} // namespace tamber::act
