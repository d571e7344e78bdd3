#include "common/procedure.h"

#include <gtest/gtest.h>

#include "common/program_end.h"
#include "common/scripted_dialogs.h"

namespace tamber {
namespace {

class ProcedureTest : public ::testing::Test {
  protected:
    void SetUp() override { SetAppTitle("Tamberlist"); }
    ReentrantDialogs dialogs;
    ScopedDialogs scope{dialogs};
};

TEST_F(ProcedureTest, ReportsTheMarkedStatementAndReturnsTheDefault) {
    const int result = Function("Module1", "Probe", [&](Statement& at) -> int {
        at();
        at();
        throw VbError(91, "Object variable or With block variable not set");
    });
    EXPECT_EQ(result, 0);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, "Tamberlist error");
    EXPECT_NE(dialogs.shown[0].prompt.find("Error 91: 'Object variable or With block variable "
                                           "not set'\r\nin Module1: Function Probe - Line # 2"),
              std::string::npos)
        << dialogs.shown[0].prompt;

    EXPECT_EQ(Function(
                  "Module1", "Probe", [](Statement&) -> std::string { throw VbError(5, "x"); },
                  std::string("fallback")),
              "fallback");
    Sub("frmList", "Form_Load", [](Statement&) { throw std::out_of_range("index"); });
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_NE(dialogs.shown[2].prompt.find("Error 9: 'Subscript out of range'\r\nin frmList: Sub "
                                           "Form_Load - Line # 1"),
              std::string::npos)
        << "a body that marks nothing reports its first line";
}

TEST_F(ProcedureTest, TheProgramsEndPassesThrough) {
    EXPECT_THROW(Sub("frmGauge", "Timer1_Timer", [](Statement&) { EndProgram(); }), ProgramEnded);
    ReportGuard guard;
    guard.reporting = true;
    EXPECT_THROW(Sub("frmGauge", "Timer1_Timer", guard, [](Statement&) { EndProgram(); }),
                 ProgramEnded)
        << "also while an earlier message is open";
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ProcedureTest, AGuardedProcedureReportsOnceWhileItsMessageIsOpen) {
    ReportGuard guard;
    auto fail = [&] {
        Sub("frmGauge", "Timer1_Timer", guard,
            [](Statement&) { throw VbError(13, "Type mismatch"); });
    };
    dialogs.whileOpen = [&] {
        EXPECT_TRUE(guard.reporting);
        fail(); // a tick under the open message box
        fail();
    };
    fail();
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_FALSE(guard.reporting);
    dialogs.whileOpen = nullptr;
    fail();
    EXPECT_EQ(dialogs.shown.size(), 2u) << "once the box is closed the next error is reported";
}

} // namespace
} // namespace tamber
