#include "staticlists/listfiles/static_lists.h"

#include <algorithm>
#include <random>

#include "common/vb_error.h"
#include "staticlists/listfiles/list_file.h"
#include "staticlists/listfiles/list_test_env.h"

namespace tamber::staticlists {
namespace {

class StaticListTest : public ListFolderTest {
  protected:
    const std::string file = "C:\\Data\\Fruit.lst";
};

// --- Saving: the file layout, byte for byte -------------------------------------------------

TEST_F(StaticListTest, SaveSortsDropsEmptyLinesAndIndexesRuns) {
    ASSERT_TRUE(SaveList(file, "b\r\n\r\na"));
    EXPECT_EQ(Bytes(file), "[Items]\r\n1=a\r\n2=b\r\n[Index]\r\nCount=2\r\na=1\r\nb=2\r\n");
}

TEST_F(StaticListTest, FirstCharactersDifferingInCaseFormOneRun) {
    ASSERT_TRUE(SaveList(file, "apple\r\nAvocado\r\nbanana"));
    EXPECT_EQ(
        Bytes(file),
        "[Items]\r\n1=Avocado\r\n2=apple\r\n3=banana\r\n[Index]\r\nCount=3\r\na=1\r\nb=3\r\n");
}

TEST_F(StaticListTest, LaterRunOfALetterReplacesTheEarlierOne) {
    ASSERT_TRUE(SaveList(file, "apple\r\nBanana\r\nApple"));
    EXPECT_EQ(Bytes(file),
              "[Items]\r\n1=Apple\r\n2=Banana\r\n3=apple\r\n[Index]\r\nCount=3\r\na=3\r\nb=2\r\n");
}

TEST_F(StaticListTest, FinalLineBreakMakesNoDifference) {
    ASSERT_TRUE(SaveList(file, "pear\r\nfig"));
    std::string without = Bytes(file);
    fs.Remove(file);
    ASSERT_TRUE(SaveList(file, "pear\r\nfig\r\n"));
    EXPECT_EQ(Bytes(file), without);
}

TEST_F(StaticListTest, ResaveReplacesItemsButKeepsLeftoverIndexLetters) {
    ASSERT_TRUE(SaveList(file, "apple\r\nbanana"));
    ASSERT_TRUE(SaveList(file, "cherry"));
    // [Items] is deleted and written anew at the end; [Index] is updated in place.
    EXPECT_EQ(Bytes(file), "[Index]\r\nCount=1\r\na=1\r\nb=2\r\nc=1\r\n[Items]\r\n1=cherry\r\n");
    EXPECT_EQ(ReadList(file), std::vector<std::string>{"cherry"});
}

TEST_F(StaticListTest, FirstCharactersTheFileCannotHoldAsKeysAreFoundFromTheList) {
    // As keys, ";" would make a comment line, "[" a section header and "=" an empty name.
    ASSERT_TRUE(SaveList(file, "a\r\n[y\r\n=z\r\n;x"));
    EXPECT_EQ(Bytes(file), "[Items]\r\n1=;x\r\n2==z\r\n3=[y\r\n4=a\r\n"
                           "[Index]\r\nCount=4\r\na=4\r\n");
    EXPECT_EQ(listfile::ListReader(file).RunStartOf('['), 3);
    EXPECT_EQ(ReadList(file), (std::vector<std::string>{";x", "=z", "[y", "a"}));
    EXPECT_EQ(listfile::ListReader(file).RunStartOf('a'), 4);
    EXPECT_EQ(listfile::ListReader(file).Count(), 4);
}

TEST_F(StaticListTest, LoneCarriageReturnsAndLineFeedsAlsoEndLines) {
    // Kept inside an item they would end its line in the file and lose the rest.
    ASSERT_TRUE(SaveList(file, "kiwi\rlime\nmango\r\n"));
    EXPECT_EQ(ReadList(file), (std::vector<std::string>{"kiwi", "lime", "mango"}));
}

TEST_F(StaticListTest, SaveIsOneWholeFileWrite) {
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "item " + std::to_string(i) + "\r\n";
    int before = fs.writes;
    ASSERT_TRUE(SaveList(file, text));
    EXPECT_EQ(fs.writes, before + 1);
    EXPECT_EQ(ReadList(file).size(), 5000u);
}

TEST_F(StaticListTest, FailedWriteLeavesTheOldListAndReportsIt) {
    ASSERT_TRUE(SaveList(file, "old"));
    std::string old = Bytes(file);
    fs.failWrites = err::kDiskFull;
    EXPECT_FALSE(SaveList(file, "new\r\nnewer"));
    fs.failWrites = 0;
    EXPECT_EQ(Bytes(file), old);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("Error 61"), std::string::npos);
}

TEST_F(StaticListTest, ListOverTheEditorLimitIsRefusedBeforeAnyWrite) {
    ASSERT_TRUE(SaveList(file, "keep"));
    std::string text;
    for (int i = 0; i <= kMaxItems; ++i)
        text += "x" + std::to_string(i) + "\r\n\r\n";
    int before = fs.writes;
    EXPECT_FALSE(SaveList(file, text));
    EXPECT_EQ(fs.writes, before);
    EXPECT_EQ(ReadList(file), std::vector<std::string>{"keep"});
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("has 32768 items"), std::string::npos);
    EXPECT_NE(dialogs.shown[0].prompt.find("nothing was saved"), std::string::npos);
}

TEST_F(StaticListTest, ListAtTheLimitIsSavedAndReadWhole) {
    std::string text;
    for (int i = 0; i < kMaxItems; ++i)
        text += std::to_string(100000 + i) + "\r\n";
    ASSERT_TRUE(SaveList(file, text));
    std::vector<std::string> items = ReadList(file);
    ASSERT_EQ(items.size(), static_cast<std::size_t>(kMaxItems));
    EXPECT_EQ(items.front(), "100000");
    EXPECT_EQ(items.back(), std::to_string(100000 + kMaxItems - 1));
    EXPECT_EQ(listfile::ListReader(file).Count(), kMaxItems);
}

// --- Reading -----------------------------------------------------------------------------------

TEST_F(StaticListTest, ReadCountsToTheLastKeyAndGapsReadEmpty) {
    fs.WriteAll(file, "[Items]\r\n1=one\r\n2=two\r\n5=five\r\n");
    EXPECT_EQ(ReadList(file), (std::vector<std::string>{"one", "two", "", "", "five"}));
    EXPECT_EQ(ReadListText(file), "one\r\ntwo\r\n\r\n\r\nfive\r\n");
}

TEST_F(StaticListTest, MissingFileOrItemsSectionIsAnEmptyList) {
    EXPECT_TRUE(ReadList(file).empty());
    EXPECT_EQ(ReadListText(file), "");
    fs.WriteAll(file, "[Index]\r\nCount=3\r\n[Items]\r\n");
    EXPECT_TRUE(ReadList(file).empty());
}

TEST_F(StaticListTest, QuotedItemComesBackWithItsQuotes) {
    ASSERT_TRUE(SaveList(file, "\"quoted\""));
    EXPECT_EQ(ReadList(file), std::vector<std::string>{"\"quoted\""});
}

// --- Round trip on random lists ------------------------------------------------------------

// First characters: ASCII and accented letters of both cases, digits and punctuation.
const std::string kFirsts =
    "AaBbZzMm09_-()&%$!#.,+@~{}';[=\xC9\xE9\xC0\xE0\xD6\xF6\x8A\x9A\xDF\xB5\xA9";
const std::string kRest = "abcXYZ \xE9\xE8\xFC-.,;:=[]|!?0123456789\"'";

std::string RandomLine(std::mt19937& rng) {
    std::uniform_int_distribution<int> len(0, 12), kind(0, 9);
    if (kind(rng) < 2) return ""; // empty lines are dropped by the save
    std::string line(1, kFirsts[rng() % kFirsts.size()]);
    int n = len(rng);
    for (int i = 0; i < n; ++i)
        line += kRest[rng() % kRest.size()];
    while (line.back() == ' ')
        line.pop_back(); // the file keeps no outer blanks
    if (line.size() > 1 && (line.front() == '"' || line.front() == '\'') &&
        line.back() == line.front())
        line += 'q'; // enclosing quotes are removed on reading
    return line;
}

TEST_F(StaticListTest, RandomListsReadBackSortedWithRunStartsIndexed) {
    const int sizes[] = {0, 1, 7, 250, 777, 3000, 12000, 40000};
    std::mt19937 rng(20240607);
    for (int size : sizes) {
        SCOPED_TRACE(size);
        std::string text;
        std::vector<std::string> expected;
        for (int i = 0; i < size; ++i) {
            std::string line = RandomLine(rng);
            if (!line.empty()) expected.push_back(line);
            text += line + "\r\n";
        }
        std::sort(expected.begin(), expected.end());
        if (expected.size() > static_cast<std::size_t>(kMaxItems)) {
            expected.resize(kMaxItems);
            text.clear();
            for (const std::string& line : expected)
                text += line + "\r\n";
        }
        if (fs.Exists(file)) fs.Remove(file);
        ASSERT_TRUE(SaveList(file, text));
        ASSERT_EQ(ReadList(file), expected);
        ASSERT_EQ(listfile::ListReader(file).Count(), static_cast<std::int32_t>(expected.size()));

        // Every letter's key names the first item of its last run.
        for (const listfile::RunStart& run : listfile::RunStarts(expected)) {
            const std::string& letter = run.letter;
            // These cannot be keys of a profile file: a comment, a section header, an "=".
            if (letter == ";" || letter == "[" || letter == "=") continue;
            std::optional<std::int32_t> start = listfile::ListReader(file).RunStartOf(letter[0]);
            ASSERT_TRUE(start) << letter;
            std::size_t at = static_cast<std::size_t>(*start) - 1;
            ASSERT_LT(at, expected.size());
            EXPECT_EQ(listfile::IndexLetter(expected[at]), letter);
            if (at > 0) {
                EXPECT_NE(listfile::IndexLetter(expected[at - 1]), letter);
            }
            for (std::size_t i = at + 1; i < expected.size(); ++i) {
                bool laterRun = listfile::IndexLetter(expected[i - 1]) != letter &&
                                listfile::IndexLetter(expected[i]) == letter;
                ASSERT_FALSE(laterRun) << "a later run of " << letter << " begins at " << i + 1;
            }
        }
    }
}

// --- Sorting -------------------------------------------------------------------------------

TEST(SaveOrder, IsTheCharacterCodeOrder) {
    EXPECT_EQ(SortedItems("apple\r\nZebra\r\n\xE9t\xE9\r\nzoo\r\nApple\r\n10\r\n9\r\n\r\n"),
              (std::vector<std::string>{"10", "9", "Apple", "Zebra", "apple", "zoo", "\xE9t\xE9"}));
}

TEST(SaveOrder, MatchesAPlainSortOnRandomLists) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        std::vector<std::string> v(rng() % 60);
        for (auto& s : v) {
            s = RandomLine(rng);
            if (s.empty()) s = "x";
        }
        std::string text;
        for (const auto& s : v)
            text += s + "\r\n";
        std::sort(v.begin(), v.end()); // char_traits compares as unsigned char
        ASSERT_EQ(v, SortedItems(text));
    }
}

// Items that share long beginnings, contain NUL and high bytes, or are beginnings of each
// other: the order must still be the plain character-code order.
TEST(SaveOrder, MatchesAPlainSortOnItemsSharingLongPrefixes) {
    std::mt19937 rng(11);
    const std::string alphabet("a\0\xE9\x7F", 4);
    for (int round = 0; round < 40; ++round) {
        std::vector<std::string> v(2 + rng() % 80);
        for (auto& s : v) {
            s = std::string(rng() % 3 ? 8 : rng() % 9, 'a');
            for (int n = rng() % 5; n > 0; --n)
                s += alphabet[rng() % alphabet.size()];
            if (s.empty()) s = "b";
        }
        std::string text;
        for (const auto& s : v)
            text += s + "\r\n";
        std::sort(v.begin(), v.end()); // char_traits compares as unsigned char
        ASSERT_EQ(v, SortedItems(text));
    }
}

// Any bytes, line breaks of every kind at every position, a last line with or without its
// break: the items are the text's lines between breaks, empty ones dropped, in plain
// unsigned character-code order.
TEST(SortedItems, SplitsAtEveryBreakAndSortsByUnsignedCode) {
    std::mt19937 rng(23);
    const std::string bytes("ab\r\n\0\x8D\x8A\x0D\x8A\xFF\x7F\xE9 ", 13);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        for (int n = rng() % 120; n > 0; --n)
            text += rng() % 3 ? 'a' + static_cast<char>(rng() % 3) : bytes[rng() % bytes.size()];
        std::vector<std::string> expected;
        std::string line;
        for (char c : text + '\n') {
            if (c != '\r' && c != '\n') {
                line += c;
            } else if (!line.empty()) {
                expected.push_back(line);
                line.clear();
            }
        }
        std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
            return std::lexicographical_compare(
                a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
                });
        });
        ASSERT_EQ(SortedItems(text), expected) << "round " << round;
    }
}

// Lists long enough to fill the sort's buckets past their small-run limit, against the
// items split plainly and put in order by std::sort: random bytes of every value, items
// sharing long beginnings (one bucket, equal first eight bytes), few distinct items many
// times over, items that are beginnings of each other or differ only by trailing NULs, and
// every kind of break between them.
TEST(SortedItems, LongListsSortAsStdSortDoes) {
    std::mt19937 rng(31);
    const char* breaks[] = {"\r\n", "\n", "\r", "\n\r", "\r\n\r\n", "\n\n\n"};
    auto randomBytes = [&rng](std::size_t len, std::string_view alphabet) {
        std::string s;
        for (std::size_t i = 0; i < len; ++i) {
            char c = alphabet.empty() ? static_cast<char>(rng() % 256)
                                      : alphabet[rng() % alphabet.size()];
            s += c == '\r' || c == '\n' ? 'x' : c;
        }
        return s;
    };
    const std::string nulHigh("a\0\x80\xFF", 4);
    for (int round = 0; round < 56; ++round) {
        const int shape = round % 7;
        std::vector<std::string> items(shape == 5   ? 23 + round % 4
                                       : shape == 6 ? 4 + rng() % 90
                                                    : 200 + rng() % 3000);
        std::vector<std::string> few;
        for (int k = 0; k < 5; ++k)
            few.push_back(randomBytes(1 + rng() % 12, {}));
        for (std::string& item : items) {
            switch (shape) {
            case 0:
                item = randomBytes(1 + rng() % 40, {});
                break;
            case 1:
                item = std::string(12, 'p') + randomBytes(rng() % 6, nulHigh);
                break;
            case 2:
                item = few[rng() % few.size()];
                break;
            case 3:
                item = "ab" + randomBytes(rng() % 10, nulHigh);
                break;
            case 4:
                item = randomBytes(1 + rng() % 3, "\x01\x7F\x80\xFE");
                break;
            case 5:
                item = "zz" + std::string(6, 'm') + randomBytes(rng() % 4, nulHigh);
                break;
            default:
                item = randomBytes(2, "ab") + "cdefgh" + randomBytes(rng() % 4, nulHigh);
            }
        }
        std::string text = rng() % 2 ? "\r\n" : "";
        for (std::size_t k = 0; k < items.size(); ++k) {
            text += items[k];
            if (k + 1 < items.size() || rng() % 2) text += breaks[rng() % std::size(breaks)];
        }
        std::vector<std::string> expected = items;
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(SortedItems(text), expected) << "round " << round;
    }
}

// --- Names ---------------------------------------------------------------------------------

TEST_F(StaticListTest, NoListFileGivesTheMarkerAndNoNames) {
    fs.WriteAll("C:\\Data\\Contacts.ini", "[57]\r\nType=0\r\n");
    ExistingLists lists = Get_Existing_Lists();
    EXPECT_TRUE(IsNoListMarker(lists));
    EXPECT_EQ(std::get<std::string>(lists), "aucuneliste001");
    EXPECT_EQ(Get_List_string(), "");
    EXPECT_FALSE(Name_Taken("aucuneliste001", ""));
    EXPECT_FALSE(Name_Taken("Fruit", ""));
}

TEST_F(StaticListTest, ListNamesAreFileNamesWithoutExtension) {
    fs.WriteAll("C:\\Data\\Fruit.lst", "");
    fs.WriteAll("C:\\Data\\Sizes.LST", "");
    fs.WriteAll("C:\\Data\\Contacts.ini", "");
    ExistingLists lists = Get_Existing_Lists();
    ASSERT_FALSE(IsNoListMarker(lists));
    auto names = std::get<std::vector<std::string>>(lists);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Fruit", "Sizes"}));
    std::string all = Get_List_string();
    EXPECT_TRUE(all == "Fruit|Sizes|" || all == "Sizes|Fruit|") << all;
}

TEST_F(StaticListTest, NameTakenIgnoresCaseExceptForTheListBeingRenamed) {
    fs.WriteAll("C:\\Data\\Fruit.lst", "");
    fs.WriteAll("C:\\Data\\Sizes.lst", "");
    EXPECT_TRUE(Name_Taken("fruit", ""));
    EXPECT_TRUE(Name_Taken("SIZES", "Fruit"));
    EXPECT_FALSE(Name_Taken("FRUIT", "Fruit"));
    EXPECT_FALSE(Name_Taken("Colours", "Fruit"));
    // The code page's case pairs beyond ASCII, the OE ligature among them.
    fs.WriteAll("C:\\Data\\\x9Cuvres.lst", "");
    EXPECT_TRUE(Name_Taken("\x8CUVRES", ""));
    EXPECT_FALSE(Name_Taken("OEUVRES", ""));
}

TEST(ValidateText, PassesFilterCharactersInEitherCaseAndBeepsOtherwise) {
    static int beeps = 0;
    SetBeepHook([] { ++beeps; });
    ScriptedDialogs dialogs;
    ScopedDialogs scoped(dialogs);
    for (char c : std::string("aZ09_-()&%$!|><\xE9\xC9\xC0\xD2\xD9\xCC\xEC"))
        EXPECT_EQ(ValidateText(static_cast<unsigned char>(c), kNameFilter, true),
                  static_cast<unsigned char>(c))
            << c;
    EXPECT_EQ(beeps, 0);
    for (char c : std::string(" .,/\\*?\"'\xE8\xC8\t"))
        EXPECT_EQ(ValidateText(static_cast<unsigned char>(c), kNameFilter, true), 0) << c;
    EXPECT_EQ(beeps, 12);
    EXPECT_EQ(ValidateText(8, kNameFilter, true), 8);
    EXPECT_EQ(ValidateText(8, kNameFilter, false), 0);
    EXPECT_EQ(beeps, 13);
    EXPECT_TRUE(dialogs.shown.empty());
    SetBeepHook(nullptr);
}

TEST(ListNameCheck, RefusesWhatCannotBeAFileName) {
    struct Case {
        const char* name;
        const char* says; // a part of the message; "" when the name is fine
    };
    const Case cases[] = {
        {"Fruit", ""},          {"(a)&b%$!", ""},         {"con2", ""},
        {"COM0", ""},           {"\xE9t\xE9", ""},        {"", "type a name"},
        {"a|b", "character |"}, {"a<b", "character <"},   {"a>b", "character >"},
        {"a:b", "character :"}, {"a\"b", "character \""}, {"a\\b", "character \\"},
        {"a/b", "character /"}, {"a*b", "character *"},   {"a?b", "character ?"},
        {"a\tb", "control"},    {"Fruit ", "end with"},   {"Fruit.", "end with"},
        {"con", "reserved"},    {"NUL", "reserved"},      {"Aux.txt", "reserved"},
        {"com7", "reserved"},   {"LPT1.a.b", "reserved"}, {"prn .x", "reserved"},
    };
    for (const Case& c : cases) {
        std::string problem = ListNameProblem(c.name);
        if (std::string(c.says).empty())
            EXPECT_EQ(problem, "") << c.name;
        else
            EXPECT_NE(problem.find(c.says), std::string::npos) << c.name << ": " << problem;
    }
    ScriptedDialogs dialogs;
    ScopedDialogs scoped(dialogs);
    EXPECT_FALSE(CheckListName("LPT3"));
    EXPECT_TRUE(CheckListName("Sizes"));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt,
              "\"LPT3\" is a device name reserved by Windows and cannot be used as a list name.");
}

// --- Rename and delete ---------------------------------------------------------------------

TEST_F(StaticListTest, RenameCopiesToTheNewNameAndDeletesTheOld) {
    ASSERT_TRUE(SaveList(file, "a\r\nb"));
    std::string bytes = Bytes(file);
    RenameList("Fruit", "Snacks");
    EXPECT_FALSE(fs.Exists(file));
    EXPECT_EQ(Bytes("C:\\Data\\Snacks.lst"), bytes);
    EXPECT_EQ(ReadList(ListPath("Snacks")), (std::vector<std::string>{"a", "b"}));
}

TEST_F(StaticListTest, RenameChangingOnlyTheCaseKeepsTheList) {
    ASSERT_TRUE(SaveList(file, "a\r\nb"));
    RenameList("Fruit", "FRUIT");
    auto names = std::get<std::vector<std::string>>(Get_Existing_Lists());
    EXPECT_EQ(names, std::vector<std::string>{"FRUIT"});
    EXPECT_EQ(ReadList(ListPath("FRUIT")), (std::vector<std::string>{"a", "b"}));
}

TEST_F(StaticListTest, DeleteRemovesTheFile) {
    ASSERT_TRUE(SaveList(file, "a"));
    DeleteList("Fruit");
    EXPECT_TRUE(IsNoListMarker(Get_Existing_Lists()));
    EXPECT_THROW(DeleteList("Fruit"), VbError);
}

} // namespace
} // namespace tamber::staticlists
