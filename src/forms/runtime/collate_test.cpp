#include "forms/runtime/collate.h"

#include <gtest/gtest.h>

#include "forms/runtime/forms.h"

namespace tamber::forms {
namespace {

TEST(Collate, IgnoresCaseButNotOtherDifferences) {
    EXPECT_EQ(CompareListText("Smith", "SMITH"), 0);
    EXPECT_LT(CompareListText("Smith", "Smithe"), 0);
    EXPECT_GT(CompareListText("b", "A"), 0);
}

TEST(Collate, SymbolsBeforeDigitsBeforeLetters) {
    EXPECT_LT(CompareListText("~tilde", "0"), 0);
    EXPECT_LT(CompareListText("_x", "1"), 0);
    EXPECT_LT(CompareListText("9", "a"), 0);
    EXPECT_LT(CompareListText("{", "A"), 0);
    EXPECT_LT(CompareListText("~", "+"), 0); // mathematical symbols after the others
    EXPECT_LT(CompareListText("=", "0"), 0);
}

TEST(Collate, AccentedLettersSortWithTheirBaseLetter) {
    EXPECT_LT(CompareListText("\xE9t\xE9", "f"), 0); // "été" before "f"
    EXPECT_GT(CompareListText("\xE9t\xE9", "d"), 0);
    EXPECT_GT(CompareListText("\xE9t\xE9", "ete"), 0); // accent breaks the tie
    EXPECT_EQ(CompareListText("\xC9T\xC9", "\xE9t\xE9"), 0);
}

TEST(Collate, OeLigatureIsACasePairSortedAsItsTwoLetters) {
    EXPECT_EQ(CompareListText("\x8Cuvre", "\x9Cuvre"), 0);
    EXPECT_TRUE(EqualsNoCase("\x8C", "\x9C"));
    EXPECT_TRUE(StartsWithNoCase("\x9Cuvre", "\x8C"));
    EXPECT_LT(CompareListText("od", "\x8Cuvre"), 0);
    EXPECT_LT(CompareListText("\x9Cuvre", "of"), 0);
    EXPECT_GT(CompareListText("\x9Cuvre", "oeuvre"), 0); // the ligature after the letters apart
    EXPECT_EQ(CompareListText("\xC6", "\xE6"), 0);       // AE too
}

TEST(Collate, HyphenAndApostropheCountOnlyAsATieBreak) {
    EXPECT_LT(CompareListText("co-op", "cop"), 0);
    EXPECT_GT(CompareListText("co-op", "coop"), 0);
    EXPECT_LT(CompareListText("O'Neil", "Onf"), 0);
    EXPECT_GT(CompareListText("O'Neil", "Ona"), 0);
}

TEST(Collate, PrefixAndEqualityIgnoreCase) {
    EXPECT_TRUE(StartsWithNoCase("Banana", "bAN"));
    EXPECT_FALSE(StartsWithNoCase("Ban", "bank"));
    EXPECT_TRUE(EqualsNoCase("\xC9t\xE9", "\xE9T\xC9"));
}

// A locale that puts Å, Ä and Ö after Z, as a Swedish one does.
struct AfterZ : ListOrder {
    static std::string Key(std::string_view s) {
        std::string k;
        for (char c : s) {
            const auto u = static_cast<unsigned char>(c) | 0x20;
            k += u == 0xE5 ? '{' : u == 0xE4 ? '|' : u == 0xF6 ? '}' : static_cast<char>(u);
        }
        return k;
    }
    int Compare(std::string_view a, std::string_view b) const override {
        return Key(a).compare(Key(b));
    }
};

TEST(Collate, SortedListsKeepTheInstalledOrder) {
    struct Holder : Form {
        ListBox lst{*this, "lst"};
        Holder() : Form("Holder") { lst.SetSorted(true); }
    } model;
    AfterZ swedish;
    {
        ScopedListOrder scope(swedish);
        model.lst.SetItems({"\xD6rn", "Oskar", "\xC5sa", "Zulu", "Apa"});
        model.lst.AddItem("\xC4rlig");
        model.lst.AddItem("Bo");
        std::string order;
        for (int i = 0; i < model.lst.ListCount(); ++i)
            order += model.lst.List(i) + "|";
        EXPECT_EQ(order, "Apa|Bo|Oskar|Zulu|\xC5sa|\xC4rlig|\xD6rn|");
    }
    EXPECT_LT(CompareListText("\xC5sa", "Zulu"), 0) << "the table is back";
}

} // namespace
} // namespace tamber::forms
