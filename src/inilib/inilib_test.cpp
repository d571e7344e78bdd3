#include <gtest/gtest.h>

#include "common/scripted_dialogs.h"
#include "common/vb_error.h"
#include "inilib/inilib.h"
#include "ports/memory/memory_file_system.h"
#include "ports/platform.h"

namespace tamber {
namespace {

using namespace std::string_literals;

const std::string kFile = "C:\\Data\\Sales.ini";

class IniLibTest : public ::testing::Test {
  protected:
    void SetUp() override { fs.MakeFolders("C:\\Data"); }
    void Put(const std::string& bytes, const std::string& file = kFile) {
        fs.WriteAll(file, bytes);
    }
    std::string Bytes(const std::string& file = kFile) {
        return fs.ReadAll(file).value_or("<missing>");
    }
    MemoryFileSystem fs;
    ScopedPlatform sys{{.files = &fs}};
    ScriptedDialogs dialogs;
    ScopedDialogs scoped{dialogs};
};

TEST_F(IniLibTest, GetKeyValueFallsBackToTheDefaultForMissingAndEmpty) {
    Put("[12]\r\nType=2\r\nEmpty=\r\nQuoted=\" x \"\r\n");
    EXPECT_EQ(IniLib::GetKeyValue("12", "Type", "0", "", "", kFile), "2");
    EXPECT_EQ(IniLib::GetKeyValue("12", "type", "", "", "", kFile), "2");
    EXPECT_EQ(IniLib::GetKeyValue("12", "Missing", "dflt", "", "", kFile), "dflt");
    EXPECT_EQ(IniLib::GetKeyValue("12", "Empty", "dflt", "", "", kFile), "dflt");
    EXPECT_EQ(IniLib::GetKeyValue("12", "Quoted", "", "", "", kFile), " x ");
    EXPECT_EQ(IniLib::GetKeyValue("99", "Type", "d", "", "", kFile), "d");
    Put("[12]\r\nType=3\r\n", "C:\\Data\\Other.ini");
    EXPECT_EQ(IniLib::GetKeyValue("12", "Type", "", "", "", "C:\\Data\\Other.ini"), "3");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(IniLibTest, GetKeyValueTypeChecks) {
    Put("[S]\r\nText=abc\r\nNum=-1.5\r\nTrue=True\r\nZero=0\r\n");
    EXPECT_EQ(IniLib::GetKeyValue("S", "Text", "", "Numeric", "0", kFile), "0");
    EXPECT_EQ(IniLib::GetKeyValue("S", "Text", "", "Numeric", "", kFile), "abc");
    EXPECT_EQ(IniLib::GetKeyValue("S", "Num", "", "Numeric", "0", kFile), "-1.5");
    EXPECT_EQ(IniLib::GetKeyValue("S", "True", "", "Boolean", "0", kFile), "0");
    EXPECT_EQ(IniLib::GetKeyValue("S", "Zero", "", "Boolean", "-1", kFile), "0");
    // A missing key's default goes through the same test.
    EXPECT_EQ(IniLib::GetKeyValue("S", "Missing", "none", "Numeric", "", kFile), "none");
    EXPECT_EQ(IniLib::GetKeyValue("S", "Missing", "none", "Numeric", "7", kFile), "7");
    // Other type names (the comparison is exact) return the value untested.
    EXPECT_EQ(IniLib::GetKeyValue("S", "Text", "", "numeric", "0", kFile), "abc");
    EXPECT_EQ(IniLib::GetKeyValue("S", "Text", "", "String", "0", kFile), "abc");
}

TEST_F(IniLibTest, LongValuesAreReadWhole) {
    for (std::size_t n : {998u, 999u, 5000u}) {
        const std::string v(n, 'x');
        ASSERT_TRUE(IniLib::WriteKeyValue("S", "k", v, kFile));
        EXPECT_EQ(IniLib::GetKeyValue("S", "k", "", "", "", kFile), v) << n;
    }
}

TEST_F(IniLibTest, WritesAndDeletesReachTheFile) {
    EXPECT_TRUE(IniLib::WriteKeyValue("12", "Type", "2", kFile));
    EXPECT_TRUE(IniLib::WriteKeyValue("12", "Group", "abc ", kFile));
    EXPECT_TRUE(IniLib::WriteKeyValue("13", "Type", "0", kFile));
    EXPECT_EQ(Bytes(), "[12]\r\nType=2\r\nGroup=abc \r\n[13]\r\nType=0\r\n");
    EXPECT_TRUE(IniLib::DeleteKey("12", "Type", kFile));
    EXPECT_TRUE(IniLib::DeleteKey("12", "Nothing", kFile));
    EXPECT_TRUE(IniLib::DeleteSection("13", kFile));
    EXPECT_EQ(Bytes(), "[12]\r\nGroup=abc \r\n");
    // A folder that does not exist: the call fails, as the platform's did, without a message.
    EXPECT_FALSE(IniLib::WriteKeyValue("S", "k", "v", "C:\\Nowhere\\x.ini"));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(IniLibTest, DeleteSectionContentKeepsHeaderAndCommentsInOneWrite) {
    Put("[A]\r\nx=1\r\n;note\r\nx=2\r\ny=3\r\n[B]\r\nz=4\r\n");
    int before = fs.writes;
    IniLib::DeleteSectionContent("a", kFile);
    EXPECT_EQ(Bytes(), "[A]\r\n;note\r\n[B]\r\nz=4\r\n");
    EXPECT_EQ(fs.writes, before + 1);
    IniLib::DeleteSectionContent("Missing", kFile);
    EXPECT_EQ(fs.writes, before + 1);
}

TEST_F(IniLibTest, GetSectionsLayout) {
    EXPECT_EQ(IniLib::GetSections(kFile), ""); // no file
    Put("; only a comment\r\n");
    EXPECT_EQ(IniLib::GetSections(kFile), "");
    Put("[12]\r\n[123]\r\nk=v\r\n");
    std::string s = IniLib::GetSections(kFile);
    EXPECT_EQ(s.size(), 1001u);
    EXPECT_EQ(s.substr(0, 8), "\0"s + "12\0"s + "123\0"s);
    EXPECT_EQ(s.find_first_not_of('\0', 8), std::string::npos);
    EXPECT_NE(s.find("\0"s + "12\0"s), std::string::npos);
    EXPECT_EQ(s.find("\0"s + "1\0"s), std::string::npos);
}

TEST_F(IniLibTest, GetSectionsReturnsEveryNameBeyondTheOldBuffer) {
    IniLib::Batch batch(kFile);
    for (int i = 0; i < 400; ++i)
        batch.Write(std::to_string(10000 + i), "Type", "0");
    ASSERT_TRUE(batch.Commit());
    std::string s = IniLib::GetSections(kFile);
    EXPECT_EQ(s.size(), 1u + 400 * 6 + 1);
    EXPECT_NE(s.find("\0"s + "10399\0"s), std::string::npos);
    EXPECT_EQ(s.substr(s.size() - 8), "10399\0\0"s.insert(0, 1, '\0'));
}

TEST_F(IniLibTest, ExtractKeys) {
    Put("[A]\r\nb=1\r\na=2\r\nnoequals\r\n;c=3\r\nb=4\r\n[Empty]\r\n;x=1\r\n[E]\r\nk=1\r\n="
        "v\r\nafter=2\r\n");
    EXPECT_EQ(IniLib::Extract_Keys("A", kFile), (std::vector<std::string>{"b", "a", "b"}));
    EXPECT_EQ(IniLib::Extract_Keys("Empty", kFile), std::nullopt);
    EXPECT_EQ(IniLib::Extract_Keys("Missing", kFile), std::nullopt);
    // An empty key name reads as the end of the list.
    EXPECT_EQ(IniLib::Extract_Keys("E", kFile), std::vector<std::string>{"k"});
}

TEST_F(IniLibTest, ExtractKeysBeyondTheOldBuffer) {
    IniLib::Batch batch("C:\\Data\\Sales_000001.dat");
    for (int i = 1; i <= 2000; ++i)
        batch.Write("Items", std::to_string(i), "entry");
    ASSERT_TRUE(batch.Commit());
    auto keys = IniLib::Extract_Keys("Items", "C:\\Data\\Sales_000001.dat");
    ASSERT_TRUE(keys);
    EXPECT_EQ(keys->size(), 2000u);
    EXPECT_EQ(keys->back(), "2000");
}

TEST_F(IniLibTest, BatchWritesOnceAndReportsFailure) {
    Put("[Items]\r\n1=old\r\n");
    IniLib::Batch batch(kFile);
    batch.Write("Items", "1", "a");
    batch.Write("Items", "2", "b");
    batch.Write("Index", "Count", "2");
    batch.DeleteSection("Gone");
    const std::vector<std::string_view> list = {"x", "y", "z"};
    batch.WriteNumbered("List", 1, list); // lines the parsed copy keeps as one entry
    EXPECT_EQ(batch.Pending(), 7u);
    fs.failWrites = err::kDiskFull;
    EXPECT_FALSE(batch.Commit());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("Error 61: 'Disk full'"), std::string::npos);
    EXPECT_NE(dialogs.shown[0].prompt.find("in IniLib: Function Commit"), std::string::npos);
    EXPECT_EQ(Bytes(), "[Items]\r\n1=old\r\n");
    fs.failWrites = 0;
    int before = fs.writes;
    EXPECT_TRUE(batch.Commit()); // the changes were kept for a retry
    EXPECT_EQ(fs.writes, before + 1);
    EXPECT_EQ(Bytes(),
              "[Items]\r\n1=a\r\n2=b\r\n[Index]\r\nCount=2\r\n[List]\r\n1=x\r\n2=y\r\n3=z\r\n");
    EXPECT_EQ(IniLib::GetKeyValue("List", "2", "", "", "", kFile), "y");
}

TEST_F(IniLibTest, UnexpectedErrorsAreReportedWithTheDefaultResult) {
    Sys().files = nullptr; // no file system: every call fails at its first statement
    EXPECT_EQ(IniLib::GetKeyValue("S", "k", "d", "", "", kFile), "");
    EXPECT_FALSE(IniLib::WriteKeyValue("S", "k", "v", kFile));
    EXPECT_EQ(IniLib::GetSections(kFile), "");
    EXPECT_EQ(IniLib::Extract_Keys("S", kFile), std::nullopt);
    ASSERT_EQ(dialogs.shown.size(), 4u);
    EXPECT_NE(dialogs.shown[0].prompt.find("in IniLib: Function GetKeyValue - Line # 1"),
              std::string::npos);
    EXPECT_EQ(dialogs.shown[0].title, "Tamberlist error");
    EXPECT_NE(dialogs.shown[3].prompt.find("in IniLib: Function Extract_Keys"), std::string::npos);
}

TEST_F(IniLibTest, AFileWithoutANameIsReportedAndNothingIsWritten) {
    EXPECT_EQ(IniLib::GetKeyValue("S", "k", "d"), "");
    EXPECT_FALSE(IniLib::WriteKeyValue("S", "k", "v"));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_NE(dialogs.shown[0].prompt.find("Error 52"), std::string::npos);
    EXPECT_EQ(fs.writes, 0);
}

} // namespace
} // namespace tamber
