#pragma once
// The control model without windows, for native tests. Constructing a HeadlessHost installs it
// as the process's host (the previous one comes back when it goes). Tests then drive forms as
// a user would: clicks, keys, focus, timer ticks, the close box; modal shows run a scripted
// driver and return when the driver has closed the form.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "forms/runtime/forms.h"

namespace tamber::forms {

class HeadlessHost : public FormsHost {
  public:
    explicit HeadlessHost(bool install = true);
    ~HeadlessHost() override;

    double tppX = 15, tppY = 15;

    // ---- FormsHost ----
    double TwipsPerPixelX() const override { return tppX; }
    double TwipsPerPixelY() const override { return tppY; }
    void NonClientTwips(const Form& form, long& width, long& height) const override;
    void CreateForm(Form& form) override;
    void DestroyForm(Form& form) override;
    void ApplyForm(Form& form, FormProp prop) override;
    void ShowForm(Form& form, bool modal) override;
    void FocusControl(Control&) override {}
    void ApplyScreenPointer(int pointer) override { pointers.push_back(pointer); }
    long long NowMs() const override { return now_; }
    // Stand-in handles: distinct per object, 0 while not loaded.
    std::uintptr_t HandleOf(const Form& f) const override {
        return f.Loaded() ? reinterpret_cast<std::uintptr_t>(&f) : 0;
    }
    std::uintptr_t HandleOf(const Control& c) const override {
        return c.Parent().Loaded() ? reinterpret_cast<std::uintptr_t>(&c) : 0;
    }

    // ---- driving ----
    // A mouse click: MouseDown and MouseUp at the control's middle, then what the platform
    // control does with it (button Click, check box toggle). Focusable controls take the focus.
    // A disabled control passes the click to its frame, or to the form.
    void Click(Control& c);
    // A click on the form's own area, where no control is.
    void Click(Form& form);
    // A click on entry i of a list or combo box: selects it (Click when it changes).
    void ClickItem(ListControl& list, int i);
    void DblClick(Control& c);
    void MouseDown(Control& c, int button, int shift, float x, float y);
    void MouseUp(Control& c, int button, int shift, float x, float y);
    // A key typed on the active form: dialog keys (Enter, Esc, Tab) first, then KeyDown,
    // KeyPress (whose handler may cancel or change the character), the control's own action
    // and KeyUp on the focused control.
    void Key(int keyAscii, int shift = 0);
    void Type(const std::string& text);
    // A key without a character (arrows, F-keys); Alt+F4 closes the active form.
    void KeyDown(int keyCode, int shift = 0);
    // The user moves the focus with the mouse.
    void Focus(Control& c);
    // The form's close box (or Alt+F4): QueryUnload with the control-menu mode.
    void CloseBox(Form& form);
    // One tick of a timer that is running; returns whether it fired.
    bool Tick(Timer& t);
    // Lets time pass, firing every running timer as often as its interval allows.
    void AdvanceMs(long long ms);

    // What the platform does between events: when no form is active, the most recent visible
    // one becomes active. Every driving call above ends with it.
    void Idle();

    // Scripts for the next modal shows, in order. A driver that leaves its form open fails
    // the show; without a driver the form is closed with its close box.
    void OnModal(std::function<void(Form&)> driver) { drivers_.push_back(std::move(driver)); }

    // ---- observation ----
    std::vector<std::string> modalShows; // names of forms shown modally, in order
    std::vector<std::string> created;    // names of forms realised, in order
    std::vector<std::string> destroyed;  // names of forms torn down, in order
    std::vector<int> pointers;           // screen mouse pointers set, in order
    // True once some form was loaded and none is left: the program has ended.
    bool Ended() const;

  private:
    FormsHost* previous_ = nullptr;
    bool installed_ = false;
    bool everLoaded_ = false;
    long long now_ = 0;
    std::deque<std::function<void(Form&)>> drivers_;
    std::map<Timer*, long long> due_;
};

} // namespace tamber::forms
