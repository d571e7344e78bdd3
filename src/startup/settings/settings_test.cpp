#include <gtest/gtest.h>

#include "common/program_end.h"
#include "common/vb_error.h"
#include "module1/module1.h"
#include "startup/settings/settings.h"
#include "testing/program_test.h"

namespace tamber {
namespace {

class SettingsLocation : public testing::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ResetModule1(); // these tests find the settings folder themselves
        processes.programFolder = "C:\\Program Files\\Tamberlist";
        M().DbName = "Sales";
    }
};

TEST_F(SettingsLocation, DefaultsToTheProgramsDataFolder) {
    files.MakeFolders("C:\\Program Files\\Tamberlist\\Data");
    Init_Settings_Location();
    EXPECT_EQ(M().SettingsDir, "C:\\Program Files\\Tamberlist\\Data\\");
    EXPECT_EQ(M().IniFile, "C:\\Program Files\\Tamberlist\\Data\\Sales.ini");
    EXPECT_EQ(M().ListsIniFile, "C:\\Program Files\\Tamberlist\\Data\\Sales_lists.ini");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsLocation, ConfiguredFolderIsUsedUncheckedAndUncreated) {
    files.MakeFolders("C:\\Program Files\\Tamberlist\\Data");
    settings.SaveSetting("Tamberlist", "Settings", "SettingsLocation", "D:\\Shared\\Lists");
    Init_Settings_Location();
    EXPECT_EQ(M().IniFile, "D:\\Shared\\Lists\\Sales.ini");
    EXPECT_FALSE(files.Exists("D:\\Shared\\Lists"));
}

TEST_F(SettingsLocation, AConfiguredFolderThatDoesNotExistIsSaidAndStillUsed) {
    files.MakeFolders("C:\\Program Files\\Tamberlist\\Data");
    settings.SaveSetting("Tamberlist", "Settings", "SettingsLocation", "D:\\Shared\\Lists");
    Init_Settings_Location();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt,
              "The settings folder D:\\Shared\\Lists does not exist (a network drive that is not "
              "connected, or a folder that was moved).\r\nLists and settings cannot be read or "
              "saved until it is back, or until another folder is chosen in the settings window.");
    EXPECT_EQ(dialogs.shown[0].style, mb::kExclamation);
    EXPECT_EQ(M().IniFile, "D:\\Shared\\Lists\\Sales.ini") << "a drive that comes back is used";

    dialogs.shown.clear();
    files.MakeFolders("D:\\Shared\\Lists");
    Init_Settings_Location();
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsLocation, MissingProgramDataFolderEndsTheProgramEvenWithAnotherLocation) {
    files.MakeFolders("D:\\Shared\\Lists");
    settings.SaveSetting("Tamberlist", "Settings", "SettingsLocation", "D:\\Shared\\Lists");
    EXPECT_THROW(Init_Settings_Location(), ProgramEnded);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "You need to create a sub-folder named 'Data' in the "
                                       "C:\\Program Files\\Tamberlist folder.");
    EXPECT_EQ(dialogs.shown[0].style, mb::kCritical);
    EXPECT_EQ(dialogs.shown[0].title, "Tamberlist");
    EXPECT_EQ(M().IniFile, "");
}

TEST_F(SettingsLocation, AFileNamedDataIsNotMistakenForMissing) {
    // The existence test accepts files and folders alike, as the shell call does.
    files.MakeFolders("C:\\Program Files\\Tamberlist");
    files.WriteAll("C:\\Program Files\\Tamberlist\\Data", "");
    Init_Settings_Location();
    EXPECT_EQ(M().SettingsDir, "C:\\Program Files\\Tamberlist\\Data\\");
}

TEST_F(SettingsLocation, PathExists) {
    files.MakeFolders("C:\\A\\B");
    files.WriteAll("C:\\A\\f.lst", "x");
    EXPECT_FALSE(Path_Exists(""));
    EXPECT_TRUE(Path_Exists("C:\\A\\B"));
    EXPECT_TRUE(Path_Exists("C:\\A\\f.lst"));
    EXPECT_FALSE(Path_Exists("C:\\A\\g.lst"));
}

TEST_F(SettingsLocation, StoreFailureIsReportedNotThrown) {
    files.MakeFolders("C:\\Program Files\\Tamberlist\\Data");
    struct DeniedStore : MemorySettingsStore {
        std::string GetSetting(const std::string&, const std::string&, const std::string&,
                               const std::string&) override {
            throw VbError(err::kPermissionDenied, "Permission denied");
        }
    } denied;
    Sys().settings = &denied;
    Init_Settings_Location();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("in Module1: Sub Init_Settings_Location - Line # 10"),
              std::string::npos);
}

} // namespace
} // namespace tamber
