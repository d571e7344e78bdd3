#pragma once
// The static lists editor: the user creates, fills, renames and deletes the named lists kept
// in the settings folder, and tells the configuration window of renames and removals.
#include <cstdint>
#include <functional>
#include <string>

#include "forms/runtime/forms.h"

namespace tamber {

class frmStaticLists : public forms::Form {
  public:
    struct Deps {
        // The list to show first (the configuration window's sListSelected).
        std::string sListSelected;
        // A list was renamed from the first name to the second, or removed (second name
        // empty): the configuration window's table follows. Empty: nobody to tell.
        std::function<void(const std::string&, const std::string&)> listRenamed;
    };

    forms::Label lbl1{*this, "lbl1"};
    forms::ListBox lstListNames{*this, "lstListNames"};
    forms::Label lbl2{*this, "lbl2"};
    forms::RichTextBox rtfItems{*this, "rtfItems"};
    forms::Label lblText{*this, "lblText"};
    forms::CommandButton cmdNewList{*this, "cmdNewList"};
    forms::CommandButton cmdRename{*this, "cmdRename"};
    forms::CommandButton cmdRemoveList{*this, "cmdRemoveList"};
    forms::CommandButton cmdSave{*this, "cmdSave"};
    forms::CommandButton cmdClose{*this, "cmdClose"};

    explicit frmStaticLists(Deps deps);

    // Answers of the name dialog.
    bool bCancel = false;
    bool bEdit = false;
    std::string sEditName;

    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void lstListNames_Click();
    void rtfItems_Change();
    void rtfItems_LostFocus();
    void cmdClose_Click();
    void cmdSave_Click();
    void cmdNewList_Click();
    void cmdRename_Click();
    void cmdRemoveList_Click();
    void Update_Buttons();

    bool ItemsModified() const { return ItemsModified_; }
    std::int16_t CurrentListIndex() const { return CurrentListIndex_; }

  private:
    // Asks whether to save modified items (with the given icon); Yes saves. False when the
    // user said Yes and the save did not happen: the typed text must stay where it is.
    bool AskToSave(int icon);
    void ReportRename(const std::string& from, const std::string& to);

    Deps deps_;
    std::int16_t CurrentListIndex_ = 0;
    bool ItemsModified_ = false;
    bool FormLoading = false;
    bool ListLoading = false;
    // The last cmdSave_Click wrote the file.
    bool saved_ = false;
    // A save asked for on leaving the items box was refused: the click on another list that
    // took the focus away must not load it over the typed text.
    bool keepShownList_ = false;
    bool restoringSelection_ = false;
};

} // namespace tamber
