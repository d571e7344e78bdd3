#pragma once
// What the control model asks of whoever realises it: the headless host in tests, the Win32
// renderer in the programs. The model keeps every property; a host mirrors them.
#include <cstdint>
#include <memory>

namespace tamber::forms {

class Form;
class Control;

// Which property of a control changed; index is the list entry for item-level changes.
enum class Prop {
    Geometry,
    Caption,
    Visible,
    Enabled,
    Font,
    Value,      // check box value, progress value/range, timer interval/enabled
    ListIndex,  // selection of list and combo boxes, list views
    TopIndex,   // first visible entry
    ItemInsert, // entry `index` was inserted
    ItemRemove, // entry `index` was removed
    ItemsClear, // every entry removed
    ItemsReset, // every entry replaced at once
    ItemChange, // entry `index` changed (text, item data, bold, sub-items)
    Columns,    // list view columns changed
    Style,      // kind-specific styles (default button, locked, alignment, ...)
    MousePointer,
    Refresh,   // repaint now
    Selection, // a text box's selected characters
    ToolTip,   // the text shown while the mouse rests on the control
};

// Which property of a form changed.
enum class FormProp {
    Geometry,
    Caption,
    Visible,
    Enabled,
    Style,
    TopMost,
    Icon,
    Menus,
    MousePointer
};

// A renderer's half of one control. The model calls Apply after every property write; Pull
// before reading a property the user can change behind the model's back (top index, text).
class ControlPeer {
  public:
    virtual ~ControlPeer() = default;
    virtual void Apply(Prop prop, int index) = 0;
    virtual void Pull(Prop) {}
    virtual void TakeFocus() {}
};

class FormsHost {
  public:
    virtual ~FormsHost() = default;

    virtual double TwipsPerPixelX() const = 0;
    virtual double TwipsPerPixelY() const = 0;
    // Extra outer size of a form over its client area, in twips, for its border style.
    virtual void NonClientTwips(const Form& form, long& width, long& height) const = 0;

    // Realise a form and its controls (hidden), and tear them down again.
    virtual void CreateForm(Form& form) = 0;
    virtual void DestroyForm(Form& form) = 0;
    virtual void ApplyForm(Form& form, FormProp prop) = 0;
    // Make the form visible; when modal, return once it is hidden or unloaded.
    virtual void ShowForm(Form& form, bool modal) = 0;
    // Move the keyboard focus to a control that the model has already made current.
    virtual void FocusControl(Control& control) = 0;
    // The screen's mouse pointer (Screen.MousePointer).
    virtual void ApplyScreenPointer(int pointer) = 0;
    // The window handle of a loaded form or of a control on one (0 otherwise), for the places
    // that hand it to the platform or store it.
    virtual std::uintptr_t HandleOf(const Form& form) const = 0;
    virtual std::uintptr_t HandleOf(const Control& control) const = 0;
    // Milliseconds from an arbitrary start; drives list type-ahead timing.
    virtual long long NowMs() const = 0;
};

// The process's host. Programs install the Win32 one; tests a HeadlessHost.
FormsHost& Host();
void SetHost(FormsHost* host);

} // namespace tamber::forms
