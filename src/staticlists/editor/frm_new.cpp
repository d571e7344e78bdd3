#include "staticlists/editor/frm_new.h"

#include "common/procedure.h"
#include "ports/dialogs.h"
#include "staticlists/editor/frm_static_lists.h"
#include "staticlists/listfiles/ansi_case.h"
#include "staticlists/listfiles/static_lists.h"

namespace tamber {

namespace fvb = forms::vb;

frmNew::frmNew(frmStaticLists& editor) : Form("frmNew"), editor_(editor) {
    SetCaption("List Name");
    SetBorderStyle(fvb::kFixedDialog);
    SetMinButton(false);
    SetMaxButton(false);
    SetShowInTaskbar(false);
    SetCenterOnScreen(true);
    SetClientSize(5805, 1275);
    lblName.Move(330, 170, 3795, 280);
    lblName.SetCaption("Type  the name of the list :");
    txtName.Move(330, 450, 3795, 315);
    txtName.SetTabIndex(1);
    cmdOk.Move(4560, 210, 1000, 325);
    cmdOk.SetCaption("&OK");
    cmdOk.SetTabIndex(2);
    cmdOk.SetDefault(true);
    cmdCancel.Move(4575, 645, 1000, 325);
    cmdCancel.SetCaption("&Cancel");
    cmdCancel.SetTabIndex(3);
    cmdCancel.SetCancel(true);

    txtName.onKeyPress = [this](int& k) { txtName_KeyPress(k); };
    cmdOk.onClick = [this] { cmdOk_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void frmNew::Form_Load() {
    Sub("frmNew", "Form_Load", [&](Statement& at) {
        StartName.clear();
        txtName.SetText("");
        if (editor_.bEdit) {
            at();
            txtName.SetText(editor_.sEditName);
            StartName = editor_.sEditName;
            txtName.SetSelStart(0);
            txtName.SetSelLength(static_cast<int>(txtName.Text().size()));
        }
    });
}

void frmNew::Form_QueryUnload(int& /*cancel*/, int unloadMode) {
    // Closing the dialog from its close box is a Cancel: otherwise the editor would take
    // the empty box as the new name.
    if (unloadMode == fvb::kFormControlMenu) editor_.bCancel = true;
}

void frmNew::txtName_KeyPress(int& KeyAscii) {
    Sub("frmNew", "txtName_KeyPress", [&](Statement&) {
        KeyAscii = staticlists::ValidateText(static_cast<std::int16_t>(KeyAscii),
                                             staticlists::kNameFilter, true);
    });
}

void frmNew::SelectAllAndFocus() {
    txtName.SetSelStart(0);
    txtName.SetSelLength(static_cast<int>(txtName.Text().size()));
    txtName.SetFocus();
}

bool frmNew::ListedInEditor(const std::string& typed) const {
    if (!StartName.empty() && ansi::EqualNoCase(typed, StartName)) return false;
    for (const auto& entry : editor_.lstListNames.Entries())
        if (ansi::EqualNoCase(entry.text, typed)) return true;
    return false;
}

void frmNew::cmdOk_Click() {
    Sub("frmNew", "cmdOk_Click", [&](Statement& at) {
        const std::string typed = txtName.Text();
        // The key filter does not see pasted text, and admits characters no file name may
        // hold: the name becomes a file name, so it is checked whole.
        if (!staticlists::CheckListName(typed)) {
            SelectAllAndFocus();
            return;
        }
        at();
        if (staticlists::Name_Taken(typed, StartName) || ListedInEditor(typed)) {
            AppDialogs().MsgBox("This name is already taken!", mb::kOkOnly, AppTitle());
            SelectAllAndFocus();
            return;
        }
        at();
        editor_.bCancel = false;
        editor_.sEditName = typed;
        Unload();
    });
}

void frmNew::cmdCancel_Click() {
    Sub("frmNew", "cmdCancel_Click", [&](Statement&) {
        editor_.bCancel = true;
        Unload();
    });
}

} // namespace tamber
