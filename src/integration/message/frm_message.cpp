#include "integration/message/frm_message.h"

namespace tamber {

using namespace forms;

frmMessage::frmMessage(bool& bCancelled) : Form("frmMessage"), bCancelled_(bCancelled) {
    SetCaption("Message");
    SetBorderStyle(vb::kFixedDialog);
    SetMinButton(false);
    SetMaxButton(false);
    SetShowInTaskbar(false);
    SetCenterOnScreen(true);
    SetClientSize(5955, 1785);

    lblMessage.Move(195, 210, 5610, 915);
    lblMessage.SetCaption("Message");
    lblMessage.SetWordWrap(true);
    cmdYes.Move(1965, 1215, 1000, 325);
    cmdYes.SetCaption("&Yes");
    cmdYes.SetTabIndex(0);
    cmdYes.SetDefault(true);
    cmdNo.Move(3105, 1215, 1000, 325);
    cmdNo.SetCaption("&No");
    cmdNo.SetTabIndex(1);
    // Users expect Esc to answer No.
    cmdNo.SetCancel(true);

    cmdYes.onClick = [this] { cmdYes_Click(); };
    cmdNo.onClick = [this] { cmdNo_Click(); };
}

// Above every other window, ACT!'s included, at its present place and size.
void frmMessage::Form_Activate() {
    SetTopMost(true);
}

// Unloading answers No unless Yes says otherwise afterwards: the close box and Alt+F4 are No.
void frmMessage::Form_Unload(int&) {
    bCancelled_ = true;
}

void frmMessage::cmdYes_Click() {
    Unload();
    bCancelled_ = false;
}

void frmMessage::cmdNo_Click() {
    bCancelled_ = true;
    Unload();
}

} // namespace tamber
