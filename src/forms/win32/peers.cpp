// The standard control kinds, each a small peer: which window class and styles make it, which
// properties it mirrors beyond the common ones, and which notifications become events.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "forms/win32/form_window.h"
#include "forms/win32/peer.h"

namespace tamber::forms::win32 {
namespace {

std::string WindowText(HWND h) {
    int n = GetWindowTextLengthA(h);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(std::max(n, 0)));
    return s;
}

class LabelPeer : public Win32Peer {
  public:
    using Win32Peer::Win32Peer;
    Label& L() { return static_cast<Label&>(*control_); }
    void Apply(Prop p, int i) override {
        if (!control_) return;
        if (p == Prop::Caption) return SetText(L().Caption());
        if (p == Prop::Style && hwnd_) {
            // The static's type is one value of SS_TYPEMASK, not flags: OR-ing an alignment
            // into SS_LEFTNOWORDWRAP would make it owner-drawn and hide the text.
            LONG_PTR s = GetWindowLongPtrA(hwnd_, GWL_STYLE) & ~static_cast<LONG_PTR>(SS_TYPEMASK);
            s |= L().Alignment() == vb::kCenter         ? SS_CENTER
                 : L().Alignment() == vb::kRightJustify ? SS_RIGHT
                 : L().WordWrap()                       ? SS_LEFT
                                                        : SS_LEFTNOWORDWRAP;
            SetWindowLongPtrA(hwnd_, GWL_STYLE, s);
            InvalidateRect(hwnd_, nullptr, TRUE);
            return;
        }
        Win32Peer::Apply(p, i);
    }
    void OnCommand(WORD code) override {
        if (!control_) return;
        if (code == STN_CLICKED)
            control_->FireClick();
        else if (code == STN_DBLCLK)
            control_->FireDblClick();
    }
};

class ButtonPeer : public Win32Peer {
  public:
    using Win32Peer::Win32Peer;
    CommandButton& B() { return static_cast<CommandButton&>(*control_); }
    void Apply(Prop p, int i) override {
        if (!control_) return;
        if (p == Prop::Caption) return SetText(B().Caption());
        if (p == Prop::Style && hwnd_) {
            SendMessageA(hwnd_, BM_SETSTYLE, B().Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                         TRUE);
            return;
        }
        Win32Peer::Apply(p, i);
    }
    void OnCommand(WORD code) override {
        if (control_ && code == BN_CLICKED) control_->FireClick();
    }
};

class CheckBoxPeer : public Win32Peer {
  public:
    using Win32Peer::Win32Peer;
    CheckBox& C() { return static_cast<CheckBox&>(*control_); }
    void Apply(Prop p, int i) override {
        if (!control_) return;
        if (p == Prop::Caption) return SetText(C().Caption());
        if (p == Prop::Value && hwnd_) {
            SendMessageA(hwnd_, BM_SETCHECK, static_cast<WPARAM>(C().Value()), 0);
            return;
        }
        Win32Peer::Apply(p, i);
    }
    // The model toggles, so a click changes Value and raises Click once, as code would.
    void OnCommand(WORD code) override {
        if (control_ && code == BN_CLICKED) C().Toggle();
    }
};

class FramePeer : public Win32Peer {
  public:
    using Win32Peer::Win32Peer;
    void Apply(Prop p, int i) override {
        if (!control_) return;
        if (p == Prop::Caption) return SetText(static_cast<Frame&>(*control_).Caption());
        Win32Peer::Apply(p, i);
        // Behind the controls it holds.
        if (p == Prop::Geometry && hwnd_)
            SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
};

class TextPeer : public Win32Peer {
  public:
    using Win32Peer::Win32Peer;
    TextBox& T() { return static_cast<TextBox&>(*control_); }
    void Apply(Prop p, int i) override {
        if (!control_) return;
        if (p == Prop::Caption) {
            if (WindowText(hwnd_) != T().Text()) SetText(T().Text());
            return;
        }
        if (p == Prop::Style && hwnd_) {
            SendMessageA(hwnd_, EM_SETREADONLY, T().Locked(), 0);
            return;
        }
        if (p == Prop::Selection && hwnd_) {
            SendMessageA(hwnd_, EM_SETSEL, T().SelStart(), T().SelStart() + T().SelLength());
            return;
        }
        Win32Peer::Apply(p, i);
    }
    void OnCommand(WORD code) override {
        // Echoes of the model's own writes carry the same text and raise nothing.
        if (control_ && code == EN_CHANGE) T().SyncText(WindowText(hwnd_));
    }
};

// List and combo boxes take the same entry messages under different numbers.
struct EntryMessages {
    UINT add, insert, remove, reset, setSel;
};
constexpr EntryMessages kListBoxMessages{LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING,
                                         LB_RESETCONTENT, LB_SETCURSEL};
constexpr EntryMessages kComboMessages{CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING,
                                       CB_RESETCONTENT, CB_SETCURSEL};

// Fills the window with every entry of the model and its selection. A list box without data
// of its own (LBS_NODATA, drawn by its owner) only takes the count.
void FillEntries(HWND h, const EntryMessages& m, const ListControl& list) {
    SendMessageA(h, m.reset, 0, 0);
    if (m.add == LB_ADDSTRING && (GetWindowLongA(h, GWL_STYLE) & LBS_NODATA)) {
        SendMessageA(h, LB_SETCOUNT, list.Entries().size(), 0);
    } else {
        for (const auto& e : list.Entries())
            SendMessageA(h, m.add, 0, (LPARAM)e.text.c_str());
    }
    SendMessageA(h, m.setSel, static_cast<WPARAM>(list.ListIndex()), 0);
}

// Mirrors an entry-level change of the model; false for properties that are not about entries.
bool ApplyEntries(HWND h, const EntryMessages& m, const ListControl& list, Prop p, int i) {
    switch (p) {
    case Prop::ItemInsert:
        SendMessageA(h, m.insert, static_cast<WPARAM>(i), (LPARAM)list.List(i).c_str());
        return true;
    case Prop::ItemRemove:
        SendMessageA(h, m.remove, static_cast<WPARAM>(i), 0);
        return true;
    case Prop::ItemsClear:
        SendMessageA(h, m.reset, 0, 0);
        return true;
    case Prop::ItemsReset:
        FillEntries(h, m, list);
        return true;
    case Prop::ItemChange:
        SendMessageA(h, m.remove, static_cast<WPARAM>(i), 0);
        SendMessageA(h, m.insert, static_cast<WPARAM>(i), (LPARAM)list.List(i).c_str());
        if (list.ListIndex() == i) SendMessageA(h, m.setSel, static_cast<WPARAM>(i), 0);
        return true;
    case Prop::ListIndex:
        SendMessageA(h, m.setSel, static_cast<WPARAM>(list.ListIndex()), 0);
        return true;
    default:
        return false;
    }
}

class ListBoxPeer : public Win32Peer {
  public:
    using Win32Peer::Win32Peer;
    ListBox& L() { return static_cast<ListBox&>(*control_); }
    void ApplyAll() override {
        Win32Peer::ApplyAll();
        Refill();
        SyncItemHeight();
    }
    void SyncItemHeight() {
        LRESULT h = SendMessageA(hwnd_, LB_GETITEMHEIGHT, 0, 0);
        const long twips = std::lround(h * screen::TwipsPerPixelY());
        if (h <= 0 || twips == L().ItemHeightTwips()) return;
        L().SetItemHeightTwips(twips);
        // Kinds that keep whole entries size themselves again by the real entry height.
        L().Move(L().Left(), L().Top(), L().Width(), L().Height());
    }
    void Refill() {
        Applying applying(applying_);
        SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
        SendMessageA(hwnd_, LB_INITSTORAGE, L().Entries().size(), 0);
        FillEntries(hwnd_, kListBoxMessages, L());
        SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
    void Apply(Prop p, int i) override {
        if (!control_ || !hwnd_) return;
        if (p == Prop::ItemsReset) return Refill();
        Applying applying(applying_);
        if (ApplyEntries(hwnd_, kListBoxMessages, L(), p, i)) return;
        switch (p) {
        case Prop::TopIndex:
            SendMessageA(hwnd_, LB_SETTOPINDEX, static_cast<WPARAM>(L().TopIndex()), 0);
            break;
        case Prop::Font:
            Win32Peer::Apply(p, i);
            SyncItemHeight();
            break;
        default:
            Win32Peer::Apply(p, i);
            break;
        }
    }
    void Pull(Prop p) override {
        // While mirroring a write the model's value is the one to show, not the window's.
        if (control_ && hwnd_ && p == Prop::TopIndex && !applying_)
            L().SyncTopIndex(static_cast<int>(SendMessageA(hwnd_, LB_GETTOPINDEX, 0, 0)));
    }
    void OnCommand(WORD code) override {
        if (!control_ || applying_) return;
        if (code == LBN_SELCHANGE)
            L().SyncListIndex(static_cast<int>(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0)));
        else if (code == LBN_DBLCLK)
            control_->FireDblClick();
    }

  protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        LRESULT r = Win32Peer::WindowProc(msg, wp, lp);
        if (control_ && (msg == WM_VSCROLL || msg == WM_MOUSEWHEEL) && L().onScroll) L().onScroll();
        return r;
    }
};

class ComboPeer : public Win32Peer {
  public:
    using Win32Peer::Win32Peer;
    ComboBox& C() { return static_cast<ComboBox&>(*control_); }
    void ApplyAll() override {
        Win32Peer::ApplyAll();
        Applying applying(applying_);
        FillEntries(hwnd_, kComboMessages, C());
    }
    void Apply(Prop p, int i) override {
        if (!control_ || !hwnd_) return;
        Applying applying(applying_);
        if (ApplyEntries(hwnd_, kComboMessages, C(), p, i)) return;
        switch (p) {
        case Prop::Geometry: {
            // The window's height includes the drop-down list; the model's is the edit part.
            RECT r = PixelRect();
            SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top + 200,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        case Prop::Caption:
            if (C().Style() != vb::kComboDropDownList) SetText(C().Text());
            break;
        default:
            Win32Peer::Apply(p, i);
            break;
        }
    }
    void OnCommand(WORD code) override {
        if (!control_ || applying_) return;
        if (code == CBN_SELCHANGE)
            C().SyncListIndex(static_cast<int>(SendMessageA(hwnd_, CB_GETCURSEL, 0, 0)));
        else if (code == CBN_EDITCHANGE)
            C().SyncText(WindowText(hwnd_));
        else if (code == CBN_DROPDOWN)
            C().FireDropDown();
    }
};

class ProgressPeer : public Win32Peer {
  public:
    using Win32Peer::Win32Peer;
    void Apply(Prop p, int i) override {
        if (!control_ || !hwnd_) return;
        if (p != Prop::Value) return Win32Peer::Apply(p, i);
        // Fractions matter (stage / total × 100): the bar runs on a finer scale.
        auto& b = static_cast<ProgressBar&>(*control_);
        SendMessageA(hwnd_, PBM_SETRANGE32, 0, 10000);
        double f = (b.Value() - b.Min()) / (b.Max() - b.Min());
        SendMessageA(hwnd_, PBM_SETPOS, static_cast<WPARAM>(std::lround(f * 10000)), 0);
    }
};

class ListViewPeer : public Win32Peer {
  public:
    using Win32Peer::Win32Peer;
    ListView& V() { return static_cast<ListView&>(*control_); }
    void ApplyAll() override {
        Win32Peer::ApplyAll();
        SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
        Apply(Prop::Columns, -1);
        for (int i = 0; i < V().ItemCount(); ++i)
            Apply(Prop::ItemInsert, i);
    }
    void SetRow(int i) {
        const ListItem& it = V().Item(i);
        LVITEMA item{};
        item.iItem = i;
        for (int col = 0; col < static_cast<int>(V().Columns().size()); ++col) {
            std::string text = col == 0 ? it.text : V().SubItem(i, col);
            item.iSubItem = col;
            item.pszText = text.data();
            SendMessageA(hwnd_, LVM_SETITEMTEXTA, i, (LPARAM)&item);
        }
        LVITEMA st{};
        st.stateMask = LVIS_SELECTED;
        st.state = it.selected ? LVIS_SELECTED : 0;
        SendMessageA(hwnd_, LVM_SETITEMSTATE, i, (LPARAM)&st);
    }
    void Apply(Prop p, int i) override {
        if (!control_ || !hwnd_) return;
        Applying applying(applying_);
        switch (p) {
        case Prop::Columns: {
            while (SendMessageA(hwnd_, LVM_DELETECOLUMN, 0, 0)) {
            }
            int n = 0;
            for (const auto& c : V().Columns()) {
                LVCOLUMNA col{};
                col.mask = LVCF_TEXT | LVCF_WIDTH;
                std::string text = c.text;
                col.pszText = text.data();
                col.cx = PxX(c.width);
                SendMessageA(hwnd_, LVM_INSERTCOLUMNA, n++, (LPARAM)&col);
            }
            for (int k = 0; k < V().ItemCount(); ++k)
                SetRow(k);
            break;
        }
        case Prop::ItemInsert: {
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            std::string text = V().Item(i).text;
            item.pszText = text.data();
            SendMessageA(hwnd_, LVM_INSERTITEMA, 0, (LPARAM)&item);
            SetRow(i);
            break;
        }
        case Prop::ItemChange:
            SetRow(i);
            SendMessageA(hwnd_, LVM_REDRAWITEMS, i, i);
            break;
        case Prop::ItemsClear:
            SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0);
            break;
        case Prop::ListIndex:
            for (int k = 0; k < V().ItemCount(); ++k)
                SetRow(k);
            if (i >= 0) SendMessageA(hwnd_, LVM_ENSUREVISIBLE, i, FALSE);
            break;
        default:
            Win32Peer::Apply(p, i);
            break;
        }
    }
    void Pull(Prop p) override {
        if (!control_ || !hwnd_ || p != Prop::TopIndex) return;
        const double ty = screen::TwipsPerPixelY();
        V().SyncTopIndex(static_cast<int>(SendMessageA(hwnd_, LVM_GETTOPINDEX, 0, 0)));
        RECT head{};
        if (HWND h = (HWND)SendMessageA(hwnd_, LVM_GETHEADER, 0, 0); h && GetWindowRect(h, &head))
            V().SetHeaderHeightTwips(std::lround((head.bottom - head.top) * ty));
        RECT row{};
        row.left = LVIR_BOUNDS;
        if (V().ItemCount() > 0 && SendMessageA(hwnd_, LVM_GETITEMRECT, 0, (LPARAM)&row))
            V().SetRowHeightTwips(std::lround((row.bottom - row.top) * ty));
    }
    bool OnNotify(NMHDR* n, LRESULT& result) override {
        if (!control_) return false;
        if (n->code == LVN_ITEMCHANGED && !applying_) {
            auto* c = reinterpret_cast<NMLISTVIEW*>(n);
            if ((c->uChanged & LVIF_STATE) && (c->uNewState & LVIS_SELECTED) &&
                !(c->uOldState & LVIS_SELECTED))
                V().SyncSelectedItem(c->iItem);
            return false;
        }
        if (n->code == NM_CUSTOMDRAW) {
            auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(n);
            if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
                result = CDRF_NOTIFYITEMDRAW;
                return true;
            }
            if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                int i = static_cast<int>(cd->nmcd.dwItemSpec);
                if (i >= 0 && i < V().ItemCount() && V().Item(i).bold) {
                    Font f = control_->GetFont();
                    f.bold = true;
                    SelectObject(cd->nmcd.hdc, FontFor(f));
                    result = CDRF_NEWFONT;
                    return true;
                }
                result = CDRF_DODEFAULT;
                return true;
            }
        }
        return false;
    }

  protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (control_ && msg == WM_NOTIFY) {
            auto* n = reinterpret_cast<NMHDR*>(lp);
            if (n->code == HDN_BEGINTRACKA || n->code == HDN_BEGINTRACKW ||
                n->code == HDN_DIVIDERDBLCLICKA || n->code == HDN_DIVIDERDBLCLICKW)
                V().FireColumnDivider();
            LRESULT r = Win32Peer::WindowProc(msg, wp, lp);
            if (control_ && (n->code == HDN_ENDTRACKA || n->code == HDN_ENDTRACKW ||
                             n->code == HDN_ITEMCHANGEDA || n->code == HDN_ITEMCHANGEDW))
                SyncWidths();
            return r;
        }
        LRESULT r = Win32Peer::WindowProc(msg, wp, lp);
        if (control_ && (msg == WM_VSCROLL || msg == WM_MOUSEWHEEL)) V().FireVScroll();
        return r;
    }
    void SyncWidths() {
        for (int k = 0; k < static_cast<int>(V().Columns().size()); ++k) {
            long w = std::lround(SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, k, 0) *
                                 screen::TwipsPerPixelX());
            if (PxX(V().Columns()[k].width) != PxX(w)) V().SyncColumnWidth(k, w);
        }
    }
};

// A timer is a SetTimer timer of the form's window, id = its place in the form's timer list.
class TimerPeer : public Win32Peer {
  public:
    using Win32Peer::Win32Peer;
    void ApplyAll() override { Apply(Prop::Value, -1); }
    void Apply(Prop p, int) override {
        if (!control_ || (p != Prop::Value && p != Prop::Enabled)) return;
        auto& t = static_cast<Timer&>(*control_);
        auto& ids = form_.timers;
        auto at = std::find(ids.begin(), ids.end(), &t);
        if (at == ids.end()) at = ids.insert(ids.end(), &t);
        const UINT_PTR id = static_cast<UINT_PTR>(at - ids.begin()) + 1;
        // Setting it again restarts the interval, as a re-enabled timer does.
        if (t.Running())
            SetTimer(form_.hwnd, id, static_cast<UINT>(t.Interval()), nullptr);
        else
            KillTimer(form_.hwnd, id);
    }
};

class LinePeer : public Win32Peer {
  public:
    using Win32Peer::Win32Peer;
    void Apply(Prop, int) override { InvalidateRect(form_.hwnd, nullptr, TRUE); }
};

template <class P>
std::unique_ptr<Win32Peer> Make(Control& c, FormWindow& f, const char* cls, DWORD style, DWORD ex) {
    auto p = std::make_unique<P>(c, f);
    p->Create(cls, style, ex);
    return p;
}

bool LoadRichEdit() {
    static HMODULE m = LoadLibraryA("riched20.dll");
    return m != nullptr;
}

} // namespace

std::unique_ptr<Win32Peer> MakeListBoxPeer(Control& c, FormWindow& f, DWORD extraStyle,
                                           DWORD exStyle) {
    return Make<ListBoxPeer>(
        c, f, "LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | extraStyle,
        exStyle);
}

// Kind → window class and styles.
void RegisterStandardPeers() {
    RegisterPeerFactory("Label", [](Control& c, FormWindow& f) {
        auto& l = static_cast<Label&>(c);
        return Make<LabelPeer>(c, f, "STATIC", SS_NOTIFY | (l.WordWrap() ? 0 : SS_LEFTNOWORDWRAP),
                               0);
    });
    RegisterPeerFactory("CommandButton", [](Control& c, FormWindow& f) {
        return Make<ButtonPeer>(c, f, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0);
    });
    RegisterPeerFactory("CheckBox", [](Control& c, FormWindow& f) {
        return Make<CheckBoxPeer>(c, f, "BUTTON", WS_TABSTOP | BS_CHECKBOX, 0);
    });
    RegisterPeerFactory("Frame", [](Control& c, FormWindow& f) {
        return Make<FramePeer>(c, f, "BUTTON", BS_GROUPBOX, 0);
    });
    RegisterPeerFactory("TextBox", [](Control& c, FormWindow& f) {
        auto& t = static_cast<TextBox&>(c);
        DWORD style = t.MultiLine() ? ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL : ES_AUTOHSCROLL;
        return Make<TextPeer>(c, f, "EDIT", WS_TABSTOP | style, WS_EX_CLIENTEDGE);
    });
    RegisterPeerFactory("RichTextBox", [](Control& c, FormWindow& f) {
        LoadRichEdit();
        auto p =
            Make<TextPeer>(c, f, "RichEdit20A",
                           WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_WANTRETURN,
                           WS_EX_CLIENTEDGE);
        SendMessageA(p->Hwnd(), EM_SETEVENTMASK, 0, ENM_CHANGE);
        // The control's own limit is 32,767 characters, a few thousand list items. Room for
        // 32,767 items of up to 998 characters each, with their line breaks.
        SendMessageA(p->Hwnd(), EM_EXLIMITTEXT, 0, 32767 * 1000);
        return p;
    });
    RegisterPeerFactory("ComboBox", [](Control& c, FormWindow& f) {
        auto& k = static_cast<ComboBox&>(c);
        DWORD style = k.Style() == vb::kComboDropDownList ? CBS_DROPDOWNLIST
                      : k.Style() == vb::kComboSimple     ? CBS_SIMPLE
                                                          : CBS_DROPDOWN | CBS_AUTOHSCROLL;
        return Make<ComboPeer>(c, f, "COMBOBOX", WS_TABSTOP | WS_VSCROLL | style, 0);
    });
    RegisterPeerFactory("ListBox", [](Control& c, FormWindow& f) {
        return MakeListBoxPeer(c, f, 0, WS_EX_CLIENTEDGE);
    });
    RegisterPeerFactory("ListView", [](Control& c, FormWindow& f) {
        return Make<ListViewPeer>(c, f, WC_LISTVIEWA,
                                  WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                  WS_EX_CLIENTEDGE);
    });
    RegisterPeerFactory("ProgressBar", [](Control& c, FormWindow& f) {
        return Make<ProgressPeer>(c, f, PROGRESS_CLASSA, 0, 0);
    });
    RegisterPeerFactory("Line", [](Control& c, FormWindow& f) -> std::unique_ptr<Win32Peer> {
        auto p = std::make_unique<LinePeer>(c, f);
        p->ApplyAll();
        return p;
    });
    RegisterPeerFactory("Timer", [](Control& c, FormWindow& f) -> std::unique_ptr<Win32Peer> {
        auto p = std::make_unique<TimerPeer>(c, f);
        p->ApplyAll();
        return p;
    });
}

} // namespace tamber::forms::win32
