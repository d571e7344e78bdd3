#include "staticlists/editor/frm_static_lists.h"

#include <variant>
#include <vector>

#include "common/procedure.h"
#include "common/program_end.h"
#include "common/vb_error.h"
#include "ports/dialogs.h"
#include "startup/settings/settings.h"
#include "staticlists/editor/frm_new.h"
#include "staticlists/listfiles/static_lists.h"

namespace tamber {

namespace fvb = forms::vb;

namespace {

// Runs a step whose run-time errors are to be ignored (the program's End still passes).
template <class F> void IgnoringErrors(F&& step) {
    try {
        step();
    } catch (const ProgramEnded&) {
        throw;
    } catch (...) {
    }
}

} // namespace

frmStaticLists::frmStaticLists(Deps deps) : Form("frmStaticLists"), deps_(std::move(deps)) {
    SetCaption("Static Lists");
    SetBorderStyle(fvb::kFixedSingle);
    SetMinButton(false);
    SetMaxButton(false);
    SetShowInTaskbar(false);
    SetCenterOnScreen(true);
    SetClientSize(7350, 3780);

    lbl1.Move(210, 255, 2715, 255);
    lbl1.SetCaption("Static Lists :");
    lstListNames.Move(210, 540, 2715, 2595);
    lstListNames.SetSorted(true);
    lstListNames.SetTabIndex(0);
    lbl2.Move(3240, 255, 2715, 255);
    lbl2.SetCaption("Items of the selected list :");
    rtfItems.Move(3240, 540, 2715, 2595);
    rtfItems.SetMultiLine(true);
    rtfItems.SetTabIndex(6);
    lblText.Move(3375, 3195, 3840, 390); // wide enough for two lines in the system's font
    lblText.SetWordWrap(true);
    lblText.SetCaption("Type your items in the box above. Press Enter after each item.");
    cmdNewList.Move(210, 3180, 840, 325);
    cmdNewList.SetCaption("&Add");
    cmdNewList.SetTabIndex(1);
    cmdRename.Move(1147, 3180, 840, 325);
    cmdRename.SetCaption("Re&name");
    cmdRename.SetTabIndex(5);
    cmdRename.SetEnabled(false);
    cmdRemoveList.Move(2085, 3180, 840, 325);
    cmdRemoveList.SetCaption("&Remove");
    cmdRemoveList.SetTabIndex(2);
    cmdRemoveList.SetEnabled(false);
    cmdSave.Move(6180, 2760, 1000, 325);
    cmdSave.SetCaption("&Save");
    cmdSave.SetTabIndex(3);
    cmdClose.Move(6180, 540, 1000, 325);
    cmdClose.SetCaption("&Close");
    cmdClose.SetTabIndex(4);

    lstListNames.onClick = [this] { lstListNames_Click(); };
    rtfItems.onChange = [this] { rtfItems_Change(); };
    rtfItems.onLostFocus = [this] { rtfItems_LostFocus(); };
    cmdClose.onClick = [this] { cmdClose_Click(); };
    cmdSave.onClick = [this] { cmdSave_Click(); };
    cmdNewList.onClick = [this] { cmdNewList_Click(); };
    cmdRename.onClick = [this] { cmdRename_Click(); };
    cmdRemoveList.onClick = [this] { cmdRemoveList_Click(); };
}

void frmStaticLists::Form_Load() {
    Sub("frmStaticLists", "Form_Load", [&](Statement& at) {
        FormLoading = true;
        lstListNames.Clear();
        rtfItems.SetText("");
        ItemsModified_ = false;
        at();
        staticlists::ExistingLists lists = staticlists::Get_Existing_Lists();
        if (!staticlists::IsNoListMarker(lists)) {
            if (const auto* names = std::get_if<std::vector<std::string>>(&lists)) {
                for (const std::string& name : *names) {
                    at();
                    lstListNames.AddItem(name);
                    if (name == deps_.sListSelected)
                        lstListNames.SetListIndex(lstListNames.NewIndex());
                }
            }
            at();
            if (lstListNames.ListIndex() < 0 && lstListNames.ListCount() > 0)
                lstListNames.SetListIndex(0);
        }
        // Names added after the selection moved it down the sorted box; the shown list is
        // the selected one, and saves must write to its file.
        CurrentListIndex_ = static_cast<std::int16_t>(lstListNames.ListIndex());
        Update_Buttons();
        FormLoading = false;
    });
}

void frmStaticLists::Form_QueryUnload(int& cancel, int unloadMode) {
    Sub("frmStaticLists", "Form_QueryUnload", [&](Statement&) {
        // The close box asks what Close asks: typed items are not dropped without a word.
        if (unloadMode == fvb::kFormControlMenu && ItemsModified_ && !AskToSave(mb::kInformation)) {
            cancel = 1;
            return;
        }
        ItemsModified_ = false;
    });
}

void frmStaticLists::lstListNames_Click() {
    if (restoringSelection_) return;
    Sub("frmStaticLists", "lstListNames_Click", [&](Statement& at) {
        if (keepShownList_) {
            keepShownList_ = false;
            restoringSelection_ = true;
            struct Restored {
                bool& flag;
                ~Restored() { flag = false; }
            } restored{restoringSelection_};
            lstListNames.SetListIndex(CurrentListIndex_);
            rtfItems.SetFocus();
            return;
        }
        ListLoading = true;
        CurrentListIndex_ = static_cast<std::int16_t>(lstListNames.ListIndex());
        at();
        // The box is written once: a list saved as it was shown (the usual case) changes
        // nothing on the screen, and a long list is not emptied and then filled again.
        std::string items;
        try {
            if (CurrentListIndex_ >= 0)
                items = staticlists::ReadListText(
                    staticlists::ListPath(lstListNames.List(CurrentListIndex_)));
        } catch (...) {
            rtfItems.SetText(""); // never another list's items under this one's name
            throw;
        }
        rtfItems.SetText(items);
        // The box now holds the stored items, whatever was typed before.
        ItemsModified_ = false;
        at();
        Update_Buttons();
        ListLoading = false;
    });
    ListLoading = false;
}

void frmStaticLists::rtfItems_Change() {
    Sub("frmStaticLists", "rtfItems_Change", [&](Statement&) {
        if (!rtfItems.Text().empty() && !FormLoading) ItemsModified_ = !ListLoading;
    });
}

bool frmStaticLists::AskToSave(int icon) {
    const int answer =
        AppDialogs().MsgBox("The list items have been modified.\rDo you want to save the changes ?",
                            mb::kYesNo + icon, AppTitle());
    if (answer != mb::kYes) return true;
    cmdSave_Click();
    return saved_;
}

void frmStaticLists::rtfItems_LostFocus() {
    Sub("frmStaticLists", "rtfItems_LostFocus",
        [&](Statement&) { keepShownList_ = ItemsModified_ && !AskToSave(mb::kExclamation); });
}

void frmStaticLists::cmdClose_Click() {
    keepShownList_ = false;
    Sub("frmStaticLists", "cmdClose_Click", [&](Statement& at) {
        // A refused save keeps the window, and the text as typed.
        if (ItemsModified_ && !AskToSave(mb::kInformation)) {
            rtfItems.SetFocus();
            return;
        }
        at();
        ItemsModified_ = false;
        Unload();
    });
}

void frmStaticLists::cmdSave_Click() {
    keepShownList_ = false;
    saved_ = false;
    Sub("frmStaticLists", "cmdSave_Click", [&](Statement& at) {
        // Without a selected list the file would be named by the extension alone.
        if (CurrentListIndex_ < 0 || CurrentListIndex_ >= lstListNames.ListCount()) return;
        const std::string file = staticlists::ListPath(lstListNames.List(CurrentListIndex_));
        at();
        if (!staticlists::SaveList(file, rtfItems.Text())) return; // refused and said why
        at();
        saved_ = true;
        ItemsModified_ = false;
        lstListNames_Click();
    });
}

void frmStaticLists::cmdNewList_Click() {
    keepShownList_ = false;
    Sub("frmStaticLists", "cmdNewList_Click", [&](Statement& at) {
        bEdit = false;
        sEditName.clear();
        at();
        frmNew dialog(*this);
        dialog.Show(true);
        at();
        if (!bCancel) {
            lstListNames.AddItem(sEditName);
            lstListNames.SetListIndex(lstListNames.NewIndex());
            at();
            rtfItems.SetFocus();
        }
    });
}

void frmStaticLists::ReportRename(const std::string& from, const std::string& to) {
    if (deps_.listRenamed) deps_.listRenamed(from, to);
}

void frmStaticLists::cmdRename_Click() {
    keepShownList_ = false;
    Sub("frmStaticLists", "cmdRename_Click", [&](Statement& at) {
        bEdit = true;
        sEditName = lstListNames.List(CurrentListIndex_);
        const std::string oldName = sEditName;
        at();
        frmNew dialog(*this);
        dialog.Show(true);
        if (bCancel) {
            bEdit = false;
            return;
        }
        at();
        if (!Path_Exists(staticlists::ListPath(oldName))) {
            AppDialogs().MsgBox("Unable to rename list. List file does not exist anymore!",
                                mb::kOkOnly, AppTitle());
            bEdit = false;
            return;
        }
        at();
        staticlists::RenameList(oldName, sEditName);
        at();
        lstListNames.RemoveItem(CurrentListIndex_);
        lstListNames.AddItem(sEditName);
        lstListNames.SetListIndex(lstListNames.NewIndex());
        at();
        ReportRename(oldName, sEditName);
        at();
        lstListNames_Click();
        bEdit = false;
    });
}

void frmStaticLists::cmdRemoveList_Click() {
    keepShownList_ = false;
    Sub("frmStaticLists", "cmdRemoveList_Click", [&](Statement& at) {
        if (AppDialogs().MsgBox("Are you sure you want to delete this list?",
                                mb::kOkCancel + mb::kCritical + mb::kDefaultButton2,
                                AppTitle()) == mb::kCancel)
            return;
        at();
        const int removed = CurrentListIndex_;
        const std::string name = lstListNames.List(removed);
        // A list that was never saved has no file, and simply leaves the box. Any other
        // failure keeps the list: its file would bring it back at the next open.
        try {
            staticlists::DeleteList(name);
        } catch (const VbError& e) {
            if (e.number() != err::kFileNotFound) {
                AppDialogs().MsgBox("The list " + name + " could not be removed (" +
                                        e.description() + ").\r\nThe list was kept.",
                                    mb::kExclamation, AppTitle());
                return;
            }
        }
        at();
        IgnoringErrors([&] { ReportRename(name, ""); });
        IgnoringErrors([&] {
            const int selected = lstListNames.ListIndex();
            lstListNames.RemoveItem(removed);
            if (lstListNames.ListCount() > 0) {
                lstListNames_Click();
                lstListNames.SetFocus();
                lstListNames.SetListIndex(
                    selected < lstListNames.ListCount() ? selected : lstListNames.ListCount() - 1);
            }
        });
        at();
        Update_Buttons();
    });
}

void frmStaticLists::Update_Buttons() {
    Sub("frmStaticLists", "Update_Buttons", [&](Statement&) {
        const bool selected = lstListNames.ListCount() > 0 && lstListNames.ListIndex() >= 0;
        cmdRename.SetEnabled(selected);
        cmdRemoveList.SetEnabled(selected);
        cmdSave.SetEnabled(selected);
        // Typing needs a list to go into.
        rtfItems.SetEnabled(selected);
    });
}

} // namespace tamber
