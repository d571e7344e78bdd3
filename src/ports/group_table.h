#pragma once
// ACT!'s group table, as the list builders read it: a connection to the ACT! database folder
// and forward-moving record sets over the table "<DbName>.gdb" in it.
//
// The group table is a dBASE file with (at least) these character columns:
//   PERANTID  identifier of the parent group, blank for a top-level group
//   GRP_NAME  the group's name, padded with blanks
//   GRP_ID    the group's own identifier (data field 1 of ACT!'s group object, without its
//             trailing blank); PERANTID of a subgroup holds its parent's GRP_ID
// Anything that writes a group table for this program (tests, the stand-in ACT!) uses these
// column names.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tamber {

namespace gdb {
inline constexpr const char* kParentId = "PERANTID";
inline constexpr const char* kName = "GRP_NAME";
inline constexpr const char* kGroupId = "GRP_ID";
} // namespace gdb

// Error numbers of the data-access layer, as VB code sees them in Err.Number.
namespace ado {
constexpr long kProviderError = -2147467259; // E_FAIL: the provider could not read the table
constexpr long kWrongArguments = 3001;       // a filter that cannot be understood
constexpr long kNoCurrentRecord = 3021;      // field read at EOF
constexpr long kItemNotFound = 3265;         // no column of that name
} // namespace ado

// A record set opened table-direct: a snapshot of the table's live rows in file order,
// positioned on the first row.
class GroupRecordset {
  public:
    virtual ~GroupRecordset() = default;

    // The Filter property. "" shows every row again; "COLUMN='value'" (blanks around "=" are
    // allowed, "''" inside the quotes is one "'") keeps the rows whose character column equals
    // value, trailing blanks ignored on both sides, case-sensitive. Moves to the first row
    // that passes. Any other criteria throw VbError ado::kWrongArguments; an unknown column
    // ado::kItemNotFound.
    virtual void SetFilter(const std::string& criteria) = 0;

    // Rows that pass the current filter.
    virtual long RecordCount() const = 0;

    // True past the last row that passes the filter.
    virtual bool AtEof() const = 0;

    // Value of a character column in the current row, trailing blanks and NULs removed,
    // bytes as stored (ANSI code page). Column names compare without regard to ASCII case.
    // At EOF: VbError ado::kNoCurrentRecord; unknown column: ado::kItemNotFound; a column that
    // is not a character column: ado::kProviderError.
    virtual std::string Field(const std::string& column) const = 0;

    virtual void MoveNext() = 0; // at EOF: VbError ado::kNoCurrentRecord
    virtual void MoveFirst() = 0;
};

// An open connection to an ACT! database folder.
class GroupTableConnection {
  public:
    virtual ~GroupTableConnection() = default;

    // The Errors collection's count after opening; 0 for a usable connection.
    virtual long ErrorsCount() const = 0;

    // Opens a new record set on the table file tableName (e.g. "Contacts.gdb") of the
    // connection's folder, reading the file as it is now. Missing file: VbError 53; a file
    // that is not a readable dBASE table, holds fewer records than its header counts, or
    // lacks the PERANTID or GRP_NAME character columns: VbError ado::kProviderError with a
    // description naming the fault.
    virtual std::unique_ptr<GroupRecordset> OpenTable(const std::string& tableName) = 0;

    // Last-write time of the table file (as FileSystem::LastWriteTime); nullopt when missing.
    virtual std::optional<std::uint64_t> TableWriteTime(const std::string& tableName) = 0;
};

class GroupTables {
  public:
    virtual ~GroupTables() = default;

    // Opens a connection. connectionString is kept as given ("Provider=CodeBase;Location=" &
    // folder & ";Extended Properties=" & ...); the files are read from folder. The connection
    // is refused, by VbError, when the folder is missing (76) or tableFile in it cannot be
    // opened as OpenTable would (53, ado::kProviderError), so that the caller can fall back.
    virtual std::shared_ptr<GroupTableConnection> Open(const std::string& connectionString,
                                                       const std::string& folder,
                                                       const std::string& tableFile) = 0;
};

} // namespace tamber
