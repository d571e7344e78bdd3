// The integration window against the stand-in ACT!, with real clicks: the ticked Contacts
// boxes reach ACT!, Yes to the restart question has it close and reopen its database, and the
// add-on's button and menu entry then start tamber.exe.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "forms/win32/test_support.h"
#include "forms/win32/win32_host.h"
#include "integration/integrate/frm_integrate.h"
#include "module1/module1.h"
#include "ports/act.h"
#include "ports/dialogs.h"
#include "ports/platform.h"
#include "ports/process.h"
#include "ports/win32/win32_act.h"
#include "test_session.h"

namespace tamber {
namespace {

using forms::win32::Win32Host;
namespace input = forms::win32::testing;
using namespace e2e;

const std::string kFolder = "C:\\TamberIntegrateWine";
const std::string kDb = kFolder + "\\Contacts.dbf";
const std::string kJournal = kFolder + "\\journal.txt";
const std::string kStandinSettings = kFolder + "\\actstandin.ini";

// The program folder is the one tamber.exe and its icons were built into.
class BinFolder : public ProcessLauncher {
  public:
    std::string ProgramFolder() override {
        std::string exe = WinPath(TAMBER_EXE);
        return exe.substr(0, exe.rfind('\\'));
    }
    std::string ExeName() override { return "tamber"; }
    void Start(const std::string&) override {}
    bool AnotherInstanceRunning(const std::string&) override { return false; }
};

class IntegrateWine : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateDirectoryA(kFolder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(WinPath(SAMPLE_DB).c_str(), kDb.c_str(), FALSE));
        DeleteFileA(kJournal.c_str());
        DeleteFileA(kStandinSettings.c_str()); // nothing registered yet
        ASSERT_EQ(RunProgram(Quote(WinPath(STANDIN_EXE)) + " /RegServer").exitCode, 0u);
        HANDLE standin =
            StartStandin("/journal " + kJournal + " /settings " + kStandinSettings + " " + kDb);
        ASSERT_NE(standin, nullptr);
        started.push_back(standin);
        ResetModule1();
        SetAppTitle("Tamberlist");
    }
    void TearDown() override {
        automation.reset();
        EndAll(started);
    }
    // Starts the program behind the add-on's toolbar button or Tools entry; its process id.
    DWORD Press(const std::string& where) {
        DWORD pid = 0;
        PressAddOn(where, started, &pid);
        return pid;
    }

    Win32Host host;
    BinFolder folder;
    std::unique_ptr<act::Automation> automation = act::MakeWin32Automation();
    ScopedPlatform sys{{.processes = &folder, .automation = automation.get()}};
    std::vector<HANDLE> started;
};

TEST_F(IntegrateWine, TickedContactsBoxesShowInActAfterTheRestart) {
    // What the configuration window's unload does with ReopenPending: ACT! closes its
    // database, and the shell opens it again.
    int handedOver = 0;
    auto unloadConfiguration = [&] {
        ++handedOver;
        auto app = automation->CreateApp();
        const std::string path = app->GetOpenDBName();
        app->Command(150);
        ShellExecuteA(nullptr, "open", path.c_str(), nullptr, folder.ProgramFolder().c_str(),
                      SW_SHOWNORMAL);
    };

    // First in French, looked at and cancelled: nothing changes in ACT!.
    {
        frmIntegrate french({.unloadConfiguration = unloadConfiguration});
        french.AppName = "Tamberlist";
        french.Language = 1;
        french.ContactScreen = true;
        input::UserScript user;
        user.Then([&] { return french.Visible(); }, [] {}); // a tick to paint
        user.Then([&] {
            input::SaveScreenshot(Win32Host::WindowOf(french), "frmIntegrate_fr");
            input::PressKey(VK_ESCAPE);
        });
        user.Start();
        french.Show(true);
        ASSERT_FALSE(user.TimedOut());
    }

    frmIntegrate window({.unloadConfiguration = unloadConfiguration});
    window.AppName = "Tamberlist";
    window.ContactScreen = true;
    std::string question;
    input::UserScript user;
    user.Then([&] { return window.Visible(); }, [] {});
    user.Then([&] {
        input::SaveScreenshot(Win32Host::WindowOf(window), "frmIntegrate");
        input::ClickWindow(Win32Host::WindowOf(*window.chkScreen[0]));
    });
    user.Then([&] { return window.chkScreen[0]->Value() == forms::vb::kChecked; },
              [&] { input::ClickWindow(Win32Host::WindowOf(*window.lblScreen[6])); });
    user.Then([&] { return window.chkScreen[6]->Value() == forms::vb::kChecked; },
              [&] { input::ClickWindow(Win32Host::WindowOf(window.cmdOK)); });
    user.Then([&] { return input::MessageBoxWithText(&question) != nullptr; },
              [] { input::PressKey(VK_RETURN); }); // Yes, the default
    user.Start(30000);
    window.Show(true);
    ASSERT_FALSE(user.TimedOut());

    EXPECT_EQ(question, "You need to re-start ACT! for the changes to take effect!\r\n"
                        "Do you want to re-start it now?");
    EXPECT_TRUE(M().ReopenPending);
    EXPECT_EQ(handedOver, 1);
    EXPECT_FALSE(window.Loaded());

    // The stand-in closed its database and opened it again, now with the add-on's entries.
    bool reopened = false;
    for (int i = 0; i < 100 && !reopened; ++i, Sleep(100))
        reopened = Ctl("button-rect Tamberlist").exitCode == 0;
    EXPECT_TRUE(reopened);
    const std::string journal = Slurp(kJournal);
    const size_t closed = journal.find("close " + kDb);
    ASSERT_NE(closed, std::string::npos) << journal;
    EXPECT_NE(journal.find("open " + kDb, closed), std::string::npos);
    EXPECT_NE(journal.find("AuxCmds.AddAuxCommand(\"Tamberlist\""), std::string::npos);

    Sleep(500);
    if (HWND act = FindWindowA("TamberActStandinMain", nullptr))
        input::SaveScreenshot(act, "act_with_integrated_addon");
    EXPECT_NE(Press("toolbar"), 0u);
    EXPECT_NE(Press("menu"), 0u);
    const std::string after = Slurp(kJournal);
    const std::string program = folder.ProgramFolder() + "\\tamber.EXE";
    EXPECT_NE(after.find("start Tamberlist " + program), std::string::npos) << after;
    EXPECT_NE(after.find("(toolbar)"), std::string::npos);
    EXPECT_NE(after.find("(menu)"), std::string::npos);
}

} // namespace
} // namespace tamber
