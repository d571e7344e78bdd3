#include "core/names.h"

#include <span>

namespace tamber::standin {
namespace {

struct Member {
    std::string_view name;
    long id;
};

constexpr Member kApp[] = {
    {"Views", disp::kViews}, {"GetOpenDBName", disp::kGetOpenDBName}, {"Command", disp::kCommand}};
constexpr Member kViews[] = {{"Create", disp::kCreate}};
constexpr Member kView[] = {{"CurrentFieldId", disp::kCurrentFieldId},
                            {"GetField", disp::kGetField},
                            {"SetField", disp::kSetField}};
constexpr Member kDatabase[] = {{"OpenEx", disp::kOpenEx},
                                {"Close", disp::kClose},
                                {"Contact", disp::kContact},
                                {"Group", disp::kGroup}};
constexpr Member kContact[] = {
    {"GoTo", disp::kGoTo}, {"Data", disp::kData}, {"Fields", disp::kFields}};
constexpr Member kGroup[] = {
    {"MoveFirst", disp::kMoveFirst}, {"MoveNext", disp::kMoveNext},
    {"isEOF", disp::kIsEOF},         {"GoTo", disp::kGoTo},
    {"Data", disp::kData},           {"GetParent", disp::kGetParent},
    {"GroupType", disp::kGroupType}, {"GetSubGroupCount", disp::kGetSubGroupCount},
    {"Members", disp::kMembers}};
constexpr Member kMembers[] = {{"MoveFirst", disp::kMoveFirst},
                               {"MoveNext", disp::kMoveNext},
                               {"isEOF", disp::kIsEOF},
                               {"RecordCount", disp::kRecordCount},
                               {"Data", disp::kData}};
constexpr Member kFields[] = {{"Count", disp::kCount},
                              {"ID", disp::kID},
                              {"Label", disp::kLabel},
                              {"Type", disp::kType},
                              {"HasPopupList", disp::kHasPopupList},
                              {"POPUPINFO", disp::kPopupInfo}};
constexpr Member kPopupInfo[] = {{"PopupCount", disp::kPopupCount}, {"value", disp::kValue}};
constexpr Member kAuxCmds[] = {
    {"AuxCommandExists", disp::kAuxCommandExists},
    {"AddAuxCommand", disp::kAddAuxCommand},
    {"AuxCommandExistsInToolbar", disp::kAuxCommandExistsInToolbar},
    {"AuxCommandExistsInToolsMenu", disp::kAuxCommandExistsInToolsMenu},
    {"AddAuxCommandToToolbar", disp::kAddAuxCommandToToolbar},
    {"AddAuxCommandToToolsMenu", disp::kAddAuxCommandToToolsMenu},
    {"RemoveAuxCommandFromToolbar", disp::kRemoveAuxCommandFromToolbar},
    {"RemoveAuxCommandFromToolsMenu", disp::kRemoveAuxCommandFromToolsMenu}};
constexpr Member kEvent[] = {{"DatabaseState", disp::kDatabaseState},
                             {"Disconnect", disp::kDisconnect},
                             {"CommFailure", disp::kCommFailure}};

std::span<const Member> Table(ObjKind kind) {
    switch (kind) {
    case ObjKind::kApp:
        return kApp;
    case ObjKind::kViews:
        return kViews;
    case ObjKind::kView:
        return kView;
    case ObjKind::kDatabase:
        return kDatabase;
    case ObjKind::kContact:
        return kContact;
    case ObjKind::kGroup:
        return kGroup;
    case ObjKind::kMembers:
        return kMembers;
    case ObjKind::kFields:
        return kFields;
    case ObjKind::kPopupInfo:
        return kPopupInfo;
    case ObjKind::kAuxCmds:
        return kAuxCmds;
    case ObjKind::kEvent:
        return kEvent;
    }
    return {};
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

} // namespace

long LookupDispId(ObjKind kind, std::string_view name) {
    for (const Member& m : Table(kind))
        if (SameName(m.name, name)) return m.id;
    return kUnknownDispId;
}

std::string_view MemberName(ObjKind kind, long dispId) {
    for (const Member& m : Table(kind))
        if (m.id == dispId) return m.name;
    return {};
}

std::string_view KindName(ObjKind kind) {
    switch (kind) {
    case ObjKind::kApp:
        return "App";
    case ObjKind::kViews:
        return "Views";
    case ObjKind::kView:
        return "View";
    case ObjKind::kDatabase:
        return "Database";
    case ObjKind::kContact:
        return "Contact";
    case ObjKind::kGroup:
        return "Group";
    case ObjKind::kMembers:
        return "Members";
    case ObjKind::kFields:
        return "Fields";
    case ObjKind::kPopupInfo:
        return "PopupInfo";
    case ObjKind::kAuxCmds:
        return "AuxCmds";
    case ObjKind::kEvent:
        return "ActEvent";
    }
    return "?";
}

} // namespace tamber::standin
