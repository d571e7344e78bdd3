#include "common/error_report.h"

#include <gtest/gtest.h>

#include "common/program_end.h"
#include "common/scripted_dialogs.h"

namespace tamber {
namespace {

TEST(ErrorReport, StandardTextHasEveryPartInOrder) {
    EXPECT_EQ(StandardErrorText(53, "File not found", "IniLib", "Function", "GetKeyValue", 20),
              "Error 53: 'File not found'\r\nin IniLib: Function GetKeyValue - Line # 20\r\n\r\n"
              "Please contact support@tamberlist.com with this error message.");
}

TEST(ErrorReport, ShowsOkOnlyBoxCaptionedWithTitleAndError) {
    ScriptedDialogs dialogs;
    ScopedDialogs scope(dialogs);
    SetAppTitle("Tamberlist");
    try {
        throw VbError(91, "Object variable or With block variable not set");
    } catch (...) {
        ReportError("Module1", "Sub", "Create_Database", 3);
    }
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, "Tamberlist error");
    EXPECT_EQ(dialogs.shown[0].style, mb::kOkOnly);
    EXPECT_NE(dialogs.shown[0].prompt.find("Error 91: 'Object variable"), std::string::npos);
    EXPECT_NE(dialogs.shown[0].prompt.find("in Module1: Sub Create_Database - Line # 3"),
              std::string::npos);
}

TEST(ErrorReport, ForeignExceptionsBecomeRunTimeErrors) {
    auto as_vb = [](auto thrower) {
        try {
            thrower();
        } catch (...) {
            return ToVbError(std::current_exception());
        }
        return VbError(0, "");
    };
    EXPECT_EQ(as_vb([] { throw std::bad_alloc(); }).number(), err::kOutOfMemory);
    EXPECT_EQ(as_vb([] { throw std::out_of_range("x"); }).number(), err::kSubscriptOutOfRange);
    EXPECT_EQ(as_vb([] { throw VbError(13, "Type mismatch"); }).description(), "Type mismatch");
}

TEST(ErrorReport, EndIsNotReportedButPassesThroughTheHandler) {
    ScriptedDialogs dialogs;
    ScopedDialogs scope(dialogs);
    auto procedure = [] {
        try {
            EndProgram();
        } catch (...) {
            ReportError("Module1", "Sub", "Init_Settings_Location", 1);
        }
    };
    EXPECT_THROW(procedure(), ProgramEnded);
    EXPECT_TRUE(dialogs.shown.empty());
}

} // namespace
} // namespace tamber
