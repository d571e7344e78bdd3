#pragma once
// The entries of a stored list as the list window reads them during one user action (load,
// key press, refresh): one reader per action, so a list of thousands of entries costs one
// look at the file, not one per entry drawn or searched.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tamber {

class ListEntries {
  public:
    virtual ~ListEntries() = default;
    // [Index] "Count"; 0 when missing.
    virtual std::int32_t Count() const = 0;
    // [Items] key n; "" when missing. Valid as long as the reader.
    virtual std::string_view Entry(std::int32_t n) const = 0;
    // The first entry of the run of ch's lower-case form; nullopt when the index has none.
    virtual std::optional<std::int32_t> RunStartOf(char ch) const = 0;
};

// A reader of file; an empty path reads as an empty list.
std::unique_ptr<ListEntries> ReadListEntries(const std::string& file);

} // namespace tamber
