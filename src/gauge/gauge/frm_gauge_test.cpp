#include "gauge/gauge/frm_gauge.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/program_end.h"
#include "common/scripted_dialogs.h"
#include "common/vb_error.h"
#include "forms/runtime/headless.h"
#include "ports/memory/memory_settings_store.h"
#include "ports/platform.h"

namespace tamber {
namespace {

using forms::vb::kHourglass;

// Counts writes so a test can tell that nothing more was written.
class CountingStore : public MemorySettingsStore {
  public:
    int saves = 0;
    bool failStepReads = false;
    std::string GetSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& def = "") override {
        if (failStepReads && key == "Step") throw VbError(5, "Invalid procedure call or argument");
        return MemorySettingsStore::GetSetting(app, section, key, def);
    }
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override {
        ++saves;
        MemorySettingsStore::SaveSetting(app, section, key, value);
    }
};

class GaugeTest : public ::testing::Test {
  protected:
    GaugeTest() { SetAppTitle(kGaugeTitle); }
    ~GaugeTest() override { SetAppTitle(""); }

    forms::HeadlessHost host;
    ReentrantDialogs dialogs;
    ScopedDialogs scope{dialogs};
    CountingStore store;
    ScopedPlatform sys{{.settings = &store}};
    frmGauge f{[] { return std::uintptr_t{0x1A2B}; }};

    void Put(const std::string& name, const std::string& value) {
        store.MemorySettingsStore::SaveSetting("Varnel", "Progress", name, value);
    }
    std::string Get(const std::string& name) {
        return store.GetSetting("Varnel", "Progress", name, "<missing>");
    }
    void OneTick() { host.AdvanceMs(500); }
};

TEST_F(GaugeTest, LoadWritesItsHandleAndWaitsWithTheScanningText) {
    f.Show();
    EXPECT_EQ(Get("GAUGE"), "6699");
    EXPECT_EQ(f.MousePointer(), kHourglass);
    EXPECT_EQ(f.Label2.Caption(), "Scanning... Please wait!");
    EXPECT_FALSE(f.prg1.Visible());
    EXPECT_TRUE(f.Label1.Visible());
    // The cancel button lies outside the borderless window's client area; the frame inside it.
    EXPECT_EQ(f.Width(), f.ScaleWidth());
    EXPECT_GE(f.cmdCancel.Top(), f.ScaleHeight());
    EXPECT_LT(f.Line2.X1(), f.ScaleWidth());
    EXPECT_LT(f.Line3.Y1(), f.ScaleHeight());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(GaugeTest, UnknownOrMissingStepChangesNothing) {
    f.Show();
    Put("Total", "200");
    Put("Stage", "50");
    OneTick();
    EXPECT_EQ(f.Label2.Caption(), "Scanning... Please wait!");
    EXPECT_FALSE(f.prg1.Visible());
    Put("Step", "Loading");
    OneTick();
    EXPECT_EQ(f.Label2.Caption(), "Scanning... Please wait!");
    EXPECT_FALSE(f.prg1.Visible());
    EXPECT_EQ(f.total, 200);
    EXPECT_EQ(f.step, "Loading");
}

TEST_F(GaugeTest, PhasesMoveTheBarByStageOverTotal) {
    f.Show();
    Put("Step", "Building");
    Put("Total", "200");
    Put("Stage", "50");
    OneTick();
    EXPECT_EQ(f.Label2.Caption(), "Building list... Please Wait!");
    EXPECT_TRUE(f.prg1.Visible());
    EXPECT_FALSE(f.Label1.Visible());
    EXPECT_DOUBLE_EQ(f.prg1.Value(), 25);

    // A total of 0 shows the phase but leaves the bar where it was.
    Put("Step", "Saving");
    Put("Total", "0");
    Put("Stage", "100");
    OneTick();
    EXPECT_EQ(f.Label2.Caption(), "Saving list... Please Wait!");
    EXPECT_DOUBLE_EQ(f.prg1.Value(), 25);

    Put("Total", "3");
    Put("Stage", "1");
    OneTick();
    EXPECT_NEAR(f.prg1.Value(), 33.333, 0.001);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(GaugeTest, StageAboveTotalShowsAFullBarWithoutError) {
    f.Show();
    Put("Step", "Saving");
    Put("Total", "120");
    Put("Stage", "300"); // the building phase's count, read before tamber reset it
    OneTick();
    EXPECT_DOUBLE_EQ(f.prg1.Value(), 100);
    Put("Stage", "-5");
    OneTick();
    EXPECT_DOUBLE_EQ(f.prg1.Value(), 0);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(GaugeTest, BadCountsAreReportedOnceAndReadAsZeroWhilePollingGoesOn) {
    f.Show();
    Put("Step", "Building");
    Put("Total", "lots");
    Put("Stage", "10");
    // While the one message box is open the timer keeps firing: no second box.
    dialogs.whileOpen = [&] {
        for (int i = 0; i < 3; ++i)
            host.Tick(f.Timer1);
        EXPECT_EQ(f.Label2.Caption(), "Building list... Please Wait!");
    };
    OneTick();
    dialogs.whileOpen = nullptr;
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, "gauge error");
    EXPECT_NE(dialogs.shown[0].prompt.find("Error 13: 'Type mismatch'"), std::string::npos)
        << dialogs.shown[0].prompt;
    EXPECT_NE(dialogs.shown[0].prompt.find("in frmGauge: Sub Timer1_Timer - Line # 1"),
              std::string::npos);
    EXPECT_EQ(f.total, 0);
    EXPECT_DOUBLE_EQ(f.prg1.Value(), 0);

    // Good values move the bar again; a later bad one, here too large, stays silent.
    Put("Total", "20");
    OneTick();
    EXPECT_DOUBLE_EQ(f.prg1.Value(), 50);
    Put("Stage", "99999999999");
    host.AdvanceMs(1500);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(f.stage, 0);

    Put("Step", "End");
    EXPECT_THROW(OneTick(), ProgramEnded);
}

TEST_F(GaugeTest, OtherTickErrorsShowOneMessageAtATime) {
    f.Show();
    store.failStepReads = true;
    dialogs.whileOpen = [&] {
        for (int i = 0; i < 3; ++i)
            host.Tick(f.Timer1);
    };
    OneTick();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("in frmGauge: Sub Timer1_Timer - Line # 5"),
              std::string::npos);
    // Once it is closed, the next failing tick reports again.
    dialogs.whileOpen = nullptr;
    OneTick();
    EXPECT_EQ(dialogs.shown.size(), 2u);
    store.failStepReads = false;
    Put("Step", "End");
    EXPECT_THROW(OneTick(), ProgramEnded);
}

TEST_F(GaugeTest, EndStopsTheProgramAtTheNextTickWithoutWriting) {
    f.Show();
    Put("Step", "Building");
    Put("Total", "100");
    OneTick();
    const int saves = store.saves;
    Put("Step", "End");
    host.AdvanceMs(499);
    EXPECT_TRUE(f.Loaded());
    EXPECT_THROW(host.AdvanceMs(1), ProgramEnded);
    EXPECT_EQ(store.saves, saves);
    EXPECT_EQ(Get("Status"), "<missing>");
}

TEST_F(GaugeTest, EndsAtTheNextTickOnceItsStarterHasEnded) {
    bool starterRunning = true;
    frmGauge g{[] { return std::uintptr_t{1}; }, [&] { return starterRunning; }};
    g.Show();
    Put("Step", "Saving");
    OneTick();
    EXPECT_TRUE(g.Loaded());
    starterRunning = false; // tamber ended without writing "End"
    EXPECT_THROW(OneTick(), ProgramEnded);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(GaugeTest, EscapeWritesStatusOffAndEndsTheProgram) {
    Put("Step", "Building");
    f.Show();
    OneTick();
    host.Key(forms::vb::kKeyEscape);
    EXPECT_EQ(Get("Status"), "Off");
    EXPECT_TRUE(host.Ended());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(GaugeTest, AFailedWriteAtLoadIsReportedAndTheWindowStillPolls) {
    store.failSaves = 70;
    f.Show();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("in frmGauge: Sub Form_Load - Line # 2"),
              std::string::npos);
    store.failSaves = 0;
    Put("Step", "Saving");
    OneTick();
    EXPECT_EQ(f.Label2.Caption(), "Saving list... Please Wait!");
}

TEST_F(GaugeTest, CentresOnTheGivenScreenArea) {
    // A second monitor to the right of a 1024-pixel one; 15 twips per pixel.
    CentreOnArea(f, 1024, 0, 2944, 1080);
    EXPECT_EQ(f.Left(), 1024 * 15 + (1920 * 15 - 4590) / 2);
    EXPECT_EQ(f.Top(), (1080 * 15 - 1440) / 2);
    // A screen smaller than the window: the window still straddles its centre.
    CentreOnArea(f, 0, 0, 200, 60);
    EXPECT_EQ(f.Left() + f.Width() / 2, 100 * 15);
}

} // namespace
} // namespace tamber
