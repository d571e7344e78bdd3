#include <functional>

#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "ports/dbf/dbf_group_tables.h"
#include "ports/dbf/dbf_writer.h"
#include "ports/memory/memory_file_system.h"

namespace tamber {
namespace {

const char kConnect[] = "Provider=CodeBase;Location=C:\\ACT;Extended Properties=";

long ErrorNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

class GroupTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs.MakeFolders("C:\\ACT");
        Put("Sales.gdb", WriteGroupTable({
                             {"G1", "", "Customers"},
                             {"G2", "G1", "Key accounts"},
                             {"G3", "", "Suppliers"},
                             {"G4", "G1", "Prospects"},
                             {"G5", "O'Neil", "Quoted parent"},
                             {"G6", " G1", "Leading blank"},
                             {"G7", "g1", "Lower case"},
                         }));
    }

    std::unique_ptr<GroupRecordset> Table() {
        return tables->Open(kConnect, "C:\\ACT", "Sales.gdb")->OpenTable("Sales.gdb");
    }

    static std::vector<std::string> Rows(GroupRecordset& rs) {
        std::vector<std::string> names;
        for (; !rs.AtEof(); rs.MoveNext())
            names.push_back(rs.Field("GRP_NAME"));
        return names;
    }

    void Put(const std::string& name, const std::string& bytes) {
        fs.WriteAll("C:\\ACT\\" + name, bytes);
    }

    MemoryFileSystem fs;
    std::unique_ptr<GroupTables> tables = MakeDbfGroupTables(fs);
};

TEST_F(GroupTableTest, OpenRefusesWhatCannotBeRead) {
    EXPECT_EQ(ErrorNumber([&] { tables->Open(kConnect, "C:\\Nowhere", "Sales.gdb"); }),
              err::kPathNotFound);
    EXPECT_EQ(ErrorNumber([&] { tables->Open(kConnect, "", "Sales.gdb"); }), err::kPathNotFound);
    EXPECT_EQ(ErrorNumber([&] { tables->Open(kConnect, "C:\\ACT", "Other.gdb"); }),
              err::kFileNotFound);

    Put("Bad.gdb", "not a table");
    EXPECT_EQ(ErrorNumber([&] { tables->Open(kConnect, "C:\\ACT", "Bad.gdb"); }),
              ado::kProviderError);

    DbfWriter noParent({{"GRP_ID", 'C', 12}, {"GRP_NAME", 'C', 40}});
    Put("NoParent.gdb", noParent.Bytes());
    EXPECT_EQ(ErrorNumber([&] { tables->Open(kConnect, "C:\\ACT", "NoParent.gdb"); }),
              ado::kProviderError);

    DbfWriter numericName({{"PERANTID", 'C', 12}, {"GRP_NAME", 'N', 10}});
    Put("Numeric.gdb", numericName.Bytes());
    EXPECT_EQ(ErrorNumber([&] { tables->Open(kConnect, "C:\\ACT", "Numeric.gdb"); }),
              ado::kProviderError);

    auto connection = tables->Open(kConnect, "C:\\ACT\\", "Sales.gdb");
    EXPECT_EQ(connection->ErrorsCount(), 0);
}

// A table cut short (a copy that stopped, a disk that filled) would give part of the groups
// without a word; it is refused, so that start-up reads the groups through ACT! instead.
TEST_F(GroupTableTest, ATableShorterThanItsHeaderIsRefused) {
    std::string whole =
        WriteGroupTable({{"G1", "", "One"}, {"G2", "", "Two"}, {"G3", "", "Three"}});
    std::string cut = whole.substr(0, whole.size() - 2); // end flag and a byte of the last row
    Put("Cut.gdb", cut);
    EXPECT_EQ(ErrorNumber([&] { tables->Open(kConnect, "C:\\ACT", "Cut.gdb"); }),
              ado::kProviderError);

    std::string early = whole;
    const std::size_t recordLength =
        static_cast<unsigned char>(whole[10]) | static_cast<unsigned char>(whole[11]) << 8;
    early[early.size() - 1 - recordLength] = 0x1A; // an end flag where the third row starts
    Put("Early.gdb", early);
    EXPECT_EQ(ErrorNumber([&] { tables->Open(kConnect, "C:\\ACT", "Early.gdb"); }),
              ado::kProviderError);

    auto connection = tables->Open(kConnect, "C:\\ACT", "Sales.gdb");
    Put("Sales.gdb", cut);
    EXPECT_EQ(ErrorNumber([&] { connection->OpenTable("Sales.gdb"); }), ado::kProviderError);
}

TEST_F(GroupTableTest, WalksEveryRowInFileOrder) {
    auto rs = Table();
    EXPECT_EQ(rs->RecordCount(), 7);
    EXPECT_EQ(rs->Field("perantid"), "");
    EXPECT_EQ(Rows(*rs),
              (std::vector<std::string>{"Customers", "Key accounts", "Suppliers", "Prospects",
                                        "Quoted parent", "Leading blank", "Lower case"}));
    EXPECT_TRUE(rs->AtEof());
    EXPECT_EQ(ErrorNumber([&] { rs->Field("GRP_NAME"); }), ado::kNoCurrentRecord);
    EXPECT_EQ(ErrorNumber([&] { rs->MoveNext(); }), ado::kNoCurrentRecord);
    rs->MoveFirst();
    EXPECT_EQ(rs->Field("GRP_ID"), "G1");
    EXPECT_EQ(ErrorNumber([&] { rs->Field("NO_SUCH"); }), ado::kItemNotFound);
}

TEST_F(GroupTableTest, FilterMatchesPaddedValuesExactlyOtherwise) {
    auto rs = Table();
    rs->SetFilter("PERANTID='G1'");
    EXPECT_EQ(Rows(*rs), (std::vector<std::string>{"Key accounts", "Prospects"}));
    EXPECT_EQ(rs->RecordCount(), 2);

    // ACT! hands group identifiers out with a trailing blank.
    rs->SetFilter("PERANTID='G1 '");
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Field("GRP_NAME"), "Key accounts"); // back on the first passing row

    rs->SetFilter("PERANTID=' G1'");
    EXPECT_EQ(Rows(*rs), std::vector<std::string>{"Leading blank"});
    rs->SetFilter("perantid = 'g1'");
    EXPECT_EQ(Rows(*rs), std::vector<std::string>{"Lower case"});
    rs->SetFilter("[PERANTID]='O''Neil'");
    EXPECT_EQ(Rows(*rs), std::vector<std::string>{"Quoted parent"});
    rs->SetFilter("PERANTID=''");
    EXPECT_EQ(Rows(*rs), (std::vector<std::string>{"Customers", "Suppliers"}));
    rs->SetFilter("PERANTID='G9'");
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_TRUE(rs->AtEof());

    rs->SetFilter("");
    EXPECT_EQ(rs->RecordCount(), 7);
    EXPECT_EQ(rs->Field("GRP_NAME"), "Customers");
}

TEST_F(GroupTableTest, FilterRefusesWhatItCannotEvaluate) {
    auto rs = Table();
    for (const char* bad :
         {"PERANTID", "PERANTID=", "PERANTID=G1", "PERANTID='G1", "PERANTID='G1' AND GRP_ID='G2'",
          "='G1'", "[PERANTID='G1'", "PERANTID LIKE 'G*'", "PERANTID<>'G1'"})
        EXPECT_EQ(ErrorNumber([&] { rs->SetFilter(bad); }), ado::kWrongArguments) << bad;
    EXPECT_EQ(ErrorNumber([&] { rs->SetFilter("NOPE='x'"); }), ado::kItemNotFound);
}

TEST_F(GroupTableTest, FilterOnANonCharacterColumnIsAnError) {
    DbfWriter w({{"PERANTID", 'C', 12}, {"GRP_NAME", 'C', 20}, {"LEVEL", 'N', 3}});
    w.AddRow({"", "Top", "1"});
    Put("Typed.gdb", w.Bytes());
    auto rs = tables->Open(kConnect, "C:\\ACT", "Typed.gdb")->OpenTable("Typed.gdb");
    EXPECT_EQ(ErrorNumber([&] { rs->SetFilter("LEVEL='1'"); }), ado::kProviderError);
    EXPECT_EQ(ErrorNumber([&] { rs->Field("LEVEL"); }), ado::kProviderError);
}

TEST_F(GroupTableTest, RecordSetsSnapshotTheFileWhenOpened) {
    auto connection = tables->Open(kConnect, "C:\\ACT", "Sales.gdb");
    auto before = connection->OpenTable("Sales.gdb");
    Put("Sales.gdb", WriteGroupTable({{"N1", "", "New"}}));
    auto after = connection->OpenTable("Sales.gdb");
    EXPECT_EQ(before->RecordCount(), 7);
    EXPECT_EQ(Rows(*after), std::vector<std::string>{"New"});

    fs.Remove("C:\\ACT\\Sales.gdb");
    EXPECT_EQ(ErrorNumber([&] { connection->OpenTable("Sales.gdb"); }), err::kFileNotFound);
}

TEST_F(GroupTableTest, DeletedGroupsAreNotListed) {
    DbfWriter w({{"PERANTID", 'C', 12}, {"GRP_NAME", 'C', 20}});
    w.AddRow({"", "Kept"});
    w.AddRow({"", "Removed"}, true);
    Put("Del.gdb", w.Bytes());
    auto rs = tables->Open(kConnect, "C:\\ACT", "Del.gdb")->OpenTable("Del.gdb");
    EXPECT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(Rows(*rs), std::vector<std::string>{"Kept"});
}

} // namespace
} // namespace tamber
