#pragma once
// Writes small dBASE tables: test fixtures, and the group table that the stand-in ACT! keeps
// beside its database. Values are cut or blank-padded to their column.
#include <cstdint>
#include <string>
#include <vector>

#include "ports/dbf/dbf_table.h"

namespace tamber {

class DbfWriter {
  public:
    // version: 0x03 dBASE III, 0x30 FoxPro (adds the 263-byte back-link after the descriptors).
    // Column offsets are computed; a column name longer than 10 characters, or a column of
    // length 0 (or above 255 for a type other than C), throws std::invalid_argument.
    explicit DbfWriter(std::vector<DbfColumn> columns, std::uint8_t version = 0x03);

    // Values in column order; missing values are blank. Deleted rows are flagged '*'.
    void AddRow(const std::vector<std::string>& values, bool deleted = false);

    // Date of last update in the header.
    void SetDate(int year, int month, int day);
    // Code page mark (language driver byte).
    void SetLanguageDriver(std::uint8_t id) { languageDriver_ = id; }

    // The whole file: header, descriptors, records and the end-of-file byte.
    std::string Bytes() const;

  private:
    std::vector<DbfColumn> columns_;
    std::uint8_t version_;
    std::uint8_t languageDriver_ = 0;
    std::uint8_t date_[3] = {100, 1, 1};
    std::uint16_t recordLength_ = 1;
    std::vector<std::string> records_;
};

// One row of ACT!'s group table.
struct GroupTableRow {
    std::string id;       // GRP_ID, without the trailing blank ACT! adds
    std::string parentId; // PERANTID, empty for a top-level group
    std::string name;     // GRP_NAME
};

// A group table file (dBASE III) with the columns GRP_ID, PERANTID and GRP_NAME, each wide
// enough for its longest value (at least 12, 12 and 40 characters), so nothing is cut.
std::string WriteGroupTable(const std::vector<GroupTableRow>& groups);

} // namespace tamber
