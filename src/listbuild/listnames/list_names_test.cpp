#include "listbuild/listnames/list_names.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>

#include "inilib/inilib.h"
#include "staticlists/listfiles/list_test_env.h"

namespace tamber {
namespace {

class ListNamesTest : public ListFolderTest {
  protected:
    std::string Index() { return Bytes(M().ListsIniFile); }
};

// Group identifiers as ACT! gives them: twelve characters, the last a blank.
const std::string kSales = "AB12CD34EF5 ";
const std::string kStaff = "ZZ99YY88XX7 ";

TEST_F(ListNamesTest, AllGroupsListHasAFixedNameAndTouchesNoFile) {
    EXPECT_EQ(Get_List_Name(0, kSales, true), "000001");
    EXPECT_FALSE(fs.Exists(M().ListsIniFile));
}

TEST_F(ListNamesTest, ListsOfOneGroupShareItsNumber) {
    EXPECT_EQ(Get_List_Name(1, kStaff, false), "100001");
    EXPECT_EQ(Get_List_Name(1, kSales, false), "100002");
    EXPECT_EQ(Get_List_Name(2, kSales, false), "200002_N");
    EXPECT_EQ(Get_List_Name(2, kSales, true), "200002_C");
    EXPECT_EQ(Get_List_Name(1, kStaff, true), "100001");
    // The index file records each group once, in the order first seen.
    EXPECT_EQ(IniLib::GetKeyValue("Index", "Count", "", "", "", M().ListsIniFile), "2");
    EXPECT_EQ(IniLib::GetKeyValue("Items", "1", "", "", "", M().ListsIniFile), "ZZ99YY88XX7");
    EXPECT_EQ(IniLib::GetKeyValue("Items", "2", "", "", "", M().ListsIniFile), "AB12CD34EF5");
}

TEST_F(ListNamesTest, ThirdGroupNamesMatchTheDocumentedExamples) {
    Get_List_Name(1, "G1         X ", false);
    Get_List_Name(1, "G2         X ", false);
    const std::string third = "G3         X ";
    EXPECT_EQ(Get_List_Name(1, third, false), "100003");
    EXPECT_EQ(Get_List_Name(2, third, false), "200003_N");
    EXPECT_EQ(Get_List_Name(2, third, true), "200003_C");
    EXPECT_EQ(Index(), "[Items]\r\n1=G1         X \r\n2=G2         X \r\n3=G3         X \r\n"
                       "[Index]\r\nCount=3\r\n");
}

TEST_F(ListNamesTest, IdentifierWithOrWithoutItsTrailingBlankIsTheSameGroup) {
    // The list window hands identifiers over with their blank, value settings without it.
    EXPECT_EQ(Get_List_Name(2, "AB12CD34EF5", false), "200001_N");
    EXPECT_EQ(Get_List_Name(2, kSales, false), "200001_N");
    EXPECT_EQ(Get_List_Name(1, "AB12CD34EF5", false), "100001");
    EXPECT_EQ(IniLib::GetKeyValue("Index", "Count", "", "", "", M().ListsIniFile), "1");
}

TEST_F(ListNamesTest, IdentifiersAreOtherwiseComparedExactly) {
    EXPECT_EQ(Get_List_Name(1, "abc", false), "100001");
    EXPECT_EQ(Get_List_Name(1, "ABC", false), "100002");
    EXPECT_EQ(Get_List_Name(1, " abc", false), "100001"); // the file keeps no leading blank
    EXPECT_EQ(Get_List_Name(1, "abc d", false), "100003");
}

TEST_F(ListNamesTest, NumbersAreNeverReusedAndGapsAreSkipped) {
    fs.WriteAll(M().ListsIniFile, "[Index]\r\nCount=5\r\n[Items]\r\n1=one\r\n5=five\r\n");
    EXPECT_EQ(Get_List_Name(1, "five", false), "100005");
    EXPECT_EQ(Get_List_Name(1, "new", false), "100006");
    EXPECT_EQ(Get_List_Name(3, "one", false), "300001");
}

TEST_F(ListNamesTest, UnreadableCountIsReportedAndGivesNoName) {
    fs.WriteAll(M().ListsIniFile, "[Index]\r\nCount=lots\r\n");
    EXPECT_EQ(Get_List_Name(1, kSales, false), "");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("Module1: Function Get_List_Name"), std::string::npos);
}

// The settings folder on a file server that another user's program writes too: it records
// groups while this program waits for the lock, and the server goes on reporting the stamp
// each file had when first asked (its attribute cache).
class SharedFolder : public MemoryFileSystem {
  public:
    std::function<void()> otherUser; // runs once, when this program asks for the lock
    std::unique_ptr<FileLock> Lock(const std::string& path,
                                   std::chrono::milliseconds wait) override {
        if (auto act = std::exchange(otherUser, nullptr)) act();
        return MemoryFileSystem::Lock(path, wait);
    }
    FileStamp Stamp(const std::string& path) override {
        const FileStamp now = MemoryFileSystem::Stamp(path);
        return now.exists ? stamps_.try_emplace(path, now).first->second : now;
    }

  private:
    std::map<std::string, FileStamp> stamps_;
};

class SharedListNamesTest : public ListNamesTest {
  protected:
    void SetUp() override {
        ListNamesTest::SetUp();
        shared.MakeFolders("C:\\Data");
        ini::Profiles().Forget();
    }
    SharedFolder shared;
    ScopedPlatform onShare{{.settings = &settings, .files = &shared, .processes = &processes}};
};

TEST_F(SharedListNamesTest, GroupsAnotherUserRecordsMeanwhileKeepTheirNumbers) {
    const std::string index = M().ListsIniFile;
    shared.WriteAll(index, "[Items]\r\n1=ZZ99YY88XX7 \r\n[Index]\r\nCount=1\r\n");
    EXPECT_EQ(Get_List_Name(1, kStaff, false), "100001");
    // The other user records the same group first: it has one number.
    shared.otherUser = [&] {
        shared.WriteAll(index, "[Items]\r\n1=ZZ99YY88XX7 \r\n2=AB12CD34EF5 \r\n"
                               "[Index]\r\nCount=2\r\n");
    };
    EXPECT_EQ(Get_List_Name(2, kSales, true), "200002_C");
    // Another group: this one's comes after it, and the other user's stays.
    shared.otherUser = [&] {
        shared.WriteAll(index, "[Items]\r\n1=ZZ99YY88XX7 \r\n2=AB12CD34EF5 \r\n3=theirs\r\n"
                               "[Index]\r\nCount=3\r\n");
    };
    EXPECT_EQ(Get_List_Name(1, "mine", false), "100004");
    EXPECT_EQ(shared.ReadAll(index), "[Items]\r\n1=ZZ99YY88XX7 \r\n2=AB12CD34EF5 \r\n"
                                     "3=theirs\r\n4=mine\r\n[Index]\r\nCount=4\r\n");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SharedListNamesTest, WhileAnotherProgramKeepsTheLockOnlyKnownGroupsAreNamed) {
    EXPECT_EQ(Get_List_Name(1, kStaff, false), "100001");
    const std::string before = *shared.ReadAll(M().ListsIniFile);
    std::unique_ptr<FileLock> other = shared.Lock("C:\\Data\\Contacts_lists.lock", {});
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(Get_List_Name(2, kStaff, false), "200001_N");
    EXPECT_EQ(Get_List_Name(1, kSales, false), "");
    EXPECT_EQ(shared.ReadAll(M().ListsIniFile), before);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "Another user of the folder C:\\Data is changing its "
                                       "lists.\rPlease try again in a moment.");
    EXPECT_EQ(dialogs.shown[0].title, "Tamberlist");
    other.reset();
    EXPECT_EQ(Get_List_Name(1, kSales, false), "100002");
}

TEST_F(ListNamesTest, AFolderWithoutWriteAccessIsReportedOnce) {
    EXPECT_EQ(Get_List_Name(1, kStaff, false), "100001");
    fs.Remove("C:\\Data\\Contacts_lists.lock");
    fs.failWrites = 70;
    EXPECT_EQ(Get_List_Name(1, kStaff, false), "100001") << "reading needs no lock";
    EXPECT_EQ(Get_List_Name(1, kSales, false), "");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("Error 70"), std::string::npos);
}

} // namespace
} // namespace tamber
