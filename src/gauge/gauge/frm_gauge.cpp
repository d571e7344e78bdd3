#include "gauge/gauge/frm_gauge.h"

#include <algorithm>
#include <string>

#include "common/error_report.h"
#include "common/procedure.h"
#include "common/program_end.h"
#include "common/vb_error.h"
#include "ports/platform.h"
#include "ports/settings_store.h"
#include "vb/vb_convert.h"

namespace tamber {
namespace {
constexpr const char* kApp = "Varnel";
constexpr const char* kSection = "Progress";
constexpr long kClientWidth = 4590, kClientHeight = 1440;
} // namespace

using forms::Font;
using forms::Form;
namespace fvb = forms::vb;
namespace screen = forms::screen;

frmGauge::frmGauge(std::function<std::uintptr_t()> windowHandle,
                   std::function<bool()> starterRunning)
    : Form("frmGauge"), settings_(*Sys().settings), windowHandle_(std::move(windowHandle)),
      starterRunning_(std::move(starterRunning)) {
    SetCaption("Tamberlist progress");
    SetBorderStyle(fvb::kBsNone);
    SetClientSize(kClientWidth, kClientHeight);

    // The frame sits on the outermost pixels of the client area.
    const long right = kClientWidth - static_cast<long>(screen::TwipsPerPixelX());
    const long bottom = kClientHeight - static_cast<long>(screen::TwipsPerPixelY());
    Line1.SetPoints(0, 0, right, 0);
    Line2.SetPoints(right, 0, right, bottom);
    Line3.SetPoints(0, bottom, right, bottom);
    Line4.SetPoints(0, 0, 0, bottom);

    Label2.Move(195, 420, 4125, 315);
    Font bold;
    bold.size = 12;
    bold.bold = true;
    Label2.SetFont(bold);
    Label2.SetAlignment(fvb::kCenter);
    Label2.SetWordWrap(true); // the phase texts fit one line; wrapping keeps the label plain
    Label2.SetCaption("Scanning... Please wait!");

    prg1.Move(465, 840, 3720, 165);
    prg1.SetRange(0, 100);
    prg1.SetVisible(false); // shown once a phase is known

    Label1.Move(360, 800, 3855, 255);

    Label3.Move(1860, 1185, 2700, 225);
    Label3.SetCaption("Press ESC to cancel.");

    // Below the visible client area: only Escape reaches it.
    cmdCancel.Move(975, 1440, 615, 195);
    cmdCancel.SetCaption("Cancel");
    cmdCancel.SetCancel(true);
    cmdCancel.onClick = [this] { cmdCancel_Click(); };

    Timer1.SetInterval(500);
    Timer1.onTimer = [this] { Timer1_Timer(); };
}

void frmGauge::Form_Load() {
    Sub("frmGauge", "Form_Load", [&](Statement& at) {
        SetMousePointer(fvb::kHourglass);
        at();
        settings_.SaveSetting(kApp, kSection, "GAUGE", std::to_string(windowHandle_()));
    });
}

std::int32_t frmGauge::ReadCount(const char* name, int line) {
    std::string text = settings_.GetSetting(kApp, kSection, name, "0");
    try {
        return vb::CLng(text);
    } catch (const VbError& e) {
        if (!badCountReported_) {
            badCountReported_ = true;
            ReportError(e, "frmGauge", "Sub", "Timer1_Timer", line);
        }
        return 0;
    }
}

void frmGauge::ShowPhase(const char* text) {
    Label2.SetCaption(text);
    prg1.SetVisible(true);
    Label1.SetVisible(false);
    // Between two writes of tamber, "Stage" can belong to the previous phase and exceed
    // "Total": the bar then stays full rather than leaving its range.
    if (total > 0) prg1.SetValue(std::clamp(100.0 * stage / total, 0.0, 100.0));
}

void frmGauge::Timer1_Timer() {
    // While a message box of an earlier tick is open the timer keeps firing: no second box.
    Sub("frmGauge", "Timer1_Timer", reporting_, [&](Statement& at) {
        at();
        total = ReadCount("Total", at.line());
        at();
        stage = ReadCount("Stage", at.line());
        at();
        step = settings_.GetSetting(kApp, kSection, "Step", "");
        if (step == "End") EndProgram();
        // A tamber that ended abnormally never writes "End": gauge would stay for good.
        if (starterRunning_ && !starterRunning_()) EndProgram();
        at();
        if (step == "Building") ShowPhase("Building list... Please Wait!");
        if (step == "Saving") ShowPhase("Saving list... Please Wait!");
    });
}

void frmGauge::cmdCancel_Click() {
    Sub("frmGauge", "cmdCancel_Click", [&](Statement& at) {
        settings_.SaveSetting(kApp, kSection, "Status", "Off");
        at();
        Unload();
    });
}

void CentreOnArea(Form& form, long areaLeft, long areaTop, long areaRight, long areaBottom) {
    const double tx = screen::TwipsPerPixelX(), ty = screen::TwipsPerPixelY();
    const long left =
        static_cast<long>(areaLeft * tx + ((areaRight - areaLeft) * tx - form.Width()) / 2);
    const long top =
        static_cast<long>(areaTop * ty + ((areaBottom - areaTop) * ty - form.Height()) / 2);
    form.Move(left, top, form.Width(), form.Height());
}

} // namespace tamber
