#include "controls/virtuallist/win32/virtual_list_win32.h"

#include <windows.h>

#include "controls/virtuallist/virtual_list.h"
#include "forms/win32/peer.h"

namespace tamber {
namespace {

using forms::win32::FormWindow;
using forms::win32::Win32Peer;

// One entry: highlight colours when selected, the owner's text 2 pixels in, single line and
// vertically centred; no focus rectangle.
bool DrawEntry(Win32Peer& peer, DRAWITEMSTRUCT* d) {
    auto* list = static_cast<UVirtualList*>(peer.Model());
    if (!list || d->itemID == static_cast<UINT>(-1)) return true;
    const bool selected = (d->itemState & ODS_SELECTED) != 0;
    const COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    const COLORREF fore = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    const std::string text = list->ItemText(static_cast<int>(d->itemID), selected);
    const COLORREF oldBack = SetBkColor(d->hDC, back);
    const COLORREF oldFore = SetTextColor(d->hDC, fore);
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(d->hDC, &d->rcItem, brush);
    if (!text.empty()) {
        RECT r = d->rcItem;
        r.left += 2;
        DrawTextA(d->hDC, text.c_str(), static_cast<int>(text.size()), &r,
                  DT_SINGLELINE | DT_VCENTER);
    }
    DeleteObject(brush);
    SetBkColor(d->hDC, oldBack);
    SetTextColor(d->hDC, oldFore);
    return true;
}

// The texts are the owner's: the window keeps no data of its own, so filling it with
// thousands of placeholders is one message.
std::unique_ptr<Win32Peer> MakePeer(forms::Control& c, FormWindow& f) {
    auto peer = forms::win32::MakeListBoxPeer(c, f, LBS_OWNERDRAWFIXED | LBS_NODATA, 0);
    Win32Peer* p = peer.get();
    p->drawItem = [p](DRAWITEMSTRUCT* d) { return DrawEntry(*p, d); };
    return peer;
}

} // namespace

void RegisterVirtualListRenderer() {
    forms::win32::RegisterPeerFactory("UVirtualList", MakePeer);
}

} // namespace tamber
