#include <gtest/gtest.h>

#include "common/program_end.h"
#include "config/main/frm_main_env.h"
#include "ports/dialogs.h"

namespace tamber {
namespace {

using forms::vb::kChecked;

TEST_F(ConfigWindowTest, MembersWithManualRebuildBuildsTheListOnceBeforeClosing) {
    frmMain& f = Open();
    EXPECT_EQ(f.cboFields.Text(), "Territory");
    EXPECT_EQ(f.cboType.ListIndex(), 4); // not configured yet
    host.ClickItem(f.cboType, 2);
    Pick(f.cboReference, "Customers: Gold");
    host.Click(f.chkNoRebuild);
    host.Click(f.chkName);
    host.Click(f.cmdOK);

    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Read("51", "Type"), "2");
    EXPECT_EQ(Read("51", "Reference"), "S00000000001");
    EXPECT_EQ(Read("51", "NoRebuild"), "1");
    EXPECT_EQ(Read("51", "CompanyName"), "1");
    EXPECT_TRUE(f.bFromSettings);
    ASSERT_EQ(builds.size(), 1u);
    EXPECT_EQ(builds[0], std::make_tuple(2, std::string("S00000000001 "), true, false));
    EXPECT_FALSE(f.Loaded());
}

TEST_F(ConfigWindowTest, AutomaticRebuildBuildsNothingAndValidationStopsOk) {
    frmMain& f = Open();
    host.ClickItem(f.cboType, 1);
    EXPECT_EQ(Entries(f.cboReference), (Strings{"Customers"})); // groups with subgroups
    host.Click(f.cmdOK);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "You need to select a group!");
    EXPECT_EQ(dialogs.shown[0].style, mb::kExclamation);
    EXPECT_TRUE(f.Loaded());
    EXPECT_FALSE(HasSection("51"));

    Pick(f.cboReference, "Customers");
    host.Click(f.cmdOK);
    EXPECT_EQ(Read("51", "Type"), "1");
    EXPECT_EQ(Read("51", "NoRebuild"), "0");
    EXPECT_EQ(Read("51", "CompanyName"), "<none>");
    EXPECT_FALSE(f.bFromSettings);
    EXPECT_TRUE(builds.empty());
}

TEST_F(ConfigWindowTest, NoQuillListRemovesBothSectionsAndCloses) {
    StoreReferenceList({{"_If No List Specified", "0|n/a|1|0"}});
    frmMain& f = Open();
    EXPECT_EQ(f.cboType.ListIndex(), 3);
    EXPECT_EQ(f.Height(), frmMain::kTallHeight);
    host.ClickItem(f.cboType, 4);
    host.Click(f.cmdOK);
    EXPECT_FALSE(HasSection("51"));
    EXPECT_FALSE(HasSection("51-Values"));
    EXPECT_FALSE(f.Loaded());
    EXPECT_TRUE(builds.empty());
}

TEST_F(ConfigWindowTest, IneligibleActiveFieldLeavesNoFieldChosen) {
    SetActiveField(50); // has an ACT! drop-down list
    frmMain& f = Open();
    EXPECT_EQ(Entries(f.cboFields), (Strings{"Company", "Territory"}));
    EXPECT_EQ(f.cboFields.ListIndex(), -1);
    host.Click(f.cmdOK);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "You need to select a field!");
    EXPECT_TRUE(f.cboFields.HasFocus());

    // Choosing a field shows its own settings; OK writes that field's sections.
    Write("25", "Type", "0");
    Write("25", "NoRebuild", "0");
    Pick(f.cboFields, "Company");
    EXPECT_EQ(M().FieldIdText, "25");
    EXPECT_EQ(f.cboType.ListIndex(), 0);
    host.Click(f.chkNoRebuild);
    host.Click(f.cmdOK);
    EXPECT_EQ(Read("25", "NoRebuild"), "1");
    ASSERT_EQ(builds.size(), 1u);
    EXPECT_EQ(builds[0], std::make_tuple(0, std::string(), false, false));
}

TEST_F(ConfigWindowTest, ActiveFieldSettingsAreShown) {
    Write("51", "Type", "2");
    Write("51", "Reference", "G00000000002");
    Write("51", "CompanyName", "1");
    frmMain& f = Open();
    EXPECT_EQ(f.cboType.ListIndex(), 2);
    EXPECT_EQ(f.cboReference.Text(), "Suppliers");
    EXPECT_EQ(f.lblReference.Caption(), "Select the GROUP :");
    EXPECT_EQ(f.chkName.Value(), kChecked);
    EXPECT_EQ(f.chkNoRebuild.Value(), kChecked); // default "1"
    EXPECT_TRUE(f.chkName.Enabled());
    EXPECT_FALSE(f.lvwValues.Visible());

    // Another type changes the options and, after half a second, the height.
    host.ClickItem(f.cboType, 3);
    EXPECT_EQ(f.chkName.Value(), 0);
    EXPECT_FALSE(f.chkNoRebuild.Enabled());
    EXPECT_EQ(f.lblReference.Caption(), "Select the REFERENCE FIELD :");
    EXPECT_EQ(Entries(f.cboReference), (Strings{"City", "Region"}));
    Pick(f.cboReference, "Region");
    EXPECT_TRUE(f.lvwValues.Visible());
    EXPECT_EQ(f.lvwValues.ItemCount(), 4);
    EXPECT_EQ(f.Height(), frmMain::kShortHeight);
    host.AdvanceMs(500);
    EXPECT_EQ(f.Height(), frmMain::kTallHeight);
}

TEST_F(ConfigWindowTest, TypeComboWithoutFieldAsksForOne) {
    frmMain& f = Open();
    M().FieldId = 0;
    host.Focus(f.cboType);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "You need to select a field first!");
    EXPECT_TRUE(f.cboFields.HasFocus());
}

TEST_F(ConfigWindowTest, WithoutOpenDatabaseTheWindowDoesNotStay) {
    act.CloseDatabase();
    frmMain& f = Open();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "Please open an ACT database prior to running Tamberlist!");
    EXPECT_FALSE(f.Loaded());
}

TEST_F(ConfigWindowTest, ActNotificationClosesTheWindow) {
    frmMain& f = Open();
    act.Notify(act::Notification::DatabaseClosing);
    EXPECT_FALSE(f.Loaded());
    EXPECT_FALSE(M().ActApp);
}

TEST_F(ConfigWindowTest, ReopenHidesTheWindowAndEndsTwoTicksLater) {
    frmMain& f = Open();
    M().ReopenPending = true;
    act.Notify(act::Notification::DatabaseClosing); // stays: a reopen is under way
    EXPECT_TRUE(f.Loaded());
    int cancel = 0;
    f.Form_Unload(cancel);
    EXPECT_EQ(act.commands(), (std::vector<int16_t>{150}));
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].verb, "open");
    EXPECT_EQ(shell.opened[0].file, "C:\\ACT\\Contacts.dbf");
    EXPECT_EQ(shell.opened[0].folder, processes.programFolder);
    EXPECT_FALSE(f.Visible());
    EXPECT_FALSE(M().ActApp);
    EXPECT_TRUE(host.Tick(f.tmr2));
    EXPECT_THROW(host.Tick(f.tmr2), ProgramEnded);
}

TEST_F(ConfigWindowTest, HelpMenusOpenThroughTheShellAndSayWhenTheyCannot) {
    frmMain& f = Open();
    f.mnuOnline.FireClick();
    const std::string manual = processes.programFolder + "\\tamber_user_manual.pdf";
    shell.missing.insert(manual);
    f.mnuManual.FireClick();
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].file, "https://www.tamberlist.com/tutorial");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find(manual), std::string::npos);

    // Windows of other builds say that they are missing.
    f.mnuSettings.FireClick();
    f.mnuIntegrate.FireClick();
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[1].prompt, "The settings window is not available in this build.");

    host.OnModal([&](forms::Form& about) {
        auto* version = dynamic_cast<forms::Label*>(about.FindControl("lblVersion"));
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version->Caption(), "Version 1.0.0");
        host.Key(forms::vb::kKeyReturn);
    });
    f.mnuAbout.FireClick();
    EXPECT_EQ(host.modalShows, (Strings{"frmAbout"}));
}

} // namespace
} // namespace tamber
