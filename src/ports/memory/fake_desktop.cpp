#include "ports/memory/fake_desktop.h"

#include "common/vb_error.h"

namespace tamber {

ThreadId FakeDesktop::WindowThread(WindowHandle window) {
    auto it = windows.find(window);
    return it == windows.end() ? 0 : it->second.thread;
}

bool FakeDesktop::AttachInput(ThreadId from, ThreadId to, bool attach) {
    attachCalls.push_back({from, to, attach});
    if (from != currentThread || from == to || to == 0) return false;
    if (attach) {
        if (refuseAttach || attachedTo_ != 0) return false;
        attachedTo_ = to;
        return true;
    }
    if (attachedTo_ != to) return false;
    attachedTo_ = 0;
    return true;
}

WindowHandle FakeDesktop::FocusWindow() {
    if (failFocus) throw VbError(err::kAutomationError, "Automation error");
    auto it = focus.find(attachedTo_ ? attachedTo_ : currentThread);
    return it == focus.end() ? 0 : it->second;
}

std::string FakeDesktop::ClassName(WindowHandle window) {
    auto it = windows.find(window);
    return it == windows.end() ? std::string() : it->second.className;
}

Rect FakeDesktop::WindowRect(WindowHandle window) {
    auto it = windows.find(window);
    return it == windows.end() ? Rect{} : it->second.rect;
}

} // namespace tamber
