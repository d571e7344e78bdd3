#include "ports/memory/memory_act.h"

#include <algorithm>
#include <initializer_list>
#include <map>
#include <stdexcept>

#include "core/automation.h"

// ACT!'s behaviour is the stand-in's model (standin/core): these objects only give it the typed
// interface of ports/act.h, convert results and errors as VB does over automation, and add the
// test knobs (a stopped ACT!, injected failures, the call journal, notifications on request).
namespace tamber::act {
namespace {

using standin::Args;
using standin::Short;
using standin::Value;
namespace disp = standin::disp;
using Model = std::shared_ptr<standin::AutoObject>;

const char* const kMembers[] = {
    "Automation.CreateApp",
    "Automation.CreateDatabase",
    "Automation.CreateAuxCommands",
    "Automation.CreateEventControl",
    "App.Views",
    "App.GetOpenDBName",
    "App.Command",
    "Views.Create",
    "View.CurrentFieldId",
    "View.GetField",
    "View.SetField",
    "Database.OpenEx",
    "Database.Close",
    "Database.Contact",
    "Database.Group",
    "Group.MoveFirst",
    "Group.MoveNext",
    "Group.isEOF",
    "Group.GoTo",
    "Group.Data",
    "Group.GetParent",
    "Group.GroupType",
    "Group.GetSubGroupCount",
    "Group.Members",
    "Members.MoveFirst",
    "Members.MoveNext",
    "Members.isEOF",
    "Members.RecordCount",
    "Members.Data",
    "Contact.GoTo",
    "Contact.Data",
    "Contact.Fields",
    "Fields.Count",
    "Fields.ID",
    "Fields.Label",
    "Fields.Type",
    "Fields.HasPopupList",
    "Fields.POPUPINFO",
    "PopupInfo.PopupCount",
    "PopupInfo.value",
    "AuxCmds.AuxCommandExists",
    "AuxCmds.AddAuxCommand",
    "AuxCmds.AuxCommandExistsInToolbar",
    "AuxCmds.AuxCommandExistsInToolsMenu",
    "AuxCmds.AddAuxCommandToToolbar",
    "AuxCmds.AddAuxCommandToToolsMenu",
    "AuxCmds.RemoveAuxCommandFromToolbar",
    "AuxCmds.RemoveAuxCommandFromToolsMenu",
    "Event.DatabaseOpen",
    "Event.Disconnect",
    "Event.CannotCommunicate",
};

struct Failure {
    VbError error;
    int after;
    int times;
};

// The error VB raises for a failed automation call, as the Win32 client converts it.
VbError ToVbError(const standin::AutomationError& e) {
    using Kind = standin::AutomationError::Kind;
    switch (e.kind) {
    case Kind::kException: // an HRESULT, which VB shows signed
        return VbError(static_cast<int32_t>(static_cast<uint32_t>(e.scode)), e.description);
    case Kind::kTypeMismatch:
        return VbError(err::kTypeMismatch, "Type mismatch");
    case Kind::kMemberNotFound:
        return VbError(438, "Object doesn't support this property or method");
    case Kind::kBadParamCount:
        break;
    }
    return VbError(450, "Wrong number of arguments or invalid property assignment");
}

// Results as CInt, CLng, CBool and CStr give them.
int16_t Int(const Value& v) {
    return static_cast<int16_t>(standin::ToLong(v));
}
int32_t Long(const Value& v) {
    return static_cast<int32_t>(standin::ToLong(v));
}
bool Bool(const Value& v) {
    return standin::ToLong(v) != 0;
}
std::string Text(Value v) {
    if (auto* text = std::get_if<std::string>(&v)) return std::move(*text);
    return standin::ToText(v);
}
Model Object(const Value& v) {
    return std::get<Model>(v);
}

std::string Quoted(const std::string& text) {
    return '"' + text + '"';
}

} // namespace

class MemoryEventControl;

struct MemoryAct::State : standin::Listener {
    standin::AuxStore auxStore;
    standin::Standin model{auxStore};
    bool running = true;
    std::map<std::string, Failure, std::less<>> failures;
    std::vector<std::string> calls;
    std::vector<int16_t> commands;
    // Copies of the registrations in the shapes MemoryAct gives out, renewed on every change.
    std::vector<AuxCommand> aux;
    std::set<std::pair<int16_t, std::string>> toolbar, toolsMenu;
    std::vector<std::weak_ptr<MemoryEventControl>> controls;

    // Journals the call and raises an injected failure.
    void Enter(std::string_view member, std::initializer_list<std::string> args = {}) {
        std::string entry(member);
        if (args.size()) {
            entry += '(';
            bool first = true;
            for (const auto& a : args) {
                if (!first) entry += ", ";
                entry += a;
                first = false;
            }
            entry += ')';
        }
        calls.push_back(std::move(entry));
        auto it = failures.find(member);
        if (it == failures.end()) return;
        Failure& f = it->second;
        if (f.after > 0) {
            --f.after;
            return;
        }
        if (f.times == 0) return;
        if (f.times > 0) --f.times;
        throw f.error;
    }

    void CopyRegistrations() {
        aux.clear();
        for (const auto& c : auxStore.commands())
            aux.push_back({c.name, c.program, c.folder, c.menuText, c.toolTip, c.icon, c.icon32,
                           static_cast<int16_t>(c.flags)});
        toolbar.clear();
        toolsMenu.clear();
        for (int16_t view = standin::aux::kFirstView; view <= standin::aux::kLastView; ++view) {
            for (const auto& c : auxStore.Toolbar(view))
                toolbar.insert({view, c.name});
            for (const auto& c : auxStore.Menu(view))
                toolsMenu.insert({view, c.name});
        }
    }

    void Notify(Notification n);

    void FieldSet(int16_t, const std::string&) override {}
    void DatabaseClosing() override { Notify(Notification::DatabaseClosing); }
    void DatabaseChanged() override {}
};

namespace {
using State = MemoryAct::State;
using StatePtr = std::shared_ptr<State>;

// One of the model's objects behind a typed interface. Holds the state so that the model
// outlives the MemoryAct while any object is in use.
class Proxy {
  public:
    Proxy(StatePtr s, Model object) : s_(std::move(s)), object_(std::move(object)) {}

  protected:
    // Journals the call as `member(journal...)`, then runs it in the model.
    Value Call(std::string_view member, std::initializer_list<std::string> journal, long dispId,
               const Args& args = {}) {
        s_->Enter(member, journal);
        try {
            return object_->Call(dispId, args);
        } catch (const standin::AutomationError& e) {
            throw ToVbError(e);
        }
    }
    StatePtr s_;

  private:
    Model object_;
};

} // namespace

// The event control keeps its handler until it is disconnected.
class MemoryEventControl : public EventControl, Proxy {
  public:
    explicit MemoryEventControl(StatePtr s) : Proxy(s, s->model.CreateEventControl()) {}
    int32_t DatabaseOpen(int32_t reserved) override {
        Value open = Call("Event.DatabaseOpen", {std::to_string(reserved)}, disp::kDatabaseState,
                          {long{reserved}});
        return s_->running ? Long(open) : 0;
    }
    void Disconnect() override {
        Call("Event.Disconnect", {}, disp::kDisconnect);
        connected_ = false;
    }
    bool CannotCommunicate() override {
        Value cannot = Call("Event.CannotCommunicate", {}, disp::kCommFailure);
        return !s_->running || Bool(cannot);
    }
    void OnNotification(std::function<void(Notification)> handler) override {
        handler_ = std::move(handler);
    }
    void Deliver(Notification n) {
        if (!connected_ || !handler_) return;
        auto handler = handler_; // the handler may replace itself or release this control
        handler(n);
    }

  private:
    bool connected_ = true;
    std::function<void(Notification)> handler_;
};

void MemoryAct::State::Notify(Notification n) {
    std::vector<std::shared_ptr<MemoryEventControl>> live;
    for (auto& w : controls)
        if (auto c = w.lock()) live.push_back(std::move(c));
    controls.assign(live.begin(), live.end());
    for (auto& c : live)
        c->Deliver(n);
}

namespace {

class MemoryPopupInfo : public PopupInfo, Proxy {
  public:
    using Proxy::Proxy;
    int16_t PopupCount() override {
        return Int(Call("PopupInfo.PopupCount", {}, disp::kPopupCount));
    }
    std::string value(int16_t index) override {
        return Text(Call("PopupInfo.value", {std::to_string(index)}, disp::kValue, {Short{index}}));
    }
};

class MemoryFields : public Fields, Proxy {
  public:
    using Proxy::Proxy;
    int16_t Count() override { return Int(Call("Fields.Count", {}, disp::kCount)); }
    int16_t ID(int16_t number) override {
        return Int(Call("Fields.ID", {std::to_string(number)}, disp::kID, {Short{number}}));
    }
    int16_t ID(const std::string& fieldId) override {
        return Int(Call("Fields.ID", {Quoted(fieldId)}, disp::kID, {fieldId}));
    }
    std::string Label(int16_t number) override {
        return Text(Call("Fields.Label", {std::to_string(number)}, disp::kLabel, {Short{number}}));
    }
    std::string Label(const std::string& fieldId) override {
        return Text(Call("Fields.Label", {Quoted(fieldId)}, disp::kLabel, {fieldId}));
    }
    int16_t Type(const std::string& fieldId) override {
        return Int(Call("Fields.Type", {Quoted(fieldId)}, disp::kType, {fieldId}));
    }
    bool HasPopupList(const std::string& fieldId) override {
        return Bool(Call("Fields.HasPopupList", {Quoted(fieldId)}, disp::kHasPopupList, {fieldId}));
    }
    std::shared_ptr<PopupInfo> POPUPINFO(int16_t fieldId, int16_t flags) override {
        Value popup = Call("Fields.POPUPINFO", {std::to_string(fieldId), std::to_string(flags)},
                           disp::kPopupInfo, {Short{fieldId}, Short{flags}});
        return std::make_shared<MemoryPopupInfo>(s_, Object(popup));
    }
};

class MemoryContact : public Contact, Proxy {
  public:
    using Proxy::Proxy;
    void GoTo(const std::string& contactId) override {
        Call("Contact.GoTo", {contactId}, disp::kGoTo, {contactId});
    }
    std::string Data(int16_t field) override {
        return Text(Call("Contact.Data", {std::to_string(field)}, disp::kData, {Short{field}}));
    }
    std::shared_ptr<act::Fields> Fields() override {
        return std::make_shared<MemoryFields>(s_,
                                              Object(Call("Contact.Fields", {}, disp::kFields)));
    }
};

class MemoryMembers : public MemberCursor, Proxy {
  public:
    using Proxy::Proxy;
    void MoveFirst() override { Call("Members.MoveFirst", {}, disp::kMoveFirst); }
    void MoveNext() override { Call("Members.MoveNext", {}, disp::kMoveNext); }
    bool isEOF() override { return Bool(Call("Members.isEOF", {}, disp::kIsEOF)); }
    int32_t RecordCount() override {
        return Long(Call("Members.RecordCount", {}, disp::kRecordCount));
    }
    std::string Data(int16_t field) override {
        return Text(Call("Members.Data", {std::to_string(field)}, disp::kData, {Short{field}}));
    }
};

class MemoryGroup : public Group, Proxy {
  public:
    using Proxy::Proxy;
    void MoveFirst() override { Call("Group.MoveFirst", {}, disp::kMoveFirst); }
    void MoveNext() override { Call("Group.MoveNext", {}, disp::kMoveNext); }
    bool isEOF() override { return Bool(Call("Group.isEOF", {}, disp::kIsEOF)); }
    void GoTo(const std::string& groupId) override {
        Call("Group.GoTo", {groupId}, disp::kGoTo, {groupId});
    }
    std::string Data(int16_t field) override {
        return Text(Call("Group.Data", {std::to_string(field)}, disp::kData, {Short{field}}));
    }
    std::string GetParent() override { return Text(Call("Group.GetParent", {}, disp::kGetParent)); }
    int16_t GroupType() override { return Int(Call("Group.GroupType", {}, disp::kGroupType)); }
    int32_t GetSubGroupCount() override {
        return Long(Call("Group.GetSubGroupCount", {}, disp::kGetSubGroupCount));
    }
    std::shared_ptr<MemberCursor> Members() override {
        return std::make_shared<MemoryMembers>(s_,
                                               Object(Call("Group.Members", {}, disp::kMembers)));
    }
};

class MemoryDatabase : public Database, Proxy {
  public:
    explicit MemoryDatabase(StatePtr s) : Proxy(s, s->model.CreateDatabase()) {}
    void OpenEx(const std::string& path) override {
        Call("Database.OpenEx", {path}, disp::kOpenEx, {path});
    }
    void Close() override { Call("Database.Close", {}, disp::kClose); }
    std::shared_ptr<act::Contact> Contact() override {
        return std::make_shared<MemoryContact>(
            s_, Object(Call("Database.Contact", {}, disp::kContact)));
    }
    std::shared_ptr<act::Group> Group() override {
        return std::make_shared<MemoryGroup>(s_, Object(Call("Database.Group", {}, disp::kGroup)));
    }
};

class MemoryView : public View, Proxy {
  public:
    using Proxy::Proxy;
    int16_t CurrentFieldId() override {
        return Int(Call("View.CurrentFieldId", {}, disp::kCurrentFieldId));
    }
    std::string GetField(int16_t fieldId) override {
        return Text(
            Call("View.GetField", {std::to_string(fieldId)}, disp::kGetField, {Short{fieldId}}));
    }
    std::string GetField(const std::string& fieldId) override {
        return Text(Call("View.GetField", {Quoted(fieldId)}, disp::kGetField, {fieldId}));
    }
    void SetField(int16_t fieldId, const std::string& text) override {
        Call("View.SetField", {std::to_string(fieldId), text}, disp::kSetField,
             {Short{fieldId}, text});
    }
    void SetField(const std::string& fieldId, const std::string& text) override {
        Call("View.SetField", {Quoted(fieldId), text}, disp::kSetField, {fieldId, text});
    }
};

class MemoryViews : public Views, Proxy {
  public:
    using Proxy::Proxy;
    std::shared_ptr<View> Create(int16_t kind, const std::string& name) override {
        Value view =
            Call("Views.Create", {std::to_string(kind), name}, disp::kCreate, {Short{kind}, name});
        return std::make_shared<MemoryView>(s_, Object(view));
    }
};

class MemoryApp : public App, Proxy {
  public:
    explicit MemoryApp(StatePtr s) : Proxy(s, s->model.CreateApp()) {}
    std::shared_ptr<act::Views> Views() override {
        return std::make_shared<MemoryViews>(s_, Object(Call("App.Views", {}, disp::kViews)));
    }
    std::string GetOpenDBName() override {
        return Text(Call("App.GetOpenDBName", {}, disp::kGetOpenDBName));
    }
    void Command(int16_t command) override {
        Call("App.Command", {std::to_string(command)}, disp::kCommand, {Short{command}});
        s_->commands.push_back(command);
    }
};

class MemoryAuxCommands : public AuxCommands, Proxy {
  public:
    explicit MemoryAuxCommands(StatePtr s) : Proxy(s, s->model.CreateAuxCmds()) {}
    int32_t AuxCommandExists(const std::string& name) override {
        return Long(Call("AuxCmds.AuxCommandExists", {name}, disp::kAuxCommandExists, {name}));
    }
    int32_t AddAuxCommand(const std::string& name, const std::string& program,
                          const std::string& folder, const std::string& caption,
                          const std::string& toolTip, const std::string& icon,
                          const std::string& icon32, int16_t flags) override {
        return Change(
            "AuxCmds.AddAuxCommand",
            {name, program, folder, caption, toolTip, icon, icon32, std::to_string(flags)},
            disp::kAddAuxCommand,
            {name, program, folder, caption, toolTip, icon, icon32, Short{flags}});
    }
    int16_t AuxCommandExistsInToolbar(int16_t view, const std::string& name) override {
        return Int(Call("AuxCmds.AuxCommandExistsInToolbar", {std::to_string(view), name},
                        disp::kAuxCommandExistsInToolbar, {Short{view}, name}));
    }
    int16_t AuxCommandExistsInToolsMenu(int16_t view, const std::string& name) override {
        return Int(Call("AuxCmds.AuxCommandExistsInToolsMenu", {std::to_string(view), name},
                        disp::kAuxCommandExistsInToolsMenu, {Short{view}, name}));
    }
    int32_t AddAuxCommandToToolbar(int16_t view, const std::string& name) override {
        return Change("AuxCmds.AddAuxCommandToToolbar", {std::to_string(view), name},
                      disp::kAddAuxCommandToToolbar, {Short{view}, name});
    }
    int32_t AddAuxCommandToToolsMenu(int16_t view, const std::string& name) override {
        return Change("AuxCmds.AddAuxCommandToToolsMenu", {std::to_string(view), name},
                      disp::kAddAuxCommandToToolsMenu, {Short{view}, name});
    }
    int32_t RemoveAuxCommandFromToolbar(int16_t view, const std::string& name) override {
        return Change("AuxCmds.RemoveAuxCommandFromToolbar", {std::to_string(view), name},
                      disp::kRemoveAuxCommandFromToolbar, {Short{view}, name});
    }
    int32_t RemoveAuxCommandFromToolsMenu(int16_t view, const std::string& name) override {
        return Change("AuxCmds.RemoveAuxCommandFromToolsMenu", {std::to_string(view), name},
                      disp::kRemoveAuxCommandFromToolsMenu, {Short{view}, name});
    }

  private:
    int32_t Change(std::string_view member, std::initializer_list<std::string> journal, long dispId,
                   const Args& args) {
        int32_t result = Long(Call(member, journal, dispId, args));
        s_->CopyRegistrations();
        return result;
    }
};

class MemoryAutomation : public Automation {
  public:
    explicit MemoryAutomation(StatePtr s) : s_(std::move(s)) {}
    std::shared_ptr<App> CreateApp() override {
        Enter("Automation.CreateApp");
        return std::make_shared<MemoryApp>(s_);
    }
    std::shared_ptr<act::Database> CreateDatabase() override {
        Enter("Automation.CreateDatabase");
        return std::make_shared<MemoryDatabase>(s_);
    }
    std::shared_ptr<AuxCommands> CreateAuxCommands() override {
        Enter("Automation.CreateAuxCommands");
        return std::make_shared<MemoryAuxCommands>(s_);
    }
    std::shared_ptr<EventControl> CreateEventControl() override {
        // The control sits on the add-on's own form: it loads even when ACT! is not running.
        s_->Enter("Automation.CreateEventControl");
        auto control = std::make_shared<MemoryEventControl>(s_);
        s_->controls.push_back(control);
        return control;
    }

  private:
    void Enter(std::string_view member) {
        s_->Enter(member);
        if (!s_->running)
            throw VbError(err::kCantCreateObject, "ActiveX component can't create object");
    }
    StatePtr s_;
};

} // namespace

MemoryAct::MemoryAct(actdb::Database db, std::string path) : state_(std::make_shared<State>()) {
    state_->model.Adopt(path, std::move(db));
    state_->model.SetListener(state_.get());
    factory_ = std::make_unique<MemoryAutomation>(state_);
}

MemoryAct::~MemoryAct() = default;

Automation& MemoryAct::automation() {
    return *factory_;
}

actdb::Database& MemoryAct::db() {
    return state_->model.EditDb();
}

const std::string& MemoryAct::path() const {
    return state_->model.path();
}
bool MemoryAct::databaseOpen() const {
    return state_->running && state_->model.HasDatabase();
}

void MemoryAct::OpenDatabase(actdb::Database db, std::string path) {
    state_->model.Adopt(path, std::move(db));
}

void MemoryAct::CloseDatabase() {
    state_->model.Close();
}

void MemoryAct::Quit() {
    state_->model.Close();
    state_->Notify(Notification::AppClosing);
    state_->running = false;
}

void MemoryAct::SetRunning(bool running) {
    state_->running = running;
}
void MemoryAct::SetCannotCommunicate(bool cannot) {
    state_->model.SetCommFailure(cannot);
}

void MemoryAct::SetCurrentContact(std::string_view contactId) {
    std::size_t i = state_->model.FindContact(contactId);
    if (i >= state_->model.db().contacts.size())
        throw std::invalid_argument("no contact '" + std::string(contactId) + "'");
    state_->model.GoToRecord(i);
}

const actdb::Contact* MemoryAct::currentContact() const {
    const auto& contacts = state_->model.db().contacts;
    return state_->model.record() < contacts.size() ? &contacts[state_->model.record()] : nullptr;
}

void MemoryAct::SetCurrentField(int16_t fieldId) {
    state_->model.SetCurrentField(fieldId);
}

void MemoryAct::Fail(const std::string& member, VbError error, int after, int times) {
    if (std::find(std::begin(kMembers), std::end(kMembers), member) == std::end(kMembers))
        throw std::invalid_argument("ACT! has no member '" + member + "'");
    state_->failures.insert_or_assign(member, Failure{std::move(error), after, times});
}

void MemoryAct::ClearFailures() {
    state_->failures.clear();
}
const std::vector<std::string>& MemoryAct::calls() const {
    return state_->calls;
}

int MemoryAct::CallCount(std::string_view member) const {
    return static_cast<int>(
        std::count_if(state_->calls.begin(), state_->calls.end(), [&](const std::string& c) {
            return c.compare(0, member.size(), member) == 0 &&
                   (c.size() == member.size() || c[member.size()] == '(');
        }));
}

void MemoryAct::ClearCalls() {
    state_->calls.clear();
}
void MemoryAct::Notify(Notification n) {
    state_->Notify(n);
}
const std::vector<int16_t>& MemoryAct::commands() const {
    return state_->commands;
}
const std::vector<AuxCommand>& MemoryAct::auxCommands() const {
    return state_->aux;
}

const std::set<std::pair<int16_t, std::string>>& MemoryAct::toolbarButtons() const {
    return state_->toolbar;
}

const std::set<std::pair<int16_t, std::string>>& MemoryAct::toolsMenuEntries() const {
    return state_->toolsMenu;
}

} // namespace tamber::act
