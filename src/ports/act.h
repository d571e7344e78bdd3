#pragma once
// ACT!'s automation objects and event control, as the add-on calls them late-bound.
//
// Results come back as the add-on reads them after VB's conversions (CInt -> int16_t,
// CLng -> int32_t, CBool -> bool, CStr -> std::string in the ANSI code page). Every failing
// call throws VbError with the number and description VB would show for it. Objects are
// shared: a handle stays valid as long as somebody holds it, as a COM reference does.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/vb_error.h"

namespace tamber::act {

// ProgIDs of the objects, and the event control's class as it is created.
inline constexpr const char* kAppProgId = "ACTOLE.APPOBJECT";
inline constexpr const char* kDatabaseProgId = "ACTOLE.DATABASE";
inline constexpr const char* kAuxCommandsProgId = "ACTOLE.AUXCMDS";
inline constexpr const char* kEventProgId = "ACTEVENTLib.ActEvent";

// Data field numbers the add-on reads.
inline constexpr int16_t kGroupIdField = 1;       // Group.Data: identifier (12 chars + one blank)
inline constexpr int16_t kGroupNameField = 25;    // Group.Data: name
inline constexpr int16_t kMemberContactField = 1; // MemberCursor.Data: contact identifier
inline constexpr int16_t kCompanyField = 25;      // Contact.Data: company
inline constexpr int16_t kFirstNameField = 78;    // Contact.Data: name part shown second
inline constexpr int16_t kLastNameField = 79;     // Contact.Data: name part shown first

// Dispatch identifiers of the event control's members and of its notifications.
inline constexpr int32_t kDispidDatabaseOpen = 1;      // (Long) -> Long, 1 or more: DB open
inline constexpr int32_t kDispidDisconnect = 2;        // () -> nothing
inline constexpr int32_t kDispidCannotCommunicate = 3; // () -> Boolean
inline constexpr int32_t kDispidOnDatabaseClosing = 1; // notification
inline constexpr int32_t kDispidOnAppClosing = 2;      // notification
// The event control's outgoing dispinterface, for a control that does not describe its own.
inline constexpr const char* kEventInterfaceId = "{0A9DE64F-1BAF-445A-8DA1-B85115FFD659}";

// Error numbers ACT! raises (HRESULTs as VB shows them: signed), through EXCEPINFO.scode.
// Non-numeric text where ACT! wants a number is a type mismatch (err::kTypeMismatch).
inline constexpr long kErrNoDatabase = static_cast<int32_t>(0x80040201u);      // none open
inline constexpr long kErrNotAttached = static_cast<int32_t>(0x80040202u);     // OpenEx first
inline constexpr long kErrNoCurrentRecord = static_cast<int32_t>(0x80040203u); // cursor at EOF
inline constexpr long kErrNotFound = static_cast<int32_t>(0x80040204u); // field, view, command
inline constexpr long kErrInvalidArgument = static_cast<int32_t>(0x80070057u); // E_INVALIDARG

class Views;
class View;
class Database;
class Contact;
class Group;
class MemberCursor;
class Fields;
class PopupInfo;

// ACTOLE.APPOBJECT: the running ACT! application.
class App {
  public:
    virtual ~App() = default;
    virtual std::shared_ptr<act::Views> Views() = 0;
    // Full path of the open database file ("" when none is open).
    virtual std::string GetOpenDBName() = 0;
    // Runs an ACT! menu command by number: 150 closes the open database; others kErrNotFound.
    virtual void Command(int16_t command) = 0;
};

class Views {
  public:
    virtual ~Views() = default;
    // Create(1, "CV") gives the contact view; fails (kErrNoDatabase) without an open database,
    // kErrNotFound for any other view.
    virtual std::shared_ptr<View> Create(int16_t kind, const std::string& name) = 0;
};

// The contact view: the current record and the field with the cursor.
class View {
  public:
    virtual ~View() = default;
    virtual int16_t CurrentFieldId() = 0;
    // The field's value in the current record. The identifier goes as a 16-bit integer by
    // reference, as VB passes an Integer variable; a reference field's identifier, kept as
    // text, goes as text. ACT! refuses any other type (err::kTypeMismatch), and SetField refuses
    // text too.
    virtual std::string GetField(int16_t fieldId) = 0;
    virtual std::string GetField(const std::string& fieldId) = 0;
    virtual void SetField(int16_t fieldId, const std::string& text) = 0;
    virtual void SetField(const std::string& fieldId, const std::string& text) = 0;
};

// ACTOLE.DATABASE.
class Database {
  public:
    virtual ~Database() = default;
    // OpenEx("") attaches to the database ACT! has open (so does its exact path; another path
    // raises kErrNotFound). Contact and Group raise kErrNotAttached until then and after Close;
    // objects they gave out stay usable while ACT! keeps the database open.
    virtual void OpenEx(const std::string& path) = 0;
    virtual void Close() = 0;
    virtual std::shared_ptr<act::Contact> Contact() = 0;
    virtual std::shared_ptr<act::Group> Group() = 0;
};

// Objects reached from a Database (and the contact view) belong to the database ACT! had open
// when they were made: once ACT! closes it they raise kErrNoDatabase.

// A cursor over all groups in ACT!'s order. Identifiers come back with one trailing blank;
// GoTo and comparisons ignore trailing blanks. GoTo to an unknown identifier leaves the cursor
// without a current record (isEOF True); reading data there raises kErrNoCurrentRecord, and so
// does MoveNext past the end.
class Group {
  public:
    virtual ~Group() = default;
    virtual void MoveFirst() = 0;
    virtual void MoveNext() = 0;
    virtual bool isEOF() = 0;
    virtual void GoTo(const std::string& groupId) = 0;
    // 1: identifier + " ", 25: name.
    virtual std::string Data(int16_t field) = 0;
    // Parent's identifier + " ", or "" for a top-level group.
    virtual std::string GetParent() = 0;
    // 0 top-level group, 1 subgroup.
    virtual int16_t GroupType() = 0;
    virtual int32_t GetSubGroupCount() = 0;
    virtual std::shared_ptr<MemberCursor> Members() = 0;
};

// The members of one group. MoveFirst on a group without members raises kErrNoCurrentRecord.
class MemberCursor {
  public:
    virtual ~MemberCursor() = default;
    virtual void MoveFirst() = 0;
    virtual void MoveNext() = 0;
    virtual bool isEOF() = 0;
    virtual int32_t RecordCount() = 0;
    // 1: the member's contact identifier, with one trailing blank.
    virtual std::string Data(int16_t field) = 0;
};

class Contact {
  public:
    virtual ~Contact() = default;
    // Makes the contact current; an unknown identifier leaves no current contact.
    virtual void GoTo(const std::string& contactId) = 0;
    // Field value of the current contact by field identifier (25, 78, 79, ...).
    virtual std::string Data(int16_t field) = 0;
    virtual std::shared_ptr<act::Fields> Fields() = 0;
};

// The contact fields. A number passed to ID or Label is a position in ACT!'s field numbering
// (0 .. Count-1): ID(n) gives the identifier of the field at n, -1 when there is none. Text
// arguments are field identifiers as text. An unknown field raises kErrNotFound.
class Fields {
  public:
    virtual ~Fields() = default;
    virtual int16_t Count() = 0;
    virtual int16_t ID(int16_t number) = 0;
    virtual int16_t ID(const std::string& fieldId) = 0;
    virtual std::string Label(int16_t number) = 0;
    virtual std::string Label(const std::string& fieldId) = 0;
    // Type code: 1-4 character fields, others see actdb::FieldType.
    virtual int16_t Type(const std::string& fieldId) = 0;
    virtual bool HasPopupList(const std::string& fieldId) = 0;
    // The field's ACT! drop-down list (flags: 0). A field without one gives an empty list.
    virtual std::shared_ptr<PopupInfo> POPUPINFO(int16_t fieldId, int16_t flags) = 0;
};

class PopupInfo {
  public:
    virtual ~PopupInfo() = default;
    virtual int16_t PopupCount() = 0;
    // Index from 0; out of range raises kErrInvalidArgument.
    virtual std::string value(int16_t index) = 0;
};

// ACTOLE.AUXCMDS: the add-on's command, toolbar buttons and Tools-menu entries per view
// (views 1-6); names compare without regard to case. Results: 0 success, otherwise one of
// kAux...; the Exists members give 1 or 0.
inline constexpr int32_t kAuxBadArgument = 1;    // empty name or program, "[]=" in the name
inline constexpr int32_t kAuxUnknownCommand = 2; // the name is not registered
inline constexpr int32_t kAuxBadView = 3;        // view outside 1..6
inline constexpr int32_t kAuxNotPresent = 4;     // removing what is not there
class AuxCommands {
  public:
    virtual ~AuxCommands() = default;
    virtual int32_t AuxCommandExists(const std::string& name) = 0;
    virtual int32_t AddAuxCommand(const std::string& name, const std::string& program,
                                  const std::string& folder, const std::string& caption,
                                  const std::string& toolTip, const std::string& icon,
                                  const std::string& icon32, int16_t flags) = 0;
    virtual int16_t AuxCommandExistsInToolbar(int16_t view, const std::string& name) = 0;
    virtual int16_t AuxCommandExistsInToolsMenu(int16_t view, const std::string& name) = 0;
    virtual int32_t AddAuxCommandToToolbar(int16_t view, const std::string& name) = 0;
    virtual int32_t AddAuxCommandToToolsMenu(int16_t view, const std::string& name) = 0;
    virtual int32_t RemoveAuxCommandFromToolbar(int16_t view, const std::string& name) = 0;
    virtual int32_t RemoveAuxCommandFromToolsMenu(int16_t view, const std::string& name) = 0;
};

enum class Notification { DatabaseClosing, AppClosing };

// The event control: three members by dispatch identifier, and two notifications.
class EventControl {
  public:
    virtual ~EventControl() = default;
    // Member 1 (argument 0): 1 or more when ACT! can be reached with a database open, else 0.
    virtual int32_t DatabaseOpen(int32_t reserved) = 0;
    // Member 2: releases the event connection.
    virtual void Disconnect() = 0;
    // Member 3: True when ACT! cannot be reached at all.
    virtual bool CannotCommunicate() = 0;
    // Called on the UI thread when ACT! closes its database or itself. One handler; an
    // empty function removes it.
    virtual void OnNotification(std::function<void(Notification)> handler) = 0;
};

// Creates the objects as CreateObject / a form's control would. Failure: VbError 429.
class Automation {
  public:
    virtual ~Automation() = default;
    virtual std::shared_ptr<App> CreateApp() = 0;
    virtual std::shared_ptr<act::Database> CreateDatabase() = 0;
    virtual std::shared_ptr<AuxCommands> CreateAuxCommands() = 0;
    virtual std::shared_ptr<EventControl> CreateEventControl() = 0;
};

} // namespace tamber::act
