#pragma once
// Program-wide state of tamber, written by start-up and read by every window and module.
// All start empty; nothing here is persisted.
#include <cstdint>
#include <memory>
#include <string>

#include "ports/types.h"

namespace tamber {

namespace act {
class App;
class Views;
class View;
class Database;
class Contact;
class Group;
class Fields;
} // namespace act
class GroupTableConnection; // ports/group_table.h

struct Module1 {
    std::shared_ptr<act::App> ActApp;
    std::shared_ptr<act::Views> ActViews;
    std::shared_ptr<act::View> ActView;
    int16_t FieldId = 0;
    std::string FieldIdText;
    WindowHandle ActWindow = 0;
    WindowHandle FieldWindow = 0;
    Rect FieldRect;
    std::string DbName;
    std::string ConnectionString;
    std::shared_ptr<GroupTableConnection> GroupConnection;
    bool AdoUnavailable = false;
    bool UseActDatabase = false;
    std::shared_ptr<act::Database> ActDatabase;
    std::shared_ptr<act::Contact> ActContact;
    std::shared_ptr<act::Group> ActGroup;
    std::shared_ptr<act::Fields> ActFields;
    std::string SettingsDir; // ends with "\"
    std::string IniFile;
    std::string ListsIniFile;
    bool ReopenPending = false;
};

// The one instance. Tests reset it with ResetModule1() between cases.
Module1& M();
void ResetModule1();

} // namespace tamber
