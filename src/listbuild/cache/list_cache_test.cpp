#include "listbuild/cache/list_cache.h"

#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "listbuild/progress/progress_channel.h"
#include "ports/memory/fake_process_launcher.h"
#include "ports/memory/memory_list_window_ports.h"
#include "ports/memory/memory_settings_store.h"
#include "staticlists/listfiles/list_file.h"
#include "staticlists/listfiles/list_test_env.h"

namespace tamber {
namespace {

// Records every "Stage" written.
class StageLog : public MemorySettingsStore {
  public:
    std::vector<std::string> stages;
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override {
        if (key == "Stage") stages.push_back(value);
        MemorySettingsStore::SaveSetting(app, section, key, value);
    }
};

class ListCacheTest : public ListFolderTest {
  protected:
    StageLog settings;
    FakeProcessLauncher processes;
    ProgressChannel progress{settings, processes};
    const std::string file = "C:\\Data\\Contacts_000001.dat";
};

TEST_F(ListCacheTest, SaveReplacesTheListAndCountsInHundreds) {
    ASSERT_TRUE(listbuild::SaveList(file, {"x", "y", "z", "w"}, progress));
    std::vector<std::string> entries(250, "e");
    entries[0] = "";
    ASSERT_TRUE(listbuild::SaveList(file, entries, progress));
    EXPECT_EQ(listfile::ListReader(file).Count(), 250);
    EXPECT_EQ(listfile::ListReader(file).Entry(1), "");
    EXPECT_EQ(listfile::ListReader(file).RunStartOf('e'), 2);
    EXPECT_EQ(listfile::ListReader(file).RunStartOf('x'), std::nullopt) << "the old index is gone";
    EXPECT_EQ(settings.stages, (std::vector<std::string>{"0", "0", "100", "200"}));
    EXPECT_EQ(settings.GetSetting("Varnel", "Progress", "Step"), "End");
}

TEST_F(ListCacheTest, AFailedWriteLeavesTheFileAsItWas) {
    ASSERT_TRUE(listbuild::SaveList(file, {"kept"}, progress));
    const std::string before = Bytes(file);
    fs.failWrites = 70;
    EXPECT_FALSE(listbuild::SaveList(file, {"lost"}, progress));
    fs.failWrites = 0;
    EXPECT_EQ(Bytes(file), before);
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(ListCacheTest, AFailedSaveNamesTheFileAndSaysTheListWasNotSaved) {
    ASSERT_TRUE(listbuild::SaveList(file, {"kept"}, progress));
    const std::string before = Bytes(file);
    const std::string unsaved = file + " could not be written; the list was not saved.'";
    for (long failure : {err::kDiskFull, err::kPermissionDenied}) {
        dialogs.shown.clear();
        fs.failWrites = failure;
        EXPECT_FALSE(listbuild::SaveList(file, {"lost"}, progress));
        fs.failWrites = 0;
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_NE(dialogs.shown[0].prompt.find(unsaved), std::string::npos)
            << dialogs.shown[0].prompt;
        EXPECT_EQ(dialogs.shown[0].prompt.rfind("Error " + std::to_string(failure) + ": '", 0), 0u);
    }
    // A cache file made read-only is not replaced behind the user's back.
    dialogs.shown.clear();
    fs.SetReadOnly(file);
    EXPECT_FALSE(listbuild::SaveList(file, {"lost"}, progress));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("Error 70: 'Permission denied: " + unsaved),
              std::string::npos)
        << dialogs.shown[0].prompt;
    EXPECT_EQ(Bytes(file), before);
}

TEST_F(ListCacheTest, SaveRemovesWhatAnInterruptedSaveOfTheSameListLeft) {
    fs.WriteAll(file + ".~4242_1.tmp", "");
    fs.WriteAll(file + ".~77_3.tmp", "[Items]\r\n1=half\r\n");
    const std::string other = "C:\\Data\\Contacts_200001_N.dat.~4242_2.tmp";
    fs.WriteAll(other, "");
    ASSERT_TRUE(listbuild::SaveList(file, {"x"}, progress));
    EXPECT_EQ(fs.ListFiles("C:\\Data", "Contacts_000001.dat.~*"), std::vector<std::string>{});
    EXPECT_TRUE(fs.Exists(other)) << "another list's file is left alone";
    EXPECT_EQ(listfile::ListReader(file).Count(), 1);
}

TEST_F(ListCacheTest, WhileAnotherProgramKeepsTheLockNothingIsSavedOrRemoved) {
    ASSERT_TRUE(listbuild::SaveList(file, {"kept"}, progress));
    const std::string before = Bytes(file);
    // The other program's save in progress.
    const std::string theirs = file + ".~77_3.tmp";
    fs.WriteAll(theirs, "[Items]\r\n1=half\r\n");
    std::unique_ptr<FileLock> other = fs.Lock("C:\\Data\\Contacts_lists.lock", {});
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(listbuild::SaveList(file, {"lost"}, progress));
    EXPECT_EQ(Bytes(file), before);
    EXPECT_TRUE(fs.Exists(theirs));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("is changing its lists"), std::string::npos);
    EXPECT_EQ(settings.GetSetting("Varnel", "Progress", "Step"), "End") << "gauge ends";
    // Once it has let go, what it left is an interrupted save.
    other.reset();
    ASSERT_TRUE(listbuild::SaveList(file, {"saved"}, progress));
    EXPECT_EQ(listfile::ListReader(file).Entry(1), "saved");
    EXPECT_FALSE(fs.Exists(theirs));
}

TEST(FileDateText, LocalDateThenHourAndMinute) {
    FixedLocale locale;
    EXPECT_EQ(listbuild::FileDateText(FileTimeOf(2007, 3, 6, 9, 5), locale),
              "Tuesday March 6, 2007 at 9:05");
    locale.offsetMinutes = -10 * 60;
    EXPECT_EQ(listbuild::FileDateText(FileTimeOf(2007, 3, 6, 9, 5), locale),
              "Monday March 5, 2007 at 23:05");
    locale.failConversion = true;
    EXPECT_EQ(listbuild::FileDateText(FileTimeOf(2007, 3, 6, 9, 5), locale), "");
}

} // namespace
} // namespace tamber
