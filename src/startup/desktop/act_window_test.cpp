#include "startup/desktop/act_window.h"

#include <gtest/gtest.h>

#include "common/scripted_dialogs.h"
#include "ports/memory/fake_desktop.h"
#include "ports/platform.h"

namespace tamber {
namespace {

constexpr ThreadId kOwn = 1, kAct = 7;
constexpr WindowHandle kActMain = 100, kField = 101, kNotes = 102, kOwnEdit = 200;

class ActWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.currentThread = kOwn;
        desktop.windows[kActMain] = {kAct, "ACT_MainWindow", {}};
        desktop.windows[kField] = {kAct, "Edit", {10, 20, 110, 40}};
        desktop.windows[kNotes] = {kAct, "RichEdit20A", {}};
        desktop.windows[kOwnEdit] = {kOwn, "Edit", {}};
        desktop.focus[kAct] = kField;
        desktop.focus[kOwn] = kOwnEdit;
        desktop.foreground = kActMain;
    }

    bool DetachedAfterAttaching() const {
        return desktop.AttachedTo() == 0 && desktop.attachCalls.size() == 2 &&
               desktop.attachCalls[0].attach && !desktop.attachCalls[1].attach &&
               desktop.attachCalls[1].from == kOwn && desktop.attachCalls[1].to == kAct;
    }

    FakeDesktop desktop;
    ScopedPlatform sys{{.desktop = &desktop}};
    ScriptedDialogs dialogs;
    ScopedDialogs scoped{dialogs};
};

TEST_F(ActWindowTest, TheForegroundWindowIsActs) {
    EXPECT_EQ(GetACTHandle(), kActMain);
    desktop.foreground = 0;
    EXPECT_EQ(GetACTHandle(), 0u);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ActWindowTest, FindsTheFocusedEditOfActsThreadAndDetaches) {
    EXPECT_EQ(FindACTFieldHandle(kActMain), kField);
    EXPECT_TRUE(DetachedAfterAttaching());
    EXPECT_EQ(desktop.attachCalls[0].from, kOwn);
    EXPECT_EQ(desktop.attachCalls[0].to, kAct);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ActWindowTest, NoWindowOrOwnThreadNeedsNoAttachment) {
    EXPECT_EQ(FindACTFieldHandle(0), 0u);
    EXPECT_EQ(FindACTFieldHandle(kOwnEdit), 0u);
    EXPECT_TRUE(desktop.attachCalls.empty());
}

TEST_F(ActWindowTest, ARefusedAttachmentGivesNoField) {
    desktop.refuseAttach = true;
    EXPECT_EQ(FindACTFieldHandle(kActMain), 0u);
    ASSERT_EQ(desktop.attachCalls.size(), 1u);
    EXPECT_TRUE(desktop.attachCalls[0].attach);

    // A handle that names no window has no thread to attach to.
    desktop.refuseAttach = false;
    desktop.attachCalls.clear();
    EXPECT_EQ(FindACTFieldHandle(999), 0u);
    EXPECT_EQ(desktop.AttachedTo(), 0u);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ActWindowTest, OnlyTheExactClassEditIsAField) {
    for (const char* cls :
         {"RichEdit20A", "ComboBox", "edit", "EDIT", "Edit ", "TEdit", "Edit2", "Edi", ""}) {
        desktop.windows[kField].className = cls;
        desktop.attachCalls.clear();
        EXPECT_EQ(FindACTFieldHandle(kActMain), 0u) << cls;
        EXPECT_TRUE(DetachedAfterAttaching()) << cls;
    }
    desktop.focus.erase(kAct); // nothing focused in ACT!
    desktop.attachCalls.clear();
    EXPECT_EQ(FindACTFieldHandle(kActMain), 0u);
    EXPECT_TRUE(DetachedAfterAttaching());
}

TEST_F(ActWindowTest, AFailureWhileAttachedStillDetachesAndIsReported) {
    desktop.failFocus = true;
    EXPECT_EQ(FindACTFieldHandle(kActMain), 0u);
    EXPECT_TRUE(DetachedAfterAttaching());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("in Module1: Function FindACTFieldHandle - Line # 10"),
              std::string::npos)
        << dialogs.shown[0].prompt;
}

TEST_F(ActWindowTest, AMissingDesktopIsReportedNotFatal) {
    Sys().desktop = nullptr;
    EXPECT_EQ(GetACTHandle(), 0u);
    EXPECT_EQ(FindACTFieldHandle(kActMain), 0u);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_NE(dialogs.shown[0].prompt.find("Function GetACTHandle"), std::string::npos);
    EXPECT_NE(dialogs.shown[1].prompt.find("Function FindACTFieldHandle"), std::string::npos);
}

} // namespace
} // namespace tamber
