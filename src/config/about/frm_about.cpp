#include "config/about/frm_about.h"

#include "common/error_report.h"

namespace tamber {

frmAbout::frmAbout(const std::string& appName, const std::string& version, int icon)
    : Form("frmAbout") {
    using namespace forms;
    SetCaption("About " + appName);
    SetBorderStyle(vb::kFixedDialog);
    SetCenterOnScreen(true);
    SetShowInTaskbar(false);
    SetIcon(icon);
    SetClientSize(4800, 2100);
    Font title;
    title.size = 12;
    title.bold = true;
    lblName.Move(360, 240, 4080, 360);
    lblName.SetFont(title);
    lblName.SetCaption(appName);
    lblVersion.Move(360, 660, 4080, 255);
    lblVersion.SetCaption("Version " + version);
    lblSupport.Move(360, 960, 4080, 255);
    lblSupport.SetCaption("Support: " + std::string(kSupportAddress));
    lblCopyright.Move(360, 1260, 4080, 255);
    lblCopyright.SetCaption("Copyright \xA9 " + appName + ". All rights reserved.");
    cmdOK.Move(3240, 1620, 1215, 375);
    cmdOK.SetCaption("OK");
    cmdOK.SetDefault(true);
    cmdOK.SetCancel(true);
    cmdOK.onClick = [this] { Unload(); };
}

} // namespace tamber
