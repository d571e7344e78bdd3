#pragma once
// Stable names of the group lists kept in cache files. Each group gets a number the first
// time it is named, recorded in the list-name index M().ListsIniFile ([Index] "Count",
// [Items] "1" ... "Count" = group identifier); numbers are never reused.
#include <cstdint>
#include <string>

namespace tamber {

// Module1.Get_List_Name: "000001" for the list of all groups (type 0); otherwise the decimal
// of type * 100000 + the group's number, and for members lists (type 2) "_C" (company
// names) or "_N" (contact names). A group not yet in the index is appended to it.
// Identifiers are compared exactly, but as the index file gives them back (without outer
// blanks): callers hand the same group over with or without its trailing blank.
std::string Get_List_Name(std::int16_t type, const std::string& reference, bool showCompany);

} // namespace tamber
