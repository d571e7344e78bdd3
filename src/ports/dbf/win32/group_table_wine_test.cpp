// The group table read through the Win32 file system while another program holds the file
// open for writing, as ACT! does with its tables.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "ports/dbf/dbf_group_tables.h"
#include "ports/dbf/dbf_writer.h"
#include "ports/win32/win32_storage.h"

namespace tamber {
namespace {

class GroupTableWineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "desk_gdb_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        path = folder + "\\Sales.gdb";
        // Shared for reading and writing, the way a database engine keeps its tables open.
        writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    }
    void TearDown() override {
        CloseHandle(writer);
        DeleteFileA(path.c_str());
        RemoveDirectoryA(folder.c_str());
    }

    void Write(const std::string& bytes) {
        DWORD written = 0;
        SetFilePointer(writer, 0, nullptr, FILE_BEGIN);
        ASSERT_TRUE(
            WriteFile(writer, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        SetEndOfFile(writer);
    }

    std::string folder, path;
    HANDLE writer = INVALID_HANDLE_VALUE;
    std::unique_ptr<GroupTables> tables = MakeDbfGroupTables(Win32Files());
};

TEST_F(GroupTableWineTest, ReadsATableThatIsOpenForWriting) {
    Write(WriteGroupTable({{"G1", "", "Customers"}, {"G2", "G1", "Key accounts"}}));
    auto connection = tables->Open("Provider=CodeBase;Location=" + folder, folder, "Sales.gdb");
    auto rs = connection->OpenTable("Sales.gdb");
    rs->SetFilter("PERANTID='G1 '");
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Field("GRP_NAME"), "Key accounts");

    Write(WriteGroupTable(
        {{"G1", "", "Customers"}, {"G2", "G1", "Key accounts"}, {"G3", "G1", "Partners"}}));
    rs = connection->OpenTable("Sales.gdb");
    rs->SetFilter("PERANTID='G1'");
    EXPECT_EQ(rs->RecordCount(), 2);
}

TEST_F(GroupTableWineTest, MissingFolderOrTableRefusesTheConnection) {
    Write(WriteGroupTable({{"G1", "", "Customers"}}));
    try {
        tables->Open("", folder + "\\nowhere", "Sales.gdb");
        ADD_FAILURE() << "opened a missing folder";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), err::kPathNotFound);
    }
    try {
        tables->Open("", folder, "Other.gdb");
        ADD_FAILURE() << "opened a missing table";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), err::kFileNotFound);
    }
}

} // namespace
} // namespace tamber
