#pragma once
// One realised form: its top-level window, its peers and the ids of its timers and menus.
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "forms/runtime/forms.h"
#include "forms/win32/peer.h"

namespace tamber::forms::win32 {

struct FormWindow {
    Form* form = nullptr; // nullptr once unloaded; the window then only waits to be destroyed
    HWND hwnd = nullptr;
    HMENU menu = nullptr;
    std::vector<std::unique_ptr<Win32Peer>> peers;
    std::map<const Control*, Win32Peer*> byControl;
    std::vector<Timer*> timers;    // timer id - 1
    std::vector<Menu*> menuIds;    // command id - kFirstMenuId
    std::map<HMENU, Menu*> popups; // the drop-down of each menu that has entries
    bool inMenu = false;           // a menu is open: rebuilding it waits until it closes
    bool menusStale = false;
    bool leftDown = false; // the left button went down on the window itself
    int busy = 0;          // window procedures of this form on the stack
    bool syncing = false;  // the window moves because the model said so
    bool shownOnce = false;
    std::vector<HWND> disabledByModal; // windows its modal show disabled
    bool leftToExit = false;           // unloaded last: still shown until the process ends
    HWND toolTips = nullptr; // the form's tool tip window, made for its first tip; it owns it

    Win32Peer* PeerOf(const Control* c) const {
        auto it = byControl.find(c);
        return it == byControl.end() ? nullptr : it->second;
    }
    // Control's left/top in the client area, in twips, through its containers.
    static void ClientOrigin(const Control& c, long& left, long& top);
};

inline constexpr UINT kFirstMenuId = 0x7000;

// Font handles shared by every control with the same font, for the life of the process.
HFONT FontFor(const Font& font);
// Pixels of a twips length at the screen's scale.
int PxX(double twips);
int PxY(double twips);
// A VB colour (0x80000000 + n: system colour n) as a COLORREF.
COLORREF ColorOf(long vbColor);
// Report an exception that escaped an event procedure, as the run time does, and end.
void EscapedError();

} // namespace tamber::forms::win32
