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
    // The windows start-up may open, shown modeless and without an owner.
    frmStartup(std::function<void()> showList, std::function<void()> showMain);

    enum class Outcome {
        Ended,          // start-up stopped (message shown or silent); no window opened
        ShowListWindow, // a list is configured for the active field
        ShowMainWindow, // the configuration window
    };

    // The event control on the form (member 1: database open, 3: cannot communicate,
    // 2: release). Created with the form.
    std::shared_ptr<act::EventControl> ActEvent2;

    // Runs the whole start-up: shows the chosen window, then unloads the form. Returns which
    // window was shown (Ended when start-up stopped).
    Outcome Form_Load();

    // Releases the event control (member 2); no error handling of its own.
    void Form_Unload();

  private:
    std::function<void()> showList_, showMain_;
};

// Runs start-up as the program's entry does. Returns the outcome.
frmStartup::Outcome RunStartup(const std::function<void()>& showList,
                               const std::function<void()>& showMain);

} // namespace tamber
