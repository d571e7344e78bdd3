#pragma once
// The Win32 half of a control: one child window of the form's window, kept in step with the
// model. Subclasses add what their kind needs; the form window reflects notifications here.
#include <windows.h>

#include <functional>
#include <memory>

#include "forms/runtime/forms.h"

namespace tamber::forms::win32 {

struct FormWindow;

class Win32Peer {
  public:
    Win32Peer(Control& control, FormWindow& form) : control_(&control), form_(form) {}
    virtual ~Win32Peer();
    Win32Peer(const Win32Peer&) = delete;
    Win32Peer& operator=(const Win32Peer&) = delete;

    // Creates the child window (none for window-less kinds) and applies every property.
    void Create(const char* windowClass, DWORD style, DWORD exStyle);
    virtual void ApplyAll();

    HWND Hwnd() const { return hwnd_; }
    // The model control, or nullptr once the form has unloaded.
    Control* Model() const { return control_; }
    FormWindow& Owner() const { return form_; }
    void Detach() { control_ = nullptr; }

    virtual void Apply(Prop prop, int index);
    virtual void Pull(Prop) {}
    virtual void TakeFocus();

    // Notifications from the form window.
    virtual void OnCommand(WORD) {}
    virtual bool OnNotify(NMHDR*, LRESULT&) { return false; }
    virtual bool OnDrawItem(DRAWITEMSTRUCT* d) { return drawItem && drawItem(d); }
    virtual bool OnMeasureItem(MEASUREITEMSTRUCT*) { return false; }

    // Owner drawing for kinds built on a standard peer (the virtual list box).
    std::function<bool(DRAWITEMSTRUCT*)> drawItem;

    // Rectangle of the control in the form's client area, in pixels.
    RECT PixelRect() const;

  protected:
    // Messages to the child window; the default raises the key, mouse and focus events.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);
    void SetText(const std::string& text);
    HFONT FontHandle() const;
    // Adds, changes or removes the control's tool on the form's tool tip window.
    void ApplyToolTip();

    Control* control_;
    FormWindow& form_;
    HWND hwnd_ = nullptr;
    bool applying_ = false; // a model write is being mirrored: notifications are echoes
    // Marks a mirrored write for its scope, also when it leaves by an exception.
    struct Applying {
        explicit Applying(bool& flag) : flag_(flag) { flag_ = true; }
        ~Applying() { flag_ = false; }
        Applying(const Applying&) = delete;
        Applying& operator=(const Applying&) = delete;
        bool& flag_;
    };
    bool upPending_ = false;

  private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
};

// VB's shift value (1 Shift, 2 Ctrl, 4 Alt) from the keyboard state now.
int ShiftState();
// VB's button value of a mouse message.
int ButtonOf(UINT msg, WPARAM wp);

// Kind name → peer. The renderer registers the standard kinds; other libraries add theirs.
using PeerFactory = std::unique_ptr<Win32Peer> (*)(Control&, FormWindow&);
void RegisterPeerFactory(const char* kind, PeerFactory factory);
PeerFactory FindPeerFactory(const char* kind);

// Standard peers other kinds may build on.
std::unique_ptr<Win32Peer> MakeListBoxPeer(Control& c, FormWindow& f, DWORD extraStyle,
                                           DWORD exStyle);

} // namespace tamber::forms::win32
