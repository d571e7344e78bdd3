// The test commands that actctl sends to the record window.

#include <cstdlib>

#include "win32/com_server.h"
#include "win32/record_window.h"

namespace tamber::standin {
namespace {

bool ToField(const std::string& text, int16_t& id) {
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || v < -32768 || v > 32767) return false;
    id = static_cast<int16_t>(v);
    return true;
}

std::string FocusDescription() {
    HWND f = GetFocus();
    if (!f) return "none";
    char name[256] = {};
    GetClassNameA(f, name, sizeof name);
    return std::string(name) + " " + std::to_string(GetDlgCtrlID(f));
}

} // namespace

bool RecordWindow::Command(const std::vector<std::string>& a, std::string& reply) {
    const std::string& verb = a[0];
    auto need = [&](size_t n) {
        if (a.size() == n + 1) return true;
        reply = verb + ": expects " + std::to_string(n) + " argument(s)";
        return false;
    };
    int16_t id = 0;
    if (verb == "open") return need(1) && OpenDatabase(a[1], reply);
    if (verb == "close") {
        if (!need(0)) return false;
        SaveFocusedBox();
        standin_.Close();
        return true;
    }
    if (verb == "goto") {
        if (!need(1)) return false;
        long n = std::atol(a[1].c_str());
        if (n < 1 || static_cast<size_t>(n) > standin_.db().contacts.size()) {
            reply = "no record " + a[1];
            return false;
        }
        SaveFocusedBox();
        standin_.GoToRecord(n - 1);
        ShowRecord();
        return true;
    }
    if (verb == "focus" || verb == "get" || verb == "type" || verb == "width") {
        if (!need(verb == "type" || verb == "width" ? 2 : 1)) return false;
        FieldBox* b = ToField(a[1], id) ? BoxOf(id) : nullptr;
        if (!b) {
            reply = "no box for field " + a[1];
            return false;
        }
        if (verb == "focus") {
            // Also what activation gives back, should it come after this (it may be posted).
            focusWhenLeft_ = b->box;
            SetForegroundWindow(hwnd_);
            SetFocus(b->box);
            reply = FocusDescription();
            // A click in a field brings the window to the front, and the add-on reads the
            // focus of the front window: a field focused behind another window is a failure.
            if (GetForegroundWindow() != hwnd_) {
                reply += " (the window is not in front)";
                return false;
            }
            return GetFocus() == b->box;
        }
        if (verb == "width") {
            // As a user narrows or widens the field in ACT!'s layout; until the next open.
            const long px = std::atol(a[2].c_str());
            if (px < 1 || px > 2000) {
                reply = "width: 1 to 2000 pixels";
                return false;
            }
            RECT r;
            GetWindowRect(b->box, &r);
            SetWindowPos(b->box, nullptr, 0, 0, px, r.bottom - r.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            return true;
        }
        if (verb == "type") {
            SetWindowTextA(b->box, a[2].c_str());
            standin_.EditField(b->id, a[2]);
            return true;
        }
        int n = GetWindowTextLengthA(b->box);
        reply.assign(n + 1, '\0');
        GetWindowTextA(b->box, reply.data(), n + 1);
        reply.resize(n);
        return true;
    }
    if (verb == "press" || verb == "button-rect") {
        bool rectOnly = verb == "button-rect";
        if (!need(rectOnly ? 1 : 2)) return false;
        std::string where = rectOnly ? "toolbar" : a[1], name = a.back();
        bool menu = where == "menu";
        if (!menu && where != "toolbar") {
            reply = "press: toolbar or menu";
            return false;
        }
        const auto& list = menu ? menuCommands_ : toolbarCommands_;
        size_t i = 0;
        while (i < list.size() && _stricmp(list[i].name.c_str(), name.c_str()) != 0)
            ++i;
        if (i == list.size()) {
            reply = "no " + where + " command " + name;
            return false;
        }
        RECT r{};
        if (!menu) {
            LRESULT index = SendMessageA(toolbar_, TB_COMMANDTOINDEX, kIdToolbarCommand + i, 0);
            SendMessageA(toolbar_, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        }
        if (rectOnly) {
            // In screen coordinates, for a real mouse click.
            MapWindowPoints(toolbar_, nullptr, reinterpret_cast<POINT*>(&r), 2);
            reply = std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                    std::to_string(r.right) + " " + std::to_string(r.bottom);
            return true;
        }
        lastStarted_.clear();
        if (menu) {
            // What choosing the entry sends.
            SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(kIdMenuCommand + i, 0), 0);
        } else {
            // A click on the button itself, so the toolbar behaves as under the mouse.
            LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            SendMessageA(toolbar_, WM_MOUSEMOVE, 0, at);
            SendMessageA(toolbar_, WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageA(toolbar_, WM_LBUTTONUP, 0, at);
        }
        reply = lastStarted_.empty() ? "nothing started" : lastStarted_;
        return !lastStarted_.empty();
    }
    if (verb == "lock-gdb" || verb == "unlock-gdb") {
        if (!need(0)) return false;
        if (gdbLock_ != INVALID_HANDLE_VALUE) CloseHandle(gdbLock_);
        gdbLock_ = INVALID_HANDLE_VALUE;
        if (verb == "unlock-gdb") return true;
        if (!standin_.HasDatabase()) {
            reply = "no database open";
            return false;
        }
        // Held open with no sharing: every other reader is refused, as with a table that
        // ACT! keeps locked.
        std::string gdb = GroupTablePath(standin_.path());
        gdbLock_ = CreateFileA(gdb.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (gdbLock_ == INVALID_HANDLE_VALUE) reply = "cannot lock " + gdb;
        return gdbLock_ != INVALID_HANDLE_VALUE;
    }
    if (verb == "commfail") {
        if (!need(1)) return false;
        standin_.SetCommFailure(a[1] == "on");
        return true;
    }
    if (verb == "state") {
        reply = "database=" + standin_.path() +
                "\r\nrecord=" + std::to_string(standin_.HasDatabase() ? standin_.record() + 1 : 0) +
                "\r\nrecords=" + std::to_string(standin_.db().contacts.size()) +
                "\r\nfield=" + std::to_string(standin_.currentField()) +
                "\r\nfocus=" + FocusDescription() + "\r\nsinks=" + std::to_string(SinkCount()) +
                "\r\ntoolbar=" + std::to_string(toolbarCommands_.size()) +
                "\r\nmenu=" + std::to_string(menuCommands_.size());
        return true;
    }
    if (verb == "quit") {
        PostMessageA(hwnd_, WM_CLOSE, 0, 0);
        return true;
    }
    reply = "unknown command " + verb;
    return false;
}

} // namespace tamber::standin
