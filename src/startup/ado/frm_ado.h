#pragma once
// The settings window: the data-access mode ("Ado") and the settings folder
// ("SettingsLocation"), both kept in the settings store.
#include <string>

#include "forms/runtime/forms.h"

namespace tamber {

class FolderChooser;

class frmAdo : public forms::Form {
  public:
    forms::Frame fraAdoconnection{*this, "fraAdoconnection"};
    forms::CheckBox chkAdo{*this, "chkAdo"};
    forms::Label lblWarning{*this, "lblWarning"};
    forms::Frame fraNetwork{*this, "fraNetwork"};
    forms::Label lblPath{*this, "lblPath"};
    forms::TextBox txtPath{*this, "txtPath"};
    forms::CommandButton cmdBrowse{*this, "cmdBrowse"};
    forms::CommandButton cmdOK{*this, "cmdOK"};
    forms::CommandButton cmdCancel{*this, "cmdCancel"};

    // The settings store, file system and program folder are the program's, from Sys().
    explicit frmAdo(FolderChooser& chooser);

    void Form_Load() override;
    void cmdBrowse_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

  private:
    // Makes sure the typed folder exists (offering to create it) and can be written;
    // says what is wrong and returns false otherwise.
    bool FolderUsable(const std::string& folder);
    void MakeFolders(const std::string& folder);

    FolderChooser& chooser_;
    std::string pathAtLoad_;
};

// The configuration window's Settings entry: shows the window modally, then, when the
// data-access mode changed, opens what the new mode reads groups through.
void ShowSettingsWindow(frmAdo& window);

} // namespace tamber
