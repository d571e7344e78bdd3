#pragma once
// The stand-in ACT!'s automation objects and the state they share: the open database, the
// record shown in the record window and the field that has the focus there. Everything here
// is portable; the Win32 layer wraps each AutoObject in an IDispatch and forwards Invoke.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "actdb/actdb.h"
#include "core/aux_store.h"
#include "core/names.h"
#include "core/value.h"

namespace tamber::standin {

class AutoObject {
  public:
    virtual ~AutoObject() = default;
    virtual ObjKind kind() const = 0;
    // Runs one member; throws AutomationError.
    virtual Value Call(long dispId, const Args& args) = 0;
};

// Receives one line per automation call and per notification.
class Journal {
  public:
    virtual ~Journal() = default;
    virtual void Append(const std::string& line) = 0;
};

// Appends to a text file, flushed line by line so that a test reads what happened so far.
class FileJournal : public Journal {
  public:
    explicit FileJournal(std::string path) : path_(std::move(path)) {}
    void Append(const std::string& line) override;

  private:
    std::string path_;
};

// What the record window and the event control must learn from the automation side.
class Listener {
  public:
    virtual ~Listener() = default;
    virtual void FieldSet(int16_t field, const std::string& text) = 0;
    // Before the database goes: the event control's sinks are told now.
    virtual void DatabaseClosing() = 0;
    // After a database was opened or closed.
    virtual void DatabaseChanged() = 0;
};

class Standin {
  public:
    explicit Standin(AuxStore& aux) : aux_(aux) {}

    void SetJournal(Journal* journal) { journal_ = journal; }
    void SetListener(Listener* listener) { listener_ = listener; }
    AuxStore& aux() { return aux_; }

    // Loads the database file at path (a path the C library can open), writes its group
    // table beside it and makes it the open database in place of the previous one. Throws
    // std::runtime_error (actdb::FormatError for bad content) and then leaves the previous
    // database open.
    void Open(const std::string& path);
    // Adopts an already loaded database that no file backs (tests); path is what
    // GetOpenDBName answers. Changes are kept in memory only.
    void Adopt(const std::string& path, actdb::Database db);
    // Tells the listeners, then closes. Nothing happens without an open database.
    void Close();

    bool HasDatabase() const { return open_; }
    const std::string& path() const { return path_; }
    const actdb::Database& db() const { return db_; }
    // The open database to change in place behind the objects (tests); nothing is saved.
    actdb::Database& EditDb();
    // Changes with every open and close; objects bound to an older one fail.
    uint64_t generation() const { return generation_; }

    // The record window's current contact (index into db().contacts).
    size_t record() const { return record_; }
    void GoToRecord(size_t index);
    // Position in db().contacts of the contact with that identifier (trailing blanks do not
    // count), db().contacts.size() when none has it. Indexed: a members list looks up every
    // member of a group of thousands.
    size_t FindContact(std::string_view id);
    // The field whose box has the focus in the record window; 0 for none.
    int16_t currentField() const { return currentField_; }
    void SetCurrentField(int16_t id) { currentField_ = id; }
    // A value typed into the record window.
    void EditField(int16_t id, const std::string& text);

    // "Cannot communicate" mode: the event control reports no connection to ACT!.
    bool commFailure() const { return commFailure_; }
    void SetCommFailure(bool on) { commFailure_ = on; }

    // The objects a client creates by ProgID.
    std::shared_ptr<AutoObject> CreateApp();
    std::shared_ptr<AutoObject> CreateDatabase();
    std::shared_ptr<AutoObject> CreateAuxCmds();
    std::shared_ptr<AutoObject> CreateEventControl();

    // One automation call as a client makes it: runs the member and journals it.
    Value Invoke(AutoObject& object, long dispId, const Args& args);
    void JournalNote(const std::string& line);

    // Internal to the objects.
    void RequireDatabase() const;
    actdb::Contact& CurrentContact();
    void SetFieldFromClient(int16_t id, const std::string& text);

  private:
    void Save();

    AuxStore& aux_;
    Journal* journal_ = nullptr;
    Listener* listener_ = nullptr;
    bool open_ = false;
    std::string path_;
    std::string file_; // where changes are saved; empty for an adopted database
    actdb::Database db_;
    std::unordered_map<std::string, size_t> contactIndex_;
    bool indexStale_ = true;
    uint64_t generation_ = 0;
    size_t record_ = 0;
    int16_t currentField_ = 0;
    bool commFailure_ = false;
};

// "C:\ACT\Contacts.dbf" -> "C:\ACT\Contacts.gdb": the folder and the name before its first ".".
std::string GroupTablePath(const std::string& dbPath);

// One journal line: Object.Member(arg, arg) = result, or ... ! 0xSCODE description.
std::string JournalLine(std::string_view object, std::string_view member, const Args& args,
                        const Value* result, const AutomationError* error);

} // namespace tamber::standin
