#pragma once
// Static lists: named lists of text items, one file per list, SettingsDir & name & ".lst",
// shared by every ACT! database. The name of a list is its file name without ".lst".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "staticlists/listfiles/profile_writer.h"

namespace tamber::staticlists {

// What Get_Existing_Lists returns when the settings folder holds no list.
inline constexpr char kNoListMarker[] = "aucuneliste001";
// The characters a typed list name may contain (compared without regard to case), in the
// ANSI code page: digits, letters, _-()&%$!|>< and é à ò ù ì.
inline constexpr char kNameFilter[] =
    "0123456789abcdefghijklmnopqrstuvwxyz_-()&%$!|><\xE9\xE0\xF2\xF9\xEC";
// The editor counts items with a 16-bit signed counter.
inline constexpr std::int32_t kMaxItems = 32767;

// SettingsDir & name & ".lst".
std::string ListPath(const std::string& name);

// Module1.Get_Existing_Lists: the names of the list files in the order the folder listing
// gives them, or the text kNoListMarker when there is none.
using ExistingLists = std::variant<std::vector<std::string>, std::string>;
ExistingLists Get_Existing_Lists();
bool IsNoListMarker(const ExistingLists& lists);

// frmNew.Get_List_string: every list name followed by "|" ("alpha|beta|"); "" for none.
std::string Get_List_string();

// frmNew.Name_Taken: True when a list other than currentName (the list being renamed, ""
// for a new one) already has the typed name, compared without regard to case.
bool Name_Taken(const std::string& typed, const std::string& currentName);

// modDataValidation.ValidateText: KeyAscii when its character is in Allowed (without regard
// to case) or is Backspace with AllowBackspace; otherwise beeps and returns 0.
std::int16_t ValidateText(std::int16_t KeyAscii, const std::string& Allowed, bool AllowBackspace);

// The beep of a refused key. Programs install the system beep; the default is silent.
using BeepHook = void (*)();
void SetBeepHook(BeepHook hook);

// Why a list name cannot be used as a file name, as a message for the user; "" when it can.
std::string ListNameProblem(const std::string& name);
// Shows ListNameProblem's message (if any) and returns whether the name is usable.
bool CheckListName(const std::string& name);

// The items of a list file, counted to its last [Items] key (gaps read as empty items).
// A missing file is an empty list.
std::vector<std::string> ReadList(const std::string& file);
// The editor's text of a list: each item followed by "\r\n".
std::string ReadListText(const std::string& file);

// The items a save stores for an editor text: its lines (split at every line break) sorted
// by character code, empty ones dropped.
std::vector<std::string> SortedItems(std::string_view text);
// Saves the editor's text as the list file, in one atomic write: [Items] deleted, then the
// list file layout for the sorted items. [Index] is not cleared first; letters no longer
// used keep their old keys. A list of more than
// kMaxItems items is refused with a message before anything is written. True when saved.
bool SaveList(const std::string& file, std::string_view text);

// Renames a list's file (copy, then delete the old one); a change of letter case only is
// a rename in place.
void RenameList(const std::string& oldName, const std::string& newName);
// Deletes a list's file.
void DeleteList(const std::string& name);

} // namespace tamber::staticlists
