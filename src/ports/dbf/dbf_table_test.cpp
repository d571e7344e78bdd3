#include "ports/dbf/dbf_table.h"

#include <functional>

#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "ports/dbf/dbf_writer.h"
#include "ports/group_table.h"

namespace tamber {
namespace {

// Header offsets of the fields the tests corrupt.
constexpr std::size_t kCount = 4, kHeaderLength = 8, kRecordLength = 10;

void PutU16(std::string& b, std::size_t at, unsigned v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}
void PutU32(std::string& b, std::size_t at, std::uint32_t v) {
    PutU16(b, at, v & 0xFFFF);
    PutU16(b, at + 2, v >> 16);
}
unsigned U16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

std::string ThreeGroups() {
    return WriteGroupTable({{"AAAAAAAAAAA1", "", "Customers"},
                            {"AAAAAAAAAAA2", "AAAAAAAAAAA1", "Key accounts"},
                            {"AAAAAAAAAAA3", "", "Suppliers"}});
}

std::vector<std::string> Names(const DbfTable& t) {
    std::vector<std::string> names;
    const std::size_t c = t.FindColumn("GRP_NAME").value();
    for (std::size_t r = 0; r < t.RowCount(); ++r)
        names.emplace_back(t.Value(r, c));
    return names;
}

std::size_t RecordStart(const std::string& b, std::size_t row) {
    return U16(b, kHeaderLength) + row * U16(b, kRecordLength);
}

TEST(DbfTable, ReadsColumnsFromDescriptorsAndValuesWithoutPadding) {
    const DbfTable t = DbfTable::Parse(ThreeGroups(), "g.gdb");
    ASSERT_EQ(t.Columns().size(), 3u);
    EXPECT_EQ(t.Columns()[0].name, "GRP_ID");
    EXPECT_EQ(t.Columns()[1].offset, 13u);
    EXPECT_EQ(t.Columns()[2].offset, 25u);
    EXPECT_EQ(t.Columns()[2].length, 40u);
    EXPECT_EQ(Names(t), (std::vector<std::string>{"Customers", "Key accounts", "Suppliers"}));
    EXPECT_EQ(t.RawValue(0, 2).size(), 40u);
    EXPECT_EQ(t.Value(0, 1), "");
    EXPECT_EQ(t.FindColumn("perantid"), std::optional<std::size_t>(1));
    EXPECT_EQ(t.FindColumn("PERANT"), std::nullopt);
}

// Each case corrupts a valid file; every one must be refused with a description of the fault.
struct Malformed {
    const char* what;
    std::function<void(std::string&)> corrupt;
    const char* expected;
};

TEST(DbfTable, RefusesMalformedFiles) {
    const std::string good = ThreeGroups();
    const std::size_t terminator = 32 + 3 * 32;
    const std::vector<Malformed> cases = {
        {"empty file", [](std::string& b) { b.clear(); }, "header is truncated"},
        {"header cut", [](std::string& b) { b.resize(31); }, "header is truncated"},
        {"descriptors cut", [](std::string& b) { b.resize(70); }, "header is truncated"},
        {"header length below one header", [](std::string& b) { PutU16(b, kHeaderLength, 32); },
         "too small"},
        {"header length beyond the file",
         [](std::string& b) { PutU16(b, kHeaderLength, static_cast<unsigned>(b.size() + 1)); },
         "header is truncated"},
        {"terminator overwritten", [=](std::string& b) { b[terminator] = ' '; },
         "run past the header"},
        {"header ends before the terminator",
         [=](std::string& b) { PutU16(b, kHeaderLength, terminator); }, "no terminator"},
        {"record length 0", [](std::string& b) { PutU16(b, kRecordLength, 0); },
         "record length is 0"},
        {"columns wider than the record", [](std::string& b) { PutU16(b, kRecordLength, 60); },
         "exceed the record length"},
        {"column length with a huge high byte",
         [](std::string& b) { b[32 + 2 * 32 + 17] = '\xFF'; }, "exceed the record length"},
        {"column of length 0", [](std::string& b) { b[32 + 16] = 0; }, "length 0"},
        {"level 7 table", [](std::string& b) { b[0] = 0x04; }, "not supported"},
        {"version 2 table", [](std::string& b) { b[0] = 0x02; }, "not supported"},
    };
    for (const Malformed& m : cases) {
        std::string bytes = good;
        m.corrupt(bytes);
        try {
            DbfTable::Parse(bytes, "C:\\ACT\\g.gdb");
            ADD_FAILURE() << m.what << ": accepted";
        } catch (const VbError& e) {
            EXPECT_EQ(e.number(), ado::kProviderError) << m.what;
            EXPECT_NE(e.description().find(m.expected), std::string::npos)
                << m.what << ": " << e.description();
            EXPECT_NE(e.description().find("C:\\ACT\\g.gdb"), std::string::npos) << m.what;
        }
    }
}

TEST(DbfTable, RefusesATableWithoutColumns) {
    const std::string bytes = DbfWriter({}).Bytes();
    EXPECT_THROW(DbfTable::Parse(bytes, "x"), VbError);
}

// Record counts: the header's count and the file's size both bound the rows that are read.
TEST(DbfTable, ReadsOnlyCompleteRecordsTheHeaderCounts) {
    std::string more = ThreeGroups();
    PutU32(more, kCount, 1000);
    EXPECT_EQ(DbfTable::Parse(more, "x").RowCount(), 3u);

    std::string fewer = ThreeGroups();
    PutU32(fewer, kCount, 2);
    EXPECT_EQ(Names(DbfTable::Parse(fewer, "x")),
              (std::vector<std::string>{"Customers", "Key accounts"}));

    std::string cut = ThreeGroups();
    cut.resize(cut.size() - 2); // end flag and one byte of the last record
    EXPECT_EQ(DbfTable::Parse(cut, "x").RowCount(), 2u);

    std::string noEndFlag = ThreeGroups();
    noEndFlag.pop_back();
    EXPECT_EQ(DbfTable::Parse(noEndFlag, "x").RowCount(), 3u);

    std::string hugeRecord = ThreeGroups();
    PutU16(hugeRecord, kRecordLength, 0xFFFF);
    EXPECT_EQ(DbfTable::Parse(hugeRecord, "x").RowCount(), 0u);

    std::string huge = ThreeGroups();
    PutU32(huge, kCount, 0xFFFFFFFFu);
    EXPECT_EQ(DbfTable::Parse(huge, "x").RowCount(), 3u);
}

TEST(DbfTable, StopsAtAnEndOfFileFlag) {
    std::string b = ThreeGroups();
    b[RecordStart(b, 1)] = 0x1A;
    EXPECT_EQ(Names(DbfTable::Parse(b, "x")), std::vector<std::string>{"Customers"});
    b[RecordStart(b, 0)] = 0x1A;
    EXPECT_EQ(DbfTable::Parse(b, "x").RowCount(), 0u);
}

TEST(DbfTable, SkipsOnlyRecordsFlaggedDeleted) {
    DbfWriter w({{"GRP_NAME", 'C', 10}});
    w.AddRow({"one"});
    w.AddRow({"two"}, true);
    w.AddRow({"three"});
    w.AddRow({"four"});
    std::string b = w.Bytes();
    b[RecordStart(b, 2)] = 'D';  // not a deletion mark
    b[RecordStart(b, 3)] = '\0'; // nor is this
    const DbfTable t = DbfTable::Parse(b, "x");
    EXPECT_EQ(Names(t), (std::vector<std::string>{"one", "three", "four"}));
}

TEST(DbfTable, CharacterLengthsCarryAHighByte) {
    const std::string longName(300, 'n');
    DbfWriter w({{"GRP_NAME", 'C', 300}, {"PERANTID", 'C', 12}});
    w.AddRow({longName + "cut", "P"});
    const std::string b = w.Bytes();
    EXPECT_EQ(static_cast<unsigned char>(b[32 + 16]), 300 % 256);
    EXPECT_EQ(static_cast<unsigned char>(b[32 + 17]), 1);
    const DbfTable t = DbfTable::Parse(b, "x");
    EXPECT_EQ(t.Columns()[0].length, 300u);
    EXPECT_EQ(t.Columns()[1].offset, 301u);
    EXPECT_EQ(t.Value(0, 0), longName);
    EXPECT_EQ(t.Value(0, 1), "P");

    // Other types keep their decimal count.
    DbfWriter n({{"AMOUNT", 'N', 8, 2}});
    n.AddRow({"12.50"});
    const DbfTable nt = DbfTable::Parse(n.Bytes(), "x");
    EXPECT_EQ(nt.Columns()[0].length, 8u);
    EXPECT_EQ(nt.Columns()[0].decimals, 2u);
    EXPECT_EQ(nt.RawValue(0, 0), "   12.50");
}

TEST(DbfTable, ReadsFoxProHeadersWithTheirBackLink) {
    DbfWriter w({{"PERANTID", 'C', 12}, {"GRP_NAME", 'C', 20}}, 0x30);
    w.AddRow({"", "Top"});
    w.AddRow({"X1", "Sub"});
    const std::string b = w.Bytes();
    EXPECT_EQ(U16(b, kHeaderLength), 32u + 2 * 32 + 1 + 263);
    EXPECT_EQ(Names(DbfTable::Parse(b, "x")), (std::vector<std::string>{"Top", "Sub"}));
}

TEST(DbfTable, KeepsCodePageBytesAndStripsOnlyTrailingPadding) {
    const std::string name = "  M\xFC"
                             "ller & S\xF6hne \x80";
    DbfWriter w({{"GRP_NAME", 'C', 30}});
    w.SetLanguageDriver(0x57);
    w.AddRow({name});
    std::string b = w.Bytes();
    const std::size_t value = RecordStart(b, 0) + 1;
    b[value + 28] = '\0'; // NUL padding, as some writers leave it
    b[value + 29] = '\0';
    const DbfTable t = DbfTable::Parse(b, "x");
    EXPECT_EQ(t.Value(0, 0), name);
}

TEST(DbfTable, ColumnNamesEndAtNulOrBlank) {
    std::string b = ThreeGroups();
    // "GRP_ID" followed by garbage after its NUL, as old writers leave names.
    b[32 + 7] = 'Z';
    // "PERANTID" blank-padded instead of NUL-padded.
    b[64 + 8] = ' ';
    b[64 + 9] = ' ';
    const DbfTable t = DbfTable::Parse(b, "x");
    EXPECT_EQ(t.Columns()[0].name, "GRP_ID");
    EXPECT_EQ(t.Columns()[1].name, "PERANTID");
}

TEST(DbfWriter, RefusesColumnsItCannotWrite) {
    EXPECT_THROW(DbfWriter({{"ELEVENCHARS", 'C', 5}}), std::invalid_argument);
    EXPECT_THROW(DbfWriter({{"A", 'C', 0}}), std::invalid_argument);
    EXPECT_THROW(DbfWriter({{"A", 'N', 300}}), std::invalid_argument);
}

TEST(DbfWriter, WidensGroupTableColumnsToTheLongestValue) {
    const std::string longName(70, 'x');
    const DbfTable t = DbfTable::Parse(WriteGroupTable({{"ID", "", longName}}), "x");
    EXPECT_EQ(t.Value(0, t.FindColumn(gdb::kName).value()), longName);
    EXPECT_EQ(t.Columns()[0].length, 12u);
}

} // namespace
} // namespace tamber
