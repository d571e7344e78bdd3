// The contract suite against the automation client, talking over COM to the stand-in ACT!
// (actstandin.exe, registered and started here, driven with actctl.exe) with the sample
// database open.
#include <windows.h>

#include <string>
#include <vector>

#include "actdb/actdb.h"
#include "ports/contracts/act_contract.h"
#include "ports/win32/win32_act.h"

namespace tamber::act::contract {
namespace {

const std::string kFolder = "C:\\ActContract";
const std::string kDb = kFolder + "\\Contacts.dbf";
const std::string kSettings = kFolder + "\\actstandin.ini";

// Build-tree paths come as Unix paths; Wine shows the Unix root as drive Z:.
std::string WinePath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Runs a program to its end (at most a minute) and gives its exit code, 999 when it failed.
DWORD Run(std::string commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &si, &pi))
        return 999;
    DWORD rc = 999;
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &rc);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return rc;
}

DWORD Ctl(const std::string& args) {
    return Run("\"" + WinePath(TAMBER_ACTCTL_EXE) + "\" " + args);
}

class StandinSubject : public Subject {
  public:
    StandinSubject() {
        // Every test starts from the sample, open, on its first record.
        actdb::Save(sample_, kDb);
        if (Ctl("open \"" + kDb + "\"") != 0) ADD_FAILURE() << "the stand-in did not open " << kDb;
        automation_ = MakeWin32Automation();
    }
    Automation& automation() override { return *automation_; }
    const actdb::Database& expected() override { return sample_; }
    std::string path() override { return kDb; }

  private:
    actdb::Database sample_ = actdb::Load(WinePath(TAMBER_ACTDB_SAMPLE));
    std::unique_ptr<Automation> automation_;
};

// Registers and starts the stand-in once for the whole program.
class StandinEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        CreateDirectoryA(kFolder.c_str(), nullptr);
        DeleteFileA(kSettings.c_str());
        actdb::Save(actdb::Load(WinePath(TAMBER_ACTDB_SAMPLE)), kDb);
        Ctl("/timeout 0 quit");
        const std::string exe = "\"" + WinePath(TAMBER_STANDIN_EXE) + "\"";
        ASSERT_EQ(Run(exe + " /RegServer"), 0u);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::string cmd = exe + " /settings \"" + kSettings + "\" \"" + kDb + "\"";
        ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &pi));
        CloseHandle(pi.hThread);
        process_ = pi.hProcess;
        ASSERT_EQ(Ctl("wait"), 0u);
    }
    void TearDown() override {
        Ctl("quit");
        if (process_) {
            WaitForSingleObject(process_, 10000);
            CloseHandle(process_);
        }
    }

  private:
    HANDLE process_ = nullptr;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new StandinEnvironment);

// Pumps this thread's messages (COM delivers calls into the apartment through them) until
// done() or five seconds have passed.
template <class F> void PumpUntil(F done) {
    DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < 5000) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

TEST(AutomationClient, ClosingNotificationArrivesUntilTheControlIsReleased) {
    StandinSubject subject;
    Automation& a = subject.automation();
    std::vector<Notification> heard, heardAfterRelease;
    auto events = a.CreateEventControl();
    events->OnNotification([&](Notification n) { heard.push_back(n); });
    auto released = a.CreateEventControl();
    released->OnNotification([&](Notification n) { heardAfterRelease.push_back(n); });
    released->Disconnect();

    auto app = a.CreateApp();
    app->Command(150);
    PumpUntil([&] { return !heard.empty(); });
    EXPECT_EQ(heard, std::vector<Notification>{Notification::DatabaseClosing});
    EXPECT_TRUE(heardAfterRelease.empty());
    EXPECT_EQ(events->DatabaseOpen(0), 0);
    EXPECT_FALSE(events->CannotCommunicate());
    EXPECT_EQ(app->GetOpenDBName(), "");
    try {
        app->Views()->Create(1, "CV");
        ADD_FAILURE() << "a view without a database";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), kErrNoDatabase);
        EXPECT_FALSE(e.description().empty());
    }
    ASSERT_EQ(Ctl("open \"" + kDb + "\""), 0u);
}

TEST(AutomationClient, ServerErrorsKeepTheirDescription) {
    StandinSubject subject;
    auto db = subject.automation().CreateDatabase();
    try {
        db->Group();
        ADD_FAILURE() << "not attached";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), kErrNotAttached);
        EXPECT_NE(e.description().find("attached"), std::string::npos) << e.description();
    }
}

INSTANTIATE_TEST_SUITE_P(Standin, ActContract,
                         ::testing::Values(Target{
                             "AutomationClient",
                             [] { return std::make_unique<StandinSubject>(); }}),
                         TargetName);

} // namespace
} // namespace tamber::act::contract
