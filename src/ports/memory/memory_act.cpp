#include "ports/memory/memory_act.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <unordered_map>

namespace tamber::act {
namespace {

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

[[noreturn]] void Raise(long number, const char* text) {
    throw VbError(number, text);
}
[[noreturn]] void NoDatabase() {
    Raise(kErrNoDatabase, "No database is open");
}
[[noreturn]] void NoRecord() {
    Raise(kErrNoCurrentRecord, "No current record");
}
[[noreturn]] void NoField() {
    Raise(kErrNotFound, "No field with that identifier");
}

std::string Trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return std::string(s);
}

// A field identifier given as text, converted as ACT! converts it.
int16_t FieldNumber(std::string_view text) {
    std::string t = Trimmed(text);
    long value = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || p != t.data() + t.size()) Raise(err::kTypeMismatch, "Type mismatch");
    if (ec != std::errc() || value < -32768 || value > 32767)
        Raise(kErrInvalidArgument, "Field identifier out of range");
    return static_cast<int16_t>(value);
}

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto low = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return low(x) == low(y);
    });
}

struct Failure {
    VbError error;
    int after;
    int times;
};

} // namespace

class MemoryEventControl;

struct MemoryAct::State {
    actdb::Database db;
    std::string path;
    bool open = true;
    bool running = true;
    bool cannotCommunicate = false;
    uint64_t generation = 1; // changes whenever ACT! closes or opens a database
    std::size_t currentContact = 0;
    int16_t currentField = 0;
    std::map<std::string, Failure, std::less<>> failures;
    std::vector<std::string> calls;
    std::vector<int16_t> commands;
    std::vector<AuxCommand> aux;
    std::set<std::pair<int16_t, std::string>> toolbar, toolsMenu;
    std::vector<std::weak_ptr<MemoryEventControl>> controls;
    std::unordered_map<std::string, std::size_t> contactIndex;
    bool indexDirty = true;

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

    bool HasDatabase() const { return running && open; }
    void RequireDatabase() const {
        if (!HasDatabase()) NoDatabase();
    }

    const actdb::Field& FieldOf(int16_t id) const {
        const actdb::Field* f = db.FindField(id);
        if (!f) NoField();
        return *f;
    }

    // Contact by identifier (trailing blanks ignored), or npos.
    std::size_t ContactAt(std::string_view id) {
        if (indexDirty) {
            contactIndex.clear();
            for (std::size_t i = 0; i < db.contacts.size(); ++i)
                contactIndex.emplace(Trimmed(db.contacts[i].id), i);
            indexDirty = false;
        }
        auto it = contactIndex.find(Trimmed(id));
        return it == contactIndex.end() ? std::string::npos : it->second;
    }

    const AuxCommand* FindAux(std::string_view name) const {
        for (const auto& c : aux)
            if (SameName(c.name, name)) return &c;
        return nullptr;
    }

    void CloseDatabase() {
        if (!open) return;
        Notify(Notification::DatabaseClosing);
        open = false;
        currentField = 0;
        ++generation;
    }

    void Notify(Notification n);
};

namespace {
using State = MemoryAct::State;
using StatePtr = std::shared_ptr<State>;
} // namespace

// The event control keeps its handler until it is disconnected.
class MemoryEventControl : public EventControl {
  public:
    explicit MemoryEventControl(StatePtr s) : s_(std::move(s)) {}
    int32_t DatabaseOpen(int32_t reserved) override {
        s_->Enter("Event.DatabaseOpen", {std::to_string(reserved)});
        return !s_->cannotCommunicate && s_->HasDatabase() ? 1 : 0;
    }
    void Disconnect() override {
        s_->Enter("Event.Disconnect");
        connected_ = false;
    }
    bool CannotCommunicate() override {
        s_->Enter("Event.CannotCommunicate");
        return !s_->running || s_->cannotCommunicate;
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
    StatePtr s_;
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

// Objects that read the database ACT! had open when they were made.
class Bound {
  protected:
    explicit Bound(StatePtr s) : s_(std::move(s)), generation_(s_->generation) {}
    void Enter(std::string_view member, std::initializer_list<std::string> args = {}) {
        s_->Enter(member, args);
        if (!s_->HasDatabase() || s_->generation != generation_) NoDatabase();
    }
    const actdb::Database& Db() const { return s_->db; }
    StatePtr s_;

  private:
    uint64_t generation_;
};

class MemoryPopupInfo : public PopupInfo, Bound {
  public:
    MemoryPopupInfo(StatePtr s, std::vector<std::string> values)
        : Bound(std::move(s)), values_(std::move(values)) {}
    int16_t PopupCount() override {
        Enter("PopupInfo.PopupCount");
        return static_cast<int16_t>(values_.size());
    }
    std::string value(int16_t index) override {
        Enter("PopupInfo.value", {std::to_string(index)});
        if (index < 0 || static_cast<std::size_t>(index) >= values_.size())
            Raise(kErrInvalidArgument, "Drop-down value index out of range");
        return values_[static_cast<std::size_t>(index)];
    }

  private:
    std::vector<std::string> values_;
};

class MemoryFields : public Fields, Bound {
  public:
    explicit MemoryFields(StatePtr s) : Bound(std::move(s)) {}
    int16_t Count() override {
        Enter("Fields.Count");
        return static_cast<int16_t>(Db().fields.size());
    }
    int16_t ID(int16_t number) override {
        Enter("Fields.ID", {std::to_string(number)});
        const actdb::Field* f = At(number);
        return f ? f->id : int16_t(-1);
    }
    int16_t ID(const std::string& fieldId) override {
        Enter("Fields.ID", {Quoted(fieldId)});
        const actdb::Field* f = Db().FindField(FieldNumber(fieldId));
        return f ? f->id : int16_t(-1);
    }
    std::string Label(int16_t number) override {
        Enter("Fields.Label", {std::to_string(number)});
        const actdb::Field* f = At(number);
        if (!f) Raise(kErrNotFound, "No field with that number");
        return f->label;
    }
    std::string Label(const std::string& fieldId) override {
        Enter("Fields.Label", {Quoted(fieldId)});
        return s_->FieldOf(FieldNumber(fieldId)).label;
    }
    int16_t Type(const std::string& fieldId) override {
        Enter("Fields.Type", {Quoted(fieldId)});
        return s_->FieldOf(FieldNumber(fieldId)).type;
    }
    bool HasPopupList(const std::string& fieldId) override {
        Enter("Fields.HasPopupList", {Quoted(fieldId)});
        return s_->FieldOf(FieldNumber(fieldId)).hasPopup;
    }
    std::shared_ptr<PopupInfo> POPUPINFO(int16_t fieldId, int16_t flags) override {
        Enter("Fields.POPUPINFO", {std::to_string(fieldId), std::to_string(flags)});
        const actdb::Field& f = s_->FieldOf(fieldId);
        return std::make_shared<MemoryPopupInfo>(s_,
                                                 f.hasPopup ? f.popup : std::vector<std::string>{});
    }

  private:
    const actdb::Field* At(int16_t number) const {
        if (number < 0 || static_cast<std::size_t>(number) >= Db().fields.size()) return nullptr;
        return &Db().fields[static_cast<std::size_t>(number)];
    }
    static std::string Quoted(const std::string& text) { return '"' + text + '"'; }
};

class MemoryContact : public Contact, Bound {
  public:
    explicit MemoryContact(StatePtr s) : Bound(std::move(s)) {}
    void GoTo(const std::string& contactId) override {
        Enter("Contact.GoTo", {contactId});
        pos_ = s_->ContactAt(contactId); // npos when unknown: no current contact
    }
    std::string Data(int16_t field) override {
        Enter("Contact.Data", {std::to_string(field)});
        s_->FieldOf(field);
        if (pos_ >= Db().contacts.size()) NoRecord();
        const std::string* v = Db().contacts[pos_].Value(field);
        return v ? *v : std::string();
    }
    std::shared_ptr<act::Fields> Fields() override {
        Enter("Contact.Fields");
        return std::make_shared<MemoryFields>(s_);
    }

  private:
    std::size_t pos_ = 0;
};

class MemoryMembers : public MemberCursor, Bound {
  public:
    MemoryMembers(StatePtr s, std::vector<std::string> ids)
        : Bound(std::move(s)), ids_(std::move(ids)) {}
    void MoveFirst() override {
        Enter("Members.MoveFirst");
        if (ids_.empty()) Raise(kErrNoCurrentRecord, "The group has no members");
        pos_ = 0;
    }
    void MoveNext() override {
        Enter("Members.MoveNext");
        if (pos_ >= ids_.size()) NoRecord();
        ++pos_;
    }
    bool isEOF() override {
        Enter("Members.isEOF");
        return pos_ >= ids_.size();
    }
    int32_t RecordCount() override {
        Enter("Members.RecordCount");
        return static_cast<int32_t>(ids_.size());
    }
    std::string Data(int16_t field) override {
        Enter("Members.Data", {std::to_string(field)});
        if (field != kMemberContactField) Raise(kErrNotFound, "No such member field");
        if (pos_ >= ids_.size()) NoRecord();
        return ids_[pos_] + " ";
    }

  private:
    std::vector<std::string> ids_;
    std::size_t pos_ = 0;
};

class MemoryGroup : public Group, Bound {
  public:
    explicit MemoryGroup(StatePtr s) : Bound(std::move(s)) {}
    void MoveFirst() override {
        Enter("Group.MoveFirst");
        pos_ = 0;
    }
    void MoveNext() override {
        Enter("Group.MoveNext");
        if (pos_ >= Db().groups.size()) NoRecord();
        ++pos_;
    }
    bool isEOF() override {
        Enter("Group.isEOF");
        return pos_ >= Db().groups.size();
    }
    void GoTo(const std::string& groupId) override {
        Enter("Group.GoTo", {groupId});
        // Unknown: left at EOF, so no other group answers for the one asked for.
        for (pos_ = 0; pos_ < Db().groups.size(); ++pos_)
            if (actdb::SameId(Db().groups[pos_].id, groupId)) return;
    }
    std::string Data(int16_t field) override {
        Enter("Group.Data", {std::to_string(field)});
        const actdb::Group& g = Current();
        if (field == kGroupIdField) return g.id + " ";
        if (field == kGroupNameField) return g.name;
        Raise(kErrNotFound, "No such group field");
    }
    std::string GetParent() override {
        Enter("Group.GetParent");
        const actdb::Group& g = Current();
        return g.parent.empty() ? std::string() : g.parent + " ";
    }
    int16_t GroupType() override {
        Enter("Group.GroupType");
        return Current().parent.empty() ? 0 : 1;
    }
    int32_t GetSubGroupCount() override {
        Enter("Group.GetSubGroupCount");
        return Db().SubGroupCount(Current().id);
    }
    std::shared_ptr<MemberCursor> Members() override {
        Enter("Group.Members");
        return std::make_shared<MemoryMembers>(s_, Current().members);
    }

  private:
    const actdb::Group& Current() const {
        if (pos_ >= Db().groups.size()) NoRecord();
        return Db().groups[pos_];
    }
    std::size_t pos_ = 0;
};

class MemoryDatabase : public Database {
  public:
    explicit MemoryDatabase(StatePtr s) : s_(std::move(s)) {}
    void OpenEx(const std::string& path) override {
        s_->Enter("Database.OpenEx", {path});
        s_->RequireDatabase();
        if (!path.empty() && path != s_->path)
            Raise(kErrNotFound, "Only the database open in ACT! can be attached");
        attached_ = true;
        generation_ = s_->generation;
    }
    void Close() override {
        s_->Enter("Database.Close");
        attached_ = false;
    }
    std::shared_ptr<act::Contact> Contact() override {
        s_->Enter("Database.Contact");
        RequireAttached();
        return std::make_shared<MemoryContact>(s_);
    }
    std::shared_ptr<act::Group> Group() override {
        s_->Enter("Database.Group");
        RequireAttached();
        return std::make_shared<MemoryGroup>(s_);
    }

  private:
    void RequireAttached() const {
        if (!attached_ || !s_->HasDatabase() || s_->generation != generation_)
            Raise(kErrNotAttached, "The database object is not attached to an open database");
    }
    StatePtr s_;
    bool attached_ = false;
    uint64_t generation_ = 0;
};

class MemoryView : public View, Bound {
  public:
    explicit MemoryView(StatePtr s) : Bound(std::move(s)) {}
    using View::GetField;
    using View::SetField;
    int16_t CurrentFieldId() override {
        Enter("View.CurrentFieldId");
        return s_->currentField;
    }
    std::string GetField(const std::string& fieldId) override {
        Enter("View.GetField", {fieldId});
        int16_t field = Known(fieldId);
        const std::string* v = Current().Value(field);
        return v ? *v : std::string();
    }
    void SetField(const std::string& fieldId, const std::string& text) override {
        Enter("View.SetField", {fieldId, text});
        int16_t field = Known(fieldId);
        Current().SetValue(field, text);
    }

  private:
    int16_t Known(const std::string& fieldId) const {
        int16_t field = FieldNumber(fieldId);
        s_->FieldOf(field);
        return field;
    }
    actdb::Contact& Current() {
        if (s_->currentContact >= s_->db.contacts.size()) NoRecord();
        return s_->db.contacts[s_->currentContact];
    }
};

class MemoryViews : public Views {
  public:
    explicit MemoryViews(StatePtr s) : s_(std::move(s)) {}
    std::shared_ptr<View> Create(int16_t kind, const std::string& name) override {
        s_->Enter("Views.Create", {std::to_string(kind), name});
        s_->RequireDatabase();
        if (kind != 1 || name != "CV") Raise(kErrNotFound, "Unknown view");
        return std::make_shared<MemoryView>(s_);
    }

  private:
    StatePtr s_;
};

class MemoryApp : public App {
  public:
    explicit MemoryApp(StatePtr s) : s_(std::move(s)) {}
    std::shared_ptr<act::Views> Views() override {
        s_->Enter("App.Views");
        return std::make_shared<MemoryViews>(s_);
    }
    std::string GetOpenDBName() override {
        s_->Enter("App.GetOpenDBName");
        return s_->HasDatabase() ? s_->path : std::string();
    }
    void Command(int16_t command) override {
        s_->Enter("App.Command", {std::to_string(command)});
        if (command != 150) Raise(kErrNotFound, "Unknown command");
        s_->commands.push_back(command);
        s_->CloseDatabase();
    }

  private:
    StatePtr s_;
};

class MemoryAuxCommands : public AuxCommands {
  public:
    explicit MemoryAuxCommands(StatePtr s) : s_(std::move(s)) {}
    int32_t AuxCommandExists(const std::string& name) override {
        s_->Enter("AuxCmds.AuxCommandExists", {name});
        return s_->FindAux(name) ? 1 : 0;
    }
    int32_t AddAuxCommand(const std::string& name, const std::string& program,
                          const std::string& folder, const std::string& caption,
                          const std::string& toolTip, const std::string& icon,
                          const std::string& icon32, int16_t flags) override {
        s_->Enter("AuxCmds.AddAuxCommand",
                  {name, program, folder, caption, toolTip, icon, icon32, std::to_string(flags)});
        AuxCommand c{name, program, folder, caption, toolTip, icon, icon32, flags};
        for (const std::string* t : {&name, &program, &folder, &caption, &toolTip, &icon, &icon32})
            if (t->find_first_of("\r\n") != std::string::npos) return kAuxBadArgument;
        if (name.empty() || program.empty() || name.find_first_of("[]=") != std::string::npos)
            return kAuxBadArgument;
        for (auto& existing : s_->aux)
            if (SameName(existing.name, name)) {
                existing = c;
                return 0;
            }
        s_->aux.push_back(std::move(c));
        return 0;
    }
    int16_t AuxCommandExistsInToolbar(int16_t view, const std::string& name) override {
        s_->Enter("AuxCmds.AuxCommandExistsInToolbar", {std::to_string(view), name});
        return Has(s_->toolbar, view, name) ? 1 : 0;
    }
    int16_t AuxCommandExistsInToolsMenu(int16_t view, const std::string& name) override {
        s_->Enter("AuxCmds.AuxCommandExistsInToolsMenu", {std::to_string(view), name});
        return Has(s_->toolsMenu, view, name) ? 1 : 0;
    }
    int32_t AddAuxCommandToToolbar(int16_t view, const std::string& name) override {
        s_->Enter("AuxCmds.AddAuxCommandToToolbar", {std::to_string(view), name});
        return Place(s_->toolbar, view, name);
    }
    int32_t AddAuxCommandToToolsMenu(int16_t view, const std::string& name) override {
        s_->Enter("AuxCmds.AddAuxCommandToToolsMenu", {std::to_string(view), name});
        return Place(s_->toolsMenu, view, name);
    }
    int32_t RemoveAuxCommandFromToolbar(int16_t view, const std::string& name) override {
        s_->Enter("AuxCmds.RemoveAuxCommandFromToolbar", {std::to_string(view), name});
        return Remove(s_->toolbar, view, name);
    }
    int32_t RemoveAuxCommandFromToolsMenu(int16_t view, const std::string& name) override {
        s_->Enter("AuxCmds.RemoveAuxCommandFromToolsMenu", {std::to_string(view), name});
        return Remove(s_->toolsMenu, view, name);
    }

  private:
    using Placements = std::set<std::pair<int16_t, std::string>>;
    static bool ValidView(int16_t view) { return view >= 1 && view <= 6; }
    bool Has(const Placements& where, int16_t view, const std::string& name) const {
        const AuxCommand* c = s_->FindAux(name);
        return c && where.count({view, c->name});
    }
    int32_t Place(Placements& where, int16_t view, const std::string& name) {
        if (!ValidView(view)) return kAuxBadView;
        const AuxCommand* c = s_->FindAux(name);
        if (!c) return kAuxUnknownCommand;
        where.insert({view, c->name});
        return 0;
    }
    int32_t Remove(Placements& where, int16_t view, const std::string& name) {
        if (!ValidView(view)) return kAuxBadView;
        const AuxCommand* c = s_->FindAux(name);
        if (!c || !where.erase({view, c->name})) return kAuxNotPresent;
        return 0;
    }
    StatePtr s_;
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
        if (!s_->running) Raise(err::kCantCreateObject, "ActiveX component can't create object");
    }
    StatePtr s_;
};

} // namespace

MemoryAct::MemoryAct(actdb::Database db, std::string path) : state_(std::make_shared<State>()) {
    state_->db = std::move(db);
    state_->path = std::move(path);
    factory_ = std::make_unique<MemoryAutomation>(state_);
}

MemoryAct::~MemoryAct() = default;

Automation& MemoryAct::automation() {
    return *factory_;
}

actdb::Database& MemoryAct::db() {
    state_->indexDirty = true;
    return state_->db;
}

const std::string& MemoryAct::path() const {
    return state_->path;
}
bool MemoryAct::databaseOpen() const {
    return state_->HasDatabase();
}

void MemoryAct::OpenDatabase(actdb::Database db, std::string path) {
    state_->CloseDatabase();
    state_->db = std::move(db);
    state_->path = std::move(path);
    state_->indexDirty = true;
    state_->open = true;
    state_->currentContact = 0;
    ++state_->generation;
}

void MemoryAct::CloseDatabase() {
    state_->CloseDatabase();
}

void MemoryAct::Quit() {
    state_->CloseDatabase();
    state_->Notify(Notification::AppClosing);
    state_->running = false;
}

void MemoryAct::SetRunning(bool running) {
    state_->running = running;
}
void MemoryAct::SetCannotCommunicate(bool cannot) {
    state_->cannotCommunicate = cannot;
}

void MemoryAct::SetCurrentContact(std::string_view contactId) {
    std::size_t i = state_->ContactAt(contactId);
    if (i == std::string::npos)
        throw std::invalid_argument("no contact '" + std::string(contactId) + "'");
    state_->currentContact = i;
}

const actdb::Contact* MemoryAct::currentContact() const {
    return state_->currentContact < state_->db.contacts.size()
               ? &state_->db.contacts[state_->currentContact]
               : nullptr;
}

void MemoryAct::SetCurrentField(int16_t fieldId) {
    state_->currentField = fieldId;
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
