#pragma once
// The Win32 renderer: forms become top-level windows, controls child windows, property writes
// Win32 calls and notifications the forms' events. Construct one Win32Host in WinMain; it makes
// the process DPI-aware, installs itself as the forms host, the message-box port and the
// program's End (the process exits), and Run() pumps messages until the last form unloads.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "forms/runtime/forms.h"

namespace tamber::forms::win32 {

struct FormWindow;

class Win32Host : public FormsHost {
  public:
    Win32Host();
    ~Win32Host() override;

    // Runs the program: messages until no form is loaded. Returns the exit code.
    int Run();
    // The program ends once its last form has unloaded: that form's window is left to the
    // process's end instead of being hidden and destroyed (which, under Wine, waits about 2 s
    // for the X server), unless another form is made first.
    void EndWithLastForm() { endWithLastForm_ = true; }
    // Hides what EndWithLastForm left shown: something else is shown after all.
    void HideLeftWindows();
    // Handles the messages waiting now (VB's DoEvents).
    void DoEvents();
    // Handles messages until done() holds or the time is up; returns done().
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

    static HWND WindowOf(const Form& form);
    static HWND WindowOf(const Control& control);

    // ---- FormsHost ----
    double TwipsPerPixelX() const override { return tppX_; }
    double TwipsPerPixelY() const override { return tppY_; }
    void NonClientTwips(const Form& form, long& width, long& height) const override;
    void CreateForm(Form& form) override;
    void DestroyForm(Form& form) override;
    void ApplyForm(Form& form, FormProp prop) override;
    void ShowForm(Form& form, bool modal) override;
    void FocusControl(Control& control) override;
    void ApplyScreenPointer(int pointer) override;
    std::uintptr_t HandleOf(const Form& f) const override {
        return reinterpret_cast<std::uintptr_t>(WindowOf(f));
    }
    std::uintptr_t HandleOf(const Control& c) const override {
        return reinterpret_cast<std::uintptr_t>(WindowOf(c));
    }
    long long NowMs() const override { return static_cast<long long>(GetTickCount64()); }

  private:
    void Process(MSG& msg);
    bool PreTranslate(const MSG& msg);
    void FlushGraveyard();
    void ApplyTopMost(FormWindow& fw);
    void BuildMenus(FormWindow& fw);
    static LRESULT CALLBACK FormProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleFormMessage(FormWindow& fw, UINT msg, WPARAM wp, LPARAM lp, bool& handled);

    double tppX_ = 15, tppY_ = 15;
    HWND hiddenOwner_ = nullptr;
    bool endWithLastForm_ = false;
    std::vector<std::unique_ptr<FormWindow>> live_, graveyard_;
    std::unique_ptr<class Win32Dialogs> dialogs_;
};

} // namespace tamber::forms::win32
