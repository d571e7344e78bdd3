#include "core/gdb_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ports/dbf/dbf_table.h"

namespace tamber::standin {
namespace {

TEST(GroupTableFile, HoldsEveryGroupInOrderWithItsParent) {
    actdb::Database db;
    db.groups = {
        {"G00000000001", "Clients", "", {}},
        {"G00000000002", "East coast and all the long names that go on", "G00000000001", {}},
        {"G00000000003", "O'Brien's", "", {}}};
    std::string path = ::testing::TempDir() + "standin_groups.gdb";
    WriteGroupTable(db, path);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    DbfTable t = DbfTable::Parse(bytes.str(), "groups");
    ASSERT_EQ(t.RowCount(), 3u);
    auto col = [&](const char* name) { return *t.FindColumn(name); };
    EXPECT_EQ(t.Value(0, col("PERANTID")), "");
    EXPECT_EQ(t.Value(1, col("PERANTID")), "G00000000001");
    EXPECT_EQ(t.Value(1, col("GRP_NAME")), db.groups[1].name);
    EXPECT_EQ(t.Value(2, col("GRP_NAME")), "O'Brien's");
    EXPECT_EQ(t.Value(2, col("GRP_ID")), "G00000000003");
    // Names are padded with blanks, as ACT! stores them.
    EXPECT_EQ(t.RawValue(0, col("GRP_NAME")).back(), ' ');
    std::remove(path.c_str());
}

TEST(GroupTableFile, UnwritableFolderIsAnError) {
    actdb::Database db;
    EXPECT_THROW(WriteGroupTable(db, ::testing::TempDir() + "no/such/dir/x.gdb"),
                 std::runtime_error);
}

} // namespace
} // namespace tamber::standin
