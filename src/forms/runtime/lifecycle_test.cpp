// Form lifecycle and activation in the headless host: the order VB programs rely on.
#include <gtest/gtest.h>

#include "forms/runtime/headless.h"

namespace tamber::forms {
namespace {

struct Logged : Form {
    CommandButton cmdA{*this, "cmdA"};
    TextBox txtB{*this, "txtB"};
    Menu mnuFile{*this, "mnuFile", "&File"};
    Menu mnuOpen{*this, "mnuOpen", "&Open", &mnuFile};
    Menu mnuSep{*this, "mnuSep", "-", &mnuFile};
    std::vector<std::string>& log;
    bool unloadInLoad = false;
    Control* focusInActivate = nullptr;
    Logged(std::string name, std::vector<std::string>& l) : Form(std::move(name)), log(l) {
        cmdA.onGotFocus = [this] { log.push_back(Name() + ".cmdA.GotFocus"); };
        txtB.onGotFocus = [this] { log.push_back(Name() + ".txtB.GotFocus"); };
        mnuOpen.onClick = [this] { log.push_back(Name() + ".mnuOpen"); };
        mnuSep.onClick = [this] { log.push_back(Name() + ".mnuSep"); };
    }
    void Form_Initialize() override { log.push_back(Name() + ".Initialize"); }
    void Form_Load() override {
        log.push_back(Name() + ".Load");
        if (unloadInLoad) Unload();
    }
    void Form_Activate() override {
        log.push_back(Name() + ".Activate");
        if (focusInActivate) focusInActivate->SetFocus();
    }
    void Form_Deactivate() override { log.push_back(Name() + ".Deactivate"); }
    void Form_Resize() override { log.push_back(Name() + ".Resize"); }
    void Form_Unload(int&) override { log.push_back(Name() + ".Unload"); }
};

class Lifecycle : public ::testing::Test {
  protected:
    HeadlessHost host;
    std::vector<std::string> log;
};

TEST_F(Lifecycle, InitializeOnceLoadPerLoadAndTheFirstControlTakesTheFocus) {
    Logged f("f", log);
    EXPECT_EQ(f.hWnd(), 0u);
    f.Show();
    EXPECT_NE(f.hWnd(), 0u);
    EXPECT_NE(f.cmdA.hWnd(), 0u);
    f.Unload();
    EXPECT_EQ(f.hWnd(), 0u);
    f.Show();
    EXPECT_EQ(log,
              (std::vector<std::string>{"f.Initialize", "f.Load", "f.Activate", "f.cmdA.GotFocus",
                                        "f.Unload", "f.Load", "f.Activate", "f.cmdA.GotFocus"}));
}

TEST_F(Lifecycle, FocusSetInActivateWins) {
    Logged f("f", log);
    f.focusInActivate = &f.txtB;
    f.Show();
    EXPECT_EQ(f.ActiveControl(), &f.txtB);
    EXPECT_EQ(std::count(log.begin(), log.end(), "f.cmdA.GotFocus"), 0);
}

TEST_F(Lifecycle, AFormThatUnloadsInItsLoadIsNeverShown) {
    Logged f("f", log);
    f.unloadInLoad = true;
    f.Show();
    EXPECT_FALSE(f.Loaded());
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(std::count(log.begin(), log.end(), "f.Activate"), 0);
    EXPECT_TRUE(host.Ended());
}

TEST_F(Lifecycle, SwitchingFormsDeactivatesTheOldOneAndHidingActivatesTheNext) {
    Logged a("a", log), b("b", log);
    a.Show();
    b.Show();
    host.Focus(a.txtB);
    EXPECT_EQ(screen::ActiveForm(), &a);
    log.clear();
    a.Hide();
    EXPECT_EQ(screen::ActiveForm(), nullptr);
    host.Idle();
    EXPECT_EQ(screen::ActiveForm(), &b);
    EXPECT_EQ(log, (std::vector<std::string>{"b.Activate"}));
    EXPECT_TRUE(a.Loaded());
}

TEST_F(Lifecycle, ResizeOnlyWhenTheSizeChanges) {
    Logged f("f", log);
    f.Move(0, 0, 3000, 2000); // not loaded: no event
    f.Show();
    log.clear();
    f.SetLeft(500);
    f.SetHeight(2500);
    f.SetHeight(2500);
    EXPECT_EQ(log, (std::vector<std::string>{"f.Resize"}));
}

TEST_F(Lifecycle, SeparatorsAndDisabledMenusDoNothing) {
    Logged f("f", log);
    f.Show();
    log.clear();
    f.mnuSep.FireClick();
    f.mnuOpen.SetEnabled(false);
    f.mnuOpen.FireClick();
    f.mnuOpen.SetEnabled(true);
    f.mnuOpen.FireClick();
    EXPECT_EQ(log, (std::vector<std::string>{"f.mnuOpen"}));
    EXPECT_EQ(f.Menus().size(), 1u);
    EXPECT_EQ(f.mnuFile.Children().size(), 2u);
}

TEST_F(Lifecycle, HourglassPointerReachesTheScreen) {
    screen::SetMousePointer(vb::kHourglass);
    screen::SetMousePointer(vb::kDefault);
    EXPECT_EQ(host.pointers, (std::vector<int>{vb::kHourglass, vb::kDefault}));
    EXPECT_EQ(screen::MousePointer(), vb::kDefault);
}

} // namespace
} // namespace tamber::forms
