#pragma once
// Read-only access to a dBASE table (dBASE III+/IV and FoxPro layouts) held in memory.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamber {

struct DbfColumn {
    std::string name;
    char type = 'C';
    std::uint16_t length = 0; // bytes in the record
    std::uint8_t decimals = 0;
    std::uint32_t offset = 0; // of the column's first byte within a record (the flag is byte 0)
};

class DbfTable {
  public:
    // Parses a whole table file. Column layout comes from the file's own descriptors; the rows
    // are the live records among the first min(header count, complete records in the file),
    // up to an end-of-file flag. label names the file in error descriptions. A file that is
    // not a readable table throws VbError (ado::kProviderError) saying what is wrong.
    static DbfTable Parse(std::string bytes, std::string_view label);

    const std::vector<DbfColumn>& Columns() const { return columns_; }
    std::size_t RowCount() const { return rows_.size(); }
    // Records the header counts that the file does not hold (cut short, or an end-of-file
    // flag before the last of them); 0 for a whole table.
    std::size_t MissingRecords() const { return missing_; }

    // Index of the column of that name (ASCII case ignored), or nullopt.
    std::optional<std::size_t> FindColumn(std::string_view name) const;

    // The column's bytes in a row, as stored.
    std::string_view RawValue(std::size_t row, std::size_t column) const;
    // The same without trailing blanks and NULs.
    std::string_view Value(std::size_t row, std::size_t column) const;

  private:
    std::string bytes_;
    std::vector<DbfColumn> columns_;
    std::vector<std::size_t> rows_; // offset of each live record in bytes_
    std::size_t missing_ = 0;
};

// Drops trailing blanks and NULs, the padding of character columns.
std::string_view TrimPadding(std::string_view text);

} // namespace tamber
