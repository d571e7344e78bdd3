#include "startup/ado/frm_ado.h"

#include <gtest/gtest.h>

#include "forms/runtime/headless.h"
#include "module1/module1.h"
#include "ports/memory/memory_act.h"
#include "ports/memory/scripted_folder_chooser.h"
#include "testing/program_test.h"

namespace tamber {
namespace {

using forms::vb::kChecked;
using forms::vb::kUnchecked;

class AdoTest : public testing::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        Sys().automation = &act.automation();
        M().DbName = "Sales";
        files.MakeFolders(kProgram + "\\Data");
    }
    std::string Setting(const char* name) {
        return settings.GetSetting("Tamberlist", "Settings", name, "<none>");
    }
    // Opens the window, lets `user` act on it, and closes it if the user left it open.
    void Run(const std::function<void()>& user) {
        host.OnModal([&](forms::Form& f) {
            user();
            if (f.Loaded()) host.Click(window.cmdCancel);
        });
        ShowSettingsWindow(window);
    }

    const std::string kProgram = "C:\\Program Files\\Tamberlist";
    forms::HeadlessHost host;
    ScriptedFolderChooser chooser;
    act::MemoryAct act;
    frmAdo window{chooser};
};

TEST_F(AdoTest, OnlyTheBoxChangedLeavesTheFolderSettingAlone) {
    Run([&] {
        EXPECT_EQ(window.chkAdo.Value(), kChecked);
        EXPECT_EQ(window.txtPath.Text(), kProgram + "\\Data");
        host.Click(window.chkAdo);
        host.Click(window.cmdOK);
    });
    EXPECT_EQ(Setting("Ado"), "0");
    EXPECT_EQ(Setting("SettingsLocation"), "<none>");
    EXPECT_TRUE(M().UseActDatabase);
    // Now reading through the automation objects: they were created.
    EXPECT_EQ(act.CallCount("Automation.CreateDatabase"), 1);
    EXPECT_TRUE(M().ActGroup);

    Run([&] {
        EXPECT_EQ(window.chkAdo.Value(), kUnchecked);
        host.Click(window.cmdOK); // unchanged: "Ado" is written all the same
    });
    EXPECT_EQ(Setting("Ado"), "0");
    EXPECT_EQ(act.CallCount("Automation.CreateDatabase"), 1);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(AdoTest, WithoutTheGroupTableTheBoxIsClearedAndOkKeepsItSo) {
    M().AdoUnavailable = M().UseActDatabase = true;
    settings.SaveSetting("Tamberlist", "Settings", "Ado", "1");
    Run([&] {
        EXPECT_EQ(window.chkAdo.Value(), kUnchecked);
        EXPECT_FALSE(window.chkAdo.Enabled());
        EXPECT_FALSE(window.lblWarning.Visible());
        host.Key(forms::vb::kKeyReturn);
    });
    EXPECT_EQ(Setting("Ado"), "0");
    EXPECT_TRUE(M().UseActDatabase);
}

TEST_F(AdoTest, BrowsedFolderAppliesAtOnceAndCancelSavesNothing) {
    files.MakeFolders("D:\\Shared\\Tamber");
    chooser.answers = {std::nullopt, "D:\\Shared\\Tamber"};
    Run([&] {
        host.Click(window.cmdBrowse);
        EXPECT_EQ(window.txtPath.Text(), kProgram + "\\Data");
        host.Click(window.cmdBrowse);
        EXPECT_EQ(chooser.owners.back(), window.hWnd());
        host.Key(forms::vb::kKeyEscape);
    });
    EXPECT_EQ(Setting("SettingsLocation"), "<none>");
    EXPECT_EQ(Setting("Ado"), "<none>");

    chooser.answers = {"D:\\Shared\\Tamber"};
    Run([&] {
        host.Click(window.cmdBrowse);
        host.Click(window.cmdOK);
    });
    EXPECT_EQ(Setting("SettingsLocation"), "D:\\Shared\\Tamber");
    EXPECT_EQ(M().SettingsDir, "D:\\Shared\\Tamber\\");
    EXPECT_EQ(M().IniFile, "D:\\Shared\\Tamber\\Sales.ini");
    EXPECT_EQ(M().ListsIniFile, "D:\\Shared\\Tamber\\Sales_lists.ini");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(files.ListFiles("D:\\Shared\\Tamber", "*").empty()); // no probe left behind
}

TEST_F(AdoTest, AMissingFolderIsOfferedForCreation) {
    const std::string typed = "C:\\Users\\me\\Tamber Data";
    dialogs.answers = {mb::kNo, mb::kYes};
    Run([&] {
        window.txtPath.SetText(typed);
        host.Click(window.cmdOK); // No: back in the window, nothing saved
        EXPECT_TRUE(window.Loaded());
        EXPECT_EQ(Setting("SettingsLocation"), "<none>");
        EXPECT_EQ(Setting("Ado"), "<none>");
        host.Click(window.cmdOK);
    });
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].prompt,
              "The folder " + typed + " does not exist.\r\nDo you want to create it?");
    EXPECT_TRUE(files.IsFolder(typed));
    EXPECT_EQ(Setting("SettingsLocation"), typed);
    EXPECT_EQ(M().SettingsDir, typed + "\\");
}

TEST_F(AdoTest, AFolderThatIsNotAFullPathIsRefused) {
    files.MakeFolders("\\\\server\\share\\Tamber");
    Run([&] {
        for (const char* typed : {"Data2", "\\Data", "C:Data", "\\\\server", "\\\\server\\"}) {
            window.txtPath.SetText(typed);
            host.Click(window.cmdOK);
            EXPECT_TRUE(window.Loaded()) << typed;
        }
        window.txtPath.SetText("\\\\server\\share\\Tamber");
        host.Click(window.cmdOK);
    });
    ASSERT_EQ(dialogs.shown.size(), 5u);
    EXPECT_EQ(dialogs.shown[0].prompt,
              "The folder Data2 is not a full path.\r\nType a drive and folder, such as "
              "C:\\Tamberlist\\Data, or a network share, such as \\\\server\\share\\Tamberlist.");
    EXPECT_FALSE(files.IsFolder("Data2"));
    EXPECT_EQ(Setting("SettingsLocation"), "\\\\server\\share\\Tamber");
}

TEST_F(AdoTest, AFolderThatCannotBeMadeOrWrittenSavesNothing) {
    files.WriteAll("C:\\Data.lst", "x");
    files.MakeFolders("C:\\ReadOnly");
    Run([&] {
        window.txtPath.SetText("C:\\Data.lst\\Sub");
        host.Click(window.cmdOK);
        EXPECT_TRUE(window.Loaded());
        window.txtPath.SetText("C:\\ReadOnly");
        files.failWrites = 70;
        host.Click(window.cmdOK);
        EXPECT_TRUE(window.Loaded());
        files.failWrites = 0;
    });
    ASSERT_EQ(dialogs.shown.size(), 3u); // the offer to create, then two refusals
    EXPECT_NE(dialogs.shown[1].prompt.find("The folder C:\\Data.lst\\Sub could not be created"),
              std::string::npos);
    EXPECT_NE(dialogs.shown[2].prompt.find("cannot write its files in the folder C:\\ReadOnly"),
              std::string::npos);
    EXPECT_EQ(Setting("SettingsLocation"), "<none>");
    EXPECT_EQ(Setting("Ado"), "<none>");
}

} // namespace
} // namespace tamber
