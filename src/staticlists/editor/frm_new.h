#pragma once
// The name dialog of the static lists editor: the name of a new list, or the new name of one.
#include <string>

#include "forms/runtime/forms.h"

namespace tamber {

class frmStaticLists;

class frmNew : public forms::Form {
  public:
    forms::Label lblName{*this, "lblName"};
    forms::TextBox txtName{*this, "txtName"};
    forms::CommandButton cmdOk{*this, "cmdOk"};
    forms::CommandButton cmdCancel{*this, "cmdCancel"};

    // Reads the editor's bEdit and sEditName; answers through its bCancel and sEditName.
    explicit frmNew(frmStaticLists& editor);

    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void txtName_KeyPress(int& KeyAscii);
    void cmdOk_Click();
    void cmdCancel_Click();

  private:
    void SelectAllAndFocus();
    // A name the editor already lists, saved or not, ignoring case (the list being renamed
    // may take another capitalisation of its own name).
    bool ListedInEditor(const std::string& typed) const;

    frmStaticLists& editor_;
    std::string StartName;
};

} // namespace tamber
