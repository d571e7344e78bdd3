#pragma once
// The system's default beep, for staticlists::SetBeepHook.
namespace tamber::staticlists {
void SystemBeep();
}
