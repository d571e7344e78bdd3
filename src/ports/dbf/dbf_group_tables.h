#pragma once
// The group table port over the project's own dBASE reader: tables are read whole through the
// FileSystem port (which lets ACT! keep writing them) when a record set is opened.
#include <memory>

#include "ports/group_table.h"

namespace tamber {

class FileSystem;

// files must outlive the object and every connection it opens.
std::unique_ptr<GroupTables> MakeDbfGroupTables(FileSystem& files);

// Splits "COLUMN='value'" into column and value ("''" becomes "'"); "" gives an empty column
// (no filter). Throws VbError ado::kWrongArguments for anything else.
struct ColumnFilter {
    std::string column;
    std::string value;
};
ColumnFilter ParseColumnFilter(const std::string& criteria);

} // namespace tamber
