#pragma once
// ACT!'s group table "<base>.gdb" beside the database: one dBASE row per group in ACT!'s order
// (columns GRP_ID, PERANTID, GRP_NAME; see src/ports/group_table.h).
#include <string>

#include "actdb/actdb.h"

namespace tamber::standin {

std::string GroupTableBytes(const actdb::Database& db);

// Writes GroupTableBytes to path through a temporary file, so readers never see half a table.
// Throws std::runtime_error when it cannot.
void WriteGroupTable(const actdb::Database& db, const std::string& path);

} // namespace tamber::standin
