#include "listbuild/progress/progress_channel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/vb_error.h"
#include "ports/memory/fake_process_launcher.h"
#include "ports/memory/memory_settings_store.h"

namespace tamber {
namespace {

// One journal of everything the channel does, in order: value writes and process starts.
struct Journal {
    std::vector<std::string> lines;
};

class JournalStore : public MemorySettingsStore {
  public:
    explicit JournalStore(Journal& j) : journal_(j) {}
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override {
        MemorySettingsStore::SaveSetting(app, section, key, value);
        journal_.lines.push_back(app + "\\" + section + "\\" + key + "=" + value);
    }

  private:
    Journal& journal_;
};

class JournalLauncher : public FakeProcessLauncher {
  public:
    explicit JournalLauncher(Journal& j) : journal_(j) {}
    void Start(const std::string& commandLine) override {
        FakeProcessLauncher::Start(commandLine);
        journal_.lines.push_back("start " + commandLine);
    }

  private:
    Journal& journal_;
};

class ProgressChannelTest : public ::testing::Test {
  protected:
    Journal journal;
    JournalStore store{journal};
    JournalLauncher launcher{journal};
    ProgressChannel channel{store, launcher};

    // What a cache refresh does around one builder reading `rows` rows and saving them.
    void Refresh(int rows, bool showProgress) {
        channel.BeginBuild();
        channel.StartForBuild(rows, showProgress);
        for (int i = 1; i <= rows; ++i)
            channel.RowDone(i);
        channel.BeginSave(rows);
        for (int i = 1; i <= rows; ++i)
            channel.RowDone(i);
        channel.End();
    }
    static std::string V(const std::string& rest) { return "Varnel\\Progress\\" + rest; }
};

TEST_F(ProgressChannelTest, LongBuildStartsGaugeOnceAndWritesEveryPhaseInOrder) {
    launcher.programFolder = "C:\\Tamber";
    Refresh(250, true);
    // "Stage" only at multiples of 100, in both phases.
    EXPECT_EQ(journal.lines,
              (std::vector<std::string>{
                  V("Step=Building"), V("Stage=0"), V("Total=250"),
                  "start \"C:\\Tamber\\gauge.exe\"", V("Stage=100"), V("Stage=200"), V("Total=250"),
                  V("Step=Saving"), V("Stage=0"), V("Stage=100"), V("Stage=200"), V("Step=End")}));
    EXPECT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(store.GetSetting("Varnel", "Progress", "Step"), "End");
    // Values stay for the next run to find.
    EXPECT_EQ(store.GetSetting("Varnel", "Progress", "Stage"), "200");
}

TEST_F(ProgressChannelTest, ShortOrUnrequestedBuildsWriteTheirValuesButStartNothing) {
    Refresh(40, true);
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_EQ(journal.lines,
              (std::vector<std::string>{V("Step=Building"), V("Stage=0"), V("Total=40"),
                                        V("Step=Saving"), V("Stage=0"), V("Step=End")}));

    // Exactly at the threshold still shows nothing; the list window's own build never does.
    EXPECT_FALSE(channel.StartForBuild(50, true));
    EXPECT_FALSE(channel.StartForBuild(5000, false));
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_TRUE(channel.StartForBuild(51, true));
    EXPECT_EQ(launcher.started.size(), 1u);
}

TEST_F(ProgressChannelTest, MissingGaugeIsARunTimeErrorForTheCallerAfterTotalIsWritten) {
    launcher.programFolder = "C:\\Program Files\\Tamberlist";
    launcher.missing.insert("\"C:\\Program Files\\Tamberlist\\gauge.exe\"");
    try {
        channel.StartForBuild(200, true);
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), err::kFileNotFound);
    }
    EXPECT_EQ(store.GetSetting("Varnel", "Progress", "Total"), "200");
    EXPECT_TRUE(launcher.started.empty());
}

TEST_F(ProgressChannelTest, AFailingStoreReachesTheCaller) {
    store.failSaves = 70;
    try {
        channel.BeginBuild();
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 70);
    }
}

} // namespace
} // namespace tamber
