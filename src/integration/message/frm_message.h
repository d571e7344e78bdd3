#pragma once
// frmMessage: the modal Yes/No question window that stays above every other window while shown.
// The caller sets the question and title, shows it modally and reads its own public answer
// variable afterwards: false means Yes; No, Esc, the close box and Alt+F4 give true.
#include "forms/runtime/forms.h"

namespace tamber {

class frmMessage : public forms::Form {
  public:
    // bCancelled: the opener's public answer variable.
    explicit frmMessage(bool& bCancelled);

    forms::Label lblMessage{*this, "lblMessage"};
    forms::CommandButton cmdYes{*this, "cmdYes"};
    forms::CommandButton cmdNo{*this, "cmdNo"};

    void Form_Activate() override;
    void Form_Unload(int& cancel) override;
    void cmdYes_Click();
    void cmdNo_Click();

  private:
    bool& bCancelled_;
};

} // namespace tamber
