// End-to-end tests of the stand-in ACT! under Wine: the real actstandin.exe is registered and
// started, driven with actctl.exe and called over COM from this process, as the add-on calls it.
#include <windows.h>

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "actdb/actdb.h"
#include "ports/dbf/dbf_table.h"
#include "win32/late_call.h"

namespace {

using namespace tamber;
using standin::Answer;
using standin::Call;
using standin::I2;
using standin::I4;
using standin::InvokeId;
using standin::Str;

const char* const kFolder = "C:\\StandinTest";
const std::string kDb = std::string(kFolder) + "\\Contacts.dbf";
const std::string kJournal = std::string(kFolder) + "\\journal.txt";
const std::string kSettings = std::string(kFolder) + "\\actstandin.ini";
const std::string kProbeFolder = std::string(kFolder) + "\\Probe";
// The event control's outgoing interface.
const IID kDiidEvents = {
    0x0a9de64f, 0x1baf, 0x445a, {0x8d, 0xa1, 0xb8, 0x51, 0x15, 0xff, 0xd6, 0x59}};

std::string ExeDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\'));
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Waits for a process while this thread keeps serving COM calls into its apartment.
void PumpUntil(HANDLE process, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) return;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

struct Outcome {
    DWORD rc = 999;
    std::string out;
};

Outcome RunProgram(std::string commandLine, DWORD timeoutMs = 30000) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &sa, 1 << 16);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    Outcome run;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &si, &pi)) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return run;
    }
    CloseHandle(writeEnd);
    PumpUntil(pi.hProcess, timeoutMs);
    char buf[4096];
    DWORD n = 0;
    DWORD avail = 0;
    while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &avail, nullptr) && avail &&
           ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n)
        run.out.append(buf, n);
    GetExitCodeProcess(pi.hProcess, &run.rc);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(readEnd);
    while (!run.out.empty() && (run.out.back() == '\n' || run.out.back() == '\r'))
        run.out.pop_back();
    return run;
}

Outcome Ctl(const std::string& args) {
    return RunProgram("\"" + ExeDir() + "\\actctl.exe\" " + args);
}

HANDLE StartStandin(const std::string& args) {
    std::string cmd = "\"" + ExeDir() + "\\actstandin.exe\" /settings \"" + kSettings +
                      "\" /journal \"" + kJournal + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    Ctl("wait");
    return pi.hProcess;
}

// Result of a call that returns an object; the caller releases it.
IDispatch* Object(IDispatch* d, const std::string& name, std::vector<VARIANT> args = {}) {
    Answer a;
    Call(d, name, std::move(args), a);
    EXPECT_EQ(a.hr, S_OK) << name;
    if (a.hr != S_OK || V_VT(&a.value) != VT_DISPATCH) return nullptr;
    IDispatch* out = V_DISPATCH(&a.value);
    out->AddRef();
    return out;
}

std::string Text(IDispatch* d, const std::string& name, std::vector<VARIANT> args = {}) {
    Answer a;
    Call(d, name, std::move(args), a);
    EXPECT_EQ(a.hr, S_OK) << name;
    return a.Text();
}

long Number(IDispatch* d, const std::string& name, std::vector<VARIANT> args = {}) {
    Answer a;
    Call(d, name, std::move(args), a);
    EXPECT_EQ(a.hr, S_OK) << name;
    return a.Number();
}

IDispatch* Create(const char* progId) {
    return standin::CreateByProgId(progId);
}

// The client side of the event control: records the notifications it receives.
class Sink : public IDispatch {
  public:
    std::vector<DISPID> received;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kDiidEvents) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        received.push_back(id);
        return S_OK;
    }

  private:
    ULONG refs_ = 1;
};

struct Advised {
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
    Advised(IDispatch* event, Sink& sink) {
        IConnectionPointContainer* c = nullptr;
        if (FAILED(
                event->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&c))))
            return;
        if (SUCCEEDED(c->FindConnectionPoint(kDiidEvents, &point)) &&
            FAILED(point->Advise(&sink, &cookie)))
            cookie = 0;
        c->Release();
    }
    ~Advised() {
        if (point && cookie) point->Unadvise(cookie);
        if (point) point->Release();
    }
};

actdb::Database TestDatabase() {
    actdb::Database db;
    db.fields = {
        {25, "Company", actdb::kCharacter, actdb::FieldWindow::Edit, false, {}},
        {78, "First Name", actdb::kCharacter, actdb::FieldWindow::Edit, false, {}},
        {79, "Last Name", actdb::kCharacter, actdb::FieldWindow::Edit, false, {}},
        {56, "Region", actdb::kCharacter, actdb::FieldWindow::Edit, true, {"North", "South"}},
        {52, "Product", actdb::kCharacter, actdb::FieldWindow::DropDown, true, {"A", "B"}},
        {60, "Notes", actdb::kMemo, actdb::FieldWindow::Notes, false, {}}};
    db.contacts = {{"C00000000001", {{25, "Acme"}, {78, "Ann"}, {79, "Smith"}, {52, "A"}}},
                   {"C00000000002", {{25, "Bolt & Co"}, {78, "Bob"}, {79, "Jones"}}}};
    db.groups = {{"G00000000001", "Clients", "", {"C00000000001", "C00000000002"}},
                 {"G00000000002", "East", "G00000000001", {"C00000000002"}},
                 {"G00000000003", "Empty", "", {}}};
    return db;
}

// Members 1 and 3 of a new event control, as the add-on asks them at start-up.
struct StartupAnswers {
    long state = -1;
    bool commTyped = false; // member 3 answered a Boolean
    bool comm = false;
};
StartupAnswers AskEventControl() {
    StartupAnswers out;
    IDispatch* event = standin::CreateByProgId("ACTEVENTLib.ActEvent");
    EXPECT_NE(event, nullptr);
    if (!event) return out;
    Answer state, comm;
    InvokeId(event, 1, {I4(0)}, state);
    InvokeId(event, 3, {}, comm);
    out.state = state.Number();
    out.commTyped = V_VT(&comm.value) == VT_BOOL;
    out.comm = out.commTyped && V_BOOL(&comm.value) != VARIANT_FALSE;
    event->Release();
    return out;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class StandinTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CreateDirectoryA(kFolder, nullptr);
        CreateDirectoryA(kProbeFolder.c_str(), nullptr);
        DeleteFileA(kJournal.c_str());
        DeleteFileA(kSettings.c_str());
        actdb::Save(TestDatabase(), kDb);
        Ctl("/timeout 0 quit");
        ASSERT_EQ(RunProgram("\"" + ExeDir() + "\\actstandin.exe\" /RegServer").rc, 0u);
        process_ = StartStandin("\"" + kDb + "\"");
        ASSERT_NE(process_, nullptr);
    }
    static void TearDownTestSuite() {
        Ctl("quit");
        if (process_) CloseHandle(process_);
        CoUninitialize();
    }
    void SetUp() override {
        // Every test starts from the test database, open, on its first record.
        actdb::Save(TestDatabase(), kDb);
        ASSERT_EQ(Ctl("open \"" + kDb + "\"").rc, 0u);
        app_ = Create("ACTOLE.APPOBJECT");
        ASSERT_NE(app_, nullptr);
    }
    void TearDown() override {
        if (app_) app_->Release();
    }
    IDispatch* View() {
        IDispatch* views = Object(app_, "Views");
        IDispatch* view = Object(views, "Create", {I2(1), Str("CV")});
        views->Release();
        return view;
    }

    static HANDLE process_;
    IDispatch* app_ = nullptr;
};
HANDLE StandinTest::process_ = nullptr;

TEST_F(StandinTest, AnswersTheStartupCallsOverIDispatch) {
    StartupAnswers asked = AskEventControl();
    EXPECT_GE(asked.state, 1);
    EXPECT_TRUE(asked.commTyped);
    EXPECT_FALSE(asked.comm);

    EXPECT_EQ(Text(app_, "getOpenDbName"), kDb);
    IDispatch* view = View();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(Ctl("focus 79").rc, 0u);
    Answer field;
    Call(view, "CurrentFieldId", {}, field);
    EXPECT_EQ(V_VT(&field.value), VT_I2);
    EXPECT_EQ(V_I2(&field.value), 79);
    EXPECT_EQ(Text(view, "GetField", {Str("79")}), "Smith");
    Answer set;
    Call(view, "SetField", {I2(79), Str("Smith-Jones")}, set);
    EXPECT_EQ(set.hr, S_OK);
    // The record window shows the change at once, and the file keeps it.
    EXPECT_EQ(Ctl("get 79").out, "Smith-Jones");
    EXPECT_EQ(*actdb::Load(kDb).contacts[0].Value(79), "Smith-Jones");
    view->Release();
    std::string journal = Slurp(kJournal);
    EXPECT_NE(journal.find("View.SetField(79, \"Smith-Jones\") = Empty"), std::string::npos);
    EXPECT_NE(journal.find("View.CurrentFieldId() = 79"), std::string::npos);
    EXPECT_NE(journal.find("ActEvent.CommFailure() = False"), std::string::npos);
}

TEST_F(StandinTest, FocusOnNotesOrDropDownIsNotAnEditBox) {
    Outcome notes = Ctl("focus 60");
    EXPECT_EQ(notes.out.substr(0, 9), "ActNotes ");
    Outcome drop = Ctl("focus 52");
    EXPECT_EQ(drop.out.substr(0, 9), "ComboBox ");
    IDispatch* view = View();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Number(view, "CurrentFieldId"), 52);
    view->Release();
    EXPECT_EQ(Ctl("focus 25").out.substr(0, 5), "Edit ");
}

TEST_F(StandinTest, WalksGroupsMembersAndFields) {
    IDispatch* db = Create("ACTOLE.DATABASE");
    ASSERT_NE(db, nullptr);
    Answer open;
    Call(db, "OpenEx", {Str("")}, open);
    ASSERT_EQ(open.hr, S_OK);
    IDispatch* group = Object(db, "Group");
    IDispatch* contact = Object(db, "Contact");
    ASSERT_TRUE(group && contact);
    Call(group, "MoveFirst", {}, *std::make_unique<Answer>());
    std::vector<std::string> seen;
    for (int guard = 0; guard < 10 && Number(group, "isEOF") == 0; ++guard) {
        std::string id = Text(group, "Data", {I2(1)});
        EXPECT_EQ(id.size(), 13u);
        EXPECT_EQ(id.back(), ' ');
        seen.push_back(Text(group, "Data", {I2(25)}) + "/" + Text(group, "GetParent") + "/" +
                       std::to_string(Number(group, "GroupType")) + "/" +
                       std::to_string(Number(group, "GetSubGroupCount")));
        Answer next;
        Call(group, "MoveNext", {}, next);
    }
    EXPECT_EQ(seen,
              (std::vector<std::string>{"Clients//0/1", "East/G00000000001 /1/0", "Empty//0/0"}));

    Call(group, "GoTo", {Str("G00000000001 ")}, *std::make_unique<Answer>());
    IDispatch* members = Object(group, "Members");
    ASSERT_NE(members, nullptr);
    EXPECT_EQ(Number(members, "RecordCount"), 2);
    Call(members, "MoveFirst", {}, *std::make_unique<Answer>());
    std::vector<std::string> names;
    while (Number(members, "isEOF") == 0 && names.size() < 5) {
        Call(contact, "GoTo", {Str(Text(members, "Data", {I2(1)}))}, *std::make_unique<Answer>());
        names.push_back(Text(contact, "Data", {I2(79)}) + ", " + Text(contact, "Data", {I2(78)}) +
                        " / " + Text(contact, "Data", {I2(25)}));
        Call(members, "MoveNext", {}, *std::make_unique<Answer>());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Smith, Ann / Acme", "Jones, Bob / Bolt & Co"}));
    members->Release();

    Call(group, "GoTo", {Str("G00000000003 ")}, *std::make_unique<Answer>());
    IDispatch* none = Object(group, "Members");
    Answer first;
    Call(none, "MoveFirst", {}, first);
    EXPECT_EQ(first.hr, DISP_E_EXCEPTION); // an empty group has no first member
    none->Release();

    IDispatch* fields = Object(contact, "Fields");
    ASSERT_NE(fields, nullptr);
    EXPECT_EQ(Number(fields, "Count"), 6);
    EXPECT_EQ(Number(fields, "ID", {I2(3)}), 56);
    EXPECT_EQ(Number(fields, "ID", {I2(6)}), -1);
    EXPECT_EQ(Text(fields, "Label", {I2(0)}), "Company");
    EXPECT_EQ(Text(fields, "Label", {Str("79")}), "Last Name");
    EXPECT_EQ(Number(fields, "Type", {Str("60")}), actdb::kMemo);
    EXPECT_NE(Number(fields, "HasPopupList", {Str("56")}), 0);
    IDispatch* popup = Object(fields, "POPUPINFO", {I2(56), I2(0)});
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(Number(popup, "PopupCount"), 2);
    EXPECT_EQ(Text(popup, "value", {I2(1)}), "South");
    popup->Release();
    fields->Release();
    group->Release();
    contact->Release();
    Call(db, "Close", {}, *std::make_unique<Answer>());
    db->Release();
}

TEST_F(StandinTest, FailedCallsCarryTheirExceptionInfo) {
    IDispatch* views = Object(app_, "Views");
    ASSERT_NE(views, nullptr);
    Answer wrongView;
    Call(views, "Create", {I2(2), Str("CV")}, wrongView);
    EXPECT_EQ(wrongView.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(static_cast<unsigned long>(wrongView.excep.scode), 0x80040204ul);
    EXPECT_NE(wrongView.excep.bstrDescription, nullptr);
    Answer missing;
    Call(views, "Create", {I2(1)}, missing);
    EXPECT_EQ(missing.hr, DISP_E_BADPARAMCOUNT);
    Answer unknown;
    Call(views, "Destroy", {}, unknown);
    EXPECT_EQ(unknown.hr, DISP_E_UNKNOWNNAME);
    Answer notNumber;
    IDispatch* view = View();
    Call(view, "GetField", {Str("Company")}, notNumber);
    EXPECT_EQ(notNumber.hr, DISP_E_TYPEMISMATCH);
    view->Release();
    views->Release();
    EXPECT_NE(Slurp(kJournal).find("Views.Create(2, \"CV\") ! 0x80040204"), std::string::npos);
}

TEST_F(StandinTest, WritesTheGroupTableBesideTheDatabaseAndCanLockIt) {
    std::string gdb = std::string(kFolder) + "\\Contacts.gdb";
    tamber::DbfTable table = tamber::DbfTable::Parse(Slurp(gdb), "gdb");
    ASSERT_EQ(table.RowCount(), 3u);
    size_t parent = *table.FindColumn("PERANTID"), name = *table.FindColumn("GRP_NAME"),
           id = *table.FindColumn("GRP_ID");
    EXPECT_EQ(table.Value(1, name), "East");
    EXPECT_EQ(table.Value(1, parent), "G00000000001");
    EXPECT_EQ(table.Value(0, parent), "");
    EXPECT_EQ(table.Value(2, id), "G00000000003");

    ASSERT_EQ(Ctl("lock-gdb").rc, 0u);
    HANDLE h = CreateFileA(gdb.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    ASSERT_EQ(Ctl("unlock-gdb").rc, 0u);
    h = CreateFileA(gdb.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

TEST_F(StandinTest, CloseCommandNotifiesSinksAndEndsTheDatabase) {
    IDispatch* event = Create("ACTEVENTLib.ActEvent");
    ASSERT_NE(event, nullptr);
    Sink sink;
    {
        Advised advised(event, sink);
        ASSERT_NE(advised.cookie, 0u);
        Answer close;
        Call(app_, "Command", {I2(150)}, close);
        EXPECT_EQ(close.hr, S_OK);
        EXPECT_EQ(sink.received, std::vector<DISPID>{1});
        Answer state;
        InvokeId(event, 1, {I4(0)}, state);
        EXPECT_EQ(state.Number(), 0);
        Answer view;
        IDispatch* views = Object(app_, "Views");
        Call(views, "Create", {I2(1), Str("CV")}, view);
        EXPECT_EQ(view.hr, DISP_E_EXCEPTION);
        EXPECT_EQ(static_cast<unsigned long>(view.excep.scode), 0x80040201ul);
        views->Release();
        EXPECT_EQ(Text(app_, "GetOpenDBName"), "");
        // Closed from the record window's side, the sinks hear of it the same way.
        ASSERT_EQ(Ctl("open \"" + kDb + "\"").rc, 0u);
        ASSERT_EQ(Ctl("close").rc, 0u);
        EXPECT_EQ(sink.received, (std::vector<DISPID>{1, 1}));
    }
    event->Release();
}

TEST_F(StandinTest, TypingInProgressIsSavedWhenTheDatabaseCloses) {
    Outcome focus = Ctl("focus 78");
    ASSERT_EQ(focus.rc, 0u);
    // Characters as the keyboard delivers them to the focused box; the focus stays there.
    HWND box = GetDlgItem(FindWindowA("TamberActStandinMain", nullptr),
                          std::atoi(focus.out.substr(focus.out.find(' ') + 1).c_str()));
    ASSERT_NE(box, nullptr);
    for (char c : std::string("QZ"))
        PostMessageA(box, WM_CHAR, c, 1);
    std::string shown;
    for (int i = 0; i < 50 && shown.find("QZ") == std::string::npos; ++i) {
        Sleep(100);
        shown = Ctl("get 78").out;
    }
    ASSERT_NE(shown.find("QZ"), std::string::npos) << shown;
    Call(app_, "Command", {I2(150)}, *std::make_unique<Answer>());
    EXPECT_EQ(*actdb::Load(kDb).contacts[0].Value(78), shown);
}

TEST_F(StandinTest, ShellOpenOfTheDatabaseReopensItInTheRunningInstance) {
    Answer close;
    Call(app_, "Command", {I2(150)}, close);
    size_t opens = Count(Slurp(kJournal), "open " + kDb);
    HINSTANCE r = ShellExecuteA(nullptr, "open", kDb.c_str(), nullptr, kFolder, SW_SHOWNORMAL);
    EXPECT_GT(reinterpret_cast<INT_PTR>(r), 32);
    for (int i = 0; i < 100 && Count(Slurp(kJournal), "open " + kDb) == opens; ++i)
        Sleep(100);
    EXPECT_EQ(Count(Slurp(kJournal), "open " + kDb), opens + 1);
    EXPECT_EQ(Text(app_, "GetOpenDBName"), kDb);
    EXPECT_NE(FindWindowA("TamberActStandinMain", nullptr), nullptr);
}

TEST_F(StandinTest, RegisteredCommandStartsWithTheFocusKeptInTheField) {
    IDispatch* aux = Create("ACTOLE.AUXCMDS");
    ASSERT_NE(aux, nullptr);
    std::string probe = ExeDir() + "\\standin_probe.exe";
    EXPECT_EQ(Number(aux, "AuxCommandExists", {Str("Probe")}), 0);
    EXPECT_EQ(Number(aux, "AddAuxCommand",
                     {Str("Probe"), Str(probe), Str(kProbeFolder), Str("Probe entry"),
                      Str("Click to launch Probe"), Str(kProbeFolder + "\\none.ico"),
                      Str(kProbeFolder + "\\none32.ico"), I2(1)}),
              0);
    EXPECT_EQ(Number(aux, "AddAuxCommandToToolbar", {I2(1), Str("Probe")}), 0);
    EXPECT_EQ(Number(aux, "AddAuxCommandToToolsMenu", {I2(1), Str("Probe")}), 0);
    EXPECT_EQ(Number(aux, "AuxCommandExistsInToolbar", {I2(1), Str("Probe")}), 1);
    EXPECT_EQ(Number(aux, "AuxCommandExistsInToolbar", {I2(2), Str("Probe")}), 0);
    aux->Release();
    // Shown after the database is reopened, as ACT! shows them after a restart.
    Call(app_, "Command", {I2(150)}, *std::make_unique<Answer>());
    ASSERT_EQ(Ctl("open \"" + kDb + "\"").rc, 0u);
    EXPECT_NE(Ctl("state").out.find("toolbar=1"), std::string::npos);

    struct Case {
        const char* how;
        const char* field;
        const char* text;
    };
    for (Case c : {Case{"toolbar", "25", "Acme"}, Case{"menu", "79", "Smith"}}) {
        SCOPED_TRACE(c.how);
        std::string out = kProbeFolder + "\\probe_ran.txt";
        DeleteFileA(out.c_str());
        Outcome focus = Ctl(std::string("focus ") + c.field);
        ASSERT_EQ(focus.rc, 0u);
        Outcome press = Ctl(std::string("press ") + c.how + " Probe");
        ASSERT_EQ(press.rc, 0u) << press.out;
        for (int i = 0; i < 100 && GetFileAttributesA(out.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(100);
        std::string ran = Slurp(out);
        EXPECT_NE(ran.find("args=\r\n"), std::string::npos) << ran;
        EXPECT_NE(ran.find("cwd=" + kProbeFolder + "\r\n"), std::string::npos) << ran;
        EXPECT_NE(ran.find("foreground=TamberActStandinMain\r\n"), std::string::npos) << ran;
        EXPECT_NE(ran.find("focus=" + focus.out + "\r\n"), std::string::npos) << ran;
        EXPECT_NE(ran.find(std::string("text=") + c.text + "\r\n"), std::string::npos) << ran;
        EXPECT_NE(Ctl("state").out.find("focus=" + focus.out), std::string::npos);
    }
    EXPECT_NE(Slurp(kJournal).find("start Probe " + probe + " in " + kProbeFolder),
              std::string::npos);
}

TEST_F(StandinTest, RecordWindowScreenshotIsKept) {
    ASSERT_EQ(Ctl("focus 25").rc, 0u);
    Sleep(300);
    HWND w = FindWindowA("TamberActStandinMain", nullptr);
    ASSERT_NE(w, nullptr);
    RECT r{};
    GetWindowRect(w, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    ASSERT_GT(width, 100);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    int stride = (width * 3 + 3) & ~3;
    const unsigned char* p = static_cast<const unsigned char*>(bits);
    // A drawn record window has many colours; a blank capture has one.
    bool varied = false;
    for (int i = 3; i < stride * height && !varied; i += 3)
        varied = p[i] != p[0];
    EXPECT_TRUE(varied);

    std::string dir = "Z:\\work\\main\\artifacts";
    if (const char* env = std::getenv("TAMBER_ARTIFACTS")) {
        dir = env;
        if (!dir.empty() && dir[0] == '/') dir = "Z:" + dir; // a Unix path, seen from Wine
        for (char& c : dir)
            if (c == '/') c = '\\';
    }
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string file = dir + "\\standin_record_window.bmp";
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + stride * height;
    bi.bmiHeader.biHeight = -height;
    std::ofstream f(file, std::ios::binary);
    f.write(reinterpret_cast<const char*>(&fh), sizeof fh);
    f.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(BITMAPINFOHEADER));
    f.write(static_cast<const char*>(bits), stride * height);
    EXPECT_TRUE(f.good()) << file;
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

// Runs last: it restarts the stand-in in its two start-up failure modes.
TEST_F(StandinTest, ZStartModesAndTheClosingNotification) {
    IDispatch* event = Create("ACTEVENTLib.ActEvent");
    ASSERT_NE(event, nullptr);
    Sink sink;
    {
        Advised advised(event, sink);
        ASSERT_EQ(Ctl("quit").rc, 0u);
        EXPECT_EQ(sink.received, std::vector<DISPID>{2});
    }
    event->Release();
    app_->Release();
    app_ = nullptr;
    CloseHandle(process_);

    for (bool nocomm : {false, true}) {
        SCOPED_TRACE(nocomm ? "cannot communicate" : "no database");
        process_ = StartStandin(nocomm ? "/nocomm" : "");
        ASSERT_NE(process_, nullptr);
        StartupAnswers asked = AskEventControl();
        EXPECT_EQ(asked.state, 0);
        EXPECT_TRUE(asked.commTyped);
        EXPECT_EQ(asked.comm, nocomm);
        ASSERT_EQ(Ctl("quit").rc, 0u);
        CloseHandle(process_);
    }
    process_ = StartStandin("\"" + kDb + "\"");
}

} // namespace
