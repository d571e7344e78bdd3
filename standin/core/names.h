#pragma once
// The member name tables of the stand-in's automation objects: what GetIDsOfNames answers.
// Names compare without regard to case, as OLE Automation and VB resolve them.
#include <string_view>

namespace tamber::standin {

enum class ObjKind {
    kApp,       // ACTOLE.APPOBJECT
    kViews,     // App.Views
    kView,      // Views.Create(1, "CV")
    kDatabase,  // ACTOLE.DATABASE
    kContact,   // Database.Contact
    kGroup,     // Database.Group
    kMembers,   // Group.Members
    kFields,    // Contact.Fields
    kPopupInfo, // Fields.POPUPINFO(id, 0)
    kAuxCmds,   // ACTOLE.AUXCMDS
    kEvent,     // ACTEVENTLib.ActEvent
};

inline constexpr long kUnknownDispId = -1; // DISPID_UNKNOWN

// Dispatch identifier of a member, or kUnknownDispId.
long LookupDispId(ObjKind kind, std::string_view name);

// Canonical member name of a dispatch identifier ("" when the object has no such member).
std::string_view MemberName(ObjKind kind, long dispId);

// Object name used in the journal ("App", "Group", ...).
std::string_view KindName(ObjKind kind);

// Dispatch identifiers of the members; the event control's are fixed by its callers.
namespace disp {
// App
constexpr long kViews = 1, kGetOpenDBName = 2, kCommand = 3;
// Views
constexpr long kCreate = 1;
// View
constexpr long kCurrentFieldId = 1, kGetField = 2, kSetField = 3;
// Database
constexpr long kOpenEx = 1, kClose = 2, kContact = 3, kGroup = 4;
// Group and member cursor (shared numbering)
constexpr long kMoveFirst = 1, kMoveNext = 2, kIsEOF = 3, kGoTo = 4, kData = 5, kGetParent = 6,
               kGroupType = 7, kGetSubGroupCount = 8, kMembers = 9, kRecordCount = 10;
// Contact (GoTo and Data as above)
constexpr long kFields = 11;
// Fields
constexpr long kCount = 1, kID = 2, kLabel = 3, kType = 4, kHasPopupList = 5, kPopupInfo = 6;
// PopupInfo
constexpr long kPopupCount = 1, kValue = 2;
// AuxCmds
constexpr long kAuxCommandExists = 1, kAddAuxCommand = 2, kAuxCommandExistsInToolbar = 3,
               kAuxCommandExistsInToolsMenu = 4, kAddAuxCommandToToolbar = 5,
               kAddAuxCommandToToolsMenu = 6, kRemoveAuxCommandFromToolbar = 7,
               kRemoveAuxCommandFromToolsMenu = 8;
// Event control members
constexpr long kDatabaseState = 1, kDisconnect = 2, kCommFailure = 3;
// Event control notifications (its outgoing interface)
constexpr long kOnDatabaseClosing = 1, kOnApplicationClosing = 2;
} // namespace disp

} // namespace tamber::standin
