#pragma once
// The progress program's only window: a borderless rectangle that polls the progress values
// tamber writes (application "Varnel", section "Progress") every 500 ms, shows the phase and a
// bar, and ends on "End" or when the user presses Escape.
#include <cstdint>
#include <functional>
#include <string>

#include "common/procedure.h"
#include "forms/runtime/forms.h"

namespace tamber {

class SettingsStore;

// The program's title: the caption of its error messages is "gauge error".
inline constexpr const char* kGaugeTitle = "gauge";

class frmGauge : public forms::Form {
  public:
    forms::Line Line1{*this, "Line1"};
    forms::Line Line2{*this, "Line2"};
    forms::Line Line3{*this, "Line3"};
    forms::Line Line4{*this, "Line4"};
    forms::Label Label2{*this, "Label2"};
    forms::ProgressBar prg1{*this, "prg1"};
    forms::Label Label1{*this, "Label1"};
    forms::Label Label3{*this, "Label3"};
    forms::CommandButton cmdCancel{*this, "cmdCancel"};
    forms::Timer Timer1{*this, "Timer1"};

    // Polls the program's settings store (Sys()). windowHandle gives the realised window's
    // handle once the form has loaded; starterRunning tells whether the program that started
    // gauge still runs (empty: it does).
    explicit frmGauge(std::function<std::uintptr_t()> windowHandle,
                      std::function<bool()> starterRunning = {});

    void Form_Load() override;
    void Timer1_Timer();
    void cmdCancel_Click();

    // Refreshed at every tick.
    std::int32_t total = 0;
    std::int32_t stage = 0;
    std::string step;

  private:
    std::int32_t ReadCount(const char* name, int line);
    void ShowPhase(const char* text);

    SettingsStore& settings_;
    std::function<std::uintptr_t()> windowHandle_;
    std::function<bool()> starterRunning_;
    // A bad count is reported once per run: the timer goes on firing, also while the message
    // box is open, and would otherwise stack a box every tick.
    bool badCountReported_ = false;
    // A tick's error message is open: ticks that run inside it do not add another.
    ReportGuard reporting_;
};

// Left and top, in twips, that centre a form of the given outer size on a screen area given
// in pixels (left, top, right, bottom).
void CentreOnArea(forms::Form& form, long areaLeft, long areaTop, long areaRight, long areaBottom);

} // namespace tamber
