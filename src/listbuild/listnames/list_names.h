#pragma once
// Stable names of the group lists kept in cache files. Each group gets a number the first
// time it is named, recorded in the list-name index M().ListsIniFile ([Index] "Count",
// [Items] "1" ... "Count" = group identifier); numbers are never reused.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace tamber {

class FileLock;

// Module1.Get_List_Name: "000001" for the list of all groups (type 0); otherwise the decimal
// of type * 100000 + the group's number, and for members lists (type 2) "_C" (company
// names) or "_N" (contact names). A group not yet in the index is appended to it, under
// HoldListsLock; "" (the user has been told) when the lock or the write fails.
// Identifiers are compared exactly, but as the index file gives them back (without outer
// blanks): callers hand the same group over with or without its trailing blank.
std::string Get_List_Name(std::int16_t type, const std::string& reference, bool showCompany);

// The settings folder may be shared by several users at once. A program changes the list-name
// index or saves a cache file of the current database only while it holds the lock of the
// lock file beside the index, SettingsDir & DbName & "_lists.lock"; it waits this long for
// another program to finish.
inline constexpr std::chrono::milliseconds kListsLockWait{10000};

// The lock, or nullptr after telling the user that another program kept it. A lock file that
// cannot be made (a folder without write access) throws VbError.
std::unique_ptr<FileLock> HoldListsLock();

} // namespace tamber
