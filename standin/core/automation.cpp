#include "core/automation.h"

#include <cstdio>
#include <stdexcept>

#include "core/gdb_writer.h"

namespace tamber::standin {
namespace {

constexpr long kNoSuchField = -1;

void Need(const Args& args, size_t n) {
    if (args.size() != n)
        throw AutomationError{AutomationError::Kind::kBadParamCount, 0, "wrong argument count"};
}

int16_t FieldArg(const Value& v) {
    long id = ToLong(v);
    if (id < -32768 || id > 32767) Raise(scode::kInvalidArgument, "Field identifier out of range");
    return static_cast<int16_t>(id);
}

// Identifiers are handed out as ACT! does: the stored characters followed by one blank.
std::string IdOut(const std::string& id) {
    return id + " ";
}

// Base of the objects that read the open database: they are bound to the database that was
// open when they were made and fail once it has been closed.
class Bound : public AutoObject {
  public:
    Bound(Standin& app) : app_(app), generation_(app.generation()) {}

  protected:
    const actdb::Database& Db() const {
        if (!app_.HasDatabase() || app_.generation() != generation_)
            Raise(scode::kNoDatabase, "No database is open");
        return app_.db();
    }
    Standin& app_;
    uint64_t generation_;
};

class PopupInfo : public Bound {
  public:
    PopupInfo(Standin& app, std::vector<std::string> values)
        : Bound(app), values_(std::move(values)) {}
    ObjKind kind() const override { return ObjKind::kPopupInfo; }
    Value Call(long id, const Args& args) override {
        Db();
        switch (id) {
        case disp::kPopupCount:
            Need(args, 0);
            return static_cast<long>(values_.size());
        case disp::kValue: {
            Need(args, 1);
            long k = ToLong(args[0]);
            if (k < 0 || k >= static_cast<long>(values_.size()))
                Raise(scode::kInvalidArgument, "Drop-down value index out of range");
            return values_[k];
        }
        }
        throw AutomationError{AutomationError::Kind::kMemberNotFound, 0, ""};
    }

  private:
    std::vector<std::string> values_;
};

class Fields : public Bound {
  public:
    using Bound::Bound;
    ObjKind kind() const override { return ObjKind::kFields; }
    Value Call(long id, const Args& args) override {
        const auto& fields = Db().fields;
        switch (id) {
        case disp::kCount:
            Need(args, 0);
            return static_cast<long>(fields.size());
        case disp::kID: {
            Need(args, 1);
            // A number is a position in ACT!'s field numbering, text a field identifier.
            if (IsNumber(args[0])) {
                long n = ToLong(args[0]);
                if (n < 0 || n >= static_cast<long>(fields.size())) return Short{kNoSuchField};
                return Short{fields[n].id};
            }
            const actdb::Field* f = Db().FindField(FieldArg(args[0]));
            return Short{f ? f->id : static_cast<short>(kNoSuchField)};
        }
        case disp::kLabel: {
            Need(args, 1);
            if (IsNumber(args[0])) {
                long n = ToLong(args[0]);
                if (n < 0 || n >= static_cast<long>(fields.size()))
                    Raise(scode::kNotFound, "No field with that number");
                return fields[n].label;
            }
            return ById(args[0]).label;
        }
        case disp::kType:
            Need(args, 1);
            return Short{ById(args[0]).type};
        case disp::kHasPopupList:
            Need(args, 1);
            return ById(args[0]).hasPopup;
        case disp::kPopupInfo: {
            Need(args, 2);
            const actdb::Field& f = ById(args[0]);
            ToLong(args[1]);
            return std::make_shared<PopupInfo>(app_,
                                               f.hasPopup ? f.popup : std::vector<std::string>{});
        }
        }
        throw AutomationError{AutomationError::Kind::kMemberNotFound, 0, ""};
    }

  private:
    const actdb::Field& ById(const Value& v) const {
        const actdb::Field* f = Db().FindField(FieldArg(v));
        if (!f) Raise(scode::kNotFound, "No field with that identifier");
        return *f;
    }
};

// A cursor over a list of records: positions 0..size-1, size is EOF.
class Cursor : public Bound {
  public:
    using Bound::Bound;

  protected:
    virtual size_t Size() const = 0;
    bool AtEof() const { return pos_ >= Size(); }
    void RequireRecord() const {
        if (AtEof()) Raise(scode::kNoCurrentRecord, "No current record");
    }
    bool Common(long id, const Args& args, Value& out) {
        switch (id) {
        case disp::kMoveFirst:
            Need(args, 0);
            pos_ = 0;
            return true;
        case disp::kMoveNext:
            Need(args, 0);
            RequireRecord();
            ++pos_;
            return true;
        case disp::kIsEOF:
            Need(args, 0);
            out = AtEof();
            return true;
        }
        return false;
    }
    size_t pos_ = 0;
};

class Members : public Cursor {
  public:
    Members(Standin& app, std::vector<std::string> ids) : Cursor(app), ids_(std::move(ids)) {}
    ObjKind kind() const override { return ObjKind::kMembers; }
    Value Call(long id, const Args& args) override {
        Db();
        Value out;
        // An empty member set has no first record to move to.
        if (id == disp::kMoveFirst && ids_.empty())
            Raise(scode::kNoCurrentRecord, "The group has no members");
        if (Common(id, args, out)) return out;
        switch (id) {
        case disp::kRecordCount:
            Need(args, 0);
            return static_cast<long>(ids_.size());
        case disp::kData:
            Need(args, 1);
            if (ToLong(args[0]) != 1) Raise(scode::kNotFound, "No such member field");
            RequireRecord();
            return IdOut(ids_[pos_]);
        }
        throw AutomationError{AutomationError::Kind::kMemberNotFound, 0, ""};
    }

  private:
    size_t Size() const override { return ids_.size(); }
    std::vector<std::string> ids_;
};

class Group : public Cursor {
  public:
    using Cursor::Cursor;
    ObjKind kind() const override { return ObjKind::kGroup; }
    Value Call(long id, const Args& args) override {
        const auto& groups = Db().groups;
        Value out;
        if (Common(id, args, out)) return out;
        switch (id) {
        case disp::kGoTo: {
            Need(args, 1);
            std::string want = ToText(args[0]);
            for (pos_ = 0; pos_ < groups.size(); ++pos_)
                if (actdb::SameId(groups[pos_].id, want)) return true;
            return false; // left at EOF: no stale group answers for the one asked for
        }
        case disp::kData: {
            Need(args, 1);
            long n = ToLong(args[0]);
            const actdb::Group& g = Current();
            if (n == 1) return IdOut(g.id);
            if (n == 25) return g.name;
            Raise(scode::kNotFound, "No such group field");
        }
        case disp::kGetParent:
            Need(args, 0);
            return Current().parent.empty() ? std::string() : IdOut(Current().parent);
        case disp::kGroupType:
            Need(args, 0);
            return Short{Current().parent.empty() ? short(0) : short(1)};
        case disp::kGetSubGroupCount:
            Need(args, 0);
            return static_cast<long>(Db().SubGroupCount(Current().id));
        case disp::kMembers: {
            Need(args, 0);
            return std::make_shared<Members>(app_, Current().members);
        }
        }
        throw AutomationError{AutomationError::Kind::kMemberNotFound, 0, ""};
    }

  private:
    size_t Size() const override { return Db().groups.size(); }
    const actdb::Group& Current() const {
        RequireRecord();
        return Db().groups[pos_];
    }
};

class Contact : public Cursor {
  public:
    using Cursor::Cursor;
    ObjKind kind() const override { return ObjKind::kContact; }
    Value Call(long id, const Args& args) override {
        const auto& db = Db();
        switch (id) {
        case disp::kGoTo:
            Need(args, 1);
            pos_ = app_.FindContact(ToText(args[0]));
            return pos_ < db.contacts.size();
        case disp::kData: {
            Need(args, 1);
            int16_t field = FieldArg(args[0]);
            if (!db.FindField(field)) Raise(scode::kNotFound, "No field with that identifier");
            RequireRecord();
            const std::string* v = db.contacts[pos_].Value(field);
            return v ? *v : std::string();
        }
        case disp::kFields:
            Need(args, 0);
            return std::make_shared<Fields>(app_);
        }
        throw AutomationError{AutomationError::Kind::kMemberNotFound, 0, ""};
    }

  private:
    size_t Size() const override { return Db().contacts.size(); }
};

class Database : public AutoObject {
  public:
    explicit Database(Standin& app) : app_(app) {}
    ObjKind kind() const override { return ObjKind::kDatabase; }
    Value Call(long id, const Args& args) override {
        switch (id) {
        case disp::kOpenEx: {
            Need(args, 1);
            std::string path = ToText(args[0]);
            app_.RequireDatabase();
            if (!path.empty() && path != app_.path())
                Raise(scode::kNotFound, "Only the database open in ACT! can be attached");
            attached_ = true;
            generation_ = app_.generation();
            return {};
        }
        case disp::kClose:
            Need(args, 0);
            attached_ = false;
            return {};
        case disp::kContact:
            Need(args, 0);
            RequireAttached();
            return std::make_shared<Contact>(app_);
        case disp::kGroup:
            Need(args, 0);
            RequireAttached();
            return std::make_shared<Group>(app_);
        }
        throw AutomationError{AutomationError::Kind::kMemberNotFound, 0, ""};
    }

  private:
    void RequireAttached() const {
        if (!attached_ || !app_.HasDatabase() || app_.generation() != generation_)
            Raise(scode::kNotAttached, "The database object is not attached to an open database");
    }
    Standin& app_;
    bool attached_ = false;
    uint64_t generation_ = 0;
};

class View : public Bound {
  public:
    using Bound::Bound;
    ObjKind kind() const override { return ObjKind::kView; }
    Value Call(long id, const Args& args) override {
        Db();
        switch (id) {
        case disp::kCurrentFieldId:
            Need(args, 0);
            return Short{app_.currentField()};
        case disp::kGetField: {
            Need(args, 1);
            int16_t field = Known(FieldId(args[0], true));
            const std::string* v = app_.CurrentContact().Value(field);
            return v ? *v : std::string();
        }
        case disp::kSetField: {
            Need(args, 2);
            int16_t field = Known(FieldId(args[0], false));
            app_.SetFieldFromClient(field, ToText(args[1]));
            return {};
        }
        }
        throw AutomationError{AutomationError::Kind::kMemberNotFound, 0, ""};
    }

  private:
    // The field identifier as ACT! takes it: a 16-bit integer, or for GetField also the
    // identifier as text (how a reference field is named).
    static const Value& FieldId(const Value& v, bool textToo) {
        if (std::holds_alternative<Short>(v) || (textToo && std::holds_alternative<std::string>(v)))
            return v;
        throw AutomationError{AutomationError::Kind::kTypeMismatch, 0, "Type mismatch"};
    }
    int16_t Known(const Value& v) const {
        int16_t field = FieldArg(v);
        if (!Db().FindField(field)) Raise(scode::kNotFound, "No field with that identifier");
        return field;
    }
};

class Views : public AutoObject {
  public:
    explicit Views(Standin& app) : app_(app) {}
    ObjKind kind() const override { return ObjKind::kViews; }
    Value Call(long id, const Args& args) override {
        if (id != disp::kCreate)
            throw AutomationError{AutomationError::Kind::kMemberNotFound, 0, ""};
        Need(args, 2);
        long view = ToLong(args[0]);
        std::string type = ToText(args[1]);
        app_.RequireDatabase();
        if (view != 1 || type != "CV") Raise(scode::kNotFound, "Unknown view");
        return std::make_shared<View>(app_);
    }

  private:
    Standin& app_;
};

class App : public AutoObject {
  public:
    explicit App(Standin& app) : app_(app) {}
    ObjKind kind() const override { return ObjKind::kApp; }
    Value Call(long id, const Args& args) override {
        switch (id) {
        case disp::kViews:
            Need(args, 0);
            return std::make_shared<Views>(app_);
        case disp::kGetOpenDBName:
            Need(args, 0);
            return app_.HasDatabase() ? app_.path() : std::string();
        case disp::kCommand: {
            Need(args, 1);
            long command = ToLong(args[0]);
            if (command != 150) Raise(scode::kNotFound, "Unknown command");
            app_.Close();
            return {};
        }
        }
        throw AutomationError{AutomationError::Kind::kMemberNotFound, 0, ""};
    }

  private:
    Standin& app_;
};

class AuxCmds : public AutoObject {
  public:
    explicit AuxCmds(AuxStore& store) : store_(store) {}
    ObjKind kind() const override { return ObjKind::kAuxCmds; }
    Value Call(long id, const Args& args) override {
        switch (id) {
        case disp::kAuxCommandExists:
            Need(args, 1);
            return store_.Exists(ToText(args[0])) ? 1L : 0L;
        case disp::kAddAuxCommand: {
            Need(args, 8);
            AuxCommand c{ToText(args[0]), ToText(args[1]), ToText(args[2]), ToText(args[3]),
                         ToText(args[4]), ToText(args[5]), ToText(args[6]), ToLong(args[7])};
            return store_.Add(c);
        }
        }
        Need(args, 2);
        int view = static_cast<int>(ToLong(args[0]));
        std::string name = ToText(args[1]);
        switch (id) {
        case disp::kAuxCommandExistsInToolbar:
            return store_.InToolbar(view, name) ? 1L : 0L;
        case disp::kAuxCommandExistsInToolsMenu:
            return store_.InMenu(view, name) ? 1L : 0L;
        case disp::kAddAuxCommandToToolbar:
            return store_.AddToToolbar(view, name);
        case disp::kAddAuxCommandToToolsMenu:
            return store_.AddToMenu(view, name);
        case disp::kRemoveAuxCommandFromToolbar:
            return store_.RemoveFromToolbar(view, name);
        case disp::kRemoveAuxCommandFromToolsMenu:
            return store_.RemoveFromMenu(view, name);
        }
        throw AutomationError{AutomationError::Kind::kMemberNotFound, 0, ""};
    }

  private:
    AuxStore& store_;
};

class Event : public AutoObject {
  public:
    explicit Event(Standin& app) : app_(app) {}
    ObjKind kind() const override { return ObjKind::kEvent; }
    Value Call(long id, const Args& args) override {
        switch (id) {
        case disp::kDatabaseState:
            Need(args, 1);
            ToLong(args[0]);
            return (!app_.commFailure() && app_.HasDatabase()) ? 1L : 0L;
        case disp::kDisconnect:
            Need(args, 0);
            return {};
        case disp::kCommFailure:
            Need(args, 0);
            return app_.commFailure();
        }
        throw AutomationError{AutomationError::Kind::kMemberNotFound, 0, ""};
    }

  private:
    Standin& app_;
};

} // namespace

void FileJournal::Append(const std::string& line) {
    if (FILE* f = std::fopen(path_.c_str(), "ab")) {
        std::fputs((line + "\r\n").c_str(), f);
        std::fclose(f);
    }
}

void Standin::Open(const std::string& path) {
    actdb::Database db = actdb::Load(path);
    WriteGroupTable(db, GroupTablePath(path));
    Adopt(path, std::move(db));
    file_ = path;
}

void Standin::Adopt(const std::string& path, actdb::Database db) {
    Close();
    db_ = std::move(db);
    path_ = path;
    file_.clear();
    open_ = true;
    indexStale_ = true;
    ++generation_;
    record_ = 0;
    JournalNote("open " + path);
    if (listener_) listener_->DatabaseChanged();
}

void Standin::Close() {
    if (!open_) return;
    JournalNote("notify DatabaseClosing");
    if (listener_) listener_->DatabaseClosing();
    open_ = false;
    ++generation_;
    db_ = {};
    indexStale_ = true;
    currentField_ = 0;
    JournalNote("close " + path_);
    path_.clear();
    file_.clear();
    if (listener_) listener_->DatabaseChanged();
}

void Standin::GoToRecord(size_t index) {
    if (index < db_.contacts.size()) record_ = index;
}

actdb::Database& Standin::EditDb() {
    indexStale_ = true;
    return db_;
}

size_t Standin::FindContact(std::string_view id) {
    auto key = [](std::string_view s) {
        while (!s.empty() && s.back() == ' ')
            s.remove_suffix(1);
        return std::string(s);
    };
    if (indexStale_) {
        contactIndex_.clear();
        for (size_t i = 0; i < db_.contacts.size(); ++i)
            contactIndex_.emplace(key(db_.contacts[i].id), i); // the first of a twice-used id
        indexStale_ = false;
    }
    auto it = contactIndex_.find(key(id));
    return it == contactIndex_.end() ? db_.contacts.size() : it->second;
}

void Standin::RequireDatabase() const {
    if (!open_) Raise(scode::kNoDatabase, "No database is open");
}

actdb::Contact& Standin::CurrentContact() {
    RequireDatabase();
    if (record_ >= db_.contacts.size()) Raise(scode::kNoCurrentRecord, "No current record");
    return db_.contacts[record_];
}

void Standin::EditField(int16_t id, const std::string& text) {
    if (!open_ || record_ >= db_.contacts.size()) return;
    db_.contacts[record_].SetValue(id, text);
    Save();
}

void Standin::SetFieldFromClient(int16_t id, const std::string& text) {
    CurrentContact().SetValue(id, text);
    Save();
    if (listener_) listener_->FieldSet(id, text);
}

void Standin::Save() {
    if (!file_.empty()) actdb::Save(db_, file_);
}

std::shared_ptr<AutoObject> Standin::CreateApp() {
    return std::make_shared<App>(*this);
}
std::shared_ptr<AutoObject> Standin::CreateDatabase() {
    return std::make_shared<Database>(*this);
}
std::shared_ptr<AutoObject> Standin::CreateAuxCmds() {
    return std::make_shared<AuxCmds>(aux_);
}
std::shared_ptr<AutoObject> Standin::CreateEventControl() {
    return std::make_shared<Event>(*this);
}

Value Standin::Invoke(AutoObject& object, long dispId, const Args& args) {
    std::string_view member = MemberName(object.kind(), dispId);
    std::string unknown = "#" + std::to_string(dispId);
    if (member.empty()) member = unknown;
    try {
        if (MemberName(object.kind(), dispId).empty())
            throw AutomationError{AutomationError::Kind::kMemberNotFound, 0, "unknown member"};
        Value result = object.Call(dispId, args);
        JournalNote(JournalLine(KindName(object.kind()), member, args, &result, nullptr));
        return result;
    } catch (const AutomationError& e) {
        JournalNote(JournalLine(KindName(object.kind()), member, args, nullptr, &e));
        throw;
    } catch (const std::exception& e) {
        AutomationError error{AutomationError::Kind::kException, static_cast<long>(0x80004005),
                              e.what()};
        JournalNote(JournalLine(KindName(object.kind()), member, args, nullptr, &error));
        throw error;
    }
}

void Standin::JournalNote(const std::string& line) {
    if (journal_) journal_->Append(line);
}

std::string GroupTablePath(const std::string& dbPath) {
    size_t slash = dbPath.find_last_of("\\/");
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = dbPath.find('.', start);
    return dbPath.substr(0, dot == std::string::npos ? dbPath.size() : dot) + ".gdb";
}

std::string Describe(const Value& v) {
    if (std::holds_alternative<std::monostate>(v)) return "Empty";
    if (auto* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
    if (auto* o = std::get_if<std::shared_ptr<AutoObject>>(&v))
        return "<" + std::string(*o ? KindName((*o)->kind()) : "Nothing") + ">";
    if (auto* t = std::get_if<std::string>(&v)) {
        std::string out = "\"";
        for (char c : *t) {
            if (c == '"') out += '"';
            out += c;
        }
        return out + "\"";
    }
    return ToText(v);
}

std::string JournalLine(std::string_view object, std::string_view member, const Args& args,
                        const Value* result, const AutomationError* error) {
    std::string line = std::string(object) + "." + std::string(member) + "(";
    for (size_t i = 0; i < args.size(); ++i)
        line += (i ? ", " : "") + Describe(args[i]);
    line += ")";
    if (result) return line + " = " + Describe(*result);
    char code[16];
    switch (error->kind) {
    case AutomationError::Kind::kBadParamCount:
        return line + " ! DISP_E_BADPARAMCOUNT";
    case AutomationError::Kind::kTypeMismatch:
        return line + " ! DISP_E_TYPEMISMATCH";
    case AutomationError::Kind::kMemberNotFound:
        return line + " ! DISP_E_MEMBERNOTFOUND";
    case AutomationError::Kind::kException:
        break;
    }
    std::snprintf(code, sizeof code, "0x%08lX",
                  static_cast<unsigned long>(error->scode) & 0xFFFFFFFFul);
    return line + " ! " + code + " " + error->description;
}

} // namespace tamber::standin
