#include "core/aux_store.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace tamber::standin {
namespace {

AuxCommand Cmd(std::string name) {
    return {name,
            "C:\\Prog\\tamber.EXE",
            "C:\\Prog",
            name,
            "Click to launch " + name,
            "C:\\Prog\\tamber.ico",
            "C:\\Prog\\tamber32.ico",
            1};
}

TEST(AuxStore, PlacesOnlyRegisteredCommandsInValidViews) {
    AuxStore s;
    EXPECT_EQ(s.AddToToolbar(1, "Tamberlist"), aux::kUnknownCommand);
    ASSERT_EQ(s.Add(Cmd("Tamberlist")), aux::kOk);
    EXPECT_TRUE(s.Exists("TAMBERLIST"));
    EXPECT_EQ(s.AddToToolbar(0, "Tamberlist"), aux::kBadView);
    EXPECT_EQ(s.AddToMenu(7, "Tamberlist"), aux::kBadView);
    EXPECT_EQ(s.AddToToolbar(1, "tamberlist"), aux::kOk);
    EXPECT_EQ(s.AddToToolbar(1, "Tamberlist"), aux::kOk); // twice: still one button
    EXPECT_EQ(s.Toolbar(1).size(), 1u);
    EXPECT_TRUE(s.InToolbar(1, "Tamberlist"));
    EXPECT_FALSE(s.InMenu(1, "Tamberlist"));
    EXPECT_FALSE(s.InToolbar(2, "Tamberlist"));
}

TEST(AuxStore, RemovalReportsWhatWasNotThere) {
    AuxStore s;
    s.Add(Cmd("A"));
    s.AddToMenu(3, "A");
    EXPECT_EQ(s.RemoveFromToolbar(3, "A"), aux::kNotPresent);
    EXPECT_EQ(s.RemoveFromMenu(3, "a"), aux::kOk);
    EXPECT_EQ(s.RemoveFromMenu(3, "A"), aux::kNotPresent);
    EXPECT_TRUE(s.Menu(3).empty());
}

TEST(AuxStore, RefusesTextsThatWouldBreakTheSettingsFile) {
    AuxStore s;
    EXPECT_EQ(s.Add(Cmd("")), aux::kBadArgument);
    EXPECT_EQ(s.Add(Cmd("a]b")), aux::kBadArgument);
    AuxCommand c = Cmd("X");
    c.toolTip = "two\r\nlines";
    EXPECT_EQ(s.Add(c), aux::kBadArgument);
    c = Cmd("X");
    c.program.clear();
    EXPECT_EQ(s.Add(c), aux::kBadArgument);
    EXPECT_FALSE(s.Exists("X"));
}

TEST(AuxStore, ReregisteringReplacesAndKeepsPlacements) {
    AuxStore s;
    s.Add(Cmd("A"));
    s.AddToToolbar(1, "A");
    AuxCommand c = Cmd("A");
    c.program = "D:\\other.exe";
    EXPECT_EQ(s.Add(c), aux::kOk);
    ASSERT_EQ(s.Toolbar(1).size(), 1u);
    EXPECT_EQ(s.Toolbar(1)[0].program, "D:\\other.exe");
}

TEST(AuxStore, SerializedTextReadsBackTheSame) {
    AuxStore s;
    s.Add(Cmd("First"));
    AuxCommand second = Cmd("Second=");
    EXPECT_EQ(s.Add(second), aux::kBadArgument);
    second = Cmd("Second one");
    second.toolTip = "tip = with equals";
    s.Add(second);
    s.AddToToolbar(1, "Second one");
    s.AddToToolbar(1, "First");
    s.AddToMenu(6, "First");
    AuxStore back = AuxStore::Parse(s.Serialize());
    EXPECT_EQ(back.Serialize(), s.Serialize());
    ASSERT_EQ(back.Toolbar(1).size(), 2u);
    EXPECT_EQ(back.Toolbar(1)[0].name, "Second one");
    EXPECT_EQ(back.Toolbar(1)[0].toolTip, "tip = with equals");
    EXPECT_EQ(back.Toolbar(1)[1].flags, 1);
    EXPECT_TRUE(back.InMenu(6, "first"));
}

TEST(AuxStore, ParseSkipsGarbageAndCommandsWithoutProgram) {
    AuxStore s = AuxStore::Parse("junk\n[Command A]\nFolder=x\n[Command B]\nProgram=b.exe\n"
                                 "[View 9]\nToolbar=B\n[View 2]\nToolbar=B\nToolbar=B\n");
    EXPECT_FALSE(s.Exists("A"));
    EXPECT_TRUE(s.Exists("B"));
    EXPECT_EQ(s.Toolbar(2).size(), 1u);
}

TEST(AuxStore, ChangesPersistToItsFile) {
    std::string path = ::testing::TempDir() + "standin_aux_store.ini";
    std::remove(path.c_str());
    {
        AuxStore s = AuxStore::Load(path);
        EXPECT_FALSE(s.Exists("A"));
        s.Add(Cmd("A"));
        s.AddToToolbar(1, "A");
    }
    AuxStore again = AuxStore::Load(path);
    EXPECT_TRUE(again.InToolbar(1, "A"));
    again.RemoveFromToolbar(1, "A");
    EXPECT_FALSE(AuxStore::Load(path).InToolbar(1, "A"));
    std::remove(path.c_str());
}

} // namespace
} // namespace tamber::standin
