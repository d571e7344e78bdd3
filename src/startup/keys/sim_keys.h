#pragma once
// Text typed as synthetic key presses into whichever window has the keyboard focus, through
// the keyboard port installed in Sys().keyboard.
#include <string>

namespace tamber {

// Sends every character of text, in order, with SendAKey.
void MySendKeys(const std::string& text);

// Sends one key-down and one key-up for the first character of text (nothing for ""). Only
// the character's key is pressed: no Shift, Ctrl or Alt is synthesized, so modifiers the user
// holds apply.
void SendAKey(const std::string& text);

} // namespace tamber
