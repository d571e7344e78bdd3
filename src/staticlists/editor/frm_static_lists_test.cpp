#include "staticlists/editor/frm_static_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/vb_error.h"
#include "forms/runtime/headless.h"
#include "staticlists/editor/frm_new.h"
#include "staticlists/listfiles/list_test_env.h"
#include "staticlists/listfiles/static_lists.h"

namespace tamber {
namespace {

using forms::vb::kKeyBack;
using forms::vb::kKeyReturn;

int g_beeps = 0;

// A folder listing in the reverse of name order, as some file systems give it.
class ReversedListing : public MemoryFileSystem {
  public:
    std::vector<std::string> ListFiles(const std::string& folder,
                                       const std::string& pattern) override {
        std::vector<std::string> names = MemoryFileSystem::ListFiles(folder, pattern);
        std::reverse(names.begin(), names.end());
        return names;
    }
};

// A file system on which one file cannot be deleted (read-only, or open in another program).
class LockedFile : public MemoryFileSystem {
  public:
    std::string locked;
    void Remove(const std::string& path) override {
        if (path == locked) throw VbError(75, "Path/File access error");
        MemoryFileSystem::Remove(path);
    }
};

class EditorTest : public ListFolderTest {
  protected:
    void SetUp() override {
        ListFolderTest::SetUp();
        g_beeps = 0;
        staticlists::SetBeepHook([] { ++g_beeps; });
    }
    void TearDown() override {
        staticlists::SetBeepHook(nullptr);
        ListFolderTest::TearDown();
    }
    void Write(const std::string& name, const std::string& text) {
        ASSERT_TRUE(staticlists::SaveList(staticlists::ListPath(name), text));
    }
    frmStaticLists& Open(const std::string& selected = "") {
        editor = std::make_unique<frmStaticLists>(frmStaticLists::Deps{
            .sListSelected = selected,
            .listRenamed = [this](const std::string& from, const std::string& to) {
                for (std::string& name : named)
                    if (name == from) name = to;
            }});
        editor->Show();
        return *editor;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : editor->lstListNames.Entries())
            names.push_back(e.text);
        return names;
    }
    // The lists the configuration window's rows name, as the editor's reports leave them.
    std::vector<std::string> Cells() const { return named; }
    // Answers the name dialog: types (or pastes) a name and presses Enter.
    void NameDialog(const std::string& typed, bool paste = false) {
        host.OnModal([this, typed, paste](forms::Form& f) {
            auto& dialog = static_cast<frmNew&>(f);
            if (paste)
                dialog.txtName.SyncText(typed);
            else
                host.Type(typed);
            host.Key(kKeyReturn);
            if (dialog.Loaded()) host.Click(dialog.cmdCancel);
        });
    }

    forms::HeadlessHost host;
    std::vector<std::string> named{"Fruit", "Other", "Fruit"};
    std::unique_ptr<frmStaticLists> editor;
};

TEST_F(EditorTest, OpensOnTheNamedListOrElseTheFirst) {
    Write("Fruit", "pear\r\napple");
    Write("Animals", "cat");
    Open("Fruit");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Animals", "Fruit"}));
    EXPECT_EQ(editor->lstListNames.Text(), "Fruit");
    EXPECT_EQ(editor->rtfItems.Text(), "apple\r\npear\r\n");
    EXPECT_FALSE(editor->ItemsModified());
    EXPECT_TRUE(editor->cmdRename.Enabled() && editor->cmdRemoveList.Enabled());
    editor->Unload();
    for (const char* name : {"", "fruit", "Nothing"}) {
        Open(name);
        EXPECT_EQ(editor->lstListNames.Text(), "Animals") << name;
        EXPECT_EQ(editor->rtfItems.Text(), "cat\r\n");
        editor->Unload();
    }
}

TEST_F(EditorTest, SavesToTheShownListWhenTheListingIsNotInOrder) {
    ReversedListing reversed;
    reversed.MakeFolders("C:\\Data");
    ScopedPlatform sys2({.files = &reversed});
    Write("Beta", "b1");
    Write("Alpha", "a1");
    Open("Beta"); // "Beta" is listed first, then "Alpha" lands above it
    EXPECT_EQ(editor->lstListNames.Text(), "Beta");
    EXPECT_EQ(editor->CurrentListIndex(), 1);
    host.Focus(editor->rtfItems);
    editor->rtfItems.SyncText("b1\r\nb2\r\n");
    host.Click(editor->cmdSave);
    EXPECT_EQ(staticlists::ReadList(staticlists::ListPath("Beta")),
              (std::vector<std::string>{"b1", "b2"}));
    EXPECT_EQ(staticlists::ReadList(staticlists::ListPath("Alpha")),
              (std::vector<std::string>{"a1"}));
}

TEST_F(EditorTest, WithoutListsNothingCanBeRenamedRemovedOrSaved) {
    Open("Fruit");
    EXPECT_EQ(editor->lstListNames.ListCount(), 0);
    EXPECT_EQ(editor->rtfItems.Text(), "");
    EXPECT_FALSE(editor->cmdRename.Enabled());
    EXPECT_FALSE(editor->cmdRemoveList.Enabled());
    EXPECT_FALSE(editor->cmdSave.Enabled());
    host.Focus(editor->rtfItems);
    host.Type("stray");
    editor->cmdSave_Click();
    host.Click(editor->cmdClose);
    EXPECT_EQ(Bytes("C:\\Data\\.lst"), "<missing>");
}

TEST_F(EditorTest, LeavingModifiedItemsAsksFirstAndNoDropsThem) {
    Write("Animals", "cat");
    Write("Fruit", "apple");
    Open("Animals");
    host.Focus(editor->rtfItems);
    host.Type("dog");
    EXPECT_TRUE(editor->ItemsModified());
    dialogs.answers.push_back(mb::kNo);
    host.ClickItem(editor->lstListNames, 1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt,
              "The list items have been modified.\rDo you want to save the changes ?");
    EXPECT_EQ(dialogs.shown[0].style, mb::kYesNo + mb::kExclamation);
    EXPECT_EQ(editor->rtfItems.Text(), "apple\r\n");
    EXPECT_FALSE(editor->ItemsModified());
    host.Click(editor->cmdClose);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(staticlists::ReadList(staticlists::ListPath("Animals")),
              std::vector<std::string>{"cat"});
}

TEST_F(EditorTest, EmptyingAFreshListIsNoChange) {
    Write("Fruit", "apple");
    Open();
    host.Focus(editor->rtfItems);
    editor->rtfItems.SetSelStart(0);
    editor->rtfItems.SetSelLength(static_cast<int>(editor->rtfItems.Text().size()));
    host.Key(kKeyBack);
    EXPECT_EQ(editor->rtfItems.Text(), "");
    EXPECT_FALSE(editor->ItemsModified());
    host.Click(editor->cmdClose);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(EditorTest, CloseAndTheCloseBoxAskTheSameQuestion) {
    Write("Fruit", "apple");
    for (bool closeBox : {false, true}) {
        Open();
        editor->rtfItems.SetFocus();
        editor->rtfItems.SyncText("apple\r\nkiwi" + std::string(closeBox ? "2" : "1"));
        dialogs.answers.push_back(mb::kYes);
        if (closeBox)
            host.CloseBox(*editor);
        else
            editor->cmdClose_Click();
        EXPECT_FALSE(editor->Loaded());
        ASSERT_EQ(dialogs.shown.size(), closeBox ? 2u : 1u);
        EXPECT_EQ(dialogs.shown.back().style, mb::kYesNo + mb::kInformation);
        EXPECT_EQ(staticlists::ReadList(staticlists::ListPath("Fruit")).back(),
                  closeBox ? "kiwi2" : "kiwi1");
    }
}

TEST_F(EditorTest, AddedListHasNoFileUntilSaved) {
    Write("Fruit", "apple");
    Open();
    NameDialog("Veg");
    host.Click(editor->cmdNewList);
    EXPECT_EQ(editor->lstListNames.Text(), "Veg");
    EXPECT_EQ(editor->rtfItems.Text(), "");
    EXPECT_TRUE(editor->rtfItems.HasFocus());
    host.Click(editor->cmdClose);
    EXPECT_EQ(Bytes("C:\\Data\\Veg.lst"), "<missing>");
    Open();
    EXPECT_EQ(Names(), std::vector<std::string>{"Fruit"});

    NameDialog("Veg");
    host.Click(editor->cmdNewList);
    host.Type("leek");
    host.Key(kKeyReturn);
    host.Type("bean");
    host.Click(editor->cmdSave);
    EXPECT_EQ(Bytes("C:\\Data\\Veg.lst"), "[Index]\r\nCount=2\r\nb=1\r\nl=2\r\n"
                                          "[Items]\r\n1=bean\r\n2=leek\r\n");
    EXPECT_EQ(editor->rtfItems.Text(), "bean\r\nleek\r\n");
    EXPECT_FALSE(editor->ItemsModified());
}

TEST_F(EditorTest, NameDialogFiltersKeysAndItsCloseBoxCancels) {
    Open();
    std::string seen;
    host.OnModal([&](forms::Form& f) {
        auto& dialog = static_cast<frmNew&>(f);
        host.Type("my list.a,b");
        seen = dialog.txtName.Text();
        host.Key(kKeyBack);
        seen += "|" + dialog.txtName.Text();
        host.CloseBox(dialog);
    });
    host.Click(editor->cmdNewList);
    EXPECT_EQ(seen, "mylistab|mylista");
    EXPECT_EQ(g_beeps, 3);
    EXPECT_TRUE(editor->bCancel);
    EXPECT_EQ(editor->lstListNames.ListCount(), 0);
}

TEST_F(EditorTest, UnsafeOrTakenNamesAreRefusedAtOk) {
    Write("Fruit", "apple");
    Open();
    std::vector<std::string> kept;
    host.OnModal([&](forms::Form& f) {
        auto& dialog = static_cast<frmNew&>(f);
        for (const char* typed : {"", "a<b", "my.list.", "con", "FRUIT"}) {
            dialog.txtName.SyncText(typed); // pasted: the key filter never saw it
            host.Click(dialog.cmdOk);
            EXPECT_TRUE(dialog.Loaded()) << typed;
            EXPECT_EQ(dialog.txtName.SelLength(), static_cast<int>(std::string(typed).size()));
        }
        dialog.txtName.SyncText("my list");
        host.Click(dialog.cmdOk);
    });
    host.Click(editor->cmdNewList);
    ASSERT_EQ(dialogs.shown.size(), 5u);
    EXPECT_EQ(dialogs.shown[0].prompt, "Please type a name for the list.");
    EXPECT_NE(dialogs.shown[1].prompt.find("character <"), std::string::npos);
    EXPECT_NE(dialogs.shown[2].prompt.find("end with a space or a period"), std::string::npos);
    EXPECT_NE(dialogs.shown[3].prompt.find("device name"), std::string::npos);
    EXPECT_EQ(dialogs.shown[4].prompt, "This name is already taken!");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Fruit", "my list"}));
}

TEST_F(EditorTest, RenameFollowsInTheTableAndMayChangeOnlyTheCase) {
    Write("Fruit", "apple");
    Write("Other", "x");
    Open("Fruit");
    editor->lstListNames.SetListIndex(0);
    NameDialog("FRUIT");
    host.Click(editor->cmdRename);
    EXPECT_EQ(Names(), (std::vector<std::string>{"FRUIT", "Other"}));
    EXPECT_EQ(fs.ListFiles("C:\\Data", "*.lst"),
              (std::vector<std::string>{"FRUIT.lst", "Other.lst"}));
    EXPECT_EQ(editor->rtfItems.Text(), "apple\r\n");
    EXPECT_EQ(Cells(), (std::vector<std::string>{"FRUIT", "Other", "FRUIT"}));

    NameDialog("Pome");
    host.Click(editor->cmdRename);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Other", "Pome"}));
    EXPECT_EQ(editor->lstListNames.Text(), "Pome");
    EXPECT_EQ(Bytes("C:\\Data\\FRUIT.lst"), "<missing>");
    EXPECT_EQ(Cells(), (std::vector<std::string>{"Pome", "Other", "Pome"}));
    EXPECT_FALSE(editor->bEdit);
}

TEST_F(EditorTest, RenameOfAListWhoseFileWentAwayChangesNothing) {
    Write("Fruit", "apple");
    Open();
    fs.Remove("C:\\Data\\Fruit.lst");
    NameDialog("Pome");
    host.Click(editor->cmdRename);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "Unable to rename list. List file does not exist anymore!");
    EXPECT_EQ(Names(), std::vector<std::string>{"Fruit"});
    EXPECT_EQ(Cells(), (std::vector<std::string>{"Fruit", "Other", "Fruit"}));
}

TEST_F(EditorTest, RemoveEmptiesTheTableCellsAndSelectsTheNextList) {
    Write("Apple", "a");
    Write("Fruit", "f");
    Write("Other", "o");
    Open("Fruit");
    dialogs.answers = {mb::kCancel, mb::kOk};
    host.Click(editor->cmdRemoveList);
    EXPECT_EQ(Names().size(), 3u);
    host.Click(editor->cmdRemoveList);
    EXPECT_EQ(dialogs.shown[1].style, mb::kOkCancel + mb::kCritical + mb::kDefaultButton2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Apple", "Other"}));
    EXPECT_EQ(Bytes("C:\\Data\\Fruit.lst"), "<missing>");
    EXPECT_EQ(Cells(), (std::vector<std::string>{"", "Other", ""}));
    EXPECT_EQ(editor->lstListNames.Text(), "Other");
    EXPECT_EQ(editor->rtfItems.Text(), "o\r\n");
}

TEST_F(EditorTest, RemovingTheLastListLeavesNothingToSaveInto) {
    Write("Fruit", "f");
    Open();
    NameDialog("Veg"); // never saved: no file to delete
    host.Click(editor->cmdNewList);
    dialogs.answers = {mb::kOk, mb::kOk};
    host.Click(editor->cmdRemoveList);
    EXPECT_EQ(Names(), std::vector<std::string>{"Fruit"});
    host.Click(editor->cmdRemoveList);
    EXPECT_EQ(editor->lstListNames.ListCount(), 0);
    EXPECT_EQ(editor->rtfItems.Text(), "f\r\n");
    EXPECT_FALSE(editor->cmdRename.Enabled() || editor->cmdRemoveList.Enabled() ||
                 editor->cmdSave.Enabled());
    editor->cmdSave_Click();
    EXPECT_TRUE(fs.ListFiles("C:\\Data", "*.lst").empty());
}

TEST_F(EditorTest, ASaveBeyondTheItemLimitIsRefusedAndKeptModified) {
    Write("Big", "old");
    Open();
    std::string text;
    for (int i = 0; i <= staticlists::kMaxItems; ++i)
        text += "item" + std::to_string(i) + "\r\n";
    editor->rtfItems.SetFocus();
    editor->rtfItems.SyncText(text);
    dialogs.answers.push_back(mb::kNo); // leaving the box asks first
    host.Click(editor->cmdSave);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_NE(dialogs.shown[1].prompt.find("32767"), std::string::npos);
    EXPECT_EQ(staticlists::ReadList(staticlists::ListPath("Big")), std::vector<std::string>{"old"});
    EXPECT_TRUE(editor->ItemsModified());
    EXPECT_EQ(editor->rtfItems.Text(), text);
}

// Text beyond the item limit, which every save refuses.
std::string TooManyItems() {
    std::string text;
    for (int i = 0; i <= staticlists::kMaxItems; ++i)
        text += "item" + std::to_string(i) + "\r\n";
    return text;
}

TEST_F(EditorTest, ARefusedSaveKeepsTheWindowAndTheText) {
    Write("Big", "old");
    const std::string text = TooManyItems();
    for (bool closeBox : {false, true}) {
        Open();
        editor->rtfItems.SetFocus();
        editor->rtfItems.SyncText(text);
        dialogs.shown.clear();
        dialogs.answers = {mb::kYes};
        if (closeBox)
            host.CloseBox(*editor);
        else
            editor->cmdClose_Click();
        ASSERT_EQ(dialogs.shown.size(), 2u) << "the question, then the refusal";
        EXPECT_TRUE(editor->Loaded()) << closeBox;
        EXPECT_EQ(editor->rtfItems.Text(), text);
        EXPECT_TRUE(editor->ItemsModified());
        // No leaves as before: the window closes without saving.
        dialogs.answers = {mb::kNo};
        editor->cmdClose_Click();
        EXPECT_FALSE(editor->Loaded());
    }
    EXPECT_EQ(staticlists::ReadList(staticlists::ListPath("Big")), std::vector<std::string>{"old"});
}

TEST_F(EditorTest, ARefusedSaveOnLeavingTheBoxKeepsTheListShown) {
    Write("Animals", "cat");
    Write("Fruit", "apple");
    Open("Animals");
    host.Focus(editor->rtfItems);
    const std::string text = TooManyItems();
    editor->rtfItems.SyncText(text);
    dialogs.answers = {mb::kYes};
    host.ClickItem(editor->lstListNames, 1);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(editor->lstListNames.Text(), "Animals");
    EXPECT_EQ(editor->CurrentListIndex(), 0);
    EXPECT_EQ(editor->rtfItems.Text(), text);
    EXPECT_TRUE(editor->rtfItems.HasFocus());
    // Answering No the next time lets the user go on to the other list.
    dialogs.answers = {mb::kNo};
    host.ClickItem(editor->lstListNames, 1);
    EXPECT_EQ(editor->lstListNames.Text(), "Fruit");
    EXPECT_EQ(editor->rtfItems.Text(), "apple\r\n");
}

TEST_F(EditorTest, WithoutAListTheItemsBoxTakesNoTyping) {
    Open();
    EXPECT_FALSE(editor->rtfItems.Enabled());
    host.Focus(editor->rtfItems);
    host.Type("stray");
    EXPECT_EQ(editor->rtfItems.Text(), "");
    NameDialog("Veg");
    host.Click(editor->cmdNewList);
    EXPECT_TRUE(editor->rtfItems.Enabled());
    EXPECT_TRUE(editor->rtfItems.HasFocus());
    dialogs.answers = {mb::kOk};
    host.Click(editor->cmdRemoveList);
    EXPECT_FALSE(editor->rtfItems.Enabled());
}

TEST_F(EditorTest, ANameAnUnsavedListHasIsTaken) {
    Open();
    for (const char* name : {"Veg", "veg", "VEG"}) {
        NameDialog(name);
        host.Click(editor->cmdNewList);
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"Veg"});
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].prompt, "This name is already taken!");
    // The list being renamed may still change the case of its own name.
    NameDialog("VEG");
    host.Click(editor->cmdRename);
    EXPECT_EQ(dialogs.shown.size(), 3u) << "no file to rename yet";
    EXPECT_EQ(dialogs.shown[2].prompt, "Unable to rename list. List file does not exist anymore!");
}

TEST_F(EditorTest, ARemovalThatFailsIsToldAndKeepsTheList) {
    LockedFile locked;
    locked.MakeFolders("C:\\Data");
    ScopedPlatform sys2({.files = &locked});
    Write("Fruit", "f");
    Write("Other", "o");
    locked.locked = staticlists::ListPath("Fruit");
    Open("Fruit");
    dialogs.answers = {mb::kOk};
    host.Click(editor->cmdRemoveList);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(
        dialogs.shown[1].prompt,
        "The list Fruit could not be removed (Path/File access error).\r\nThe list was kept.");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Fruit", "Other"}));
    EXPECT_EQ(editor->lstListNames.Text(), "Fruit");
    EXPECT_EQ(Cells(), (std::vector<std::string>{"Fruit", "Other", "Fruit"}));
}

} // namespace
} // namespace tamber
