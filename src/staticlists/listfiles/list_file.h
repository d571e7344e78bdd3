#pragma once
// The list file layout shared by static list files and cache files: an INI file whose
// [Items] section holds entry i under key "i" (1-based; an empty entry has no key) and whose
// [Index] section holds "Count" (the number of entries) and, for every run of entries with
// the same lower-cased first character, that character as key and the number of the run's
// first entry as value. A character that begins two runs keeps the later run's number. A
// character a profile key cannot hold (";", "[", "=", a tab) has no key. A value the reader
// would trim or unquote is stored in double quotes.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "staticlists/listfiles/profile_writer.h"

namespace tamber::ini {
class Document;
}

namespace tamber::listfile {

inline constexpr char kItems[] = "Items";
inline constexpr char kIndex[] = "Index";
inline constexpr char kCount[] = "Count";

// The [Index] key of an entry: its first character in lower case; "" for an empty entry.
std::string IndexLetter(std::string_view entry);

struct RunStart {
    std::string letter;
    std::int32_t number = 0; // 1-based entry number
};

// The runs of entries, in order. Empty entries neither begin nor interrupt a run.
std::vector<RunStart> RunStarts(const std::vector<std::string>& entries);

// Queues the writes that store entries in the layout: [Items] keys for the non-empty entries,
// [Index] "Count", then one [Index] key per run start, in order. Clears nothing first.
void StageEntries(ProfileWriter& out, const std::vector<std::string>& entries);
// The same for entries that are all non-empty and in character-code order (a saved list).
void StageSortedEntries(ProfileWriter& out, const std::vector<std::string_view>& entries);

// As StageEntries, after removing the [Items] and [Index] sections: the save of a rebuilt
// cache file.
void StageReplacement(ProfileWriter& out, const std::vector<std::string>& entries);

// One parsed read of a list file: the file's stamp is checked when the reader is made and
// when it is asked to read again; every look-up between is served from memory. Views stay
// valid until the reader reads again or is gone. The reader shares the engine's parsed copy
// only while it lives, so that a later write edits the engine's copy in place.
class ListReader {
  public:
    explicit ListReader(const std::string& file); // missing file or empty path = empty list
    ~ListReader();
    ListReader(const ListReader&) = delete;
    ListReader& operator=(const ListReader&) = delete;
    const std::string& File() const { return file_; }
    // Checks the file's stamp; parses it again only when the file changed.
    void ReadAgain();
    std::int32_t Count() const;                    // [Index] "Count", 0 when missing/not a number
    std::string_view Entry(std::int32_t n) const { // [Items] key n, "" when missing (1-based)
        // Inline: the list window asks for every visible row, a full read for every row.
        if (n >= 1 && static_cast<std::size_t>(n) <= byNumber_.size()) return byNumber_[n - 1];
        return EntryNotTabled(n);
    }
    // [Index] key of ch, case-blind; for a character without a key, the first entry it begins.
    std::optional<std::int32_t> RunStartOf(char ch) const;
    // The first entry that begins with prefix, case-blind as the index letters are; nullopt
    // when none does. A search of the parsed entries: no file read.
    std::optional<std::int32_t> FirstStartingWith(std::string_view prefix) const;

  private:
    friend std::vector<std::string> ReadByLastKey(const std::string& file);
    std::string_view EntryNotTabled(std::int32_t n) const;
    struct Items; // the [Items] values by number, built once per parsed file
    std::string file_;
    std::unique_ptr<const Items> items_;
    std::span<const std::string_view> byNumber_; // entry n at n - 1, in items_
};

// Every entry, counting to the numeric value of the last [Items] key or to the highest
// numbered key if that is higher; keys missing below it read as empty entries. An empty or missing
// [Items] section gives no entries. A last key that is not a number is VbError 13. One read of the
// file.
std::vector<std::string> ReadByLastKey(const std::string& file);

} // namespace tamber::listfile
