#include <gtest/gtest.h>

#include <random>

#include "common/vb_error.h"
#include "ini/ini_document.h"
#include "ini/ini_engine.h"
#include "ini/ini_snapshot.h"
#include "ports/memory/memory_file_system.h"
#include "ports/platform.h"

namespace tamber::ini {
namespace {

constexpr const char* kFile = "C:\\t.ini";

class IniEngine : public ::testing::Test {
  protected:
    MemoryFileSystem fs;
    Engine eng{fs};

    void Put(const std::string& bytes) { fs.WriteAll(kFile, bytes); }
    std::string Bytes() { return fs.ReadAll(kFile).value_or("<missing>"); }

    // Return value and the whole buffer, which starts filled with '#'.
    struct Read {
        std::uint32_t ret;
        std::string buf;
    };
    Read Get(Name section, Name key, Name def = std::nullopt, std::uint32_t size = 64) {
        std::string buf(size, '#');
        std::uint32_t ret = eng.GetString(kFile, section, key, def, buf.data(), size);
        return {ret, buf};
    }
    std::string Value(std::string_view section, std::string_view key,
                      std::string_view def = "<default>") {
        Read r = Get(section, key, def, 4096);
        return r.buf.substr(0, r.ret);
    }
    std::string List(Name section) {
        Read r = Get(section, std::nullopt, std::nullopt, 4096);
        return r.buf.substr(0, r.ret);
    }
};

using namespace std::string_literals;

TEST_F(IniEngine, ParsesLinesAsThePlatformDoes) {
    Put("top=unreachable\r\n"
        "[ section1 ]  trailing text\r\n"
        "  name1 \t=\v val1  \r\n"
        "name2=\r\n"
        "name3\r\n"
        "a=b=c\r\n"
        "=empty name\r\n"
        "  ;comment=1\r\n"
        "#hash=2\r\n"
        "semi=x;y\r\n"
        "q1=  \"   v   \"  \r\n"
        "q2=\"'v'\"\r\n"
        "q3=\"v'\r\n"
        "q4=\"\r\n"
        "q5=\"\"\r\n"
        "[]\n"
        "k=in empty section\r"
        "[S]k=v\n"
        "[no bracket  \r\n"
        "x=1\r\n"
        "[[sec]\r\n"
        "y=2");
    EXPECT_EQ(Value("section1", "name1"), "val1");
    EXPECT_EQ(Value("section1", "name2"), "");
    EXPECT_EQ(Value("section1", "name3"), "<default>");
    EXPECT_EQ(Value("section1", "a"), "b=c");
    EXPECT_EQ(Value("section1", ""), "empty name");
    EXPECT_EQ(Value("section1", ";comment"), "<default>");
    EXPECT_EQ(Value("section1", "#hash"), "2");
    EXPECT_EQ(Value("section1", "semi"), "x;y");
    EXPECT_EQ(Value("section1", "q1"), "   v   ");
    EXPECT_EQ(Value("section1", "q2"), "'v'");
    EXPECT_EQ(Value("section1", "q3"), "\"v'");
    EXPECT_EQ(Value("section1", "q4"), "\"");
    EXPECT_EQ(Value("section1", "q5"), "");
    EXPECT_EQ(Value("section1", "top"), "<default>");
    EXPECT_EQ(Value("", "k"), "in empty section");
    EXPECT_EQ(Value("S", "k"), "<default>");
    EXPECT_EQ(Value("no bracket", "x"), "1");
    EXPECT_EQ(Value("[sec", "y"), "2");
    EXPECT_EQ(List(std::nullopt), "section1\0\0S\0no bracket\0[sec\0"s);
    EXPECT_EQ(List("section1"), "name1\0name2\0a\0\0#hash\0semi\0q1\0q2\0q3\0q4\0q5\0"s);
}

TEST_F(IniEngine, NamesMatchCaseBlindInCodePage1252) {
    Put("[\xC9T\xC9 Stra\xDF"
        "e]\r\n\x8Auvre=1\r\n\x9C=2\r\n\xD7=3\r\nMIXED=4\r\n");
    EXPECT_EQ(Value("\xE9t\xE9 STRA\xDF"
                    "E",
                    "\x9Auvre"),
              "1");
    EXPECT_EQ(Value("\xE9t\xE9 stra\xDF"
                    "e",
                    "\x8C"),
              "2");
    EXPECT_EQ(Value("\xC9T\xC9 Stra\xDF"
                    "e",
                    "\xF7"),
              "<default>"); // x and / are no pair
    EXPECT_EQ(Value("\xC9T\xC9 Stra\xDF"
                    "e",
                    "mixed"),
              "4");
    EXPECT_TRUE(NamesEqual("\xFF", "\x9F"));
    EXPECT_FALSE(NamesEqual("\xDF", "SS"));
}

TEST_F(IniEngine, CallerNamesLoseSpacesOnly) {
    Put("[S]\r\nk=v\r\n");
    EXPECT_EQ(Value("  S ", " k  "), "v");
    EXPECT_EQ(Value("\tS", "k"), "<default>");
    EXPECT_EQ(Value("S", "k\t"), "<default>");
}

TEST_F(IniEngine, DuplicatesFirstWinsEnumerationsRepeat) {
    Put("[A]\r\nk=1\r\nk=2\r\n[B]\r\nj=0\r\n[a]\r\nk=3\r\nz=4\r\n");
    EXPECT_EQ(Value("A", "k"), "1");
    EXPECT_EQ(Value("a", "z"), "<default>");
    EXPECT_EQ(List(std::nullopt), "A\0B\0a\0"s);
    EXPECT_EQ(List("a"), "k\0k\0"s);
}

TEST_F(IniEngine, ValueBufferLimits) {
    Put("[section1]\r\nname1=val1\r\n");
    EXPECT_EQ(Get("section1", "name1", "", 4).ret, 3u);
    EXPECT_EQ(Get("section1", "name1", "", 4).buf, "val\0"s);
    EXPECT_EQ(Get("section1", "name1", "", 5).buf, "val1\0"s);
    EXPECT_EQ(Get("section1", "name1", "", 5).ret, 4u);
    EXPECT_EQ(Get("section1", "name1", "", 1).buf, "\0"s);
    EXPECT_EQ(Get("section1", "name1", "", 1).ret, 0u);
    Read none = Get("section1", "name1", "", 0);
    EXPECT_EQ(none.ret, 0u);
    EXPECT_EQ(none.buf, "");
    Read untouched = {0, "##"};
    untouched.ret = eng.GetString(kFile, "section1", "name1", "", untouched.buf.data(), 0);
    EXPECT_EQ(untouched.buf, "##");
}

TEST_F(IniEngine, DefaultsLoseTrailingSpacesOnly) {
    Put("[S]\r\nk=v\r\n");
    EXPECT_EQ(Get("S", "missing", "default  ").ret, 7u);
    EXPECT_EQ(Value("S", "missing", "   default \t "), "   default \t");
    EXPECT_EQ(Value("nosuch", "k", "d"), "d");
    Read nul = Get("S", "missing", std::nullopt, 8);
    EXPECT_EQ(nul.ret, 0u);
    EXPECT_EQ(nul.buf[0], '\0');
    eng.Forget();
    fs.Remove(kFile);
    EXPECT_EQ(Value("S", "k", "gone "), "gone");
}

TEST_F(IniEngine, EnumerationBufferLimits) {
    Put("[section1]\r\n[section2]\r\n");
    Read whole = Get(std::nullopt, std::nullopt, std::nullopt, 20);
    EXPECT_EQ(whole.ret, 18u);
    EXPECT_EQ(whole.buf, "section1\0section2\0\0#"s);
    // One byte short of the closing NUL: cut.
    Read tight = Get(std::nullopt, std::nullopt, std::nullopt, 19);
    EXPECT_EQ(tight.ret, 17u);
    EXPECT_EQ(tight.buf, "section1\0section2\0\0"s);
    // A missing section's key list is the default; an existing empty one is empty.
    EXPECT_EQ(Get("nosuch", std::nullopt, "dflt  ", 8).buf, "dflt\0###"s.substr(0, 8));
    EXPECT_EQ(Get("nosuch", std::nullopt, "dflt", 8).ret, 4u);
    EXPECT_EQ(Get("section1", std::nullopt, "dflt", 8).ret, 0u);
    Read cut = Get(std::nullopt, std::nullopt, std::nullopt, 18);
    EXPECT_EQ(cut.ret, 16u);
    EXPECT_EQ(cut.buf, "section1\0section\0\0"s);
    Read small = Get(std::nullopt, std::nullopt, std::nullopt, 16);
    EXPECT_EQ(small.ret, 14u);
    EXPECT_EQ(small.buf, "section1\0secti\0\0"s);
    EXPECT_EQ(Get(std::nullopt, std::nullopt, std::nullopt, 2).buf, "\0\0"s);
    fs.Remove(kFile);
    Read missing = Get(std::nullopt, std::nullopt, std::nullopt, 8);
    EXPECT_EQ(missing.ret, 0u);
    EXPECT_EQ(missing.buf[0], '\0');
}

TEST_F(IniEngine, NewFilesSectionsAndKeysGoWhereThePlatformPutsThem) {
    EXPECT_TRUE(eng.WriteString(kFile, "App1", "key1", "string1"));
    EXPECT_EQ(Bytes(), "[App1]\r\nkey1=string1\r\n");
    EXPECT_TRUE(eng.WriteString(kFile, " App1 ", " key2 ", " string2 "));
    EXPECT_TRUE(eng.WriteString(kFile, "App2", "key4", "string4"));
    EXPECT_EQ(Bytes(), "[App1]\r\nkey1=string1\r\nkey2= string2 \r\n[App2]\r\nkey4=string4\r\n");
    Put("[S]\r\nb=value\r\na=value\r\n;note\r\n\r\n[T]\r\n");
    for (const char* k : {"z", "b", "y", "a"})
        eng.WriteString(kFile, "s", k, "");
    EXPECT_EQ(Bytes(), "[S]\r\nb=\r\na=\r\nz=\r\ny=\r\n;note\r\n\r\n[T]\r\n");
}

TEST_F(IniEngine, UpdatesInPlaceKeepingSpellingAndOtherBytes) {
    Put("; head\n\n[Sec]  \n  Key  =  old  \nk = v\nlast=1");
    eng.WriteString(kFile, "SEC", "KEY", " new ");
    EXPECT_EQ(Bytes(), "; head\n\n[Sec]  \nKey= new \nk = v\nlast=1");
    eng.WriteString(kFile, "sec", "LAST", "2");
    EXPECT_EQ(Bytes(), "; head\n\n[Sec]  \nKey= new \nk = v\nlast=2\r\n");
}

TEST_F(IniEngine, AppendingAfterAnUnterminatedLastLine) {
    Put("junk before\r\n[A]\r\nk=v");
    eng.WriteString(kFile, "B", "x", "1");
    EXPECT_EQ(Bytes(), "junk before\r\n[A]\r\nk=v\r\n[B]\r\nx=1\r\n");
    Put("[A]");
    eng.WriteString(kFile, "a", "x", "1");
    EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n");
}

TEST_F(IniEngine, DeletesKeysAndSections) {
    Put("[App3]\r\nkey5=string5\r\n");
    EXPECT_TRUE(eng.WriteString(kFile, "App3", "key5", std::nullopt));
    EXPECT_EQ(Bytes(), "[App3]\r\n");
    EXPECT_TRUE(eng.WriteString(kFile, "App3", "nokey", std::nullopt));
    EXPECT_TRUE(eng.WriteString(kFile, "NoSection", std::nullopt, std::nullopt));
    EXPECT_EQ(Bytes(), "[App3]\r\n");
    Put("[A]\r\na=1\r\n;keep me\r\nnoequals\r\nb=2\r\n\r\n[B]\r\nc=3\r\n");
    EXPECT_TRUE(eng.WriteString(kFile, "a", std::nullopt, std::nullopt));
    EXPECT_EQ(Bytes(), ";keep me\r\n\r\n[B]\r\nc=3\r\n");
    EXPECT_FALSE(eng.WriteString(kFile, std::nullopt, "k", "v"));
}

TEST_F(IniEngine, DeletingTheLastKeyThenAddingKeepsOrder) {
    Put("[S]\r\na=1\r\n;c\r\nb=2\r\n[T]\r\n");
    eng.WriteString(kFile, "S", "b", std::nullopt);
    eng.WriteString(kFile, "S", "n", "3");
    EXPECT_EQ(Bytes(), "[S]\r\na=1\r\nn=3\r\n;c\r\n[T]\r\n");
    eng.WriteString(kFile, "S", "a", std::nullopt);
    eng.WriteString(kFile, "S", "n", std::nullopt);
    eng.WriteString(kFile, "S", "m", "4");
    EXPECT_EQ(Bytes(), "[S]\r\nm=4\r\n;c\r\n[T]\r\n");
}

// Cases where Wine's kernel32 is known to differ from Windows: fixed expected bytes.
TEST_F(IniEngine, WindowsBehaviourWhereWineDiffers) {
    // Blank lines and "k = v" spacing of untouched lines survive an edit.
    Put("[A]\r\n\r\nk = v\r\n\r\n[B]\r\n");
    eng.WriteString(kFile, "B", "n", "  lead");
    EXPECT_EQ(Bytes(), "[A]\r\n\r\nk = v\r\n\r\n[B]\r\nn=  lead\r\n");
    EXPECT_EQ(Value("B", "n"), "lead");
    // ";key" lines are comments: not found, not updated, not deleted.
    Put("[A]\r\n;k=old\r\n");
    EXPECT_EQ(Value("A", ";k"), "<default>");
    eng.WriteString(kFile, "A", ";k", std::nullopt);
    EXPECT_EQ(Bytes(), "[A]\r\n;k=old\r\n");
    // The section name ends at the first ']'; none at all is tolerated.
    Put("[a]b]\r\nk=1\r\n[c\r\nk=2\r\n");
    EXPECT_EQ(List(std::nullopt), "a\0c\0"s);
    // Byte-order marks other than UTF-16LE are plain bytes.
    Put("\xEF\xBB\xBF[S]\r\nk=v\r\n");
    EXPECT_EQ(Value("S", "k"), "<default>");
    // Comments inside a deleted section stay.
    Put("[A]\r\n;c\r\nk=v\r\n");
    eng.WriteString(kFile, "A", std::nullopt, std::nullopt);
    EXPECT_EQ(Bytes(), ";c\r\n");
    // Deleting a key or a section of a missing file succeeds and leaves an empty file (Wine
    // creates nothing); so does a batch of deletions.
    EXPECT_TRUE(eng.WriteString("C:\\k.ini", "S", "k", std::nullopt));
    EXPECT_TRUE(eng.WriteString("C:\\s.ini", "S", std::nullopt, std::nullopt));
    EXPECT_EQ(fs.ReadAll("C:\\k.ini"), "");
    EXPECT_EQ(fs.ReadAll("C:\\s.ini"), "");
    Engine::Batch none = eng.Begin("C:\\b.ini");
    none.DeleteKey("S", "k");
    none.Commit();
    EXPECT_EQ(fs.ReadAll("C:\\b.ini"), "");
}

TEST_F(IniEngine, ValuesWithLineBreaksBecomeLines) {
    eng.WriteString(kFile, "S", "k", "one\r\nx=two");
    EXPECT_EQ(Value("S", "k"), "one");
    EXPECT_EQ(Value("S", "x"), "two");
    eng.WriteString(kFile, "S", "y", "3");
    EXPECT_EQ(Bytes(), "[S]\r\nk=one\r\nx=two\r\ny=3\r\n");
}

TEST_F(IniEngine, LongValuesReadWhole) {
    const std::string v(65535, 'v');
    eng.WriteString(kFile, "S", "k", v);
    EXPECT_EQ(eng.Value(kFile, "S", "k"), v);
    EXPECT_EQ(Get("S", "k", "", 999).ret, 998u);
}

TEST_F(IniEngine, CacheNoticesOtherWriters) {
    Put("[S]\r\nk=1\r\n");
    EXPECT_EQ(Value("S", "k"), "1");
    Put("[S]\r\nk=2\r\n"); // same size, another process
    EXPECT_EQ(Value("S", "k"), "2");
    fs.Remove(kFile);
    EXPECT_EQ(Value("S", "k"), "<default>");
    EXPECT_EQ(List(std::nullopt), "");
    Put("[T]\r\n");
    EXPECT_EQ(List(std::nullopt), "T\0"s);
}

TEST_F(IniEngine, FailedWriteLeavesFileAndReadsUnchanged) {
    Put("[S]\r\nk=1\r\n");
    EXPECT_EQ(Value("S", "k"), "1");
    fs.failWrites = err::kDiskFull;
    EXPECT_FALSE(eng.WriteString(kFile, "S", "k", "2"));
    EXPECT_EQ(Value("S", "k"), "1");
    fs.failWrites = 0;
    EXPECT_FALSE(eng.WriteString("C:\\no folder\\x.ini", "S", "k", "2"));
    EXPECT_TRUE(eng.WriteString(kFile, "S", "j", "3"));
    EXPECT_EQ(Bytes(), "[S]\r\nk=1\r\nj=3\r\n");
}

TEST_F(IniEngine, UnreadableFileIsNeverOverwritten) {
    fs.MakeFolder("C:\\dir.ini");
    EXPECT_EQ(eng.Value("C:\\dir.ini", "S", "k"), std::nullopt);
    EXPECT_FALSE(eng.WriteString("C:\\dir.ini", "S", "k", "v"));
    EXPECT_TRUE(fs.IsFolder("C:\\dir.ini"));
}

// A batch must leave exactly the bytes of the same calls made one by one.
TEST_F(IniEngine, BatchEqualsSequentialWrites) {
    const std::string start = "; list\r\n[Items]\r\n1=a\r\n\r\n[Index]\r\nCount=1\r\n";
    std::mt19937 rng(7);
    std::vector<std::string> sections = {"Items", "index", "New", " Other "};
    fs.WriteAll("C:\\seq.ini", start);
    fs.WriteAll("C:\\bat.ini", start);
    Engine::Batch batch = eng.Begin("C:\\bat.ini");
    for (int i = 0; i < 400; ++i) {
        std::string s = sections[rng() % sections.size()];
        std::string k = std::to_string(rng() % 30);
        switch (rng() % 6) {
        case 0:
            eng.WriteString("C:\\seq.ini", s, k, std::nullopt);
            batch.DeleteKey(s, k);
            break;
        case 1:
            if (rng() % 8 == 0) {
                eng.WriteString("C:\\seq.ini", s, std::nullopt, std::nullopt);
                batch.DeleteSection(s);
                break;
            }
            [[fallthrough]];
        default:
            eng.WriteString("C:\\seq.ini", s, k, "v" + std::to_string(i));
            batch.Write(s, k, "v" + std::to_string(i));
        }
    }
    int before = fs.writes;
    batch.Commit();
    EXPECT_EQ(fs.writes, before + 1);
    EXPECT_EQ(batch.Pending(), 0u);
    EXPECT_EQ(fs.ReadAll("C:\\bat.ini"), fs.ReadAll("C:\\seq.ini"));
}

TEST_F(IniEngine, BatchAppliesToTheFileAsItIsAtCommit) {
    Put("[S]\r\na=1\r\n");
    Engine::Batch batch = eng.Begin(kFile);
    batch.Write("S", "b", "2");
    EXPECT_EQ(Value("S", "b"), "<default>"); // not committed yet
    Put("[S]\r\na=changed\r\n");
    batch.Commit();
    EXPECT_EQ(Bytes(), "[S]\r\na=changed\r\nb=2\r\n");
    EXPECT_EQ(Value("S", "b"), "2");
}

TEST_F(IniEngine, FailedBatchCommitThrowsAndChangesNothing) {
    Put("[S]\r\na=1\r\n");
    Engine::Batch batch = eng.Begin(kFile);
    batch.Write("S", "a", "2");
    fs.failWrites = err::kDiskFull;
    try {
        batch.Commit();
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), err::kDiskFull);
    }
    EXPECT_EQ(Bytes(), "[S]\r\na=1\r\n");
    EXPECT_EQ(Value("S", "a"), "1");
}

TEST(Profiles, FollowsTheInstalledFileSystemEvenAtTheSameAddress) {
    std::optional<MemoryFileSystem> slot;
    slot.emplace();
    Sys().files = &*slot;
    slot->WriteAll("C:\\a.ini", "[S]\r\nk=1\r\n");
    EXPECT_EQ(Profiles().Value("C:\\a.ini", "S", "k"), "1");
    slot.emplace(); // a new file system where the old one lived
    slot->WriteAll("C:\\a.ini", "[S]\r\nk=2\r\n");
    EXPECT_EQ(Profiles().Value("C:\\a.ini", "S", "k"), "2");
    Sys().files = nullptr;
    EXPECT_THROW(Profiles(), VbError);
}

} // namespace
} // namespace tamber::ini

namespace tamber::ini {
namespace {

std::string RandomName(std::mt19937& rng) {
    static const std::vector<std::string> parts = {"a", "A", "b", "\xE9", "\xC9", " ", "=",
                                                   "[", "]", ";", "\t",   "1",    "2", "\r\n"};
    std::string s;
    for (int n = 1 + rng() % 3; n > 0; --n)
        s += parts[rng() % (rng() % 4 ? 6 : parts.size())];
    return s;
}

// The parsed copy kept after edits reads exactly as the written file read afresh, and a
// batch committed over that copy leaves the bytes of the same writes made one by one.
TEST_F(IniEngine, ParsedCopyStaysAsItWasForItsHolder) {
    Put("[Index]\r\nCount=3\r\n[Items]\r\n");
    {
        const std::vector<std::string_view> values = {"x", "y", "z"};
        Engine::Batch batch = eng.Begin(kFile);
        batch.WriteNumbered("Items", 1, values);
        batch.Commit();
    }
    std::shared_ptr<const Document> doc = eng.Parse(kFile);
    EXPECT_EQ(eng.Parse(kFile), doc); // unchanged file: the same copy
    std::string_view count = doc->FindValue("Index", "Count").value();
    // The run written in one piece is split into lines on this first search; the views
    // earlier reads returned stay valid.
    EXPECT_EQ(doc->FindValue("Items", "2"), "y");
    EXPECT_EQ(doc->KeyNames("items"), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(count, "3");
    // Later writes leave the holder's copy alone.
    EXPECT_TRUE(eng.WriteString(kFile, "Index", "Count", "4"));
    Engine::Batch batch = eng.Begin(kFile);
    batch.DeleteSection("Items");
    batch.Commit();
    EXPECT_EQ(count, "3");
    EXPECT_EQ(doc->FindValue("Items", "3"), "z");
    EXPECT_EQ(Value("Index", "Count"), "4");
    EXPECT_EQ(Value("Items", "3"), "<default>");
    EXPECT_EQ(eng.Parse("C:\\none.ini")->SectionNames(), std::vector<std::string>{});
}

TEST_F(IniEngine, EditedCopyReadsAsTheFileReadAfresh) {
    std::mt19937 rng(3);
    for (int round = 0; round < 30; ++round) {
        std::string start = round % 3 ? "x=0\r\n[A]\r\na=1\r\n;c\r\n\r\n[b]\nB=2\r[A]\r\na=3" : "";
        fs.WriteAll("C:\\seq.ini", start);
        fs.WriteAll("C:\\bat.ini", start);
        eng.Forget();
        (void)eng.Value("C:\\bat.ini", "A", "a"); // parsed and current before the batch
        Engine::Batch batch = eng.Begin("C:\\bat.ini");
        for (int i = 0; i < 40; ++i) {
            std::string s = RandomName(rng), k = RandomName(rng);
            std::string v = rng() % 5 ? "v" + std::to_string(i) : RandomName(rng);
            switch (rng() % 7) {
            case 0:
                eng.WriteString("C:\\seq.ini", s, k, std::nullopt);
                batch.DeleteKey(s, k);
                break;
            case 1:
                eng.WriteString("C:\\seq.ini", s, std::nullopt, std::nullopt);
                batch.DeleteSection(s);
                break;
            default:
                eng.WriteString("C:\\seq.ini", s, k, v);
                batch.Write(s, k, v);
            }
            MemoryFileSystem fresh;
            fresh.WriteAll("C:\\seq.ini", fs.ReadAll("C:\\seq.ini").value_or(""));
            Engine reader(fresh);
            ASSERT_EQ(Snapshot(eng, "C:\\seq.ini"), Snapshot(reader, "C:\\seq.ini"))
                << "round " << round << " step " << i;
            if (i % 13 == 12) batch.Commit(); // commits over the copy the last commit left
        }
        batch.Commit();
        ASSERT_EQ(fs.ReadAll("C:\\bat.ini"), fs.ReadAll("C:\\seq.ini")) << "round " << round;
        Engine reader(fs);
        ASSERT_EQ(Snapshot(eng, "C:\\bat.ini"), Snapshot(reader, "C:\\bat.ini"));
    }
}

// Runs of numbered keys written to an emptied section (the shape of a list save) leave the
// bytes of the same writes made one by one, whatever the values and the file around them.
TEST_F(IniEngine, NumberedRunsEqualSequentialWrites) {
    const std::vector<std::string> starts = {
        "", "[Items]", "[Items]\r\n;c\r\nfree text\r\n[Index]\r\nCount=2\r\n",
        "[Index]\r\nCount=1\r\n[Items]\r\n1=old\r\n[items]\r\n9=dup"};
    const std::vector<std::string> values = {"v",   "",         "  padded  ", "\"q\"",
                                             "a=b", "x\r\n5=y", ";v"};
    std::mt19937 rng(5);
    for (int round = 0; round < 60; ++round) {
        const std::string& start = starts[round % starts.size()];
        fs.WriteAll("C:\\seq.ini", start);
        fs.WriteAll("C:\\bat.ini", start);
        eng.Forget();
        if (round % 2) (void)eng.Value("C:\\bat.ini", "Items", "1"); // commit over the copy
        Engine::Batch batch = eng.Begin("C:\\bat.ini");
        auto write = [&](const std::string& s, const std::string& k, const std::string& v) {
            eng.WriteString("C:\\seq.ini", s, k, v);
            batch.Write(s, k, v);
        };
        if (rng() % 4) {
            eng.WriteString("C:\\seq.ini", "Items", std::nullopt, std::nullopt);
            batch.DeleteSection("Items");
        }
        int n = 1 + rng() % 12;
        for (int i = 1; i <= n; ++i) {
            // Now and then a number out of order, repeated, or not a plain number.
            std::string key = std::to_string(rng() % 9 ? i : rng() % 4);
            if (rng() % 15 == 0) key = "0" + key;
            write(rng() % 10 ? "Items" : "ITEMS", key,
                  values[rng() % 3 ? 0 : rng() % values.size()]);
        }
        write("Index", "Count", std::to_string(n));
        batch.Commit();
        ASSERT_EQ(fs.ReadAll("C:\\bat.ini"), fs.ReadAll("C:\\seq.ini")) << "round " << round;
        Engine reader(fs);
        ASSERT_EQ(Snapshot(eng, "C:\\bat.ini"), Snapshot(reader, "C:\\bat.ini"))
            << "round " << round;
    }
}

// A numbered run staged as one change leaves the bytes of its writes made one by one: into
// an emptied, missing or filled section, with awkward values, numbers that gain a digit, and
// commits made over the copy earlier commits left.
TEST_F(IniEngine, StagedNumberedRunEqualsItsWritesOneByOne) {
    const std::vector<std::string> starts = {
        "", "[Items]", "[ Items ]\r\n;c\r\n\r\n[Index]\r\nCount=2",
        "[Index]\r\nCount=1\r\n[Items]\r\n1=old\r\n[items]\r\n9=dup", "[Items]\r\n7=x"};
    const std::vector<std::string> values = {"v",        "",   "  padded\t", "\"q\"",    "a=b",
                                             "x\r\n5=y", ";v", "[s]",        "\xE9\xC9", "tail\r"};
    const std::vector<std::size_t> firsts = {1, 8, 9, 95, 0, 999};
    std::mt19937 rng(11);
    for (int round = 0; round < 80; ++round) {
        const std::string& start = starts[round % starts.size()];
        fs.WriteAll("C:\\seq.ini", start);
        fs.WriteAll("C:\\bat.ini", start);
        eng.Forget();
        Engine::Batch batch = eng.Begin("C:\\bat.ini");
        for (int commit = 0; commit < 3; ++commit) {
            bool emptied = rng() % 4 != 0;
            if (emptied) {
                eng.WriteString("C:\\seq.ini", "Items", std::nullopt, std::nullopt);
                batch.DeleteSection("Items");
            }
            // Also names no header can spell back: each write then adds a section.
            const char* odd[] = {" items ", "It]ems", "\tItems", "Items]"};
            std::string section = rng() % 3 ? "Items" : odd[rng() % 4];
            std::size_t first = firsts[rng() % firsts.size()];
            std::vector<std::string> owned(1 + rng() % 14);
            for (std::string& v : owned)
                v = rng() % 3 ? "item" + std::to_string(rng() % 100)
                              : values[rng() % values.size()];
            std::vector<std::string_view> views(owned.begin(), owned.end());
            for (std::size_t i = 0; i < owned.size(); ++i)
                eng.WriteString("C:\\seq.ini", section, std::to_string(first + i), owned[i]);
            batch.WriteNumbered(section, first, views);
            EXPECT_EQ(batch.Pending(), owned.size() + (emptied ? 1 : 0)); // a write each
            if (rng() % 3 == 0) { // later changes in the same commit find the run's keys
                const std::string key = std::to_string(first + rng() % (owned.size() + 1));
                eng.WriteString("C:\\seq.ini", section, key, "over");
                batch.Write(section, key, "over");
                eng.WriteString("C:\\seq.ini", section, std::to_string(first), std::nullopt);
                batch.DeleteKey(section, std::to_string(first));
            }
            if (rng() % 3 == 0) { // a second run, into the room the first may have left
                eng.WriteString("C:\\seq.ini", "Spare", std::nullopt, std::nullopt);
                batch.DeleteSection("Spare");
                for (std::size_t i = 0; i < owned.size(); ++i)
                    eng.WriteString("C:\\seq.ini", "Spare", std::to_string(i + 1), owned[i]);
                batch.WriteNumbered("Spare", 1, views);
            }
            owned.assign(owned.size(), "gone"); // the batch keeps its own copy
            eng.WriteString("C:\\seq.ini", "Index", "Count", std::to_string(round));
            batch.Write("Index", "Count", std::to_string(round));
            batch.Commit();
            ASSERT_EQ(fs.ReadAll("C:\\bat.ini"), fs.ReadAll("C:\\seq.ini"))
                << "round " << round << " commit " << commit;
            Engine reader(fs);
            ASSERT_EQ(Snapshot(eng, "C:\\bat.ini"), Snapshot(reader, "C:\\bat.ini"))
                << "round " << round << " commit " << commit;
        }
    }
}

// Saves of a large list over the copy the last one left, its text compacted now in place
// and now (after a save that drops most lines) by rebuilding: every read and later edit of
// that copy matches the file read afresh.
TEST_F(IniEngine, CopyKeptAcrossLargeSavesReadsAsTheFile) {
    fs.WriteAll(kFile, "; lists\r\n[Index]\r\nCount=0\r\n");
    for (int pass = 0; pass < 7; ++pass) {
        std::vector<std::string> owned(pass == 4 ? 10 : 20000);
        for (std::size_t i = 0; i < owned.size(); ++i)
            owned[i] = "item " + std::to_string(pass) + "-" + std::to_string(i % 97);
        std::vector<std::string_view> views(owned.begin(), owned.end());
        Engine::Batch batch = eng.Begin(kFile);
        batch.DeleteSection("Items");
        batch.WriteNumbered("Items", 1, views);
        batch.Write("Index", "Count", std::to_string(owned.size()));
        batch.Commit();
        ASSERT_EQ(Value("Items", std::to_string(owned.size())), owned.back()) << "pass " << pass;
        EXPECT_TRUE(eng.WriteString(kFile, "Items", "3", "changed"));
        EXPECT_TRUE(eng.WriteString(kFile, "Items", "2", std::nullopt));
        EXPECT_TRUE(eng.WriteString(kFile, "Index", "a", "1"));
        Engine reader(fs);
        ASSERT_EQ(Snapshot(eng, kFile), Snapshot(reader, kFile)) << "pass " << pass;
    }
}

// A large section: lookups, updates and deletions through the hash index, and the copy kept
// after several commits, against the file read afresh.
TEST_F(IniEngine, LargeSectionsStayConsistentAcrossCommits) {
    for (int pass = 0; pass < 3; ++pass) {
        Engine::Batch batch = eng.Begin(kFile);
        batch.DeleteSection("Items");
        for (int i = 1; i <= 3000; ++i)
            batch.Write("Items", std::to_string(i), "item " + std::to_string(i * (pass + 1)));
        for (int i = 2; i <= 3000; i += 7)
            batch.DeleteKey("ITEMS", std::to_string(i));
        batch.Write("Index", "Count", std::to_string(3000 + pass));
        batch.Commit();
        EXPECT_EQ(Value("items", "1"), "item " + std::to_string(pass + 1));
        EXPECT_EQ(Value("Items", "2"), "<default>");
        EXPECT_EQ(Value("Items", "3000"), "item " + std::to_string(3000 * (pass + 1)));
        Engine reader(fs);
        ASSERT_EQ(Snapshot(eng, kFile), Snapshot(reader, kFile)) << "pass " << pass;
    }
    EXPECT_EQ(eng.Keys(kFile, "Items").size(), 3000u - 429u);
}

} // namespace
} // namespace tamber::ini
