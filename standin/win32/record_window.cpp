#include "win32/record_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include "win32/channel.h"
#include "win32/com_server.h"

namespace tamber::standin {
namespace {

constexpr int kIdOpen = 100, kIdClose = 101, kIdExit = 102;
constexpr int kIdFirst = 110, kIdPrevious = 111, kIdNext = 112, kIdLast = 113;
constexpr int kIdBox = 1000;
constexpr int kContactsView = 1;
constexpr const char* kNotesClass = "ActNotes";

// Layout, in pixels.
constexpr int kLabelWidth = 110, kBoxWidth = 300, kRowHeight = 26, kColumnGap = 24, kMargin = 10,
              kNotesRows = 4;

std::string WindowText(HWND w) {
    int n = GetWindowTextLengthA(w);
    std::string s(n + 1, '\0');
    GetWindowTextA(w, s.data(), n + 1);
    s.resize(n);
    return s;
}

std::string Crlf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

std::string ClassOf(HWND w) {
    char name[256] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

// The notes box is a multi-line edit under a class name of its own, as a record window's
// notes area is not an "Edit" box.
void RegisterNotesClass(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance, kNotesClass, &wc)) return;
    GetClassInfoExA(nullptr, "EDIT", &wc);
    wc.cbSize = sizeof wc;
    wc.hInstance = instance;
    wc.lpszClassName = kNotesClass;
    RegisterClassExA(&wc);
}

} // namespace

bool RecordWindow::Create(HINSTANCE instance) {
    instance_ = instance;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    RegisterNotesClass(instance);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClass;
    RegisterClassExA(&wc);

    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kIdOpen, "&Open...");
    AppendMenuA(file, MF_STRING, kIdClose, "&Close");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, kIdExit, "E&xit");
    HMENU record = CreatePopupMenu();
    AppendMenuA(record, MF_STRING, kIdFirst, "&First");
    AppendMenuA(record, MF_STRING, kIdPrevious, "&Previous");
    AppendMenuA(record, MF_STRING, kIdNext, "&Next");
    AppendMenuA(record, MF_STRING, kIdLast, "&Last");
    tools_ = CreatePopupMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(record), "&Record");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(tools_), "&Tools");

    font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    hwnd_ = CreateWindowExA(0, kMainClass, "ACT!", WS_OVERLAPPEDWINDOW, 20, 20, 900, 600, nullptr,
                            bar, instance, this);
    if (!hwnd_) return false;
    toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                   TBSTYLE_LIST | CCS_TOP,
                               0, 0, 0, 0, hwnd_, nullptr, instance, nullptr);
    SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
    status_ = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                              hwnd_, nullptr, instance, nullptr);
    BuildCommands();
    BuildFields();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    return true;
}

LRESULT CALLBACK RecordWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<RecordWindow*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<RecordWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return self ? self->Handle(msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT RecordWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    case WM_NOTIFY:
        OnNotify(reinterpret_cast<NMHDR*>(lp));
        return 0;
    case WM_SIZE:
        SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
        SendMessageA(status_, WM_SIZE, 0, 0);
        return 0;
    case WM_COPYDATA: {
        auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lp);
        std::string text(static_cast<const char*>(cds->lpData), cds->cbData);
        // Run later from the queue: while a sent message is handled, COM refuses calls out
        // to the event sinks, and opening or closing a database makes such calls.
        if (cds->dwData != kOpenTag && cds->dwData != kCommandTag) return 0;
        pending_.push_back({cds->dwData, std::move(text), reinterpret_cast<HWND>(wp)});
        PostMessageA(hwnd_, kRunPending, 0, 0);
        return 1;
    }
    case kRunPending:
        while (!pending_.empty()) {
            Request r = std::move(pending_.front());
            pending_.pop_front();
            std::string reply;
            if (r.tag == kOpenTag) {
                OpenDatabase(r.text, reply);
                SetForegroundWindow(hwnd_);
            } else {
                bool ok = Command(SplitFields(r.text), reply);
                SendText(r.replyTo, hwnd_, kReplyTag, (ok ? "1" : "0") + reply);
            }
        }
        return 0;
    case WM_ACTIVATE:
        // As ACT! does: the field that had the cursor has it again when the user comes back.
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) focusWhenLeft_ = focus;
        } else if (focusWhenLeft_ && IsWindow(focusWhenLeft_)) {
            SetFocus(focusWhenLeft_);
            return 0;
        }
        break;
    case WM_CLOSE:
        standin_.JournalNote("notify ApplicationClosing");
        FireEvent(disp::kOnApplicationClosing);
        SaveFocusedBox();
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        if (gdbLock_ != INVALID_HANDLE_VALUE) CloseHandle(gdbLock_);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

void RecordWindow::OnCommand(int id, int code, HWND from) {
    if (id >= kIdBox && from) {
        FieldBox* box = BoxOf(from);
        if (!box) return;
        if (code == EN_SETFOCUS || code == CBN_SETFOCUS) standin_.SetCurrentField(box->id);
        if (code == EN_KILLFOCUS || code == CBN_KILLFOCUS || code == CBN_SELCHANGE) {
            std::string text = WindowText(box->box);
            const auto& contacts = standin_.db().contacts;
            if (standin_.record() < contacts.size()) {
                const std::string* was = contacts[standin_.record()].Value(box->id);
                if (Crlf(was ? *was : std::string()) != text) standin_.EditField(box->id, text);
            }
        }
        return;
    }
    std::string reply;
    if (id >= kIdToolbarCommand && id < kIdToolbarCommand + kMaxCommands)
        StartRegistered(id - kIdToolbarCommand, false, reply);
    else if (id >= kIdMenuCommand && id < kIdMenuCommand + kMaxCommands)
        StartRegistered(id - kIdMenuCommand, true, reply);
    else if (id >= kIdFirst && id <= kIdLast)
        Navigate(id);
    else if (id == kIdClose)
        standin_.Close();
    else if (id == kIdExit)
        PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    else if (id == kIdOpen) {
        char path[MAX_PATH] = {};
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = hwnd_;
        ofn.lpstrFilter = "ACT! databases (*.dbf)\0*.dbf\0All files\0*.*\0";
        ofn.lpstrFile = path;
        ofn.nMaxFile = MAX_PATH;
        ofn.Flags = OFN_FILEMUSTEXIST;
        if (GetOpenFileNameA(&ofn)) {
            std::string error;
            if (!OpenDatabase(path, error)) MessageBoxA(hwnd_, error.c_str(), "ACT!", MB_OK);
        }
    }
}

void RecordWindow::OnNotify(NMHDR* hdr) {
    if (hdr->code != TTN_GETDISPINFOA) return;
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(hdr);
    size_t i = hdr->idFrom - kIdToolbarCommand;
    if (hdr->idFrom >= kIdToolbarCommand && i < toolbarCommands_.size())
        info->lpszText = const_cast<char*>(toolbarCommands_[i].toolTip.c_str());
}

void RecordWindow::BuildCommands() {
    while (SendMessageA(toolbar_, TB_BUTTONCOUNT, 0, 0) > 0)
        SendMessageA(toolbar_, TB_DELETEBUTTON, 0, 0);
    while (GetMenuItemCount(tools_) > 0)
        DeleteMenu(tools_, 0, MF_BYPOSITION);
    if (images_) ImageList_Destroy(images_);
    images_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4);
    SendMessageA(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));

    static const char* const kNav[] = {"|<", "<", ">", ">|"};
    std::vector<TBBUTTON> buttons;
    for (int i = 0; i < 4; ++i)
        buttons.push_back({I_IMAGENONE,
                           kIdFirst + i,
                           TBSTATE_ENABLED,
                           BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT,
                           {},
                           0,
                           reinterpret_cast<INT_PTR>(kNav[i])});
    toolbarCommands_ = standin_.aux().Toolbar(kContactsView);
    menuCommands_ = standin_.aux().Menu(kContactsView);
    if (toolbarCommands_.size() > kMaxCommands) toolbarCommands_.resize(kMaxCommands);
    if (menuCommands_.size() > kMaxCommands) menuCommands_.resize(kMaxCommands);
    if (!toolbarCommands_.empty()) buttons.push_back({0, 0, 0, BTNS_SEP, {}, 0, 0});
    for (size_t i = 0; i < toolbarCommands_.size(); ++i) {
        HICON icon = static_cast<HICON>(LoadImageA(nullptr, toolbarCommands_[i].icon.c_str(),
                                                   IMAGE_ICON, 16, 16, LR_LOADFROMFILE));
        int image = ImageList_AddIcon(images_, icon ? icon : LoadIcon(nullptr, IDI_APPLICATION));
        if (icon) DestroyIcon(icon);
        buttons.push_back({image,
                           kIdToolbarCommand + static_cast<int>(i),
                           TBSTATE_ENABLED,
                           BTNS_BUTTON,
                           {},
                           0,
                           -1});
    }
    SendMessageA(toolbar_, TB_ADDBUTTONSA, buttons.size(),
                 reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);

    for (size_t i = 0; i < menuCommands_.size(); ++i) {
        const auto& c = menuCommands_[i];
        AppendMenuA(tools_, MF_STRING, kIdMenuCommand + i,
                    (c.menuText.empty() ? c.name : c.menuText).c_str());
    }
    if (menuCommands_.empty()) AppendMenuA(tools_, MF_STRING | MF_GRAYED, 0, "(no commands)");
    DrawMenuBar(hwnd_);
}

void RecordWindow::BuildFields() {
    for (auto& b : boxes_) {
        DestroyWindow(b.label);
        DestroyWindow(b.box);
    }
    boxes_.clear();
    RECT bar{};
    GetWindowRect(toolbar_, &bar);
    int top = (bar.bottom - bar.top) + kMargin;
    const auto& fields = standin_.db().fields;
    size_t singles = 0;
    for (const auto& f : fields)
        singles += f.window != actdb::FieldWindow::Notes;
    size_t perColumn = (singles + 1) / 2;
    size_t slot = 0;
    int notesTop = top + static_cast<int>(perColumn) * kRowHeight + kMargin;
    for (size_t i = 0; i < fields.size(); ++i) {
        const auto& f = fields[i];
        int x, y, width = kBoxWidth, height = kRowHeight - 4;
        const char* cls = "Edit";
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER;
        if (f.window == actdb::FieldWindow::Notes) {
            x = kMargin;
            y = notesTop;
            notesTop += kNotesRows * kRowHeight + kMargin;
            width = 2 * (kLabelWidth + kBoxWidth) + kColumnGap - kLabelWidth;
            height = kNotesRows * kRowHeight;
            cls = kNotesClass;
            style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
        } else {
            x = kMargin +
                static_cast<int>(slot / perColumn) * (kLabelWidth + kBoxWidth + kColumnGap);
            y = top + static_cast<int>(slot % perColumn) * kRowHeight;
            ++slot;
            if (f.window == actdb::FieldWindow::DropDown) {
                cls = "ComboBox";
                style |= CBS_DROPDOWNLIST | WS_VSCROLL;
                height = 200;
            } else {
                style |= ES_AUTOHSCROLL;
            }
        }
        HWND label =
            CreateWindowExA(0, "Static", f.label.c_str(), WS_CHILD | WS_VISIBLE, x, y + 3,
                            kLabelWidth - 6, kRowHeight - 6, hwnd_, nullptr, instance_, nullptr);
        HWND box = CreateWindowExA(0, cls, "", style, x + kLabelWidth, y, width, height, hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBox + i)),
                                   instance_, nullptr);
        SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
        SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
        boxes_.push_back({f.id, label, box});
    }
    ShowRecord();
    // The cursor starts in the first box, as in a freshly opened record.
    if (!boxes_.empty() && GetActiveWindow() == hwnd_) SetFocus(boxes_.front().box);
}

void RecordWindow::ShowRecord() {
    const auto& contacts = standin_.db().contacts;
    const actdb::Contact* c =
        standin_.record() < contacts.size() ? &contacts[standin_.record()] : nullptr;
    for (auto& b : boxes_) {
        const std::string* v = c ? c->Value(b.id) : nullptr;
        std::string text = v ? *v : std::string();
        if (ClassOf(b.box) == "ComboBox") {
            SendMessageA(b.box, CB_RESETCONTENT, 0, 0);
            if (const actdb::Field* f = standin_.db().FindField(b.id))
                for (const auto& p : f->popup)
                    SendMessageA(b.box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p.c_str()));
            FieldSet(b.id, text);
        } else {
            SetWindowTextA(b.box, Crlf(text).c_str());
        }
    }
    UpdateStatus();
}

void RecordWindow::UpdateStatus() {
    std::string title = "ACT! - ";
    std::string status;
    if (standin_.HasDatabase()) {
        title += standin_.path();
        status = "Record " + std::to_string(standin_.record() + 1) + " of " +
                 std::to_string(standin_.db().contacts.size());
    } else {
        title += "no database open";
        status = "No database open";
    }
    SetWindowTextA(hwnd_, title.c_str());
    SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(status.c_str()));
}

void RecordWindow::FieldSet(int16_t field, const std::string& text) {
    FieldBox* b = BoxOf(field);
    if (!b) return;
    if (ClassOf(b->box) != "ComboBox") {
        SetWindowTextA(b->box, Crlf(text).c_str());
        return;
    }
    LRESULT at = SendMessageA(b->box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(text.c_str()));
    if (at == CB_ERR && !text.empty())
        at = SendMessageA(b->box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(b->box, CB_SETCURSEL, text.empty() ? static_cast<WPARAM>(-1) : at, 0);
}

void RecordWindow::DatabaseClosing() {
    // What the user was typing belongs to the database that is closing.
    SaveFocusedBox();
    FireEvent(disp::kOnDatabaseClosing);
}

void RecordWindow::DatabaseChanged() {
    if (!hwnd_) return;
    // Registered commands appear when a database is (re)opened, as after a restart of ACT!.
    if (standin_.HasDatabase()) BuildCommands();
    BuildFields();
}

bool RecordWindow::OpenDatabase(const std::string& path, std::string& error) {
    if (gdbLock_ != INVALID_HANDLE_VALUE) {
        CloseHandle(gdbLock_);
        gdbLock_ = INVALID_HANDLE_VALUE;
    }
    SaveFocusedBox();
    try {
        standin_.Open(path);
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        standin_.JournalNote("open failed " + path + ": " + error);
        SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(error.c_str()));
        return false;
    }
}

void RecordWindow::SaveFocusedBox() {
    if (FieldBox* b = BoxOf(GetFocus())) OnCommand(kIdBox, EN_KILLFOCUS, b->box);
}

void RecordWindow::Navigate(int where) {
    size_t count = standin_.db().contacts.size();
    if (!count) return;
    SaveFocusedBox();
    size_t r = standin_.record();
    if (where == kIdFirst)
        r = 0;
    else if (where == kIdPrevious && r > 0)
        --r;
    else if (where == kIdNext && r + 1 < count)
        ++r;
    else if (where == kIdLast)
        r = count - 1;
    standin_.GoToRecord(r);
    ShowRecord();
}

bool RecordWindow::StartRegistered(size_t index, bool fromMenu, std::string& reply) {
    const auto& list = fromMenu ? menuCommands_ : toolbarCommands_;
    if (index >= list.size()) {
        reply = "no such command";
        return false;
    }
    const AuxCommand& c = list[index];
    // Started as ACT! starts an add-on: the program alone, in its registered folder.
    std::string commandLine = "\"" + c.program + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL ok = CreateProcessA(c.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, c.folder.empty() ? nullptr : c.folder.c_str(), &si, &pi);
    if (!ok) {
        reply = "cannot start " + c.program + " (error " + std::to_string(GetLastError()) + ")";
        standin_.JournalNote("start failed " + c.name + ": " + reply);
        return false;
    }
    reply = std::to_string(pi.dwProcessId);
    standin_.JournalNote("start " + c.name + " " + c.program + " in " + c.folder + " pid " + reply +
                         (fromMenu ? " (menu)" : " (toolbar)"));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    lastStarted_ = reply;
    return true;
}

RecordWindow::FieldBox* RecordWindow::BoxOf(HWND box) {
    for (auto& b : boxes_)
        if (b.box == box && box) return &b;
    return nullptr;
}

RecordWindow::FieldBox* RecordWindow::BoxOf(int16_t id) {
    for (auto& b : boxes_)
        if (b.id == id) return &b;
    return nullptr;
}

} // namespace tamber::standin
