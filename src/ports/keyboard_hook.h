#pragma once
// A low-level keyboard hook over every keyboard event of the user's desktop, also keys typed
// into other programs and the program's own synthesized keys. It runs on the installing
// (user-interface) thread.
#include <functional>

namespace tamber {

class KeyboardHook {
  public:
    virtual ~KeyboardHook() = default;
    // Installs the hook: onCtrlKey runs for every keyboard event during which the Control key
    // is down at that moment. Every event is passed on unchanged. False when the platform
    // refused the hook. Installing again replaces the handler.
    virtual bool Install(std::function<void()> onCtrlKey) = 0;
    // Removes the hook; nothing when none is installed.
    virtual void Remove() = 0;
};

} // namespace tamber
