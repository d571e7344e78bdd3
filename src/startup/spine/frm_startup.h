#pragma once
// The invisible start-up form: connects to ACT!, finds the active field, sets up the
// program-wide state, then opens the list window or the configuration window.
#include <functional>
#include <memory>

namespace tamber {

namespace act {
class EventControl;
}

class frmStartup {
  public:
    enum class Outcome {
        Ended,          // start-up stopped (message shown or silent); no window opened
        ShowListWindow, // a list is configured for the active field
        ShowMainWindow, // the configuration window
    };

    // The event control on the form (member 1: database open, 3: cannot communicate,
    // 2: release). Created with the form.
    std::shared_ptr<act::EventControl> ActEvent2;

    // Runs the whole start-up and returns which window to show; the caller then unloads the
    // form (Form_Unload) and shows that window modeless, without an owner.
    Outcome Form_Load();

    // Releases the event control (member 2); no error handling of its own.
    void Form_Unload();
};

// Runs start-up as the program's entry does: load, unload, then open the chosen window
// through the given functions. Returns the outcome.
frmStartup::Outcome RunStartup(const std::function<void()>& showList,
                               const std::function<void()>& showMain);

} // namespace tamber
