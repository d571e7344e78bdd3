#include <gtest/gtest.h>

#include "config/main/frm_main_env.h"
#include "ports/dialogs.h"
#include "staticlists/editor/frm_static_lists.h"

namespace tamber {
namespace {

class ReferenceTableTest : public ConfigWindowTest {
  protected:
    // Field 51 depending on Region: rows default, North, South, East.
    frmMain& OpenTable(const std::vector<std::pair<std::string, std::string>>& rows = {}) {
        StoreReferenceList(rows);
        frmMain& f = Open();
        EXPECT_EQ(f.lvwValues.ItemCount(), 4);
        return f;
    }
};

TEST_F(ReferenceTableTest, StoredSettingsFillTagsAndCells) {
    targetField = "50"; // opened from the list window: the record's Region is preselected
    frmMain& f = OpenTable({{"_If No List Specified", "0|n/a|0|0"},
                            {"North", "2|S00000000001|1|1"},
                            {"South", "3|Sizes|1|0"}});
    EXPECT_EQ(f.cboReference.Text(), "Region");
    EXPECT_TRUE(f.lvwValues.Item(0).bold);
    EXPECT_EQ(f.lvwValues.SelectedItem(), 2);
    EXPECT_EQ(Cells(0), (Strings{"List of All Groups", "N/A", "Manual", "N/A"}));
    EXPECT_EQ(Cells(1), (Strings{"Members of one GROUP", "Customers: Gold", "Auto", "Company"}));
    EXPECT_EQ(Cells(2), (Strings{"Static LIST", "Sizes", "N/A", "N/A"}));
    EXPECT_EQ(Cells(3), (Strings{"", "", "", ""}));
    EXPECT_EQ(Tag(3), "|||");
}

TEST_F(ReferenceTableTest, GroupDeletedInActShowsNoNameAndKeepsEveryRowThroughOk) {
    frmMain& f = OpenTable(
        {{"North", "2|G00000000009|1|0"}, {"South", "3|Sizes|1|0"}, {"East", "0|n/a|1|0"}});
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Cells(1), (Strings{"Members of one GROUP", "", "Auto", "Contact"}));
    EXPECT_EQ(Tag(2), "3|Sizes|1|0");
    EXPECT_EQ(Tag(3), "0|n/a|1|0");
    host.Click(f.cmdOK);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Read("51-Values", "North"), "2|G00000000009|1|0");
    EXPECT_EQ(Read("51-Values", "South"), "3|Sizes|1|0");
    EXPECT_EQ(Read("51-Values", "East"), "0|n/a|1|0");
    EXPECT_FALSE(f.Loaded());
}

TEST_F(ReferenceTableTest, EditorOpensOnlyWhereTheRowTypeAllows) {
    frmMain& f = OpenTable({{"North", "3|Sizes|1|0"}, {"South", "0|n/a|1|0"}});
    ClickCell(3, 2); // details of an untyped row
    EXPECT_FALSE(f.cboFloating.Visible());
    ClickCell(2, 2); // details of "List of All Groups"
    EXPECT_FALSE(f.cboFloating.Visible());
    ClickCell(1, 3); // rebuild of a static list
    EXPECT_FALSE(f.cboFloating.Visible());
    ClickCell(2, 4); // display of anything but members
    EXPECT_FALSE(f.cboFloating.Visible());
    ClickCell(0, 0); // the values column
    EXPECT_FALSE(f.cboFloating.Visible());
    ClickCell(2, 3);
    EXPECT_TRUE(f.cboFloating.Visible());
    EXPECT_EQ(Entries(f.cboFloating), (Strings{"Manual", "Auto"}));
    EXPECT_EQ(f.cboFloating.Text(), "Auto");

    // "None" is offered for a typed row only.
    ClickCell(3, 1);
    EXPECT_EQ(f.cboFloating.ListCount(), 4);
    ClickCell(2, 1);
    EXPECT_EQ(f.cboFloating.ListCount(), 5);
    EXPECT_EQ(f.EditColumn(), 1);

    // A vertical scroll or a divider drag hides the editor.
    f.lvwValues.FireVScroll();
    EXPECT_FALSE(f.cboFloating.Visible());
    ClickCell(2, 1);
    f.lvwValues.FireColumnDivider();
    EXPECT_FALSE(f.cboFloating.Visible());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ReferenceTableTest, ClicksElsewhereInTheWindowHideTheEditor) {
    frmMain& f = OpenTable({{"North", "3|Sizes|1|0"}});
    const std::vector<std::pair<const char*, std::function<void()>>> clicks = {
        {"the window", [&] { host.Click(f); }},
        {"the frame", [&] { host.Click(f.fra1); }},
        {"a label", [&] { host.Click(f.lblType); }},
        {"a check box", [&] { host.Click(f.chkNoRebuild); }},
        {"the Help menu", [&] { f.mnuHelp.FireClick(); }}};
    for (const auto& [where, click] : clicks) {
        ClickCell(1, 1);
        ASSERT_TRUE(f.cboFloating.Visible()) << where;
        click();
        EXPECT_FALSE(f.cboFloating.Visible()) << where;
    }
    EXPECT_EQ(Tag(1), "3|Sizes|1|0");
}

TEST_F(ReferenceTableTest, EditorLiesOverTheCellAndStopsShortOfTheScrollBar) {
    frmMain& f = OpenTable({{"South", "2|G00000000001|1|0"}});
    ClickCell(2, 1);
    const long frame = 2 * 15; // fixed frame of 3 pixels, less one
    const auto& type = f.lvwValues.Columns()[1];
    EXPECT_EQ(f.cboFloating.Top(), f.lvwValues.Top() + f.lvwValues.HeaderHeightTwips() +
                                       2 * f.lvwValues.RowHeightTwips() + frame);
    EXPECT_EQ(f.cboFloating.Left(), f.lvwValues.Left() + type.left + 50 + frame);
    EXPECT_EQ(f.cboFloating.Width(), type.width - 50);
    f.lvwValues.SyncColumnWidth(4, 3000); // the user widened the last column
    ClickCell(2, 4);
    const auto& display = f.lvwValues.Columns()[4];
    EXPECT_EQ(f.cboFloating.Width(), f.lvwValues.Width() - 365 - display.left - 50);
    ClickCell(2, 2);
    EXPECT_EQ(Entries(f.cboFloating), (Strings{"Customers", "Suppliers", "Customers: Gold"}));
    EXPECT_EQ(f.cboFloating.Text(), "Customers");
}

TEST_F(ReferenceTableTest, TypeChoicesFollowTheTransitionTable) {
    frmMain& f = OpenTable({{"North", "2|G00000000001|0|1"}});
    ClickCell(1, 1);
    Pick(f.cboFloating, "Members of one GROUP"); // the same type again
    EXPECT_EQ(Tag(1), "2|G00000000001|0|1");

    Pick(f.cboFloating, "Subgroups of one GROUP");
    EXPECT_EQ(Tag(1), "1||0|0");
    EXPECT_EQ(Cells(1), (Strings{"Subgroups of one GROUP", "", "Manual", "N/A"}));
    EXPECT_TRUE(f.cboFloating.Visible()); // opened again on the row
    Pick(f.cboFloating, "Members of one GROUP");
    EXPECT_EQ(Cells(1), (Strings{"Members of one GROUP", "", "Manual", "Contact"}));
    EXPECT_EQ(Tag(1), "2||0|0");

    ClickCell(1, 2);
    Pick(f.cboFloating, "Suppliers");
    EXPECT_EQ(Tag(1), "2|G00000000002 |0|0");
    ClickCell(1, 4);
    Pick(f.cboFloating, "Company");
    EXPECT_EQ(Tag(1), "2|G00000000002 |0|1");
    ClickCell(1, 3);
    Pick(f.cboFloating, "Auto");
    EXPECT_EQ(Tag(1), "2|G00000000002 |1|1");

    ClickCell(1, 1);
    Pick(f.cboFloating, "Static LIST");
    EXPECT_EQ(Tag(1), "3||1|0");
    EXPECT_EQ(f.cboFloating.ListCount(), 5);
    Pick(f.cboFloating, "List of All Groups");
    EXPECT_EQ(Tag(1), "0|n/a|1|0");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Cells(1), (Strings{"List of All Groups", "N/A", "Auto", "N/A"}));

    // "None" clears the row, and OK removes its key.
    ClickCell(1, 1);
    Pick(f.cboFloating, "None");
    EXPECT_EQ(Tag(1), "|||");
    host.Click(f.cmdOK);
    EXPECT_EQ(Read("51-Values", "North"), "<none>");
    EXPECT_FALSE(f.Loaded());
}

TEST_F(ReferenceTableTest, StaticListDetailsOfferTheListsOnDisk) {
    frmMain& f = OpenTable({{"North", "3||1|0"}});
    ClickCell(1, 2);
    EXPECT_EQ(f.cboFloating.ListCount(), 0);
    files.WriteAll("C:\\Data\\Sizes.lst", "[Items]\r\n1=S\r\n");
    ClickCell(1, 2);
    Pick(f.cboFloating, "Sizes");
    EXPECT_EQ(Tag(1), "3|Sizes|1|0");

    ClickCell(1, 1);
    host.Click(f.cmdCreate);
    EXPECT_EQ(f.sListSelected, "Sizes");
    EXPECT_FALSE(f.cboFloating.Visible());
}

class TableWithEditorTest : public ReferenceTableTest {
  protected:
    void SetUp() override {
        ReferenceTableTest::SetUp();
        showStaticLists = [this] {
            frmStaticLists editor(
                {.sListSelected = form->sListSelected,
                 .listRenamed = [this](const std::string& from, const std::string& to) {
                     form->StaticListRenamed(from, to);
                 }});
            editor.Show(true);
        };
        files.WriteAll("C:\\Data\\Sizes.lst", "[Items]\r\n1=S\r\n");
    }
    // The user opens the editor on the row's list, clicks `button` there (answering the name
    // dialog with `name` when one opens) and closes the editor.
    void InEditor(frmMain& f, int row, forms::CommandButton frmStaticLists::*button,
                  const std::string& name = "") {
        host.OnModal([this, button](forms::Form& editor) {
            auto& lists = static_cast<frmStaticLists&>(editor);
            host.Click(lists.*button);
            host.Click(lists.cmdClose);
        });
        if (!name.empty()) {
            host.OnModal([this, name](forms::Form& dialog) {
                host.Type(name);
                host.Key(forms::vb::kKeyReturn);
                if (dialog.Loaded()) dialog.Unload();
            });
        }
        f.lvwValues.SetSelectedItem(row);
        host.Click(f.cmdCreate);
    }
};

TEST_F(TableWithEditorTest, RenameInTheEditorChangesWhatOkStoresForEveryRowNamingTheList) {
    frmMain& f =
        OpenTable({{"North", "3|Sizes|1|0"}, {"South", "3|sizes|1|0"}, {"East", "0|n/a|1|0"}});
    InEditor(f, 1, &frmStaticLists::cmdRename, "Measures");
    EXPECT_EQ(Cells(1), (Strings{"Static LIST", "Measures", "N/A", "N/A"}));
    EXPECT_EQ(Cells(2), (Strings{"Static LIST", "Measures", "N/A", "N/A"}));
    host.Click(f.cmdOK);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Read("51-Values", "North"), "3|Measures|1|0");
    EXPECT_EQ(Read("51-Values", "South"), "3|Measures|1|0");
    EXPECT_EQ(Read("51-Values", "East"), "0|n/a|1|0");
    EXPECT_FALSE(f.Loaded());
}

TEST_F(TableWithEditorTest, RemovalInTheEditorEmptiesTheRowsSoOkAsksForAList) {
    frmMain& f = OpenTable({{"North", "3|Sizes|1|0"}, {"East", "0|n/a|1|0"}});
    dialogs.answers = {mb::kOk}; // "Are you sure you want to delete this list?"
    InEditor(f, 1, &frmStaticLists::cmdRemoveList);
    EXPECT_EQ(Tag(1), "3||1|0");
    EXPECT_EQ(Cells(1), (Strings{"Static LIST", "", "N/A", "N/A"}));
    host.Click(f.cmdOK);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].prompt, "You need to select a list!");
    EXPECT_EQ(f.lvwValues.SelectedItem(), 1);
    EXPECT_TRUE(f.Loaded());
}

TEST_F(ReferenceTableTest, RowWithoutGroupStopsOkAfterWritingWithEditorOnIt) {
    frmMain& f = OpenTable({{"_If No List Specified", "0|n/a|0|0"}});
    ClickCell(2, 1);
    Pick(f.cboFloating, "Subgroups of one GROUP");
    dialogs.shown.clear();
    f.lvwValues.SetSelectedItem(0);
    host.Click(f.cmdOK);

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "You need to select a group!");
    EXPECT_EQ(dialogs.shown[0].style, mb::kOkOnly);
    EXPECT_EQ(Read("51", "Type"), "3");
    EXPECT_EQ(Read("51", "Reference"), "50");
    EXPECT_EQ(Read("51-Values", "South"), "1||1|0");
    EXPECT_EQ(f.lvwValues.SelectedItem(), 2);
    EXPECT_TRUE(f.cboFloating.Visible());
    EXPECT_TRUE(f.Loaded());
    EXPECT_TRUE(builds.empty()); // the manual default row is built only once OK gets through
}

TEST_F(ReferenceTableTest, RowWithoutListSelectsTheRow) {
    frmMain& f = OpenTable({{"East", "3||1|0"}});
    host.Click(f.cmdOK);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "You need to select a list!");
    EXPECT_EQ(f.lvwValues.SelectedItem(), 3);
    EXPECT_FALSE(f.cboFloating.Visible());
}

TEST_F(ReferenceTableTest, ManualRowsBuildEachDistinctListOnce) {
    frmMain& f = OpenTable({{"_If No List Specified", "0|n/a|0|0"},
                            {"North", "0|n/a|0|0"},
                            {"South", "2|G00000000001|0|"},
                            {"East", "2|G00000000001|1|0"}});
    host.Click(f.cmdOK);
    EXPECT_TRUE(dialogs.shown.empty());
    ASSERT_EQ(builds.size(), 2u);
    EXPECT_EQ(builds[0], std::make_tuple(0, std::string("n/a"), false, false));
    EXPECT_EQ(builds[1], std::make_tuple(2, std::string("G00000000001"), false, false));
    EXPECT_FALSE(f.bFromSettings);
    EXPECT_FALSE(f.Loaded());
}

TEST_F(ReferenceTableTest, EmptyDropDownGivesTheDefaultRowOnly) {
    Write("51", "Type", "3");
    Write("51", "Reference", "12");
    act.db().fields[0].popup.clear();
    frmMain& f = Open();
    ASSERT_EQ(f.lvwValues.ItemCount(), 1);
    EXPECT_EQ(f.lvwValues.Item(0).text, "_If No List Specified");
    f.lvwValues.ClearItems();
    host.MouseUp(f.lvwValues, forms::vb::kLeftButton, 0, 5055, 420);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].style, mb::kCritical);
}

TEST_F(ReferenceTableTest, StoredReferenceFieldNoLongerOfferedLeavesTheChoiceOpen) {
    for (bool deleted : {false, true}) {
        act.db() = ConfigDb();
        if (deleted)
            act.db().fields.erase(act.db().fields.begin() + 2);
        else
            act.db().fields[2] = TestField(50, "Region", actdb::kCharacter); // list emptied
        StoreReferenceList({{"North", "3|Sizes|1|0"}});
        frmMain& f = Open();
        EXPECT_TRUE(dialogs.shown.empty()) << deleted;
        EXPECT_EQ(f.cboReference.ListIndex(), -1);
        EXPECT_FALSE(f.lvwValues.Visible());
        EXPECT_EQ(f.Height(), frmMain::kShortHeight);
        host.Click(f.cmdOK);
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].prompt, "You need to select a field!");
        EXPECT_EQ(Read("51-Values", "North"), "3|Sizes|1|0");
        dialogs.shown.clear();
        form.reset();
    }
}

TEST(TagFields, ExtractAndModify) {
    EXPECT_EQ(frmMain::Extract_Tag("2|G1|0|1", 2), "G1");
    EXPECT_EQ(frmMain::Modify_Tag("2|G1|0|1", 4, "0"), "2|G1|0|0");
    EXPECT_THROW(frmMain::Extract_Tag("2|G1", 3), VbError);
}

} // namespace
} // namespace tamber
