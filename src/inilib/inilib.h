#pragma once
// IniLib: every INI read and write of the main program, on the file its caller names (an
// empty name is error 52). Unexpected errors show the standard message naming
// "IniLib" and the procedure; the procedure then returns its default result ("", false or
// nullopt). Values, section names and key names are read whole, whatever their length.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ini/ini_engine.h"

namespace tamber::IniLib {

// The value of key, or def when it is missing or empty. valueType "Numeric" or "Boolean":
// a value that is not numeric is replaced by fallback, unless fallback is empty.
std::string GetKeyValue(const std::string& section, const std::string& key,
                        const std::string& def = "", const std::string& valueType = "",
                        const std::string& fallback = "", const std::string& file = "");

// True when the write reached the file.
bool WriteKeyValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file = "");
bool DeleteKey(const std::string& section, const std::string& key, const std::string& file = "");
bool DeleteSection(const std::string& section, const std::string& file = "");

// Deletes every key of the section; the header stays.
void DeleteSectionContent(const std::string& section, const std::string& file = "");

// NUL, then each section name followed by NUL, then NUL padding to the end of the read
// buffer (at least 1000 characters); "" when the file has no sections. A caller finds a
// whole name by searching for NUL + name + NUL.
std::string GetSections(const std::string& file = "");

// The key names of the section in file order, or nullopt (Empty) when it has none.
std::optional<std::vector<std::string>> Extract_Keys(const std::string& section,
                                                     const std::string& file = "");

// Many changes to one file written at once, atomically, at Commit. Use it for large saves.
//   IniLib::Batch b;              // or Batch b(file)
//   b.Write("Items", "1", "x"); ... b.Commit();
// Commit returns false (after the standard error message) when the file could not be
// written; the file is then unchanged.
class Batch {
  public:
    explicit Batch(const std::string& file = "");
    void Write(std::string_view section, std::string_view key, std::string_view value);
    void DeleteKey(std::string_view section, std::string_view key);
    void DeleteSection(std::string_view section);
    // Write(section, n, values[i]) for n = first, first + 1, ... as one staged change.
    void WriteNumbered(std::string_view section, std::size_t first,
                       std::span<const std::string_view> values);
    bool Commit();
    // The same; a failure's description then names the file and ends with what the caller
    // lost ("Disk full: <file> could not be written; the list was not saved.").
    bool Commit(std::string_view consequence);
    std::size_t Pending() const { return batch_.Pending(); }

  private:
    std::string file_;
    ini::Engine::Batch batch_;
};

} // namespace tamber::IniLib
