#include "ports/win32/win32_process_launcher.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "common/vb_error.h"

namespace tamber {
namespace {

TEST(Win32ProcessLauncher, ProgramFolderAndNameMakeTheRunningExecutable) {
    Win32ProcessLauncher launcher;
    std::string folder = launcher.ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_EQ(launcher.ExeName(), "win32_process_launcher_test");
    EXPECT_TRUE(GetFileAttributesA((folder + "\\" + launcher.ExeName() + ".exe").c_str()) !=
                INVALID_FILE_ATTRIBUTES);
}

TEST(Win32ProcessLauncher, MissingProgramIsFileNotFound) {
    Win32ProcessLauncher launcher;
    try {
        launcher.Start(launcher.ProgramFolder() + "\\no-such-gauge.exe");
        FAIL() << "started a missing program";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), err::kFileNotFound);
    }
}

TEST(Win32ProcessLauncher, SecondClaimOfTheNameSeesTheFirst) {
    Win32ProcessLauncher first, second;
    EXPECT_FALSE(first.AnotherInstanceRunning("TamberlistProcessTest"));
    EXPECT_TRUE(second.AnotherInstanceRunning("TamberlistProcessTest"));
    EXPECT_FALSE(first.AnotherInstanceRunning("TamberlistProcessTest"));
}

} // namespace
} // namespace tamber
