#pragma once
// Which fields have lists, the database base name, and the two ways of reading ACT! group
// data: the group table connection and the ACT! database automation objects. All work on the
// program-wide state M() and the ports in Sys().
#include <cstdint>
#include <string>

namespace tamber {

// Provider text of the group table connection string.
inline constexpr const char* kGroupTableProviderProperties = "dBASE IV;Exclusive=No;ReadOnly=Yes";

namespace act {
class EventControl;
}

// Asks ACT!'s event control whether a database is open (member 1). When none is, shows why
// (member 3 tells the two cases apart) and returns false. Errors reach the caller.
bool DatabaseReachable(act::EventControl& event);
// "Please open an ACT database prior to running Tamberlist!"
void ShowOpenDatabaseMessage();
// ACT! or its automation cannot be reached: run its registration tool.
void ShowCannotCommunicateMessage();

// True when the field list settings file has a section named after the field (M().FieldIdText).
// The file argument is not used: the default settings file is always read.
bool IsSet(int16_t fieldId, const std::string& file);

// Creates ActDatabase, attaches it to ACT!'s open database, and takes ActContact, ActGroup and
// ActFields from it. Errors: standard message naming Module1, Create_Database.
void Create_Database();

// Detaches and releases ActDatabase, ignoring every error.
void Close_Database();

// Base name of the open database file: after its last "\", before its first ".". A name
// without "." is returned whole.
std::string Get_Generic_Name();

// Opens M().GroupConnection on the database folder. A connection that reports errors shows
// "Impossible to connect"; one that cannot be opened at all makes the program read groups
// through the automation objects (AdoUnavailable and UseActDatabase set), silently.
void Connect_Group_Table();

} // namespace tamber
