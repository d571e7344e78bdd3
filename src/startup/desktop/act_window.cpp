#include "startup/desktop/act_window.h"

#include "common/procedure.h"
#include "ports/platform.h"

namespace tamber {
namespace {

constexpr char kModule[] = "Module1";

Desktop& Port() {
    if (!Sys().desktop) throw VbError(err::kObjectRequired, "Object required");
    return *Sys().desktop;
}

// Undoes an input attachment on every way out, including a failure while attached: a thread
// left attached to ACT!'s would share its input state until the program ends.
class InputAttachment {
  public:
    InputAttachment(Desktop& desktop, ThreadId own, ThreadId other)
        : desktop_(desktop), own_(own), other_(other) {
        attached_ = desktop_.AttachInput(own_, other_, true);
    }
    ~InputAttachment() {
        if (attached_) {
            try {
                desktop_.AttachInput(own_, other_, false);
            } catch (...) {
            }
        }
    }
    explicit operator bool() const { return attached_; }
    InputAttachment(const InputAttachment&) = delete;
    InputAttachment& operator=(const InputAttachment&) = delete;

  private:
    Desktop& desktop_;
    ThreadId own_, other_;
    bool attached_ = false;
};

} // namespace

WindowHandle GetACTHandle() {
    return Function(kModule, "GetACTHandle", [&](Statement&) { return Port().ForegroundWindow(); });
}

WindowHandle FindACTFieldHandle(WindowHandle window) {
    return Function(kModule, "FindACTFieldHandle", [&](Statement& at) -> WindowHandle {
        if (window == 0) return 0;
        at();
        Desktop& desktop = Port();
        const ThreadId other = desktop.WindowThread(window);
        const ThreadId own = desktop.CurrentThread();
        if (other == own) return 0;
        at();
        const InputAttachment attachment(desktop, own, other);
        if (!attachment) return 0;
        at();
        const WindowHandle focus = desktop.FocusWindow();
        at();
        return desktop.ClassName(focus) == "Edit" ? focus : 0;
    });
}

} // namespace tamber
