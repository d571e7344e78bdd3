#include "staticlists/listfiles/list_file.h"

#include "common/vb_error.h"
#include "staticlists/listfiles/list_test_env.h"

namespace tamber::listfile {
namespace {

class ListFileTest : public ListFolderTest {
  protected:
    // Stores entries as a cache refresh does: both sections emptied, then the layout.
    void Store(const std::vector<std::string>& entries) {
        IniLib::Batch batch(file);
        BatchWriter out(batch);
        StageEntries(out, entries);
        ASSERT_TRUE(batch.Commit());
    }
    const std::string file = "C:\\Data\\Contacts_000001.dat";
};

TEST(RunStarts, EmptyEntriesNeitherBeginNorBreakRuns) {
    std::vector<std::string> entries = {"", "alpha", "", "Avocado", "beta", "", "apple"};
    std::vector<RunStart> runs = RunStarts(entries);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].letter, "a");
    EXPECT_EQ(runs[0].number, 2);
    EXPECT_EQ(runs[1].letter, "b");
    EXPECT_EQ(runs[1].number, 5);
    EXPECT_EQ(runs[2].letter, "a");
    EXPECT_EQ(runs[2].number, 7);
}

TEST(IndexLetter, LowerCasesAccentedLettersOfTheCodePage) {
    EXPECT_EQ(IndexLetter("\xC9t\xE9"), "\xE9");
    EXPECT_EQ(IndexLetter("\x8A"), "\x9A");
    EXPECT_EQ(IndexLetter("\x9F"), "\xFF");
    EXPECT_EQ(IndexLetter("\x8C"), "\x9C");
    EXPECT_EQ(IndexLetter("\xD7"), "\xD7"); // the multiplication sign has no case
    EXPECT_EQ(IndexLetter("1a"), "1");
    EXPECT_EQ(IndexLetter(""), "");
}

TEST_F(ListFileTest, EmptyEntriesKeepTheirNumberWithoutAKey) {
    Store({"", "apple", "Avocado", "banana"});
    EXPECT_EQ(Bytes(file), "[Items]\r\n2=apple\r\n3=Avocado\r\n4=banana\r\n"
                           "[Index]\r\nCount=4\r\na=2\r\nb=4\r\n");
    EXPECT_EQ(ListReader(file).Count(), 4);
    EXPECT_EQ(ListReader(file).Entry(1), "");
    EXPECT_EQ(ListReader(file).Entry(3), "Avocado");
    EXPECT_EQ(ListReader(file).Entry(5), "");
}

TEST_F(ListFileTest, ReplacementLeavesNoKeyOfTheOldListAfterOneWithAnEmptyName) {
    Store({" blank", "apple", "banana"}); // the blank's index key has an empty name
    IniLib::Batch batch(file);
    BatchWriter out(batch);
    StageReplacement(out, {"cherry", "date", "egg"});
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(Bytes(file), "[Items]\r\n1=cherry\r\n2=date\r\n3=egg\r\n"
                           "[Index]\r\nCount=3\r\nc=1\r\nd=2\r\ne=3\r\n");
    EXPECT_EQ(ListReader(file).RunStartOf('a'), std::nullopt);
}

TEST_F(ListFileTest, EntriesReadBackExactlyAsStoredInCacheAndStaticLists) {
    const std::vector<std::string> odd = {" Lead",  "\"Quoted\"", "'Single'", "Trail ",
                                          "\"half", "tab\t",      "x"};
    Store(odd);
    EXPECT_EQ(ReadByLastKey(file), odd);
    ListReader reader(file);
    EXPECT_EQ(reader.Entry(1), " Lead");
    EXPECT_EQ(reader.Entry(2), "\"Quoted\"");
    EXPECT_EQ(reader.RunStartOf(' '), 1);

    const std::string saved = "C:\\Data\\Sizes.lst";
    IniLib::Batch batch(saved);
    BatchWriter out(batch);
    StageSortedEntries(out, {" Lead", "'Single'", "Trail "});
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(ReadByLastKey(saved), (std::vector<std::string>{" Lead", "'Single'", "Trail "}));
}

TEST_F(ListFileTest, CharactersAProfileCannotHoldAsAKeyAreFoundFromTheList) {
    Store({";semi", "=equals", "[bracket", "[second", "apple", "\tTab"});
    EXPECT_EQ(Bytes(file), "[Items]\r\n1=;semi\r\n2==equals\r\n3=[bracket\r\n4=[second\r\n"
                           "5=apple\r\n6=\"\tTab\"\r\n[Index]\r\nCount=6\r\na=5\r\n");
    ListReader reader(file);
    EXPECT_EQ(reader.Entry(3), "[bracket");
    EXPECT_EQ(reader.RunStartOf(';'), 1);
    EXPECT_EQ(reader.RunStartOf('='), 2);
    EXPECT_EQ(reader.RunStartOf('['), 3);
    EXPECT_EQ(reader.RunStartOf('\t'), 6);
    EXPECT_EQ(reader.RunStartOf('a'), 5);
    // A later refresh leaves no "[" line behind.
    IniLib::Batch batch(file);
    BatchWriter out(batch);
    StageReplacement(out, {"zed"});
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(Bytes(file), "[Items]\r\n1=zed\r\n[Index]\r\nCount=1\r\nz=1\r\n");
}

TEST_F(ListFileTest, ReplacementClearsBothSectionsButKeepsTheirHeaders) {
    Store({"a", "b", "c"});
    IniLib::Batch batch(file);
    BatchWriter out(batch);
    StageReplacement(out, {"", "zed"});
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(Bytes(file), "[Items]\r\n2=zed\r\n[Index]\r\nCount=2\r\nz=2\r\n");
}

TEST_F(ListFileTest, LetterLookupIgnoresCaseAndToleratesMissingOrBadKeys) {
    fs.WriteAll(file, "[Index]\r\nCount=3\r\na=1\r\n\xE9=3\r\nz=oops\r\n"
                      "[Items]\r\n1=Apple\r\n2=b\r\n3=\xC9t\xE9\r\n");
    EXPECT_EQ(ListReader(file).RunStartOf('A'), 1);
    EXPECT_EQ(ListReader(file).RunStartOf('a'), 1);
    EXPECT_EQ(ListReader(file).RunStartOf('\xC9'), 3);
    EXPECT_EQ(ListReader(file).RunStartOf('b'), std::nullopt);
    EXPECT_EQ(ListReader(file).RunStartOf('z'), std::nullopt);
}

TEST_F(ListFileTest, KeysOutOfOrderAreAllRead) {
    fs.WriteAll(file, "[Items]\r\n3=c\r\n1=a\r\n2=b\r\n");
    EXPECT_EQ(ReadByLastKey(file), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(ListFileTest, MissingFileHasNoEntriesAndBadLastKeyIsAnError) {
    EXPECT_EQ(ListReader(file).Count(), 0);
    EXPECT_EQ(ListReader(file).Entry(1), "");
    EXPECT_TRUE(ReadByLastKey(file).empty());
    fs.WriteAll(file, "[Index]\r\nCount=many\r\n[Items]\r\n1=a\r\nlast=b\r\n");
    EXPECT_EQ(ListReader(file).Count(), 0); // the list window shows no entries
    EXPECT_THROW(ReadByLastKey(file), VbError);
}

// Counts the stamp checks the engine makes.
class CountingFiles : public MemoryFileSystem {
  public:
    FileStamp Stamp(const std::string& path) override {
        ++stamps;
        return MemoryFileSystem::Stamp(path);
    }
    int stamps = 0;
};

TEST_F(ListFileTest, ReaderChecksTheFileOnceAndAnswersEveryLookUpFromIt) {
    CountingFiles files;
    files.MakeFolders("C:\\Data");
    Sys().files = &files;
    files.WriteAll(file, "[Index]\r\nCount=4\r\na=2\r\n\x9C=4\r\nz=oops\r\n"
                         "[Items]\r\n2=apple\r\n3=\"Avocado\"\r\n4=\x8Cuf\r\n02=no\r\n3=later\r\n"
                         "-1=minus\r\n70000=far\r\n");
    {
        ListReader reader(file);
        EXPECT_EQ(files.stamps, 1);
        EXPECT_EQ(reader.Count(), 4);
        const std::vector<std::string_view> entries = {
            reader.Entry(1), reader.Entry(2), reader.Entry(3), reader.Entry(4), reader.Entry(5)};
        EXPECT_EQ(entries, (std::vector<std::string_view>{"", "apple", "Avocado", "\x8Cuf", ""}));
        EXPECT_EQ(reader.Entry(0), "");
        EXPECT_EQ(reader.Entry(-1), "minus");
        EXPECT_EQ(reader.Entry(70000), "far");
        EXPECT_EQ(reader.RunStartOf('A'), 2);
        EXPECT_EQ(reader.RunStartOf('\x8C'), 4);
        EXPECT_EQ(reader.RunStartOf('z'), std::nullopt);
        EXPECT_EQ(reader.RunStartOf('b'), std::nullopt);
        EXPECT_EQ(files.stamps, 1);
        // What it returned outlives a rewrite of the file; a new reader sees the new list.
        IniLib::Batch batch(file);
        BatchWriter out(batch);
        StageReplacement(out, {"x"});
        ASSERT_TRUE(batch.Commit());
        EXPECT_EQ(entries[1], "apple");
        EXPECT_EQ(reader.Entry(2), "apple");
        ListReader fresh(file);
        EXPECT_EQ(fresh.Count(), 1);
        EXPECT_EQ(fresh.Entry(1), "x");
        EXPECT_EQ(fresh.Entry(2), "");
        EXPECT_EQ(ReadByLastKey(file), std::vector<std::string>{"x"});
    }
    // Once its readers are gone, only the engine holds the parsed file: the next write edits
    // it in place instead of copying the whole list.
    EXPECT_EQ(ini::Profiles().Parse(file).use_count(), 2) << "the engine's and this one";
    {
        ListReader again(file);
        again.ReadAgain(); // unchanged: the same copy
        EXPECT_EQ(ini::Profiles().Parse(file).use_count(), 3);
    }
    EXPECT_EQ(ini::Profiles().Parse(file).use_count(), 2);
    // A missing file or an empty path is an empty list; a count that is no number reads as
    // none.
    EXPECT_EQ(ListReader("").Count(), 0);
    ListReader none("C:\\Data\\none.dat");
    EXPECT_EQ(none.Count(), 0);
    EXPECT_EQ(none.Entry(1), "");
    EXPECT_EQ(none.RunStartOf('a'), std::nullopt);
    files.WriteAll(file, "[Index]\r\nCount=many\r\n");
    EXPECT_EQ(ListReader(file).Count(), 0);
    Sys().files = &fs;
}

} // namespace
} // namespace tamber::listfile
