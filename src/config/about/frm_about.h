#pragma once
// The about box: the program's name and version, where to get support, the copyright.
#include <string>

#include "forms/runtime/forms.h"

namespace tamber {

class frmAbout : public forms::Form {
  public:
    frmAbout(const std::string& appName, const std::string& version, int icon);

    forms::Label lblName{*this, "lblName"};
    forms::Label lblVersion{*this, "lblVersion"};
    forms::Label lblSupport{*this, "lblSupport"};
    forms::Label lblCopyright{*this, "lblCopyright"};
    forms::CommandButton cmdOK{*this, "cmdOK"};
};

} // namespace tamber
